#pragma once
// A positional parameter pattern of a TTclCommand. At each call the command offers every
// positional word to the parameters whose Position selects it and whose Param matches it, in list
// order, or to the Default parameter when none matched, before OnCommand.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tslc/TTclComponent.h"

namespace tslc {

class TTclCmdParam;
class TTclCommand;

/// APos is the 1-based position of the word among the positional words, AParam the word. result is
/// the call's shared result text; setting success to false fails the call.
using TTclCmdParamEvent = std::function<void(
    TTclCmdParam* sender, int APos, const std::string& AParam, std::string& result, bool& success)>;

/// A positional parameter pattern of a TTclCommand, offered the matching words at each call.
///
/// See the example \ref command/main.cpp "command/main.cpp": the parameter that takes a name.
class TTclCmdParam : public TTclComponent {
public:
    /// The owner, if any, frees the component with itself (a command frees the parameters it
    /// holds, see SetParent).
    explicit TTclCmdParam(TComponent* owner = nullptr);
    /// Leaves the parent command's list.
    ~TTclCmdParam() override;

    ///@{
    /// Exact comparison; otherwise the ASCII letters compare without regard to case.
    bool CaseSensitive() const;
    void SetCaseSensitive(bool caseSensitive);
    ///@}
    ///@{
    /// The fallback for a position that no other parameter matched.
    bool Default() const;
    void SetDefault(bool isDefault);
    ///@}
    ///@{
    /// 0: the word must equal Param; n: an abbreviation of Param of at least n characters matches.
    std::uint32_t MinCompare() const;
    void SetMinCompare(std::uint32_t minCompare);
    ///@}
    ///@{
    /// The word to match; empty matches every word.
    const std::string& Param() const;
    void SetParam(const std::string& param);
    ///@}
    ///@{
    /// Bit k selects positional word k+1 (k counted modulo 32); -1 selects all, 0 none. At design
    /// time a change to 0 is asked for confirmation first.
    std::int32_t Position() const;
    void SetPosition(std::int32_t position);
    ///@}

    ///@{
    /// The command whose parameter this is, or null; see TTclCmdSwitch::SetParent.
    TTclCommand* Parent() const { return FParent; }
    void SetParent(TTclCommand* parent);
    ///@}

    /// A positional word that the parameter selects and matches (or, for the Default parameter,
    /// one that nothing matched).
    TTclCmdParamEvent OnParam;

protected:
    /// The dispatcher: fires OnParam when a handler is set.
    virtual void DoParam(int APos, const std::string& AParam, std::string& result, bool& success);

private:
    friend class TTclCommand;

    struct TData; ///< the declaration that the command's parameter pass works on
    std::unique_ptr<TData> FData;
    TTclCommand* FParent = nullptr;
};

} // namespace tslc
