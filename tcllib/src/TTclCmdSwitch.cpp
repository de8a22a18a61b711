#include "tslc/TTclCmdSwitch.h"

#include "BlankText.h"
#include "CommandChildData.h"
#include "tslc/TTclCommand.h"
#include "tslc/TslcMsg.h"

namespace tslc {

TTclCmdSwitch::TTclCmdSwitch(TComponent* owner)
    : TTclComponent(owner)
    , FData(std::make_unique<TData>()) {}

TTclCmdSwitch::~TTclCmdSwitch() {
    BeginDestroy();
    if (FParent)
        FParent->RemoveSwitch(this);
}

bool TTclCmdSwitch::CanAppend() const {
    return FData->Decl.CanAppend;
}
void TTclCmdSwitch::SetCanAppend(bool canAppend) {
    FData->Decl.CanAppend = canAppend;
    ParseSettingsChanged();
}
bool TTclCmdSwitch::CaseSensitive() const {
    return FData->Decl.CaseSensitive;
}
void TTclCmdSwitch::SetCaseSensitive(bool caseSensitive) {
    FData->Decl.CaseSensitive = caseSensitive;
    ParseSettingsChanged();
}
TTclCmdSwitchOptions TTclCmdSwitch::Options() const {
    return FData->Decl.Options;
}
void TTclCmdSwitch::SetOptions(TTclCmdSwitchOptions options) {
    FData->Decl.Options = options;
    ParseSettingsChanged();
}
std::uint32_t TTclCmdSwitch::MinCompare() const {
    return FData->Decl.MinCompare;
}
void TTclCmdSwitch::SetMinCompare(std::uint32_t minCompare) {
    FData->Decl.MinCompare = minCompare;
    ParseSettingsChanged();
}
int TTclCmdSwitch::RequireParams() const {
    return FData->Decl.RequireParams;
}
void TTclCmdSwitch::SetRequireParams(int requireParams) {
    FData->Decl.RequireParams = requireParams;
    ParseSettingsChanged();
}
const std::string& TTclCmdSwitch::Switch() const {
    return FData->Decl.Switch;
}
void TTclCmdSwitch::SetSwitch(const std::string& name) {
    FData->Decl.Switch = TrimBlanks(name);
    ParseSettingsChanged();
}

// The command reuses the parse of a call whose words it has seen before, unless what the parse
// reads has changed since.
void TTclCmdSwitch::ParseSettingsChanged() {
    if (FParent)
        ++FParent->FParseSettings;
}

void TTclCmdSwitch::SetParent(TTclCommand* parent) {
    if (parent == FParent)
        return;
    if (FParent)
        FParent->RemoveSwitch(this);
    FParent = parent;
    if (parent)
        parent->InsertSwitch(this);
}

int TTclCmdSwitch::Count() const {
    return FData->State.Count;
}
int TTclCmdSwitch::RelCount() const {
    return FData->State.RelCount;
}
int TTclCmdSwitch::RelFirst() const {
    return FData->State.RelFirst;
}

std::string TTclCmdSwitch::RelParam(int index) const {
    const TSwitchCallState& state = FData->State;
    if (!FParent || index < 0 || index >= state.RelCount ||
        state.RelFirst + index >= FParent->ArgCount())
        RaiseTclError(sNoRelativeParam);
    return FParent->Arg(state.RelFirst + index);
}

bool TTclCmdSwitch::Hijacked() const {
    return FData->State.Hijacked;
}

const std::string& TTclCmdSwitch::Value() const {
    if (!FData->State.Hijacked)
        RaiseTclError(sNoRelativeParam);
    return FData->State.Value;
}

void TTclCmdSwitch::DoSwitch(const std::string& ASwitch, std::string& result, bool& success) {
    FireEvent(OnSwitch, this, ASwitch, result, success);
}

} // namespace tslc
