#include "HelpViewer.h"

#include "CommandGuard.h"
#include "ModalSeam.h"
#include "help/ManPageFile.h"
#include "help/ManPageText.h"

#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

THelpViewer::THelpViewer(const QString& indexFile, const QStringList& manDirs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , IndexFile(indexFile)
    , ManDirs(manDirs)
    , MessageLabel(new QLabel(this))
    , Filter(new QLineEdit(this))
    , Keywords(new QListWidget(this))
    , Topic(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Tcl Help"));
    resize(780, 520);

    MessageLabel->setWordWrap(true);
    Filter->setPlaceholderText(QStringLiteral("Type a keyword"));
    Topic->setReadOnly(true);
    Topic->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* indexColumn = new QVBoxLayout;
    indexColumn->addWidget(Filter);
    indexColumn->addWidget(Keywords);
    auto* columns = new QHBoxLayout;
    columns->addLayout(indexColumn, 1);
    columns->addWidget(Topic, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addLayout(columns);

    connect(Filter, &QLineEdit::textChanged, this, Guarded(this, &THelpViewer::FilterKeywords));
    connect(Keywords, &QListWidget::itemActivated, this,
            Guarded(this, &THelpViewer::KeywordChosen));
    connect(Keywords, &QListWidget::itemClicked, this, Guarded(this, &THelpViewer::KeywordChosen));
}

void THelpViewer::ShowContents() {
    LoadIndex();
    if (IndexLoaded)
        SetMessage(QStringLiteral("Choose a topic from the index."));
    Present();
}

void THelpViewer::ShowKeyword(const QString& keyword) {
    if (keyword.isEmpty()) {
        Modal().MessageBox(this, QMessageBox::Information, windowTitle(),
                           QStringLiteral("No help keyword specified."), QMessageBox::Ok);
        return;
    }
    LoadIndex();
    if (!IndexLoaded) {
        Present();
        return;
    }
    if (const std::optional<QString> topic = Index.TopicFor(keyword)) {
        ShowTopic(keyword, *topic);
    } else {
        Filter->setText(keyword);
        SetMessage(QStringLiteral("There is no help topic for \"%1\". Choose a topic from the "
                                  "index.")
                       .arg(keyword));
    }
    Present();
}

QString THelpViewer::Message() const {
    return MessageLabel->text();
}

QString THelpViewer::TopicText() const {
    return Topic->toPlainText();
}

void THelpViewer::LoadIndex() {
    if (IndexLoaded)
        return;
    QFile file(IndexFile);
    if (!file.open(QIODevice::ReadOnly)) {
        SetMessage(QStringLiteral("The help index \"%1\" cannot be read. %2")
                       .arg(IndexFile, file.errorString()));
        return;
    }
    Index = THelpIndex::Parse(file.readAll());
    IndexLoaded = true;
    FillKeywordList();
}

void THelpViewer::FillKeywordList() {
    Keywords->clear();
    for (const THelpIndex::TEntry& entry : Index.Entries())
        Keywords->addItem(entry.Keyword);
}

void THelpViewer::FilterKeywords(const QString& text) {
    QListWidgetItem* firstMatch = nullptr;
    for (int row = 0; row < Keywords->count(); ++row) {
        if (Keywords->item(row)->text().startsWith(text, Qt::CaseInsensitive)) {
            firstMatch = Keywords->item(row);
            break;
        }
    }
    if (firstMatch)
        Keywords->scrollToItem(firstMatch, QAbstractItemView::PositionAtTop);
    Keywords->setCurrentItem(firstMatch);
}

void THelpViewer::KeywordChosen(QListWidgetItem* item) {
    if (!item)
        return;
    if (const std::optional<QString> topic = Index.TopicFor(item->text()))
        ShowTopic(item->text(), *topic);
}

void THelpViewer::ShowTopic(const QString& keyword, const QString& topic) {
    const std::optional<QString> page = ReadManPage(ManDirs, topic);
    if (!page) {
        SetMessage(QStringLiteral("The manual page \"%1\" for \"%2\" is not installed (it comes "
                                  "with the package tcl8.6-doc).")
                       .arg(topic, keyword));
        return;
    }
    ShownTopic = topic;
    Topic->setPlainText(ManPageText(*page));
    SetMessage(QStringLiteral("Topic: %1").arg(keyword));
}

void THelpViewer::SetMessage(const QString& message) {
    MessageLabel->setText(message);
}

void THelpViewer::Present() {
    show();
    raise();
    activateWindow();
}
