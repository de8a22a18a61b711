#pragma once

#include <QString>

// One change of a text: [Start, Start + Length) of it becomes Text.
struct TTextEdit {
    int Start = 0;
    int Length = 0;
    QString Text;

    bool operator==(const TTextEdit&) const = default;
};
