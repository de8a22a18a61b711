// Checked formatting. Given exactly the arguments its directives ask for, a format either
// formats or is rejected as invalid, never for want of an argument; one argument fewer or one of
// the wrong kind is always rejected. A format without directives is its own text.

#include "FuzzSupport.h"

#include "tslc/Exceptions.h"
#include "tslc/TextFormat.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

bool IsNumberConversion(char c) {
    return c == 'd' || c == 'u' || c == 'x' || c == 'X';
}

// True when FormatText raised the conversion error; any other exception escapes to the fuzzer.
bool Rejects(std::string_view format, const std::vector<tslc::TFormatArg>& args) {
    try {
        tslc::FormatText(format, args);
        return false;
    } catch (const tslc::EConvertError&) {
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::int64_t number = input.ConsumeIntegral<std::int64_t>();
    const std::string text = input.ConsumeRandomLengthString(64);
    const std::string format = input.ConsumeRemainingBytesAsString();

    const std::string conversions = tslc::FormatConversions(format);
    std::vector<tslc::TFormatArg> fitting;
    for (char c : conversions)
        fitting.push_back(c == 's' ? tslc::TFormatArg(text) : tslc::TFormatArg(number));

    try {
        const std::string out = tslc::FormatText(format, fitting);
        if (format.find('%') == std::string::npos)
            FUZZ_CHECK(out == format);
    } catch (const tslc::EConvertError& e) {
        FUZZ_CHECK(std::string_view(e.what()).starts_with("Format '"));
    }

    if (!conversions.empty()) {
        std::vector<tslc::TFormatArg> fewer = fitting;
        fewer.pop_back();
        FUZZ_CHECK(Rejects(format, fewer));

        std::vector<tslc::TFormatArg> wrongFirst = fitting;
        wrongFirst.front() =
            conversions.front() == 's' ? tslc::TFormatArg(number) : tslc::TFormatArg(text);
        if (conversions.front() == 's' || IsNumberConversion(conversions.front()))
            FUZZ_CHECK(Rejects(format, wrongFirst));
    }
    return 0;
}
