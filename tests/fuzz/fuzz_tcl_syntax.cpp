// Line colouring and the auto-indent rule. Every coloured span lies inside the line (a string
// without its closing quote may take one place more, its line break), the passes report in
// their order (commands, string, variables, comment) and each pass from left to right.

#include "FuzzSupport.h"

#include "highlight/TclSyntax.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

int PassOf(THighlightClass c) {
    switch (c) {
    case THighlightClass::Command:
        return 0;
    case THighlightClass::String:
        return 1;
    case THighlightClass::Variable:
        return 2;
    case THighlightClass::Comment:
        return 3;
    }
    return -1;
}

void CheckSpans(QStringView line, const std::vector<THighlightSpan>& spans) {
    const THighlightSpan* previous = nullptr;
    for (const THighlightSpan& span : spans) {
        FUZZ_CHECK(PassOf(span.Class) >= 0);
        FUZZ_CHECK(span.Start >= 0 && span.Length > 0);
        const qsizetype end = qsizetype(span.Start) + span.Length;
        const bool openString =
            span.Class == THighlightClass::String && line.indexOf(u'"', span.Start + 1) < 0;
        FUZZ_CHECK(end <= line.size() + (openString ? 1 : 0));
        if (previous) {
            FUZZ_CHECK(PassOf(previous->Class) <= PassOf(span.Class));
            if (previous->Class == span.Class)
                FUZZ_CHECK(previous->Start <= span.Start);
        }
        previous = &span;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    QStringList words;
    const int wordCount = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < wordCount; ++i)
        words.append(QString::fromUtf8(input.ConsumeRandomLengthString(12)));
    const bool atLineStart = input.ConsumeBool();
    const bool utf16 = input.ConsumeBool();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const QString line = utf16 ? FuzzUtf16(bytes) : QString::fromUtf8(bytes);

    const TCommandWords commandWords(words);
    CheckSpans(line, HighlightLine(line, commandWords, THighlightOptions{atLineStart}));

    const QStringView trimmed = TrimControl(line);
    FUZZ_CHECK(trimmed.isEmpty() ||
               (trimmed.front().unicode() > 32 && trimmed.back().unicode() > 32));
    if (const std::optional<int> tabs = AutoIndentTabs(line))
        FUZZ_CHECK(*tabs >= 0 && *tabs <= line.size() + 1);
    else
        FUZZ_CHECK(line.isEmpty());
    return 0;
}
