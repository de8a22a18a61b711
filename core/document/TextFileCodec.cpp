#include "TextFileCodec.h"

#include "Windows1252.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

std::optional<QString> DecodeUtf8(QByteArrayView bytes) {
    // Keep a byte order mark as a character; the caller strips it and remembers it. Stateless:
    // a file that ends inside a character is not UTF-8 (a decoder with state would keep those
    // last bytes for a next call that never comes, and saving would drop them).
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

TDecodedText DecodeText(const QByteArray& bytes) {
    if (std::optional<QString> text = DecodeUtf8(bytes)) {
        if (bytes.startsWith(Utf8Bom))
            return {text->mid(1), TTextEncoding::Utf8WithBom};
        return {*text, TTextEncoding::Utf8};
    }
    return {DecodeWindows1252(bytes), TTextEncoding::Windows1252};
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(text.mid(begin, i - begin));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    if (begin < text.size())
        lines.append(text.mid(begin));
    return lines;
}

bool EndsWithLineBreak(const QString& text) {
    return text.endsWith(u'\n') || text.endsWith(u'\r');
}

bool CanEncode(const QStringList& lines, TTextEncoding encoding) {
    if (encoding != TTextEncoding::Windows1252)
        return true;
    return std::all_of(lines.begin(), lines.end(),
                       [](const QString& line) { return EncodeWindows1252(line).has_value(); });
}

std::optional<QByteArray> EncodeLines(const QStringList& lines, TTextEncoding encoding) {
    QByteArray bytes;
    if (encoding == TTextEncoding::Utf8WithBom)
        bytes += Utf8Bom;
    for (const QString& line : lines) {
        if (encoding == TTextEncoding::Windows1252) {
            const std::optional<QByteArray> encoded = EncodeWindows1252(line);
            if (!encoded)
                return std::nullopt;
            bytes += *encoded;
        } else {
            bytes += line.toUtf8();
        }
        bytes += "\r\n";
    }
    return bytes;
}
