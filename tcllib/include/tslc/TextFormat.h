#pragma once
// printf-style formatting of the library's message texts, with the arguments' types checked at
// run time: a directive that does not fit its argument raises EConvertError instead of reading
// memory that was never passed.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tslc {

using TFormatArg = std::variant<std::int64_t, std::string>;

/// Supports %s, %d, %u, %x, %X and %% with the flag '-', a width and (for %s) a precision.
/// Raises EConvertError "Format '<format>' invalid or incompatible with argument" for a directive
/// whose argument has the wrong kind, and "No argument for format '<format>'" when the arguments
/// run out.
std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args);
std::string FormatText(std::string_view format, std::span<const TFormatArg> args);

/// The conversion letter of every argument that FormatText reads for format, in order: one letter
/// per argument, so its length is the number of arguments consumed. The list ends with the first
/// directive that fails whatever its argument (its letter included); a directive cut off by the end
/// of the format reads nothing.
std::string FormatConversions(std::string_view format);

} // namespace tslc
