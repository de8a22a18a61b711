#pragma once
// The console's command line: a small text field with a prompt beside each line ("%" for the
// first, ">" for the lines a command continues on). Enter hands over a complete command and
// continues an incomplete one on a new line; a paste of whole lines hands them over as one
// script; Up and Down on the first and last line walk the history; Tab asks for completion.
// What these mean is its owner's: the field only tells.

#include <QPlainTextEdit>

#include <functional>
#include <optional>

class TConsoleLine : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TConsoleLine(QWidget* parent = nullptr);

    // Whether a command is complete (Tcl's info complete), asked at Enter.
    std::function<bool(const QString& command)> IsComplete;
    std::function<void(const QString& command)> OnSubmit;
    // The text to show instead when walking the history (older or newer), nullopt to stay.
    std::function<std::optional<QString>(bool older)> OnHistory;
    std::function<void()> OnComplete;
    std::function<void()> OnEdited;

    // Replaces the text, the caret at its end.
    void SetCommand(const QString& text);
    // The prompt at the start of a line: "% " for the first, "> " for the others.
    static QString Prompt(int line) {
        return line == 0 ? QStringLiteral("% ") : QStringLiteral("> ");
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Submit();
    void PaintPrompts(QPaintEvent* event);
    bool OnFirstLine() const;
    bool OnLastLine() const;

    QWidget* PromptArea;
};
