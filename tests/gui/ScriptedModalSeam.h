#pragma once
// A modal seam for tests: every question is answered from a queue the test fills beforehand,
// and every question asked is recorded. A question with no queued answer is answered the way a
// user who cancels would answer it, and counted as unanswered. The seam installs itself while
// it lives.

#include "ModalSeam.h"

#include <QDialog>
#include <QPointer>
#include <deque>
#include <functional>
#include <vector>

class TScriptedModalSeam : public TModalSeam {
public:
    enum class TKind { OpenFile, SaveFile, Message, Color, Print, Modal, Number };

    struct TQuestion {
        TKind Kind;
        QPointer<QWidget> Parent; // the window the question was asked over
        QString Caption;          // message boxes; modal windows: the window title
        QString Text;             // message boxes
        QMessageBox::Icon Icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons Buttons; // message boxes
        QString Dir;                          // file dialogs
        QString Filter;                       // file dialogs
        QString DocName;                      // print dialog: the printer's job title
        QColor Initial;                       // colour picker: the colour it opened on
        QPointer<QDialog> Window;             // modal windows; null once the window is gone
        QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton; // questions
        int Minimum = 0;                                                   // number questions
        int Maximum = 0;                                                   // number questions
        int Value = 0; // number questions: the number offered
        bool Answered = true;
    };

    TScriptedModalSeam();
    ~TScriptedModalSeam() override;
    TScriptedModalSeam(const TScriptedModalSeam&) = delete;
    TScriptedModalSeam& operator=(const TScriptedModalSeam&) = delete;

    // Queue answers; each question takes the oldest answer of its kind. An empty file name is a
    // cancelled dialog.
    void AnswerOpenFile(const QString& fileName);
    void AnswerSaveFile(const QString& fileName);
    void AnswerMessage(QMessageBox::StandardButton button);
    void AnswerColor(std::optional<QColor> color);
    // Confirms or cancels the print dialog; a confirmed one prints to pdfFile when given.
    void AnswerPrint(bool confirm, const QString& pdfFile = {});
    // Answers a number question; nullopt cancels it.
    void AnswerNumber(std::optional<int> number);
    // Answers a modal window with result; whileShown runs first, with the window shown.
    void AnswerModal(int result, std::function<void(QDialog&)> whileShown = {});

    const std::vector<TQuestion>& Asked() const { return Questions; }
    std::vector<TQuestion> AskedOfKind(TKind kind) const;
    int UnansweredCount() const;
    // Answers queued but never asked for.
    int PendingAnswers() const;

    QString GetOpenFileName(QWidget* parent, const QString& dir, const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& dir, const QString& filter) override;
    QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& caption, const QString& text,
                                           QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton Question(QWidget* parent, QMessageBox::Icon icon,
                                         const QString& caption, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    std::optional<int> GetNumber(QWidget* parent, const QString& caption, const QString& label,
                                 int value, int minimum, int maximum) override;
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override;
    bool ConfirmPrint(QWidget* parent, QPrinter& printer) override;
    int ExecModal(QDialog& dialog) override;

private:
    struct TPrintAnswer {
        bool Confirm;
        QString PdfFile;
    };
    struct TModalAnswer {
        int Result;
        std::function<void(QDialog&)> WhileShown;
    };

    std::vector<TQuestion> Questions;
    std::deque<QString> OpenNames;
    std::deque<QString> SaveNames;
    std::deque<QMessageBox::StandardButton> Buttons;
    std::deque<std::optional<QColor>> Colors;
    std::deque<TPrintAnswer> Prints;
    std::deque<TModalAnswer> Modals;
    std::deque<std::optional<int>> Numbers;

    TQuestion& Record(TKind kind, QWidget* parent, bool answered);
    QString AskFileName(TKind kind, std::deque<QString>& answers, QWidget* parent,
                        const QString& dir, const QString& filter);
};
