// The Tcl version text and the strict integer conversion under it. The conversion accepts
// exactly an optionally signed decimal integer that fits in an int, and gives its value; the
// version's major number is the text before its first dot.

#include "FuzzSupport.h"

#include "TclVersion.h"
#include "tslc/Exceptions.h"

#include <limits>
#include <optional>
#include <string>

namespace {

// The decimal text of the integer that text spells, read directly: one optional sign, then
// digits only. Nothing when text spells none or its value does not fit in an int.
std::optional<std::string> Canonical(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.size() > 10)
        return std::nullopt;
    const long long value = (negative ? -1 : 1) * std::stoll(std::string(text));
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return std::to_string(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = FuzzText(data, size);
    const std::optional<std::string> expected = Canonical(text);
    try {
        const int value = tslc::StrToInt(text);
        FUZZ_CHECK(expected && std::to_string(value) == *expected);
    } catch (const tslc::EConvertError&) {
        FUZZ_CHECK(!expected);
    }
    try {
        const tslc::TTclVersionNumbers numbers = tslc::ParseTclVersion(text);
        // The major number is always the text before the first dot.
        const std::size_t dot = text.find('.');
        FUZZ_CHECK(dot != std::string_view::npos);
        FUZZ_CHECK(tslc::StrToInt(text.substr(0, dot)) == numbers.Major);
    } catch (const tslc::EConvertError&) {
    }
    return 0;
}
