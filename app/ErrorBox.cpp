#include "ErrorBox.h"

#include "AppTitle.h"
#include "ModalSeam.h"

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowErrorBox(QWidget* parent, const QString& message) {
    Modal().MessageBox(parent, QMessageBox::Critical, ApplicationTitle(), WithFullStop(message),
                       QMessageBox::Ok);
}
