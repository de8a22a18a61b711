#pragma once
// The umbrella header of the Tcl component library: every header a host may use. The library's
// internals (bridge procedures, channel records, text helpers) live in private headers beside its
// sources, out of a host's reach.

#include "tslc/CommandOwnership.h"
#include "tslc/Exceptions.h"
#include "tslc/TComponent.h"
#include "tslc/TComponentLoader.h"
#include "tslc/TSet.h"
#include "tslc/TTcl.h"
#include "tslc/TTclChannel.h"
#include "tslc/TTclCmdParam.h"
#include "tslc/TTclCmdSwitch.h"
#include "tslc/TTclCmdTypes.h"
#include "tslc/TTclCommand.h"
#include "tslc/TTclComponent.h"
#include "tslc/TTclInstallable.h"
#include "tslc/TTclRenameCommand.h"
#include "tslc/TTclTrace.h"
#include "tslc/TclChannelTypes.h"
#include "tslc/TclTk.h"
#include "tslc/TclTraceFlags.h"
#include "tslc/TextFormat.h"
#include "tslc/TslcMsg.h"
#include "tslc/TslcPlat.h"
#include "tslc/TslcRsrc.h"
