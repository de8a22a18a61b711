#pragma once
// The About box: the program's title, an author credit, the machine's memory figures and the
// contact lines. Created, shown modally and destroyed each time (ShowAboutBox).

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
struct TMemoryStatus;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // Fills the title line, naming the Tcl library in use, and the memory figures of this
    // machine.
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows status in PhysMem and FreeRes, with the thousands separator of the default locale.
    void ShowMemoryStatus(const TMemoryStatus& status);

    QLabel* ProgramIcon = nullptr;
    QLabel* Label1 = nullptr; // the title line
    QLabel* Label2 = nullptr; // the author credit
    QFrame* Bevel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* PhysMem = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* FreeRes = nullptr;
    QLabel* Label5 = nullptr; // contact lines
    QLabel* Label6 = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void CreateControls();
    QLabel* AddLabel(const QString& text, const QRect& geometry);
    void CentreOnScreen();
    void FormCreate();
};

// Creates the About box over parent, shows it modally through the modal seam and destroys it.
void ShowAboutBox(QWidget* parent);
