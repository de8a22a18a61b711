#include "VariablesView.h"

#include <QFont>

namespace {

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// What a variable looks like at a pause, to see whether it changed since the last one.
std::string Snapshot(const TDebugVariable& variable) {
    std::string shot = std::to_string(int(variable.Kind)) + ':' + variable.Value;
    for (const auto& [key, value] : variable.Entries)
        shot += '\n' + key + '=' + value;
    return shot;
}

} // namespace

TVariablesView::TVariablesView(QWidget* parent)
    : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Value")});
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        const QString whole = item->data(1, Qt::UserRole).toString();
        if (!whole.isNull() && OnWholeValue)
            OnWholeValue(item->text(0), whole);
    });
}

QString TVariablesView::Shortened(const QString& value) {
    QString shown = value;
    shown.replace(u'\n', QStringLiteral("\u21B5"));
    return shown.size() > ShownLength ? shown.left(ShownLength) + QStringLiteral("\u2026") : shown;
}

void TVariablesView::Show(const TDebugFrameVariables& variables) {
    clear();
    if (variables.Level > 0)
        AddGroup(QStringLiteral("Locals (level %1)").arg(variables.Level), variables.Locals,
                 std::to_string(variables.Level));
    AddGroup(QStringLiteral("Globals"), variables.Globals, "global");
    resizeColumnToContents(0);
}

void TVariablesView::AddGroup(const QString& title, const std::vector<TDebugVariable>& variables,
                              const std::string& scope) {
    auto* group = new QTreeWidgetItem(this, {title});
    group->setFirstColumnSpanned(true);
    for (const TDebugVariable& variable : variables) {
        const std::string key = scope + ' ' + variable.Name;
        const std::string shot = Snapshot(variable);
        const auto seen = Seen.find(key);
        const bool changed = seen != Seen.end() && seen->second != shot;
        Seen[key] = shot;
        const QString value = variable.Kind == TDebugVariable::Unset   ? QStringLiteral("(unset)")
                              : variable.Kind == TDebugVariable::Array ? QStringLiteral("(array)")
                                                                       : Text(variable.Value);
        QTreeWidgetItem* item = Item(group, Text(variable.Name), value, changed);
        if (variable.Kind == TDebugVariable::Unset || variable.Kind == TDebugVariable::Array)
            item->setData(1, Qt::UserRole, QVariant());
        for (const auto& [name, entry] : variable.Entries)
            Item(item, Text(name), Text(entry), false);
    }
    group->setExpanded(true);
}

QTreeWidgetItem* TVariablesView::Item(QTreeWidgetItem* parent, const QString& name,
                                      const QString& value, bool changed) {
    auto* item = new QTreeWidgetItem(parent, {name, Shortened(value)});
    item->setData(1, Qt::UserRole, value);
    item->setToolTip(1, value.left(4000));
    if (changed) {
        QFont bold = item->font(0);
        bold.setBold(true);
        for (int column : {0, 1}) {
            item->setFont(column, bold);
            item->setForeground(column, QColor(170, 0, 0));
        }
        item->setToolTip(0, QStringLiteral("Changed since the last pause"));
    }
    return item;
}
