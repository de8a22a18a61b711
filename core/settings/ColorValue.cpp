#include "ColorValue.h"

#include <charconv>

namespace {

// Red, green and blue; anything above is not a colour the picker can produce.
constexpr TColor LargestColor = 0xFFFFFF;

std::optional<TColor> ParseDigits(std::string_view digits, int base) {
    TColor value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc{} || stop != end || value > LargestColor)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<TColor> ParseColorValue(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X"))
        return ParseDigits(text.substr(2), 16);
    if (text.starts_with('$'))
        return ParseDigits(text.substr(1), 16);
    return ParseDigits(text, 10);
}

TColor ColorValueOr(std::string_view text, TColor fallback) {
    return ParseColorValue(text).value_or(fallback);
}

std::string FormatColorValue(TColor color) {
    return std::to_string(color);
}
