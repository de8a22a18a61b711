#pragma once
// The program's help window: the index of "tcl.hlp" on the left, the topic's text (from Tcl's
// installed manual pages) on the right, and a line for messages above them.

#include "help/HelpIndex.h"
#include "help/HelpSystem.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;

class THelpViewer : public QWidget, public THelpSystem {
    Q_OBJECT
public:
    THelpViewer(const QString& indexFile, const QStringList& manDirs, QWidget* parent = nullptr);

    void ShowContents() override;
    void ShowKeyword(const QString& keyword) override;

    // What the viewer shows, for its callers and tests.
    QString Message() const;
    QString TopicText() const;
    QString CurrentTopic() const { return ShownTopic; }

private:
    QString IndexFile;
    QStringList ManDirs;
    THelpIndex Index;
    bool IndexLoaded = false;
    QString ShownTopic;

    QLabel* MessageLabel;
    QLineEdit* Filter;
    QListWidget* Keywords;
    QPlainTextEdit* Topic;

    void LoadIndex();
    void FillKeywordList();
    void FilterKeywords(const QString& text);
    void KeywordChosen(QListWidgetItem* item);
    void ShowTopic(const QString& keyword, const QString& topic);
    void SetMessage(const QString& message);
    void Present();
};
