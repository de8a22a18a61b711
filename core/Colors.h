#pragma once
// Colour values as the settings file and the highlighter know them, and the two small interfaces
// by which the Options dialog and the main window meet.

#include <cstdint>

// 32 bits: red in the low byte, green in the next, blue in the third.
using TColor = std::uint32_t;

namespace DefaultColor {
inline constexpr TColor Background = 16777215; // white
inline constexpr TColor Commands = 16711680;   // blue
inline constexpr TColor Comments = 32768;      // green
inline constexpr TColor Variables = 255;       // red
inline constexpr TColor String = 16711935;     // magenta
inline constexpr TColor Default = 0;           // black
} // namespace DefaultColor

// The four class colours the highlighter reads on every pass.
struct THighlightColors {
    TColor Commands = DefaultColor::Commands;
    TColor Variables = DefaultColor::Variables;
    TColor String = DefaultColor::String;
    TColor Comments = DefaultColor::Comments;
};

// Implemented by the Options dialog: the colours as it holds them at the moment of asking.
class THighlightColorSource {
public:
    virtual ~THighlightColorSource() = default;
    virtual THighlightColors HighlightColors() const = 0;
};

// Implemented by the main window: the editor's background and default text colour.
class TEditorColorTarget {
public:
    virtual ~TEditorColorTarget() = default;
    virtual void SetEditorColors(TColor background, TColor defaultText) = 0;
};
