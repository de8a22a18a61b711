#include "TclVersion.h"

#include "tslc/Exceptions.h"

#include <charconv>
#include <string>

namespace tslc {

int StrToInt(std::string_view text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last || first == last)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

TTclVersionNumbers ParseTclVersion(std::string_view text) {
    TTclVersionNumbers numbers;
    const std::size_t dot = text.find('.');
    // Without a dot the major part is empty, which does not convert.
    numbers.Major =
        StrToInt(dot == std::string_view::npos ? std::string_view() : text.substr(0, dot));
    const std::string_view rest = text.substr(dot + 1).substr(0, 15);
    const std::size_t secondDot = rest.find('.');
    if (secondDot == std::string_view::npos) {
        numbers.Minor = StrToInt(rest);
    } else {
        try {
            numbers.Minor = StrToInt(rest.substr(0, secondDot));
        } catch (const EConvertError&) {
            numbers.Minor = 0;
        }
    }
    return numbers;
}

} // namespace tslc
