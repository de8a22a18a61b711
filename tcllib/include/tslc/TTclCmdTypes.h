#pragma once
// The enumerations and option sets of the command component and of its switches and parameters.

#include <cstdint>

#include "tslc/TSet.h"

namespace tslc {

/// Which interpreters receive a command.
enum TTclCommandMode { cmBoth, cmNormal, cmSafe };

/// How a TTclCommand is installed and how its calls are parsed.
enum TTclCommandOption {
    coCallParams,         ///< run the parameter pass
    coCallSwitches,       ///< run the switch pass
    coCountSwitches,      ///< switch occurrences count as arguments for MinArgs/MaxArgs
    coParse,              ///< parse the argument words at all
    coRaiseInvalidSwitch, ///< a switch word that matches no switch is an error
    coNoCreateExists,     ///< leave an existing command of the same name alone
    coCatchAll,           ///< catch every exception of a call, not only ETclError
    coObjectCommand,      ///< install as an object command
    coAutoInstall,        ///< the interpreter component installs the command on its own
    coAutoFree,           ///< free the component once no interpreter holds the command
};
using TTclCommandOptions = TSet<TTclCommandOption>;
inline constexpr TTclCommandOptions DefaultCommandOptions{
    coCallParams, coCallSwitches,  coParse,      coRaiseInvalidSwitch,
    coCatchAll,   coObjectCommand, coAutoInstall};

/// How Hash folds the case of a word before hashing it; chOnHash leaves it to OnHash.
enum TTclCommandHashMethod { chNormal, chLowerCase, chUpperCase, chOnHash };

/// Which first character marks a switch word; spOther uses the command's SwitchPrefixChar.
enum TTclCmdSwitchPrefix { spDash, spSlash, spDashSlash, spNone, spOther };

/// How a TTclCmdSwitch treats repeated occurrences and later words.
enum TTclCmdSwitchOption {
    soHaltSwitchParsing, ///< after this switch no later word is taken as a switch
    soIgnoreDuplicate,   ///< a second occurrence in one call is dropped
    soRaiseDuplicate,    ///< a second occurrence in one call is an error
    soHijackRelative,    ///< the first relative parameter becomes the switch's Value
};
using TTclCmdSwitchOptions = TSet<TTclCmdSwitchOption>;

} // namespace tslc
