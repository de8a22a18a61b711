#pragma once
// The line-end conversion applied to script text before it is evaluated.

#include <string>
#include <string_view>

namespace tslc {

// A copy of text without every CR that is immediately followed by LF; lone CRs stay.
std::string DropCrBeforeLf(std::string_view text);

} // namespace tslc
