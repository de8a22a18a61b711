#include "TclIdent.h"

#include "BlankText.h"

namespace tslc {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string MakeTclIdent(std::string_view text) {
    std::string ident = TrimBlanks(text);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < ident.size(); ++i) {
        if (IsContinuationByte(ident[i]))
            continue;
        if (++characters > TclIdentMaxLength) {
            ident.resize(i);
            break;
        }
    }
    return ident;
}

} // namespace tslc
