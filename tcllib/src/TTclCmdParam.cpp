#include "tslc/TTclCmdParam.h"

#include "SwitchParse.h"
#include "tslc/TTclCommand.h"
#include "tslc/TslcMsg.h"

namespace tslc {

TTclCmdParam::TTclCmdParam(TComponent* owner)
    : TTclComponent(owner)
    , FDecl(new TParamDecl) {}

TTclCmdParam::~TTclCmdParam() {
    BeginDestroy();
    if (FParent)
        FParent->RemoveParam(this);
    delete FDecl;
}

bool TTclCmdParam::CaseSensitive() const {
    return FDecl->CaseSensitive;
}
void TTclCmdParam::SetCaseSensitive(bool caseSensitive) {
    FDecl->CaseSensitive = caseSensitive;
}
bool TTclCmdParam::Default() const {
    return FDecl->Default;
}
void TTclCmdParam::SetDefault(bool isDefault) {
    FDecl->Default = isDefault;
}
std::uint32_t TTclCmdParam::MinCompare() const {
    return FDecl->MinCompare;
}
void TTclCmdParam::SetMinCompare(std::uint32_t minCompare) {
    FDecl->MinCompare = minCompare;
}
const std::string& TTclCmdParam::Param() const {
    return FDecl->Param;
}
void TTclCmdParam::SetParam(const std::string& param) {
    FDecl->Param = param;
}
std::int32_t TTclCmdParam::Position() const {
    return FDecl->Position;
}

// At design time a parameter that would never fire is confirmed first.
void TTclCmdParam::SetPosition(std::int32_t position) {
    if (position == FDecl->Position)
        return;
    if (position == 0 && IsDesigning() && !ComponentState().Contains(csLoading) &&
        ShowTslcMessage(LoadTslcString(sPositionZero), mkConfirm) != 1)
        return;
    FDecl->Position = position;
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

const TParamDecl& TTclCmdParam::Decl() const {
    return *FDecl;
}

void TTclCmdParam::DoParam(int APos, const std::string& AParam, std::string& result,
                           bool& success) {
    FireEvent(OnParam, this, APos, AParam, result, success);
}

} // namespace tslc
