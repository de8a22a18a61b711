#pragma once
// What every fuzz target shares: a check that stops the run with a message (libFuzzer keeps the
// input that broke it), and the conversions from the fuzzer's bytes to the parsers' inputs.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A property of the parser that failed for this input: report it and abort, so the fuzzer
// records the input as a finding. Unlike assert() it stays on in release builds.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline QByteArray FuzzBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline std::string_view FuzzText(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Any UTF-16 text, unpaired surrogates and all: two bytes per code unit (an odd last byte is
// dropped), which reaches characters a UTF-8 decoder would never produce.
inline QString FuzzUtf16(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size() / 2));
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(static_cast<unsigned char>(bytes[i]) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}
