#include "BlockText.h"

#include <algorithm>
#include <iterator>

namespace {

struct TStandIn {
    char16_t Character;
    char16_t Block;
};

// Low surrogates only: a high surrogate could pair with the stand-in that follows it.
constexpr TStandIn StandIns[] = {
    {0x2028, 0xDC28}, {0x2029, 0xDC29}, {0xFDD0, 0xDCD0}, {0xFDD1, 0xDCD1}};

template <char16_t TStandIn::*From, char16_t TStandIn::*To>
QString Replaced(const QString& text) {
    const auto find = [](QChar c) {
        return std::find_if(std::begin(StandIns), std::end(StandIns),
                            [c](const TStandIn& s) { return s.*From == c.unicode(); });
    };
    // Most lines hold none of them: hand back the shared text uncopied.
    if (std::none_of(text.begin(), text.end(),
                     [&](QChar c) { return find(c) != std::end(StandIns); }))
        return text;
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        // A low surrogate after a high one is half of a character beyond the basic plane,
        // whatever its value: a stand-in is always a lone one.
        if (i > 0 && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            continue;
        if (const auto* s = find(result[i]); s != std::end(StandIns))
            result[i] = QChar(s->*To);
    }
    return result;
}

} // namespace

QString ToBlockText(const QString& line) {
    return Replaced<&TStandIn::Character, &TStandIn::Block>(line);
}

QString FromBlockText(const QString& text) {
    return Replaced<&TStandIn::Block, &TStandIn::Character>(text);
}
