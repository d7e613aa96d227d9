#pragma once

#include "editor/transediting.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QTreeWidgetItem;

namespace qm {

class TableCursor;
class TDBTreeView;

// Stands between the user and a tree whose row may be in the middle of an
// edit: before a click or key moves the selection, the edit is checked and
// stored, and when it cannot be stored the selection stays where it is.
class TLeaveGuard : public QObject
{
    Q_OBJECT

public:
    using LeaveFunction = std::function<LeaveResult(const QTreeWidgetItem *target)>;

    TLeaveGuard(TDBTreeView *tree, LeaveFunction leave);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool MousePressed(QEvent *event);
    bool KeyPressed(QEvent *event);

    TDBTreeView *m_tree;
    // Kept from the start: the tree sends events to its filters while it is
    // being destroyed, when asking it for its viewport is no longer valid.
    QPointer<QWidget> m_viewport;
    LeaveFunction m_leave;
};

// While the user types a name, the selected node shows it.
void NameFollowsTree(QLineEdit *nameEdit, TDBTreeView *tree);

// A right click on a memo puts a browsed row into editing, so that the
// memo's own menu can change it.
void EditOnRightClick(QPlainTextEdit *memo, TableCursor &cursor, std::function<bool()> readOnly);

} // namespace qm
