#pragma once

#include <QByteArray>
#include <QStringList>
#include <array>
#include <vector>

// The words of a command word file: one entry per line, exactly as read (no trimming, no case
// folding, empty lines and duplicates kept), in file order. Lines end with LF or CR LF.
QStringList ParseCommandWords(const QByteArray& fileBytes);

// The words of the command word file fileName. Raises EEditorError with the message of the
// runtime's input/output error ("File not found", "Access denied") when it cannot be read.
QStringList ReadCommandWordFile(const QString& fileName);

// The command words with, for each first character, the words that start with it in list
// order. A text that starts with c can only begin with those words, so the colouring passes
// compare a text with them alone and report exactly what a scan of the whole list reports.
class TCommandWords {
public:
    TCommandWords() = default;
    TCommandWords(const QStringList& words); // NOLINT: a word list converts implicitly

    const QStringList& Words() const { return List; }

    // Indices into Words() of the words that start with first, in list order. Words that are
    // empty or start with a character up to code 32 are never listed: they can never start a
    // trimmed text.
    const std::vector<int>& StartingWith(QChar first) const;

private:
    QStringList List;
    std::array<std::vector<int>, 128> Ascii;
    std::vector<std::pair<char16_t, std::vector<int>>> Others;
    std::vector<int> None;
};
