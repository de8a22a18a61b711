#pragma once
// Names of Tcl variables and commands as the components keep them: short identifiers.

#include <cstddef>
#include <string>
#include <string_view>

namespace tslc {

// The most characters a component keeps of a name.
inline constexpr std::size_t TclIdentMaxLength = 32;

// text trimmed of surrounding blanks and cut to TclIdentMaxLength characters. Characters are
// counted as UTF-8 sequences, so a cut never splits one.
std::string MakeTclIdent(std::string_view text);

} // namespace tslc
