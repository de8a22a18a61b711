#include "ErrorTrace.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view WhileExecuting = "\n    while executing\n\"";
constexpr std::string_view InvokedFrom = "\n    invoked from within\n\"";
constexpr std::string_view MarkerStart = "\n    (";
constexpr std::string_view Cut = "...";

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool StartsAt(std::string_view text, std::size_t pos, std::string_view prefix) {
    return pos <= text.size() && text.substr(pos).starts_with(prefix);
}

std::size_t CommandHeaderLength(std::string_view text, std::size_t pos) {
    if (StartsAt(text, pos, WhileExecuting))
        return WhileExecuting.size();
    if (StartsAt(text, pos, InvokedFrom))
        return InvokedFrom.size();
    return 0;
}

// A quoted command ends at the quote that the next part of the trace follows: a command's own
// text may hold quotes and line ends.
std::size_t CommandEnd(std::string_view text, std::size_t from) {
    for (std::size_t quote = text.find('"', from); quote != std::string_view::npos;
         quote = text.find('"', quote + 1)) {
        const std::size_t next = quote + 1;
        if (next == text.size() || StartsAt(text, next, MarkerStart) ||
            CommandHeaderLength(text, next) > 0)
            return quote;
    }
    return text.size();
}

std::string_view WithoutCut(std::string_view text) {
    return text.ends_with(Cut) ? text.substr(0, text.size() - Cut.size()) : text;
}

// "(<context> line <n>)" closes at a parenthesis that ends the trace's line; a context (a lambda
// term) may span lines itself.
std::optional<TErrorTraceStep::TMarker> ReadMarker(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos + MarkerStart.size();
    for (std::size_t close = text.find(')', start); close != std::string_view::npos;
         close = text.find(')', close + 1)) {
        if (close + 1 != text.size() && text[close + 1] != '\n')
            continue;
        const std::string_view content = text.substr(start, close - start);
        const std::size_t line = content.rfind(" line ");
        if (line == std::string_view::npos)
            continue;
        const std::string_view digits = content.substr(line + 6);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit))
            continue;
        pos = close + 1;
        return TErrorTraceStep::TMarker{std::string(content.substr(0, line)),
                                        std::stoi(std::string(digits))};
    }
    pos = text.size();
    return std::nullopt;
}

// The quoted name after a marker's kind ("procedure \"p\"" gives p), empty for another kind.
std::string_view QuotedAfter(std::string_view context, std::string_view kind) {
    const std::size_t start = kind.size() + 2; // after the kind, a blank and the opening quote
    if (!context.starts_with(kind) || context.size() <= start ||
        context.substr(kind.size(), 2) != " \"" || context.back() != '"')
        return {};
    return WithoutCut(context.substr(start, context.size() - start - 1));
}

class TDocumentLines {
public:
    explicit TDocumentLines(std::string_view text)
        : Text(text) {
        Starts.push_back(0);
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n')
                Starts.push_back(i + 1);
    }
    int LineOf(std::size_t offset) const {
        return int(std::upper_bound(Starts.begin(), Starts.end(), offset) - Starts.begin());
    }
    // The line of the first occurrence of what at or below line minLine, 0 when there is none.
    int Find(std::string_view what, int fromLine, int minLine) const {
        if (what.empty() || fromLine < 1 || fromLine > int(Starts.size()))
            return 0;
        for (std::size_t at = Text.find(what, Starts[std::size_t(fromLine - 1)]);
             at != std::string_view::npos; at = Text.find(what, at + 1))
            if (LineOf(at) >= minLine)
                return LineOf(at);
        return 0;
    }
    int FindAnywhere(std::string_view what) const { return Find(what, 1, 1); }

private:
    std::string_view Text;
    std::vector<std::size_t> Starts;
};

