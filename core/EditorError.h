#pragma once
// How the editor deals with failure, in one place.
//
// An operation that fails throws: EEditorError for the editor's own failures (a file that cannot
// be read or written, a settings file that takes no change), whatever std::exception the
// component library or the standard library raises otherwise. what() is the text the user reads.
// The command that ran the operation lets the exception go up to its boundary, the slot guard
// (gui/CommandGuard.h), which shows it in the error box. No function returns an error text or an
// error flag: std::optional and bool answer questions (is there a keyword here, did the user
// agree, was the file saved or did the user cancel), never whether something failed.

#include <QString>

#include <stdexcept>

class EEditorError : public std::runtime_error {
public:
    explicit EEditorError(const QString& message);

    QString Message() const;
};

// The message as the error box shows it: with a full stop added when its last character has a
// code above that of the full stop.
QString WithFullStop(const QString& message);
