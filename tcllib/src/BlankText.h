#pragma once
// Trimming and splitting of property texts at blanks.

#include <string>
#include <string_view>
#include <vector>

namespace tslc {

// text without the leading and trailing characters whose codes are at most that of the blank.
std::string TrimBlanks(std::string_view text);
// The words of text separated by runs of blanks; only the blank character separates.
std::vector<std::string> SplitOnBlanks(std::string_view text);

} // namespace tslc
