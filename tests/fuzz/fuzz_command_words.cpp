// The command word file. The words are the file's lines exactly as decoded, and the index by
// first character lists, in order, exactly the words that can start a trimmed text.

#include "FuzzSupport.h"

#include "document/TextFileCodec.h"
#include "highlight/CommandWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const QStringList words = ParseCommandWords(bytes);

    // Joined with LF, the words give back the decoded text with CR LF read as LF (a line end at
    // the very end starts no further word).
    QString text = DecodeText(bytes).Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(u'\n'))
        text.chop(1);
    FUZZ_CHECK(words.join(u'\n') == text);

    const TCommandWords index(words);
    std::vector<int> listed(words.size(), 0);
    for (int i = 0; i < words.size(); ++i) {
        if (words[i].isEmpty())
            continue;
        const std::vector<int>& starting = index.StartingWith(words[i][0]);
        FUZZ_CHECK(std::is_sorted(starting.begin(), starting.end()));
        for (int at : starting) {
            FUZZ_CHECK(at >= 0 && at < words.size() && words[at][0] == words[i][0]);
            listed[at] = 1;
        }
    }
    for (int i = 0; i < words.size(); ++i)
        FUZZ_CHECK(listed[i] == (!words[i].isEmpty() && words[i][0].unicode() > 32));
    return 0;
}
