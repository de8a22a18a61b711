#include "tslc/TextFormat.h"

#include "tslc/Exceptions.h"

#include <cstdio>

namespace tslc {

namespace {

struct TDirective {
    bool LeftAlign = false;
    int Width = 0;
    int Precision = -1;
    char Conversion = 0;
};

[[noreturn]] void RaiseInvalid(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) +
                        "' invalid or incompatible with argument");
}

// Reads the directive that starts after a '%' at pos; leaves pos after its conversion letter.
TDirective ReadDirective(std::string_view format, std::size_t& pos) {
    TDirective d;
    if (pos < format.size() && format[pos] == '-') {
        d.LeftAlign = true;
        ++pos;
    }
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9' && d.Width < 100000)
        d.Width = d.Width * 10 + (format[pos++] - '0');
    if (pos < format.size() && format[pos] == '.') {
        d.Precision = 0;
        ++pos;
        while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9' &&
               d.Precision < 100000)
            d.Precision = d.Precision * 10 + (format[pos++] - '0');
    }
    if (pos >= format.size())
        RaiseInvalid(format);
    d.Conversion = format[pos++];
    return d;
}

bool Convertible(char conversion) {
    return conversion == 's' || conversion == 'd' || conversion == 'u' || conversion == 'x' ||
           conversion == 'X';
}

std::string Pad(std::string text, const TDirective& d) {
    if (static_cast<int>(text.size()) >= d.Width)
        return text;
    const std::string padding(d.Width - text.size(), ' ');
    return d.LeftAlign ? text + padding : padding + text;
}

std::string Convert(std::string_view format, const TDirective& d, const TFormatArg& arg) {
    switch (d.Conversion) {
    case 's': {
        const auto* text = std::get_if<std::string>(&arg);
        if (!text)
            RaiseInvalid(format);
        if (d.Precision >= 0 && static_cast<std::size_t>(d.Precision) < text->size())
            return Pad(text->substr(0, d.Precision), d);
        return Pad(*text, d);
    }
    case 'd':
    case 'u':
    case 'x':
    case 'X': {
        const auto* number = std::get_if<std::int64_t>(&arg);
        if (!number)
            RaiseInvalid(format);
        char buffer[32];
        if (d.Conversion == 'd')
            std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(*number));
        else if (d.Conversion == 'u')
            std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(*number));
        else
            std::snprintf(buffer, sizeof buffer, d.Conversion == 'x' ? "%llx" : "%llX",
                          static_cast<unsigned long long>(*number));
        return Pad(buffer, d);
    }
    default:
        RaiseInvalid(format);
    }
}

// Walks format the way FormatText does: literal text goes to literal, each directive to
// directive. Stops early when directive answers false.
template <typename Literal, typename Directive>
void ScanFormat(std::string_view format, Literal&& literal, Directive&& directive) {
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos++];
        if (c != '%') {
            literal(c);
            continue;
        }
        if (pos < format.size() && format[pos] == '%') {
            literal('%');
            ++pos;
            continue;
        }
        if (!directive(ReadDirective(format, pos)))
            return;
    }
}

} // namespace

std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args) {
    return FormatText(format, std::span<const TFormatArg>(args.begin(), args.size()));
}

std::string FormatText(std::string_view format, std::span<const TFormatArg> args) {
    std::string out;
    out.reserve(format.size() + 16);
    auto next = args.begin();
    ScanFormat(
        format, [&](char c) { out += c; },
        [&](const TDirective& d) {
            if (next == args.end())
                throw EConvertError("No argument for format '" + std::string(format) + "'");
            out += Convert(format, d, *next++);
            return true;
        });
    return out;
}

std::string FormatConversions(std::string_view format) {
    std::string conversions;
    try {
        ScanFormat(
            format, [](char) {},
            [&](const TDirective& d) {
                conversions += d.Conversion;
                return Convertible(d.Conversion);
            });
    } catch (const EConvertError&) {
        // A directive cut off by the end of the format: FormatText fails before reading for it.
    }
    return conversions;
}

} // namespace tslc
