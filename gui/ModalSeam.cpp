#include "ModalSeam.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

class TQtModalSeam final : public TModalSeam {
public:
    QString GetOpenFileName(QWidget* parent, const QString& dir, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, {}, dir, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }

    QString GetSaveFileName(QWidget* parent, const QString& dir, const QString& filter) override {
        // The program asks about overwriting itself.
        return QFileDialog::getSaveFileName(parent, {}, dir, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }

    QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& caption, const QString& text,
                                           QMessageBox::StandardButtons buttons) override {
        QMessageBox box(icon, caption, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QMessageBox::StandardButton Question(QWidget* parent, QMessageBox::Icon icon,
                                         const QString& caption, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override {
        QMessageBox box(icon, caption, text, buttons, parent);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    std::optional<int> GetNumber(QWidget* parent, const QString& caption, const QString& label,
                                 int value, int minimum, int maximum) override {
        bool ok = false;
        const int number =
            QInputDialog::getInt(parent, caption, label, value, minimum, maximum, 1, &ok);
        if (!ok)
            return std::nullopt;
        return number;
    }

    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    }

    bool ConfirmPrint(QWidget* parent, QPrinter& printer) override {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    int ExecModal(QDialog& dialog) override { return dialog.exec(); }
};

TModalSeam* InstalledSeam = nullptr;

} // namespace

TModalSeam& Modal() {
    static TQtModalSeam real;
    return InstalledSeam ? *InstalledSeam : real;
}

void SetModalSeam(TModalSeam* seam) {
    InstalledSeam = seam;
}
