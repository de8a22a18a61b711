#pragma once
// The one fixture of the main window's tests: a window offscreen in a folder of its own (with a
// cmds.dat and a settings file of the test's own), a scripted modal seam that answers its
// questions, and helpers to type, to read files and to look at what the window shows.

#include "Document.h"
#include "FindBar.h"
#include "MainForm.h"
#include "RichEdit.h"
#include "ScriptedModalSeam.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class TMainWindowTest : public testing::Test {
protected:
    using TKind = TScriptedModalSeam::TKind;

    QTemporaryDir Dir;
    QString PreviousDir;
    std::unique_ptr<TScriptedModalSeam> Seam;
    std::unique_ptr<TMainForm> Form;

    void SetUp() override;
    void TearDown() override;

    // Creates the window with arguments as its command line (and its files where locations
    // says, else where this process finds them), shows it and makes it active.
    TMainForm& Create(const QStringList& arguments = {},
                      const std::optional<TProgramLocations>& locations = {});

    QString Path(const QString& name) const { return Dir.filePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    // As editors and version control tools do: a new file renamed over the old one.
    void ReplaceFile(const QString& name, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& name) const;
    // Writes the file and loads it as the document.
    void Open(const QString& name, const QByteArray& bytes) const;

    TRichEdit& Editor() const { return *Form->Editor(); }
    TDocument& Doc() const { return Form->Document(); }
    TFindBar& Bar() const { return *Form->FindBar(); }
    QPlainTextEdit& TextArea() const;
    QAction* Action(const char* name) const;

    // Types text key by key: a line break is the Enter key, a tab the Tab key.
    void Type(const QString& text) const;
    // Typing a character marks the document modified.
    void MakeModified() const;
    // One letter per character of a line: C command, V variable, S string, K comment (green
    // and italic), . uncoloured; anything else is ?.
    QString ColorMap(int line) const;
    // The selection as (start, length).
    std::pair<int, int> Selection() const;
    // The visible entries of a menu; "-" for a divider.
    QStringList MenuCaptions(const QString& title) const;
    std::vector<TScriptedModalSeam::TQuestion> Messages() const;
};
