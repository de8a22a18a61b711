#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The keyword for keyword help at a caret: the word that holds the character left of the caret
// (column counted from 0). When that character is a blank or tab, the word before it. Nothing
// when the line has fewer than two characters; the result is trimmed and may be empty.
std::optional<QString> HelpKeywordAt(QStringView line, int column);
