#include "MainWindowTest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

void TMainWindowTest::SetUp() {
    ASSERT_TRUE(Dir.isValid());
    PreviousDir = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    WriteFile("cmds.dat", "set\nputs\nif\nforeach\n");
    Seam = std::make_unique<TScriptedModalSeam>();
}

void TMainWindowTest::TearDown() {
    Form.reset();
    MainForm = nullptr;
    Seam.reset();
    QDir::setCurrent(PreviousDir);
}

TMainForm& TMainWindowTest::Create(const QStringList& arguments,
                                   const std::optional<TProgramLocations>& locations) {
    Form = locations ? std::make_unique<TMainForm>(arguments, *locations)
                     : std::make_unique<TMainForm>(arguments);
    // Recent files and the line-number toggle go to a file of the test's own, not to the
    // settings beside the test program that concurrent test runs share.
    Form->SetSettingsFile(Path("quillet.ini"));
    MainForm = Form.get();
    Form->show();
    // Shortcuts reach an active window only.
    QApplication::setActiveWindow(Form.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    return *Form;
}

void TMainWindowTest::WriteFile(const QString& name, const QByteArray& bytes) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TMainWindowTest::ReplaceFile(const QString& name, const QByteArray& bytes) const {
    QSaveFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    ASSERT_TRUE(file.commit());
}

QByteArray TMainWindowTest::ReadFile(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TMainWindowTest::Open(const QString& name, const QByteArray& bytes) const {
    WriteFile(name, bytes);
    ASSERT_NO_THROW(Doc().Load(Path(name)));
}

QPlainTextEdit& TMainWindowTest::TextArea() const {
    return *qobject_cast<QPlainTextEdit*>(Editor().TextArea());
}

QAction* TMainWindowTest::Action(const char* name) const {
    return Form->findChild<QAction*>(name);
}

void TMainWindowTest::Type(const QString& text) const {
    QWidget* area = Editor().TextArea();
    for (QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(area, Qt::Key_Return);
        } else if (c == u'\t') {
            QTest::keyClick(area, Qt::Key_Tab);
        } else if (c.unicode() < 128) {
            QTest::keyClick(area, char(c.unicode()));
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(area, &press);
            QApplication::sendEvent(area, &release);
        }
    }
}

void TMainWindowTest::MakeModified() const {
    Editor().SetCaret(0);
    Type("x");
    ASSERT_TRUE(Doc().IsModified());
}

QString TMainWindowTest::ColorMap(int line) const {
    const QTextBlock block = TextArea().document()->findBlockByNumber(line);
    QString map(block.length() - 1, u'.');
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        const QColor color = range.format.foreground().color();
        QChar letter = u'?';
        if (color == QColor(0, 0, 255))
            letter = u'C';
        else if (color == QColor(255, 0, 0))
            letter = u'V';
        else if (color == QColor(255, 0, 255))
            letter = u'S';
        else if (color == QColor(0, 128, 0) && range.format.fontItalic())
            letter = u'K';
        for (int i = range.start; i < range.start + range.length && i < map.size(); ++i)
            map[i] = letter;
    }
    return map;
}

std::pair<int, int> TMainWindowTest::Selection() const {
    return {Editor().SelStart(), Editor().SelLength()};
}

QStringList TMainWindowTest::MenuCaptions(const QString& title) const {
    QStringList captions;
    for (QAction* menu : Form->menuBar()->actions()) {
        if (menu->text() != title)
            continue;
        for (QAction* item : menu->menu()->actions())
            if (item->isVisible())
                captions.append(item->isSeparator() ? "-" : item->text());
    }
    return captions;
}

std::vector<TScriptedModalSeam::TQuestion> TMainWindowTest::Messages() const {
    return Seam->AskedOfKind(TKind::Message);
}
