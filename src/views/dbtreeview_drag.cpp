// Dragging a node of a TDBTreeView onto another: the view follows the
// gesture, scrolls near its edges and reports the drop; the owner decides
// what a drop means. Nodes are dragged only within their own view, so the
// view follows the mouse itself instead of starting a platform drag, which
// would offer the node to other programs too.

#include "views/dbtreeview.h"
#include "views/dbtreeview_p.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace qm {

namespace {

// Edge bands of a drag: the top band is 20 pixels, the bottom one 19.
constexpr int kTopBand = 20;
constexpr int kBottomBand = 19;
// Holding still near an edge keeps scrolling at this pace.
constexpr int kScrollInterval = 120;

} // namespace

void TDBTreeView::setOnDropNode(TDropNodeEvent handler)
{
    m_onDropNode = std::move(handler);
    setDragDropMode(QAbstractItemView::DragOnly);
    // The edges scroll by the view's own rule, not the item view's.
    setAutoScroll(false);
    if (!m_dragScrollTimer) {
        m_dragScrollTimer = new QTimer(this);
        m_dragScrollTimer->setInterval(kScrollInterval);
        connect(m_dragScrollTimer, &QTimer::timeout, this, [this] { DragScroll(m_dragPos); });
    }
}

void TDBTreeView::startDrag(Qt::DropActions)
{
    // The item view asks for a drag once the pressed node has been dragged
    // far enough; the rest of the gesture arrives as mouse moves.
    if (!m_onDropNode || !SelectedNode() || !dragEnabled())
        return;
    m_dragging = true;
    viewport()->setCursor(Qt::DragMoveCursor);
}

void TDBTreeView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        endDrag(); // the button went up outside the application
        return;
    }
    dragOver(event->position().toPoint());
}

void TDBTreeView::dragOver(const QPoint &viewportPos)
{
    m_dragPos = viewportPos;
    DragScroll(m_dragPos);
    const int y = m_dragPos.y();
    const bool nearEdge = y < kTopBand || viewport()->height() - y <= kBottomBand;
    if (nearEdge && !m_dragScrollTimer->isActive())
        m_dragScrollTimer->start();
    else if (!nearEdge)
        m_dragScrollTimer->stop();
    // Only a node takes a drop; empty space refuses it.
    QTreeWidgetItem *item = viewport()->rect().contains(m_dragPos) ? itemAt(m_dragPos) : nullptr;
    setDropTarget(item);
    viewport()->setCursor(item ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TDBTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QTreeWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const TTreeNode *target = viewport()->rect().contains(pos) ? NodeOf(itemAt(pos)) : nullptr;
    endDrag();
    event->accept();
    if (!target)
        return;
    // The handler may show messages and change the tree: it runs once the
    // mouse event is over, and finds the target again by its key.
    const QString key = target->info.key;
    QTimer::singleShot(0, this, [this, key] {
        if (m_onDropNode)
            m_onDropNode(key);
    });
}

void TDBTreeView::keyPressEvent(QKeyEvent *event)
{
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDrag();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TDBTreeView::focusOutEvent(QFocusEvent *event)
{
    // A message box or another window taking over ends the gesture.
    if (m_dragging)
        endDrag();
    QTreeWidget::focusOutEvent(event);
}

void TDBTreeView::setDropTarget(QTreeWidgetItem *item)
{
    const QPersistentModelIndex index(item ? indexFromItem(item) : QModelIndex());
    if (index == m_dropTarget)
        return;
    m_dropTarget = index;
    viewport()->update();
}

void TDBTreeView::endDrag()
{
    m_dragging = false;
    if (m_dragScrollTimer)
        m_dragScrollTimer->stop();
    setDropTarget(nullptr);
    viewport()->unsetCursor();
}

void TDBTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QTreeWidget::drawRow(painter, option, index);
    if (!m_dropTarget.isValid() || index != m_dropTarget)
        return;
    // The node a drop would land on is framed.
    painter->save();
    painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    painter->restore();
}

void TDBTreeView::DragScroll(const QPoint &viewportPos)
{
    QTreeWidgetItem *scrollTo = nullptr;
    QAbstractItemView::ScrollHint hint = QAbstractItemView::EnsureVisible;
    if (viewportPos.y() < kTopBand) {
        QTreeWidgetItem *top = topVisibleItem();
        if (top && top != topLevelItem(0)) {
            scrollTo = itemAbove(top);
            hint = QAbstractItemView::PositionAtTop;
        }
    } else if (viewport()->height() - viewportPos.y() <= kBottomBand) {
        if (QTreeWidgetItem *under = itemAt(viewportPos))
            scrollTo = itemBelow(under);
    }
    if (!scrollTo)
        return;
    scrollToItem(scrollTo, hint);
    viewport()->repaint();
}

} // namespace qm
