// The rich-text reader on any bytes: it must end, without a fault, for every input, and give
// text only from what the document holds.

#include "FuzzSupport.h"

#include "document/RtfText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    FUZZ_CHECK(IsRichText(bytes) == bytes.startsWith("{\\rtf"));
    const QString text = RtfPlainText(bytes);
    // Every character of the text comes from a byte, a \'xx escape or a \u word of the input.
    FUZZ_CHECK(text.size() <= bytes.size());
    return 0;
}
