#include "CommandWords.h"

#include "document/TextFileCodec.h"

QStringList ParseCommandWords(const QByteArray& fileBytes) {
    const QString text = DecodeText(fileBytes).Text;
    QStringList words;
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = text.indexOf(u'\n', begin);
        const bool lastLine = end < 0;
        if (lastLine)
            end = text.size();
        qsizetype wordEnd = end;
        if (!lastLine && wordEnd > begin && text[wordEnd - 1] == u'\r')
            --wordEnd;
        words.append(text.mid(begin, wordEnd - begin));
        begin = end + 1;
    }
    return words;
}
