#pragma once

#include <QString>

// The three operations the editor needs of a help system.
class THelpSystem {
public:
    virtual ~THelpSystem() = default;
    // Opens the help's contents and index.
    virtual void ShowContents() = 0;
    // Shows the topic of a keyword; an empty keyword is reported as "No help keyword specified.",
    // a keyword without a topic shows the index with a message.
    virtual void ShowKeyword(const QString& keyword) = 0;
};
