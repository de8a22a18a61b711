#include "LineMarks.h"

#include <utility>

void TLineMarks::Set(int line, bool marked) {
    if (marked)
        Marked.insert(line);
    else
        Marked.erase(line);
}

TLineToggle TLineMarks::Toggle(int line, const std::function<int(int line)>& placeFrom) {
    if (Marked.erase(line) != 0)
        return {TLineToggle::Removed, line};
    const int placed = placeFrom ? placeFrom(line) : line;
    if (placed == 0)
        return {TLineToggle::Refused, line};
    Marked.insert(placed);
    return {TLineToggle::Set, placed};
}

bool TLineMarks::Follow(const TLineEdit& edit) {
    if (edit.LinesRemoved == 0 && edit.LinesAdded == 0)
        return false;
    // An edit of whole lines removed lines [Line, Line + LinesRemoved) and moved the line that
    // followed them; one inside a line kept that line and merged the next LinesRemoved into it.
    const int firstGone = edit.WholeLines ? edit.Line : edit.Line + 1;
    const int firstMoved = firstGone + edit.LinesRemoved;
    const int shift = edit.LinesAdded - edit.LinesRemoved;
    std::set<int> followed;
    for (int line : Marked) {
        if (line < firstGone)
            followed.insert(line);
        else if (line >= firstMoved)
            followed.insert(line + shift);
    }
    const bool changed = followed != Marked;
    Marked = std::move(followed);
    return changed;
}
