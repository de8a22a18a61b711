#pragma once
// The flags of a variable trace and their conversion to and from Tcl's flag bits.

#include <cstdint>

#include "tslc/TSet.h"

namespace tslc {

/// The flags of a variable trace, one per Tcl flag bit.
enum TTclFlag {
    tfGlobalOnly,  ///< TCL_GLOBAL_ONLY
    tfReads,       ///< TCL_TRACE_READS
    tfWrites,      ///< TCL_TRACE_WRITES
    tfUnsets,      ///< TCL_TRACE_UNSETS
    tfDestroyed,   ///< TCL_TRACE_DESTROYED: the whole trace goes with the variable
    tfLeaveErrMsg, ///< TCL_LEAVE_ERR_MSG
    tfAppendValue, ///< TCL_APPEND_VALUE
    tfListElement, ///< TCL_LIST_ELEMENT
    tfParsePart1,  ///< TCL_PARSE_PART1
};
using TTclFlags = TSet<TTclFlag>;

/// The Tcl bits of flags, ORed.
int TclFlagsToBits(TTclFlags flags);
/// The flags among Tcl's bits; every bit that has no flag (TCL_INTERP_DESTROYED,
/// TCL_NAMESPACE_ONLY, ...) is dropped.
TTclFlags TclBitsToFlags(int bits);

/// Bit index (0 to 31) of the Tcl bits of flags. Both raise "Flag index out of range. Allowable
/// values are from 0 to 31" for another index. Setting a bit that has no flag changes nothing.
bool TclFlagBit(TTclFlags flags, int index);
TTclFlags WithTclFlagBit(TTclFlags flags, int index, bool on);

} // namespace tslc
