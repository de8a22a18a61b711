// The manual page reader on any troff text: it must end, without a fault, for every input.
// Pages are read as the help viewer reads them, from UTF-8 or 8-bit bytes.

#include "FuzzSupport.h"

#include "document/TextFileCodec.h"
#include "help/ManPageText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = ManPageText(DecodeText(FuzzBytes(data, size)).Text);
    FUZZ_CHECK(text.size() >= 0);
    return 0;
}
