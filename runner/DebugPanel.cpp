#include "DebugPanel.h"

#include "RunEngine.h"
#include "SourceView.h"
#include "VariablesView.h"
#include "tools/LineMarks.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

TDebugPanel::TDebugPanel(TRunEngine& engine, QWidget* parent)
    : QWidget(parent)
    , Engine(engine) {
    CreateControls();
    CreateKeys();
    EnableSteps(false);
    Engine.OnPaused = [this](const TDebugPause& pause) { ShowPause(pause); };
    Engine.OnFrameVariables = [this](const TDebugFrameVariables& variables) {
        ShowVariables(variables);
    };
    Engine.OnResumed = [this] { ShowResumed(); };
}

// The keys of common debuggers, for the window the panel is in.
void TDebugPanel::CreateKeys() {
    const std::pair<QKeySequence, TDebugStep> keys[] = {
        {QKeySequence(Qt::Key_F5), TDebugStep::Continue},
        {QKeySequence(Qt::Key_F10), TDebugStep::Over},
        {QKeySequence(Qt::Key_F11), TDebugStep::Into},
        {QKeySequence(Qt::SHIFT | Qt::Key_F11), TDebugStep::Out},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(key, parentWidget() ? parentWidget() : this);
        connect(shortcut, &QShortcut::activated, this,
                [this, step = step] { Engine.Resume(step); });
    }
}

void TDebugPanel::CreateControls() {
    const auto button = [this](const QString& caption, const QString& tip, TDebugStep step) {
        auto* pushButton = new QPushButton(caption, this);
        pushButton->setToolTip(tip);
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, [this, step] { Engine.Resume(step); });
        return pushButton;
    };
    ContinueButton =
        button(QStringLiteral("Continue"), QStringLiteral("Run to the next breakpoint (F5)"),
               TDebugStep::Continue);
    StepOverButton =
        button(QStringLiteral("Step Over"), QStringLiteral("The next command at this level (F10)"),
               TDebugStep::Over);
    StepIntoButton = button(QStringLiteral("Step Into"),
                            QStringLiteral("The next command, also in a procedure it calls (F11)"),
                            TDebugStep::Into);
    StepOutButton = button(QStringLiteral("Step Out"),
                           QStringLiteral("Back to the caller (Shift+F11)"), TDebugStep::Out);
    BreakOnError = new QCheckBox(QStringLiteral("Break on error"), this);
    BreakOnError->setToolTip(QStringLiteral("Pause where an error is raised that nothing catches"));
    connect(BreakOnError, &QCheckBox::toggled, this,
            [this](bool on) { Engine.SetBreakOnError(on); });

    Stack = new QListWidget(this);
    Stack->setToolTip(QStringLiteral("The call stack: select a frame to see its variables"));
    connect(Stack, &QListWidget::currentRowChanged, this, [this](int row) { SelectFrame(row); });
    Variables = new TVariablesView(this);
    Variables->OnWholeValue = [this](const QString& name, const QString& value) {
        if (OnWholeValue)
            OnWholeValue(name, value);
    };
    Source = new TSourceView(this);
    Source->OnToggle = [this](int line) { ToggleBreakpoint(Source->toPlainText(), line); };

    auto* steps = new QHBoxLayout;
    for (QPushButton* stepButton : {ContinueButton, StepOverButton, StepIntoButton, StepOutButton})
        steps->addWidget(stepButton);
    auto* views = new QSplitter(Qt::Vertical, this);
    views->addWidget(Source);
    views->addWidget(Stack);
    views->addWidget(Variables);
    views->setStretchFactor(0, 3);
    views->setStretchFactor(1, 1);
    views->setStretchFactor(2, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 8, 8);
    layout->addLayout(steps);
    layout->addWidget(BreakOnError);
    layout->addWidget(views, 1);
}

void TDebugPanel::BeginRun(const QString& text) {
    if (Source->toPlainText() != text)
        Source->setPlainText(text);
    Source->SetCurrentLine(0);
    SetBreakpoints(Lines);
    Stack->clear();
    Variables->clear();
    Variables->Forget();
    EnableSteps(false);
}

void TDebugPanel::SetBreakpoints(const std::set<int>& lines) {
    Lines = lines;
    Source->SetBreakpoints(lines);
    Engine.SetBreakpoints(lines);
}

bool TDebugPanel::ToggleBreakpoint(const QString& text, int line) {
    TLineMarks marks;
    marks.Assign(Lines);
    const std::string script = text.toStdString();
    const TLineToggle toggled =
        marks.Toggle(line, [&](int from) { return Engine.Outline(script).CommandLineFrom(from); });
    if (toggled.Kind == TLineToggle::Refused)
        return false;
    SetBreakpoints(marks.Lines());
    if (OnBreakpointsChanged)
        OnBreakpointsChanged(marks.Lines());
    return true;
}

void TDebugPanel::ShowPause(const TDebugPause& pause) {
    FrameLevels.clear();
    FrameLines.clear();
    const QSignalBlocker quiet(Stack);
    Stack->clear();
    for (const TDebugFrame& frame : pause.Frames) {
        const int line = FrameLevels.empty() ? pause.Line : frame.Line;
        const QString where = line > 0 ? QStringLiteral("line %1").arg(line) : QStringLiteral("?");
        Stack->addItem(QStringLiteral("%1 (%2)").arg(
            frame.Level > 0 ? QString::fromStdString(frame.Procedure) : QStringLiteral("global"),
            where));
        FrameLevels.push_back(frame.Level);
        FrameLines.push_back(line);
    }
    Stack->setCurrentRow(0);
    Source->SetCurrentLine(pause.Line);
    EnableSteps(true);
    if (OnPausedAt)
        OnPausedAt(pause.Line);
}

void TDebugPanel::ShowVariables(const TDebugFrameVariables& variables) {
    Variables->Show(variables);
}

void TDebugPanel::ShowResumed() {
    EnableSteps(false);
    Source->SetCurrentLine(0);
    if (OnPausedAt)
        OnPausedAt(0);
}

// Another frame's variables, and its line in the document.
void TDebugPanel::SelectFrame(int row) {
    if (row < 0 || std::size_t(row) >= FrameLevels.size())
        return;
    Engine.InspectFrame(FrameLevels[std::size_t(row)]);
    const int line = FrameLines[std::size_t(row)];
    if (line > 0) {
        Source->SetCurrentLine(line);
        if (OnShowLine)
            OnShowLine(line);
    }
}

void TDebugPanel::EnableSteps(bool paused) {
    for (QPushButton* stepButton : {ContinueButton, StepOverButton, StepIntoButton, StepOutButton})
        stepButton->setEnabled(paused);
}
