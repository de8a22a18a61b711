#pragma once
// Parsing of Tcl's "tcl_version" text into its major and minor numbers.

#include <string_view>

namespace tslc {

struct TTclVersionNumbers {
    int Major = 0;
    int Minor = 0;
};

// "8.6" gives 8 and 6; "8.0.5" gives 8 and 0. The major part (the text before the first ".")
// must be a decimal integer, else EConvertError; so must the minor part unless it is followed by
// a further ".", in which case a non-number reads as 0.
TTclVersionNumbers ParseTclVersion(std::string_view text);

// Strict decimal conversion; raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(std::string_view text);

} // namespace tslc
