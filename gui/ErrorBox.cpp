#include "ErrorBox.h"

#include "AppTitle.h"
#include "EditorError.h"
#include "ModalSeam.h"

void ShowErrorBox(QWidget* parent, const QString& message) {
    Modal().MessageBox(parent, QMessageBox::Critical, ApplicationTitle(), WithFullStop(message),
                       QMessageBox::Ok);
}
