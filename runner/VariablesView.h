#pragma once
// The variables of a paused frame and the global ones: arrays by element, dictionaries by key,
// long values shortened (the whole value in the tooltip, and on a double-click), and the values
// that changed since the last pause marked.

#include "DebugState.h"

#include <QTreeWidget>

#include <functional>
#include <map>
#include <string>

class TVariablesView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TVariablesView(QWidget* parent = nullptr);

    void Show(const TDebugFrameVariables& variables);
    // Forgets the values seen, at the start of a run.
    void Forget() { Seen.clear(); }

    // The whole value of an item (asked for with a double-click).
    std::function<void(const QString& name, const QString& value)> OnWholeValue;

    static constexpr int ShownLength = 80;
    static QString Shortened(const QString& value);

private:
    void AddGroup(const QString& title, const std::vector<TDebugVariable>& variables,
                  const std::string& scope);
    QTreeWidgetItem* Item(QTreeWidgetItem* parent, const QString& name, const QString& value,
                          bool changed);

    // What each variable showed at the last pause, by scope and name: to mark what changed.
    std::map<std::string, std::string> Seen;
};
