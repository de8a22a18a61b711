// Colour values from the settings file. A value that parses is a colour of three bytes and
// reads back the same after it is written.

#include "FuzzSupport.h"

#include "settings/ColorValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = FuzzText(data, size);
    const std::optional<TColor> color = ParseColorValue(text);
    FUZZ_CHECK(ColorValueOr(text, 0x1000000) == color.value_or(0x1000000));
    if (!color)
        return 0;
    FUZZ_CHECK(*color <= 0xFFFFFF);
    FUZZ_CHECK(ParseColorValue(FormatColorValue(*color)) == color);
    return 0;
}
