#include "ScriptedModalSeam.h"

#include <QPrinter>
#include <algorithm>

namespace {

template <typename T>
std::optional<T> TakeFirst(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

// The button a user who backs out would press.
QMessageBox::StandardButton EscapeButton(QMessageBox::StandardButtons buttons) {
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

} // namespace

TScriptedModalSeam::TScriptedModalSeam() {
    SetModalSeam(this);
}

TScriptedModalSeam::~TScriptedModalSeam() {
    SetModalSeam(nullptr);
}

void TScriptedModalSeam::AnswerOpenFile(const QString& fileName) {
    OpenNames.push_back(fileName);
}

void TScriptedModalSeam::AnswerSaveFile(const QString& fileName) {
    SaveNames.push_back(fileName);
}

void TScriptedModalSeam::AnswerMessage(QMessageBox::StandardButton button) {
    Buttons.push_back(button);
}

void TScriptedModalSeam::AnswerColor(std::optional<QColor> color) {
    Colors.push_back(color);
}

void TScriptedModalSeam::AnswerPrint(bool confirm, const QString& pdfFile) {
    Prints.push_back({confirm, pdfFile});
}

void TScriptedModalSeam::AnswerNumber(std::optional<int> number) {
    Numbers.push_back(number);
}

void TScriptedModalSeam::AnswerModal(int result, std::function<void(QDialog&)> whileShown) {
    Modals.push_back({result, std::move(whileShown)});
}

std::vector<TScriptedModalSeam::TQuestion> TScriptedModalSeam::AskedOfKind(TKind kind) const {
    std::vector<TQuestion> asked;
    std::copy_if(Questions.begin(), Questions.end(), std::back_inserter(asked),
                 [kind](const TQuestion& q) { return q.Kind == kind; });
    return asked;
}

int TScriptedModalSeam::UnansweredCount() const {
    return int(std::count_if(Questions.begin(), Questions.end(),
                             [](const TQuestion& q) { return !q.Answered; }));
}

int TScriptedModalSeam::PendingAnswers() const {
    return int(OpenNames.size() + SaveNames.size() + Buttons.size() + Colors.size() +
               Prints.size() + Modals.size() + Numbers.size());
}

TScriptedModalSeam::TQuestion& TScriptedModalSeam::Record(TKind kind, QWidget* parent,
                                                          bool answered) {
    TQuestion question{};
    question.Kind = kind;
    question.Parent = parent;
    question.Answered = answered;
    Questions.push_back(question);
    return Questions.back();
}

QString TScriptedModalSeam::AskFileName(TKind kind, std::deque<QString>& answers, QWidget* parent,
                                        const QString& dir, const QString& filter) {
    const std::optional<QString> name = TakeFirst(answers);
    TQuestion& q = Record(kind, parent, name.has_value());
    q.Dir = dir;
    q.Filter = filter;
    return name.value_or(QString());
}

QString TScriptedModalSeam::GetOpenFileName(QWidget* parent, const QString& dir,
                                            const QString& filter) {
    return AskFileName(TKind::OpenFile, OpenNames, parent, dir, filter);
}

QString TScriptedModalSeam::GetSaveFileName(QWidget* parent, const QString& dir,
                                            const QString& filter) {
    return AskFileName(TKind::SaveFile, SaveNames, parent, dir, filter);
}

QMessageBox::StandardButton TScriptedModalSeam::MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                           const QString& caption,
                                                           const QString& text,
                                                           QMessageBox::StandardButtons buttons) {
    const std::optional<QMessageBox::StandardButton> button = TakeFirst(Buttons);
    TQuestion& q = Record(TKind::Message, parent, button.has_value());
    q.Icon = icon;
    q.Caption = caption;
    q.Text = text;
    q.Buttons = buttons;
    return button.value_or(EscapeButton(buttons));
}

QMessageBox::StandardButton
TScriptedModalSeam::Question(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                             const QString& text, QMessageBox::StandardButtons buttons,
                             QMessageBox::StandardButton defaultButton) {
    const QMessageBox::StandardButton answer = MessageBox(parent, icon, caption, text, buttons);
    Questions.back().DefaultButton = defaultButton;
    return answer;
}

std::optional<int> TScriptedModalSeam::GetNumber(QWidget* parent, const QString& caption,
                                                 const QString& label, int value, int minimum,
                                                 int maximum) {
    const std::optional<std::optional<int>> number = TakeFirst(Numbers);
    TQuestion& q = Record(TKind::Number, parent, number.has_value());
    q.Caption = caption;
    q.Text = label;
    q.Value = value;
    q.Minimum = minimum;
    q.Maximum = maximum;
    return number.value_or(std::nullopt);
}

std::optional<QColor> TScriptedModalSeam::PickColor(QWidget* parent, const QColor& initial) {
    const std::optional<std::optional<QColor>> color = TakeFirst(Colors);
    Record(TKind::Color, parent, color.has_value()).Initial = initial;
    return color.value_or(std::nullopt);
}

bool TScriptedModalSeam::ConfirmPrint(QWidget* parent, QPrinter& printer) {
    const std::optional<TPrintAnswer> answer = TakeFirst(Prints);
    TQuestion& q = Record(TKind::Print, parent, answer.has_value());
    q.DocName = printer.docName();
    if (!answer || !answer->Confirm)
        return false;
    if (!answer->PdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(answer->PdfFile);
    }
    return true;
}

int TScriptedModalSeam::ExecModal(QDialog& dialog) {
    std::optional<TModalAnswer> answer = TakeFirst(Modals);
    TQuestion& q = Record(TKind::Modal, dialog.parentWidget(), answer.has_value());
    q.Caption = dialog.windowTitle();
    q.Window = &dialog;
    if (!answer)
        return QDialog::Rejected;
    if (answer->WhileShown) {
        dialog.show();
        answer->WhileShown(dialog);
        dialog.hide();
    }
    return answer->Result;
}
