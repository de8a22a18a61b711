#pragma once
// The enumerations and the option set of the channel component.

#include "tslc/TSet.h"

namespace tslc {

enum TTclChannelMode { cmRead, cmWrite, cmReadWrite };
enum TTclChannelBuffering { cbFull, cbLine, cbNone };
enum TTclChannelTranslation { ctAuto, ctBinary, ctCr, ctCrLf, ctLf };
enum TTclChannelType { ctNormal, ctStdIn, ctStdOut, ctStdErr };

enum TTclChannelOption { coRegNullInterp, coPresetFullWrite };
using TTclChannelOptions = TSet<TTclChannelOption>;

// The range of BufferSize; a value outside it (the initial 0 among them) leaves Tcl's own size.
inline constexpr int MinChannelBufferSize = 10;
inline constexpr int MaxChannelBufferSize = 1048576;

} // namespace tslc
