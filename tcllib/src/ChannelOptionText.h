#pragma once
// How the channel component's property values read as Tcl channel options and back. Pure
// functions, apart from Tcl.

#include <optional>
#include <string>
#include <string_view>

#include "tslc/TclChannelTypes.h"

namespace tslc {

// TCL_READABLE, TCL_WRITABLE or both.
int ChannelMask(TTclChannelMode mode);
// TCL_STDIN, TCL_STDOUT or TCL_STDERR; 0 for ctNormal.
int StdChannelKind(TTclChannelType type);
// The mode a standard channel type forces: ctNormal reads and writes, ctStdIn reads, the
// others write.
TTclChannelMode ModeForChannelType(TTclChannelType type);

const char* BufferingText(TTclChannelBuffering buffering);
std::optional<TTclChannelBuffering> BufferingFromText(std::string_view text);
const char* TranslationText(TTclChannelTranslation translation);
std::optional<TTclChannelTranslation> TranslationFromText(std::string_view text);

bool IsValidBufferSize(int size);

// The "-eofchar" list element for a character code: the character itself, or an empty element
// (no end-of-file character) for 0 and for -1.
std::string EofCharElement(int code);
// The code an element of Tcl's "-eofchar" answer stands for: its first character, or, for an
// empty element (none), -1 when current is -1 and 0 otherwise, so that either way of saying
// "none" survives a refresh.
int EofCharFromElement(std::string_view element, int current);

// A whole decimal number (optional sign), or nothing.
std::optional<int> WholeNumber(std::string_view text);

} // namespace tslc