// The lines between the start of a lambda term ("{x} {body}") and the start of its body.
int LinesBeforeLambdaBody(std::string_view term) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < term.size() && IsBlank(term[i]))
            ++i;
    };
    skipBlanks();
    if (i < term.size() && term[i] == '{') {
        int depth = 0;
        for (; i < term.size(); ++i) {
            if (term[i] == '\\')
                ++i;
            else if (term[i] == '{')
                ++depth;
            else if (term[i] == '}' && --depth == 0)
                break;
        }
        ++i;
    } else {
        while (i < term.size() && !IsBlank(term[i]))
            ++i;
    }
    skipBlanks();
    return int(std::count(term.begin(), term.begin() + std::min(i, term.size()), '\n'));
}

struct TAnchor {
    bool IsAnchor = false; // the marker places the command by itself (or says it cannot)
    int Line = 0;          // the document line, 0 when the place is outside the document
};

// A file, a procedure or a lambda places its command without the commands around it.
TAnchor PlaceByMarker(const TErrorTraceStep::TMarker& marker, const TErrorDocument& document,
                      const TDocumentLines& lines) {
    if (std::string_view file = QuotedAfter(marker.Context, "file"); !file.empty()) {
        const bool ours = !document.FileName.empty() && document.FileName.starts_with(file) &&
                          (file.size() == document.FileName.size() ||
                           marker.Context.ends_with(std::string(Cut) + "\""));
        return {true, ours ? marker.Line : 0};
    }
    if (std::string_view name = QuotedAfter(marker.Context, "procedure"); !name.empty()) {
        const int body = document.ProcedureBodyLine ? document.ProcedureBodyLine(name) : 0;
        return {true, body > 0 ? body + marker.Line - 1 : 0};
    }
    if (std::string_view term = QuotedAfter(marker.Context, "lambda term"); !term.empty()) {
        const int at = lines.FindAnywhere(term);
        return {true, at > 0 ? at + LinesBeforeLambdaBody(term) + marker.Line - 1 : 0};
    }
    // Methods: where their bodies start is not known here, so their callers' lines serve.
    if (marker.Context.starts_with("class \"") || marker.Context.starts_with("object \""))
        return {true, 0};
    return {};
}

} // namespace

std::vector<TErrorTraceStep> ParseErrorTrace(std::string_view errorInfo) {
    std::vector<TErrorTraceStep> steps;
    std::size_t pos = std::min(errorInfo.find(WhileExecuting), errorInfo.find(InvokedFrom));
    while (pos != std::string_view::npos && pos < errorInfo.size()) {
        const std::size_t header = CommandHeaderLength(errorInfo, pos);
        if (header == 0)
            break;
        const std::size_t start = pos + header;
        const std::size_t end = CommandEnd(errorInfo, start);
        TErrorTraceStep step;
        step.Command = std::string(WithoutCut(errorInfo.substr(start, end - start)));
        pos = std::min(end + 1, errorInfo.size());
        // Tcl may add more than one marker to a command; the first one places it.
        while (StartsAt(errorInfo, pos, MarkerStart)) {
            auto marker = ReadMarker(errorInfo, pos);
            if (marker && !step.Marker)
                step.Marker = std::move(marker);
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

int InnermostDocumentLine(std::string_view errorInfo, const TErrorDocument& document) {
    const std::vector<TErrorTraceStep> steps = ParseErrorTrace(errorInfo);
    const TDocumentLines lines(document.Text);
    std::vector<int> placed(steps.size() + 1, 0);
    // Outermost first: a command without an anchor of its own is found inside the next one.
    for (std::size_t i = steps.size(); i-- > 0;) {
        const TErrorTraceStep& step = steps[i];
        TAnchor anchor;
        if (step.Marker)
            anchor = PlaceByMarker(*step.Marker, document, lines);
        else if (i + 1 == steps.size())
            anchor = {true, document.OutermostLine};
        if (anchor.IsAnchor) {
            placed[i] = anchor.Line;
            continue;
        }
        const int outer = placed[i + 1];
        if (outer == 0)
            continue;
        const int below = step.Marker ? step.Marker->Line - 1 : 0;
        const int found = lines.Find(step.Command, outer, outer + below);
        placed[i] = found > 0 ? found : outer + below;
    }
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (placed[i] > 0)
            return placed[i];
    return 0;
}
