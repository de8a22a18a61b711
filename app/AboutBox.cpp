#include "AboutBox.h"

#include "AppTitle.h"
#include "ModalSeam.h"
#include "TclLibraryVersion.h"
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
#include <algorithm>

namespace {

constexpr QSize ClientSize(394, 165);
constexpr QSize PictureSize(82, 125);
constexpr int TextLeft = 96;
constexpr int TextWidth = 290;
constexpr int FigureGap = 6;
constexpr int Margin = 8;
// Room for the figure of a machine with a terabyte of memory.
const QString WidestFigure = QStringLiteral("1,073,741,824 KB");
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
    CreateControls();
    FormCreate();
    CentreOnScreen();
}

QLabel* TAboutBox::AddLabel(const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, this);
    label->setGeometry(geometry);
    return label;
}

void TAboutBox::CreateControls() {
    // The captions of the figures decide how wide the text block must be: the box keeps its
    // width unless the system font needs more, and then grows rather than cut a figure short.
    Label3 = new QLabel(QStringLiteral("Physical Memory Available to Windows:"), this);
    Label4 = new QLabel(QStringLiteral("Memory in Use:"), this);
    const int captionWidth = std::max(Label3->sizeHint().width(), Label4->sizeHint().width());
    const int figureWidth = fontMetrics().horizontalAdvance(WidestFigure);
    const int textRight =
        std::max(TextLeft + TextWidth, TextLeft + captionWidth + FigureGap + figureWidth);
    const int textWidth = textRight - TextLeft;
    setFixedSize(textRight + Margin, ClientSize.height());

    ProgramIcon = AddLabel({}, QRect(QPoint(Margin, Margin), PictureSize));
    ProgramIcon->setPixmap(ProgramPicture());

    // The title is long enough to need a second line at this width.
    Label1 = AddLabel({}, QRect(TextLeft, Margin, textWidth, 2 * LineHeight));
    Label1->setFont(DialogFont(8, true));
    Label1->setWordWrap(true);
    Label2 = AddLabel(QStringLiteral("Written by the Quillet developers"),
                      QRect(TextLeft, 42, textWidth, LineHeight));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(TextLeft, 62, textWidth, 2);

    Label3->setGeometry(TextLeft, 70, captionWidth, LineHeight);
    Label4->setGeometry(TextLeft, 88, captionWidth, LineHeight);
    const QRect figureColumn(textRight - figureWidth, 70, figureWidth, LineHeight);
    PhysMem = AddLabel(QStringLiteral("0"), figureColumn);
    PhysMem->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FreeRes = AddLabel(QStringLiteral("0"), figureColumn.translated(0, 18));
    FreeRes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const int contactWidth = (textRight - Margin) / 2 - 4;
    Label5 = AddLabel(QStringLiteral("https://quillet.example.org"),
                      QRect(Margin, 142, contactWidth, LineHeight));
    Label6 = AddLabel(QStringLiteral("quillet@example.org"),
                      QRect(textRight - contactWidth, 142, contactWidth, LineHeight));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Default button for Enter; Escape rejects the dialog, which closes it as well.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(textRight - 75, 110, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::CentreOnScreen() {
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
}

void TAboutBox::FormCreate() {
    const QString tclVersion = LoadedTclVersion();
    Label1->setText(tclVersion.isEmpty()
                        ? ApplicationTitle()
                        : ApplicationTitle() + QStringLiteral(" with Tcl ") + tclVersion);
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
