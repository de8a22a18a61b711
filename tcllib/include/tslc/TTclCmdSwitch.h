#pragma once
// A switch that a TTclCommand understands: one component per switch name. At each call the
// command finds the switch words of the call, counts them here, and fires OnSwitch once per
// recognised switch word, in the order of the words, before the parameters and OnCommand.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "tslc/TTclCmdTypes.h"
#include "tslc/TTclComponent.h"

namespace tslc {

class TTclCmdSwitch;
class TTclCommand;

/// ASwitch is the word as typed, without its prefix character. result is the call's shared result
/// text; setting success to false fails the call.
using TTclCmdSwitchEvent = std::function<void(TTclCmdSwitch* sender, const std::string& ASwitch,
                                              std::string& result, bool& success)>;

/// One switch name that a TTclCommand recognises; counts and reports its occurrences at each call.
///
/// See the example \ref command/main.cpp "command/main.cpp": a flag switch and a switch that takes
/// a value.
class TTclCmdSwitch : public TTclComponent {
public:
    /// The owner, if any, frees the component with itself (a command frees the switches it holds,
    /// see SetParent).
    explicit TTclCmdSwitch(TComponent* owner = nullptr);
    /// Leaves the parent command's list.
    ~TTclCmdSwitch() override;

    ///@{
    /// The word may carry further text glued to the switch name (-ofile for the switch o).
    bool CanAppend() const;
    void SetCanAppend(bool canAppend);
    ///@}
    ///@{
    /// Exact comparison; otherwise the ASCII letters compare without regard to case.
    bool CaseSensitive() const;
    void SetCaseSensitive(bool caseSensitive);
    ///@}
    ///@{
    /// soHaltSwitchParsing, soIgnoreDuplicate, soRaiseDuplicate, soHijackRelative.
    TTclCmdSwitchOptions Options() const;
    void SetOptions(TTclCmdSwitchOptions options);
    ///@}
    ///@{
    /// 0: no abbreviation; n: an abbreviation of at least n characters is accepted.
    std::uint32_t MinCompare() const;
    void SetMinCompare(std::uint32_t minCompare);
    ///@}
    ///@{
    /// The least number of positional words that must follow the switch.
    int RequireParams() const;
    void SetRequireParams(int requireParams);
    ///@}
    ///@{
    /// The name without its prefix character; trimmed of surrounding blanks.
    const std::string& Switch() const;
    void SetSwitch(const std::string& name);
    ///@}

    ///@{
    /// The command whose switch this is, or null. Setting it removes the switch from the previous
    /// command and appends it to the new one, which then owns it and frees it with itself.
    TTclCommand* Parent() const { return FParent; }
    void SetParent(TTclCommand* parent);
    ///@}

    /// Occurrences of the switch in the call in progress (of the innermost one when calls nest).
    /// This and the other per-call values are valid from the parse of a call until the next call
    /// of the same command starts.
    int Count() const;
    ///@{
    /// The positional words that followed the switch word, up to the next switch word: their
    /// number, the index of the first among the command's ArgCount() words (-1 when none), and
    /// each as text (index 0 to RelCount()-1). RelParam raises "No relative param for switch" for
    /// any other index. With soHijackRelative the first of them is Value() instead.
    int RelCount() const;
    int RelFirst() const;
    std::string RelParam(int index) const;
    ///@}
    /// Whether Value() holds the relative parameter taken by soHijackRelative.
    bool Hijacked() const;
    /// The taken relative parameter; raises "No relative param for switch" unless Hijacked().
    const std::string& Value() const;
    /// The word of the running OnSwitch without its prefix character, or null outside OnSwitch.
    const char* SwitchText() const { return FSwitchText; }

    /// A word of the call that names this switch.
    TTclCmdSwitchEvent OnSwitch;

protected:
    /// The dispatcher: fires OnSwitch when a handler is set.
    virtual void DoSwitch(const std::string& ASwitch, std::string& result, bool& success);

private:
    friend class TTclCommand;

    void ParseSettingsChanged();

    struct TData; ///< the declaration and per-call state that the command's parse works on
    std::unique_ptr<TData> FData;
    TTclCommand* FParent = nullptr;
    const char* FSwitchText = nullptr;
};

} // namespace tslc
