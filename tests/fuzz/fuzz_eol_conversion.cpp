// Line-end conversion of script text: the result is the text without exactly those CRs that
// are followed by LF, checked against a direct reading of that rule.

#include "FuzzSupport.h"

#include "EolConversion.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = FuzzText(data, size);
    std::string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        expected += text[i];
    }
    FUZZ_CHECK(tslc::DropCrBeforeLf(text) == expected);
    return 0;
}
