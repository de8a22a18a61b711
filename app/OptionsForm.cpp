#include "OptionsForm.h"

#include "CommandGuard.h"
#include "EditorError.h"
#include "settings/IniFile.h"
#include "settings/ProgramLocations.h"
#include "widgets/ColorShape.h"
#include "widgets/DialogFont.h"
#include "widgets/SampleLabel.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TOptionsForm* OptionsForm = nullptr;

namespace {

// The window measures about 224 x 254 with its frame.
constexpr QSize ClientSize(216, 227);
constexpr QRect GroupBoxRect(8, 4, 200, 178);
constexpr int FirstRowTop = 20;
constexpr int RowPitch = 26;
constexpr int RowLabelLeft = 10;
constexpr int RowLabelWidth = 66;
constexpr int SampleLeft = 78;
constexpr QSize SampleSize(113, 16);
constexpr QSize ShapeSize(113, 17);
constexpr int ButtonTop = 191;
constexpr QSize ButtonSize(75, 25);

} // namespace

TOptionsForm::TOptionsForm(TEditorColorTarget* editor, QWidget* parent)
    : TOptionsForm(editor, ProgramSettingsPath(), parent) {}

TOptionsForm::TOptionsForm(TEditorColorTarget* editor, const QString& settingsPath, QWidget* parent)
    : QDialog(parent)
    , Editor(editor)
    , SettingsPath(QFileInfo(settingsPath).absoluteFilePath()) {
    setWindowTitle(QStringLiteral("Options"));
    setFont(DialogFont(8));
    setFixedSize(ClientSize);
    CreateControls();
    ConnectControls();
    FormCreate();
}

TOptionsForm::~TOptionsForm() {
    if (OptionsForm == this)
        OptionsForm = nullptr;
}

void TOptionsForm::CreateControls() {
    GroupBox1 = new QGroupBox(QStringLiteral("Colors"), this);
    GroupBox1->setGeometry(GroupBoxRect);

    const QStringList rowCaptions{QStringLiteral("Background"), QStringLiteral("Commands"),
                                  QStringLiteral("Variables"),  QStringLiteral("Comments"),
                                  QStringLiteral("String"),     QStringLiteral("Default")};
    for (int row = 0; row < rowCaptions.size(); ++row)
        AddRowLabel(rowCaptions[row], row);

    Shape1 = new TColorShape(GroupBox1);
    Shape1->setGeometry(QRect(QPoint(SampleLeft, FirstRowTop), ShapeSize));
    Label3 = AddSampleLabel(QStringLiteral("Commands"), 1);
    Label6 = AddSampleLabel(QStringLiteral("variable"), 2);
    Label4 = AddSampleLabel(QStringLiteral("comment"), 3);
    Label10 = AddSampleLabel(QStringLiteral("Default"), 4);
    Label8 = AddSampleLabel(QStringLiteral("Default"), 5);

    Button1 = new QPushButton(QStringLiteral("Save"), this);
    Button1->setGeometry(QRect(QPoint(24, ButtonTop), ButtonSize));
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setGeometry(QRect(QPoint(117, ButtonTop), ButtonSize));
    // Neither button is the default: Enter alone must not save or close the dialog.
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
}

QLabel* TOptionsForm::AddRowLabel(const QString& caption, int row) {
    auto* label = new QLabel(caption, GroupBox1);
    label->setGeometry(RowLabelLeft, FirstRowTop + row * RowPitch, RowLabelWidth,
                       SampleSize.height());
    return label;
}

TSampleLabel* TOptionsForm::AddSampleLabel(const QString& caption, int row) {
    auto* sample = new TSampleLabel(caption, GroupBox1);
    sample->setGeometry(QRect(QPoint(SampleLeft, FirstRowTop + row * RowPitch), SampleSize));
    sample->setAlignment(Qt::AlignCenter);
    sample->setFont(DialogFont(10, true));
    sample->SetBackgroundColor(DefaultColor::Background);
    return sample;
}

void TOptionsForm::ConnectControls() {
    connect(Shape1, &TColorShape::MouseDown, this, Guarded(this, &TOptionsForm::Shape1MouseDown));
    connect(Label3, &TSampleLabel::Clicked, this, Guarded(this, &TOptionsForm::Label3Click));
    connect(Label6, &TSampleLabel::Clicked, this, Guarded(this, &TOptionsForm::Label6Click));
    connect(Label4, &TSampleLabel::Clicked, this, Guarded(this, &TOptionsForm::Label4Click));
    connect(Label10, &TSampleLabel::Clicked, this, Guarded(this, &TOptionsForm::Label10Click));
    connect(Label8, &TSampleLabel::Clicked, this, Guarded(this, &TOptionsForm::Label8Click));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TOptionsForm::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TOptionsForm::Button2Click));
}

std::array<TSampleLabel*, 5> TOptionsForm::Samples() const {
    return {Label3, Label6, Label4, Label10, Label8};
}

THighlightColors TOptionsForm::HighlightColors() const {
    THighlightColors colors;
    colors.Commands = Label3->TextColor();
    colors.Variables = Label6->TextColor();
    colors.String = Label10->TextColor();
    colors.Comments = Label4->TextColor();
    return colors;
}

TColorSettings TOptionsForm::ColorSettings() const {
    TColorSettings settings;
    settings.Background = Shape1->FillColor();
    settings.Commands = Label3->TextColor();
    settings.Comments = Label4->TextColor();
    settings.Variables = Label6->TextColor();
    settings.String = Label10->TextColor();
    settings.Default = Label8->TextColor();
    return settings;
}

void TOptionsForm::FormCreate() {
    LoadColorSettings();
}

void TOptionsForm::LoadColorSettings() {
    const TColorSettings settings = ReadColorSettings(TIniFile(SettingsPath));
    Shape1->SetFillColor(settings.Background);
    Label3->SetTextColor(settings.Commands);
    Label4->SetTextColor(settings.Comments);
    Label6->SetTextColor(settings.Variables);
    Label8->SetTextColor(settings.Default);
    Label10->SetTextColor(settings.String);
    if (Editor)
        Editor->SetEditorColors(settings.Background, settings.Default);
}

void TOptionsForm::SaveColorSettings() {
    TIniFile file(SettingsPath);
    if (!WriteColorSettings(file, ColorSettings()))
        throw EEditorError(
            QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(file.FileName())));
}

void TOptionsForm::PickTextColor(TSampleLabel* sample) {
    if (const auto chosen = ColorDialog1.Execute(this))
        sample->SetTextColor(*chosen);
}

void TOptionsForm::Shape1MouseDown(Qt::MouseButton) {
    const auto chosen = ColorDialog1.Execute(this);
    if (!chosen)
        return;
    Shape1->SetFillColor(*chosen);
    for (TSampleLabel* sample : Samples())
        sample->SetBackgroundColor(*chosen);
}

void TOptionsForm::Label3Click() {
    PickTextColor(Label3);
}

void TOptionsForm::Label6Click() {
    PickTextColor(Label6);
}

void TOptionsForm::Label4Click() {
    PickTextColor(Label4);
}

void TOptionsForm::Label10Click() {
    PickTextColor(Label10);
}

void TOptionsForm::Label8Click() {
    PickTextColor(Label8);
}

void TOptionsForm::Button1Click() {
    SaveColorSettings();
    close();
}

void TOptionsForm::Button2Click() {
    close();
}
