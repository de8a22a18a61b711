#include "AboutBox.h"

#include "AppTitle.h"
#include "ModalSeam.h"
#include "sysinfo/MemoryFigures.h"
#include "sysinfo/MemoryStatus.h"
#include "widgets/DialogFont.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr QSize ClientSize(394, 165);
constexpr QSize PictureSize(82, 125);
constexpr int TextLeft = 96;
constexpr int TextWidth = 290;
constexpr int FigureLeft = 290;
constexpr int FigureWidth = 96;
constexpr int LineHeight = 16;

// The program's picture: a page of script with a quill across it.
QPixmap ProgramPicture() {
    QPixmap picture(PictureSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF page(6, 14, 62, 104);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(page, 4, 4);
    painter.setPen(QPen(QColor(0, 0, 255), 2));
    for (int line = 0; line < 8; ++line) {
        const qreal y = page.top() + 14 + line * 11;
        const qreal indent = (line % 3 == 1) ? 14 : 6;
        painter.drawLine(QPointF(page.left() + indent, y),
                         QPointF(page.right() - 8 - (line % 2) * 12, y));
    }

    QLinearGradient feather(QPointF(78, 4), QPointF(40, 70));
    feather.setColorAt(0, QColor(128, 0, 128));
    feather.setColorAt(1, QColor(255, 0, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(feather);
    painter.drawPolygon(QPolygonF{QPointF(80, 2), QPointF(60, 30), QPointF(38, 72), QPointF(48, 58),
                                  QPointF(70, 28)});
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPointF(44, 64), QPointF(30, 90));
    return picture;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("About RichEdit"));
    setFont(DialogFont(8));
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, Qt::black);
    setPalette(colors);
    setFixedSize(ClientSize);
    CreateControls();
    CentreOnScreen();
    FormCreate();
}

QLabel* TAboutBox::AddLabel(const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, this);
    label->setGeometry(geometry);
    return label;
}

void TAboutBox::CreateControls() {
    ProgramIcon = AddLabel({}, QRect(QPoint(8, 8), PictureSize));
    ProgramIcon->setPixmap(ProgramPicture());

    // The title is long enough to need a second line at this width.
    Label1 = AddLabel({}, QRect(TextLeft, 8, TextWidth, 2 * LineHeight));
    Label1->setFont(DialogFont(8, true));
    Label1->setWordWrap(true);
    Label2 = AddLabel(QStringLiteral("Written by the Quillet developers"),
                      QRect(TextLeft, 42, TextWidth, LineHeight));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(TextLeft, 62, TextWidth, 2);

    Label3 = AddLabel(QStringLiteral("Physical Memory Available to Windows:"),
                      QRect(TextLeft, 70, FigureLeft - TextLeft, LineHeight));
    PhysMem = AddLabel(QStringLiteral("0"), QRect(FigureLeft, 70, FigureWidth, LineHeight));
    PhysMem->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4 = AddLabel(QStringLiteral("Memory in Use:"),
                      QRect(TextLeft, 88, FigureLeft - TextLeft, LineHeight));
    FreeRes = AddLabel(QStringLiteral("0"), QRect(FigureLeft, 88, FigureWidth, LineHeight));
    FreeRes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label5 =
        AddLabel(QStringLiteral("https://quillet.example.org"), QRect(8, 142, 186, LineHeight));
    Label6 = AddLabel(QStringLiteral("quillet@example.org"), QRect(200, 142, 186, LineHeight));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Default button for Enter; Escape rejects the dialog, which closes it as well.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(311, 110, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::CentreOnScreen() {
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
}

void TAboutBox::FormCreate() {
    Label1->setText(ApplicationTitle() + QStringLiteral(" with TCL 8.0"));
    ShowMemoryStatus(QueryMemoryStatus());
}

void TAboutBox::ShowMemoryStatus(const TMemoryStatus& status) {
    PhysMem->setText(FormatKilobytes(status.TotalPhysicalBytes, QLocale().groupSeparator()));
    FreeRes->setText(FormatMemoryLoad(status.MemoryLoad));
}

void ShowAboutBox(QWidget* parent) {
    TAboutBox box(parent);
    Modal().ExecModal(box);
}
