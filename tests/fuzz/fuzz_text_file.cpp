// Opening and saving a text file. Decoding then encoding gives back the file's bytes with only
// the line ends changed (every line then ends with CR LF); the editor's block form of every line
// reads back as the line; the 8-bit code page maps every byte there and back.

#include "FuzzSupport.h"

#include "document/BlockText.h"
#include "document/TextFileCodec.h"
#include "document/Windows1252.h"

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// The bytes as saving would write them: every line end (CR LF, LF or a lone CR) becomes CR LF
// and a last line without one gets one.
QByteArray WithCrLfLineEnds(QByteArrayView bytes) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += "\r\n";
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        out += "\r\n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);

    const std::optional<QByteArray> back = EncodeWindows1252(DecodeWindows1252(bytes));
    FUZZ_CHECK(back && *back == bytes);

    const TDecodedText decoded = DecodeText(bytes);
    const QStringList lines = SplitLines(decoded.Text);
    FUZZ_CHECK(CanEncode(lines, decoded.Encoding));
    const std::optional<QByteArray> saved = EncodeLines(lines, decoded.Encoding);
    FUZZ_CHECK(saved.has_value());
    if (decoded.Encoding == TTextEncoding::Utf8WithBom)
        FUZZ_CHECK(*saved == Utf8Bom + WithCrLfLineEnds(QByteArrayView(bytes).sliced(3)));
    else
        FUZZ_CHECK(*saved == WithCrLfLineEnds(bytes));
    FUZZ_CHECK(EndsWithLineBreak(decoded.Text) == (bytes.endsWith('\n') || bytes.endsWith('\r')));

    for (const QString& line : lines) {
        const QString block = ToBlockText(line);
        FUZZ_CHECK(block.size() == line.size());
        for (char16_t breaking : {u'\x2028', u'\x2029', u'\xFDD0', u'\xFDD1'})
            FUZZ_CHECK(!block.contains(QChar(breaking)));
        FUZZ_CHECK(FromBlockText(block) == line);
    }
    return 0;
}
