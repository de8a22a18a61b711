#include "tslc/TclTraceFlags.h"

#include <array>

#include <tcl.h>

#include "tslc/TslcMsg.h"

namespace tslc {

namespace {

struct TFlagBit {
    TTclFlag Flag;
    int Bit;
};

// TCL_PARSE_PART1 is only defined while Tcl's deprecated interfaces are.
constexpr int TclParsePart1 = 0x400;

constexpr std::array<TFlagBit, 9> FlagBits{{
    {tfGlobalOnly, TCL_GLOBAL_ONLY},
    {tfReads, TCL_TRACE_READS},
    {tfWrites, TCL_TRACE_WRITES},
    {tfUnsets, TCL_TRACE_UNSETS},
    {tfDestroyed, TCL_TRACE_DESTROYED},
    {tfLeaveErrMsg, TCL_LEAVE_ERR_MSG},
    {tfAppendValue, TCL_APPEND_VALUE},
    {tfListElement, TCL_LIST_ELEMENT},
    {tfParsePart1, TclParsePart1},
}};

std::uint32_t IndexBit(int index) {
    if (index < 0 || index > 31)
        RaiseTclError(sFlagIndexRange);
    return std::uint32_t(1) << index;
}

} // namespace

int TclFlagsToBits(TTclFlags flags) {
    int bits = 0;
    for (const TFlagBit& entry : FlagBits)
        if (flags.Contains(entry.Flag))
            bits |= entry.Bit;
    return bits;
}

TTclFlags TclBitsToFlags(int bits) {
    TTclFlags flags;
    for (const TFlagBit& entry : FlagBits)
        if (bits & entry.Bit)
            flags.Include(entry.Flag);
    return flags;
}

bool TclFlagBit(TTclFlags flags, int index) {
    return (static_cast<std::uint32_t>(TclFlagsToBits(flags)) & IndexBit(index)) != 0;
}

TTclFlags WithTclFlagBit(TTclFlags flags, int index, bool on) {
    const std::uint32_t bit = IndexBit(index);
    std::uint32_t bits = static_cast<std::uint32_t>(TclFlagsToBits(flags));
    bits = on ? bits | bit : bits & ~bit;
    return TclBitsToFlags(static_cast<int>(bits));
}

} // namespace tslc
