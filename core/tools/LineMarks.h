#pragma once
// Marks on document lines (the debugger's breakpoints) that stay with the text they were set on
// while lines are inserted or removed above them. The text widget reports each edit after it
// happened, as the line it began on and the line breaks it removed and added; whether it began
// at the start of a line and ended at the start of one tells whether whole lines went or came
// (a line break typed at the start of a marked line pushes the mark down with its text).

#include <functional>
#include <set>

struct TLineEdit {
    int Line = 1;            // where the edit began, from 1
    int LinesRemoved = 0;    // line breaks it removed
    int LinesAdded = 0;      // line breaks it inserted
    bool WholeLines = false; // it began at a line's start and the new text ends at one
};

// What toggling a line did: its mark removed, a mark set on it or on a later line, or refused.
struct TLineToggle {
    enum TKind { Removed, Set, Refused };
    TKind Kind = Refused;
    int Line = 0; // the line whose mark went or came

    bool operator==(const TLineToggle&) const = default;
};

class TLineMarks {
public:
    const std::set<int>& Lines() const { return Marked; }
    bool Contains(int line) const { return Marked.count(line) != 0; }
    bool Empty() const { return Marked.empty(); }
    void Set(int line, bool marked);
    void Assign(const std::set<int>& lines) { Marked = lines; }
    void Clear() { Marked.clear(); }

    // Removes the mark of line, or sets one on placeFrom(line): the first line at or after it
    // that takes a mark, 0 when none does.
    TLineToggle Toggle(int line, const std::function<int(int line)>& placeFrom);

    // Moves the marks below the edit and drops those of lines it removed; true when any changed.
    bool Follow(const TLineEdit& edit);

private:
    std::set<int> Marked;
};
