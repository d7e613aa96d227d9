#include "editor/panelhelpers.h"

#include "store/cursor.h"
#include "views/dbtreeview.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

namespace qm {

TLeaveGuard::TLeaveGuard(TDBTreeView *tree, LeaveFunction leave) : QObject(tree), m_tree(tree), m_leave(std::move(leave))
{
    m_viewport = tree->viewport();
    tree->installEventFilter(this);
    m_viewport->installEventFilter(this);
}

bool TLeaveGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        return MousePressed(event);
    if (watched == m_tree && event->type() == QEvent::KeyPress)
        return KeyPressed(event);
    return false;
}

bool TLeaveGuard::MousePressed(QEvent *event)
{
    const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
    QTreeWidgetItem *target = m_tree->itemAt(pos);
    // Clicks on the node itself, on empty space or on an expand mark do not
    // move the selection.
    if (!target || target == m_tree->currentItem() || pos.x() < m_tree->visualItemRect(target).left())
        return false;
    switch (m_leave(target)) {
    case LeaveResult::NothingPending:
        return false;
    case LeaveResult::Refused:
        return true;
    case LeaveResult::Stored:
        // Storing may have re-sorted the nodes under the mouse: go to the
        // node that was clicked rather than to what lies there now.
        m_tree->SelectNode(target);
        return true;
    }
    return false;
}

bool TLeaveGuard::KeyPressed(QEvent *event)
{
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return false;
    default:
        return m_leave(nullptr) == LeaveResult::Refused;
    }
}

void NameFollowsTree(QLineEdit *nameEdit, TDBTreeView *tree)
{
    QObject::connect(nameEdit, &QLineEdit::textEdited, tree, [tree](const QString &text) {
        if (QTreeWidgetItem *node = tree->SelectedNode())
            node->setText(0, text);
    });
}

namespace {

class RightClickEdit : public QObject
{
public:
    RightClickEdit(QPlainTextEdit *memo, TableCursor &cursor, std::function<bool()> readOnly)
        : QObject(memo), m_cursor(cursor), m_readOnly(std::move(readOnly))
    {
        memo->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton && m_cursor.isOpen()
            && m_cursor.state() == CursorState::Browse && !m_cursor.isReadOnly() && m_cursor.position() >= 0
            && !m_readOnly())
            m_cursor.edit();
        return false;
    }

private:
    TableCursor &m_cursor;
    std::function<bool()> m_readOnly;
};

} // namespace

void EditOnRightClick(QPlainTextEdit *memo, TableCursor &cursor, std::function<bool()> readOnly)
{
    new RightClickEdit(memo, cursor, std::move(readOnly));
}

} // namespace qm
