#include "tslc/TTclCmdParam.h"

#include "CommandChildData.h"
#include "tslc/TTclCommand.h"
#include "tslc/TslcMsg.h"

namespace tslc {

TTclCmdParam::TTclCmdParam(TComponent* owner)
    : TTclComponent(owner)
    , FData(std::make_unique<TData>()) {}

TTclCmdParam::~TTclCmdParam() {
    BeginDestroy();
    if (FParent)
        FParent->RemoveParam(this);
}

bool TTclCmdParam::CaseSensitive() const {
    return FData->Decl.CaseSensitive;
}
void TTclCmdParam::SetCaseSensitive(bool caseSensitive) {
    FData->Decl.CaseSensitive = caseSensitive;
}
bool TTclCmdParam::Default() const {
    return FData->Decl.Default;
}
void TTclCmdParam::SetDefault(bool isDefault) {
    FData->Decl.Default = isDefault;
}
std::uint32_t TTclCmdParam::MinCompare() const {
    return FData->Decl.MinCompare;
}
void TTclCmdParam::SetMinCompare(std::uint32_t minCompare) {
    FData->Decl.MinCompare = minCompare;
}
const std::string& TTclCmdParam::Param() const {
    return FData->Decl.Param;
}
void TTclCmdParam::SetParam(const std::string& param) {
    FData->Decl.Param = param;
}
std::int32_t TTclCmdParam::Position() const {
    return FData->Decl.Position;
}

// At design time a parameter that would never fire is confirmed first.
void TTclCmdParam::SetPosition(std::int32_t position) {
    if (position == FData->Decl.Position)
        return;
    if (position == 0 && IsDesigning() && !ComponentState().Contains(csLoading) &&
        ShowTslcMessage(LoadTslcString(sPositionZero), mkConfirm) != 1)
        return;
    FData->Decl.Position = position;
}

void TTclCmdParam::SetParent(TTclCommand* parent) {
    if (parent == FParent)
        return;
    if (FParent)
        FParent->RemoveParam(this);
    FParent = parent;
    if (parent)
        parent->InsertParam(this);
}

void TTclCmdParam::DoParam(int APos, const std::string& AParam, std::string& result,
                           bool& success) {
    FireEvent(OnParam, this, APos, AParam, result, success);
}

} // namespace tslc
