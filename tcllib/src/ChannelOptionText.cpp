#include "ChannelOptionText.h"

#include <charconv>

#include <tcl.h>

namespace tslc {

namespace {

constexpr const char* BufferingNames[] = {"full", "line", "none"};
constexpr const char* TranslationNames[] = {"auto", "binary", "cr", "crlf", "lf"};

} // namespace

int ChannelMask(TTclChannelMode mode) {
    switch (mode) {
    case cmRead:
        return TCL_READABLE;
    case cmWrite:
        return TCL_WRITABLE;
    case cmReadWrite:
        break;
    }
    return TCL_READABLE | TCL_WRITABLE;
}

int StdChannelKind(TTclChannelType type) {
    switch (type) {
    case ctStdIn:
        return TCL_STDIN;
    case ctStdOut:
        return TCL_STDOUT;
    case ctStdErr:
        return TCL_STDERR;
    case ctNormal:
        break;
    }
    return 0;
}

TTclChannelMode ModeForChannelType(TTclChannelType type) {
    switch (type) {
    case ctStdIn:
        return cmRead;
    case ctStdOut:
    case ctStdErr:
        return cmWrite;
    case ctNormal:
        break;
    }
    return cmReadWrite;
}

const char* BufferingText(TTclChannelBuffering buffering) {
    return BufferingNames[buffering];
}

std::optional<TTclChannelBuffering> BufferingFromText(std::string_view text) {
    for (int i = cbFull; i <= cbNone; ++i)
        if (text == BufferingNames[i])
            return static_cast<TTclChannelBuffering>(i);
    return std::nullopt;
}

const char* TranslationText(TTclChannelTranslation translation) {
    return TranslationNames[translation];
}

std::optional<TTclChannelTranslation> TranslationFromText(std::string_view text) {
    for (int i = ctAuto; i <= ctLf; ++i)
        if (text == TranslationNames[i])
            return static_cast<TTclChannelTranslation>(i);
    return std::nullopt;
}

bool IsValidBufferSize(int size) {
    return size >= MinChannelBufferSize && size <= MaxChannelBufferSize;
}

std::string EofCharElement(int code) {
    if (code <= 0 || code > 255)
        return {};
    return std::string(1, static_cast<char>(static_cast<unsigned char>(code)));
}

int EofCharFromElement(std::string_view element, int current) {
    if (element.empty())
        return current == -1 ? -1 : 0;
    return static_cast<unsigned char>(element.front());
}

std::optional<int> WholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace tslc
