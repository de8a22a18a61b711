#pragma once
// The enumerations and the option set of the channel component.

#include "tslc/TSet.h"

namespace tslc {

/// Which directions a channel supports.
enum TTclChannelMode { cmRead, cmWrite, cmReadWrite };
/// The channel's -buffering option.
enum TTclChannelBuffering { cbFull, cbLine, cbNone };
/// The channel's -translation option (one value per direction).
enum TTclChannelTranslation { ctAuto, ctBinary, ctCr, ctCrLf, ctLf };
/// A normal channel, or a stand-in for one of Tcl's standard channels.
enum TTclChannelType { ctNormal, ctStdIn, ctStdOut, ctStdErr };

/// How a channel is registered and written.
enum TTclChannelOption { coRegNullInterp, coPresetFullWrite };
using TTclChannelOptions = TSet<TTclChannelOption>;

/// The range of BufferSize; a value outside it (the initial 0 among them) leaves Tcl's own size.
inline constexpr int MinChannelBufferSize = 10;
inline constexpr int MaxChannelBufferSize = 1048576;

} // namespace tslc
