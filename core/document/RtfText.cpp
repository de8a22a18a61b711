#include "RtfText.h"

#include "Windows1252.h"

#include <QSet>
#include <cctype>
#include <optional>
#include <vector>

namespace {

bool IsSkippedDestination(const QByteArray& word) {
    static const QSet<QByteArray> skipped = {"fonttbl",      "colortbl",
                                             "stylesheet",   "info",
                                             "pict",         "object",
                                             "header",       "headerl",
                                             "headerr",      "headerf",
                                             "footer",       "footerl",
                                             "footerr",      "footerf",
                                             "footnote",     "fldinst",
                                             "listtable",    "listoverridetable",
                                             "rsidtbl",      "generator",
                                             "themedata",    "colorschememapping",
                                             "latentstyles", "datastore",
                                             "xmlnstbl",     "revtbl",
                                             "filetbl",      "pgdsctbl",
                                             "mmathPr",      "bkmkstart",
                                             "bkmkend",      "template",
                                             "userprops",    "nonshppict",
                                             "shpinst"};
    return skipped.contains(word);
}

struct TGroupState {
    bool Skip = false;
    int UnicodeSkip = 1; // characters that stand in for a \u character (\ucN)
};

class TRtfReader {
public:
    explicit TRtfReader(const QByteArray& rtf)
        : Rtf(rtf) {}

    QString Read() {
        while (Pos < Rtf.size())
            Step();
        return Text;
    }

private:
    const QByteArray& Rtf;
    qsizetype Pos = 0;
    QString Text;
    std::vector<TGroupState> Stack{TGroupState{}};
    int PendingFallback = 0; // fallback characters still to drop after a \u character

    TGroupState& State() { return Stack.back(); }

    void Emit(QChar c) {
        if (State().Skip)
            return;
        if (PendingFallback > 0) {
            --PendingFallback;
            return;
        }
        Text += c;
    }

    void EmitBreak() {
        PendingFallback = 0;
        if (!State().Skip)
            Text += u'\n';
    }

    void Step() {
        const char c = Rtf[Pos++];
        switch (c) {
        case '{':
            Stack.push_back(State());
            break;
        case '}':
            if (Stack.size() > 1)
                Stack.pop_back();
            break;
        case '\\':
            ControlSymbolOrWord();
            break;
        case '\r':
        case '\n':
            break;
        default:
            Emit(FromWindows1252(static_cast<unsigned char>(c)));
        }
    }

    void ControlSymbolOrWord() {
        if (Pos >= Rtf.size())
            return;
        const char c = Rtf[Pos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ControlWord();
            return;
        }
        ++Pos;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Emit(QChar(c));
            break;
        case '\'':
            HexByte();
            break;
        case '*':
            State().Skip = true;
            break;
        case '~':
            Emit(QChar(0xA0));
            break;
        case '_':
            Emit(u'-');
            break;
        case '\r':
        case '\n':
            EmitBreak();
            break;
        default: // \- (optional hyphen) and other symbols show nothing
            break;
        }
    }

    void HexByte() {
        bool ok = false;
        const int byte = Rtf.mid(Pos, 2).toInt(&ok, 16);
        Pos += 2;
        if (ok)
            Emit(FromWindows1252(static_cast<unsigned char>(byte)));
    }

    void ControlWord() {
        const qsizetype wordStart = Pos;
        while (Pos < Rtf.size() && std::isalpha(static_cast<unsigned char>(Rtf[Pos])))
            ++Pos;
        const QByteArray word = Rtf.mid(wordStart, Pos - wordStart);
        std::optional<int> parameter;
        const qsizetype numberStart = Pos;
        if (Pos < Rtf.size() && Rtf[Pos] == '-')
            ++Pos;
        while (Pos < Rtf.size() && std::isdigit(static_cast<unsigned char>(Rtf[Pos])))
            ++Pos;
        if (Pos > numberStart)
            parameter = Rtf.mid(numberStart, Pos - numberStart).toInt();
        if (Pos < Rtf.size() && Rtf[Pos] == ' ')
            ++Pos;
        Apply(word, parameter);
    }

    void Apply(const QByteArray& word, std::optional<int> parameter) {
        if (IsSkippedDestination(word)) {
            State().Skip = true;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
            EmitBreak();
        } else if (word == "tab") {
            Emit(u'\t');
        } else if (word == "uc") {
            State().UnicodeSkip = parameter.value_or(1);
        } else if (word == "u" && parameter) {
            PendingFallback = 0;
            const int code = *parameter < 0 ? *parameter + 65536 : *parameter;
            Emit(QChar(char16_t(code)));
            PendingFallback = State().Skip ? 0 : State().UnicodeSkip;
        } else if (const QChar special = SpecialCharacter(word); !special.isNull()) {
            Emit(special);
        }
    }

    static QChar SpecialCharacter(const QByteArray& word) {
        if (word == "emdash")
            return QChar(0x2014);
        if (word == "endash")
            return QChar(0x2013);
        if (word == "lquote")
            return QChar(0x2018);
        if (word == "rquote")
            return QChar(0x2019);
        if (word == "ldblquote")
            return QChar(0x201C);
        if (word == "rdblquote")
            return QChar(0x201D);
        if (word == "bullet")
            return QChar(0x2022);
        return {};
    }
};

} // namespace

bool IsRichText(const QByteArray& bytes) {
    return bytes.startsWith("{\\rtf");
}

QString RtfPlainText(const QByteArray& rtf) {
    return TRtfReader(rtf).Read();
}
