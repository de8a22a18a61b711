#pragma once
// The one seam through which every modal question of the program is asked: file dialogs,
// message and confirmation boxes, the colour picker, the print dialog and modal windows. The
// program uses Modal(); tests install their own seam with SetModalSeam and answer without a
// human.

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

class TModalSeam {
public:
    virtual ~TModalSeam() = default;

    // An empty name means the dialog was cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const QString& dir, const QString& filter) = 0;
    virtual QString GetSaveFileName(QWidget* parent, const QString& dir, const QString& filter) = 0;

    // A message or confirmation box; answers the button pressed.
    virtual QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                   const QString& caption, const QString& text,
                                                   QMessageBox::StandardButtons buttons) = 0;

    // A question whose answer on Enter is defaultButton. A seam that shows no box of its own asks
    // it as a MessageBox.
    virtual QMessageBox::StandardButton Question(QWidget* parent, QMessageBox::Icon icon,
                                                 const QString& caption, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
        (void)defaultButton;
        return MessageBox(parent, icon, caption, text, buttons);
    }

    // A whole number from minimum to maximum, offered as value; nullopt when cancelled. A seam
    // that shows no dialog of its own answers as a user who cancels.
    virtual std::optional<int> GetNumber(QWidget* parent, const QString& caption,
                                         const QString& label, int value, int minimum,
                                         int maximum) {
        (void)parent, (void)caption, (void)label, (void)value, (void)minimum, (void)maximum;
        return std::nullopt;
    }

    // The colour picker opened on initial; nullopt when cancelled.
    virtual std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) = 0;

    // The print dialog for printer; true when the user confirmed.
    virtual bool ConfirmPrint(QWidget* parent, QPrinter& printer) = 0;

    // Shows a window modally and answers its result code once it is closed.
    virtual int ExecModal(QDialog& dialog) = 0;
};

// The seam in force: the real dialogs unless a test installed its own.
TModalSeam& Modal();
// Installs seam (not owned); null restores the real dialogs.
void SetModalSeam(TModalSeam* seam);
