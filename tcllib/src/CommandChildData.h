#pragma once
// The private data of a command's switches and parameters: what the parse reads of each
// (its declaration) and what it fills in during a call (a switch's state). The command reaches
// it directly; a host sees only the properties and the per-call accessors.

#include "SwitchParse.h"
#include "tslc/TTclCmdParam.h"
#include "tslc/TTclCmdSwitch.h"

namespace tslc {

struct TTclCmdSwitch::TData {
    TSwitchDecl Decl;
    TSwitchCallState State;
};

struct TTclCmdParam::TData {
    TParamDecl Decl;
};

} // namespace tslc
