#include "views/dbtreeview.h"

#include "store/collation.h"
#include "views/dbtreeview_p.h"
#include "views/updatesource.h"
#include "views/widgetdialogservice.h"

#include <QFont>
#include <QPalette>
#include <QStringBuilder>

#include <charconv>

namespace qm {

// --- TTreeNode ---

TTreeNode::TTreeNode(TDBTreeView *view, const TNodeInfo &nodeInfo)
    : QTreeWidgetItem(NodeType), info(nodeInfo), m_view(view)
{
}

TTreeNode::~TTreeNode()
{
    if (m_view)
        m_view->forgetNode(this);
}

TTreeNode *TTreeNode::parentNode() const
{
    return TDBTreeView::NodeOf(parent());
}

TTreeNode *TTreeNode::childNode(int i) const
{
    return TDBTreeView::NodeOf(child(i));
}

namespace {

bool isTextRole(int column, int role)
{
    return column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole);
}

} // namespace

QVariant TTreeNode::data(int column, int role) const
{
    if (isTextRole(column, role) && !m_ownText)
        return info.uncommitted ? QStringLiteral("__") : m_view->NodeText(info);
    return QTreeWidgetItem::data(column, role);
}

void TTreeNode::setData(int column, int role, const QVariant &value)
{
    if (isTextRole(column, role))
        m_ownText = true;
    QTreeWidgetItem::setData(column, role, value);
}

bool TTreeNode::operator<(const QTreeWidgetItem &other) const
{
    return CompareText(text(0), other.text(0)) < 0;
}

// --- TDBTreeView: set-up ---

TDBTreeView::TDBTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { onCurrentItemChanged(current); });
}

TDBTreeView::~TDBTreeView()
{
    // Nodes report their removal to the view, so they must go while the
    // view's own members still exist.
    m_destroying = true;
    ChangeLock lock(*this);
    m_clearing = true;
    clear();
}

void TDBTreeView::setUDataSource(UpdateSource *source)
{
    m_ownedUSource.reset();
    m_uSource = source;
}

void TDBTreeView::setUDataSource(TableCursor *cursor)
{
    m_ownedUSource.reset(cursor ? new CursorUpdateSource(*cursor) : nullptr);
    m_uSource = m_ownedUSource.get();
}

void TDBTreeView::setSortType(TSortType type)
{
    m_sortType = type;
    if (type == TSortType::Text || type == TSortType::Both)
        SortAll();
}

void TDBTreeView::setImages(const QList<QIcon> &images)
{
    m_images = images;
}

QColor TDBTreeView::FontColour() const
{
    return m_fontColour.isValid() ? m_fontColour : palette().color(QPalette::Text);
}

void TDBTreeView::ApplyFontColour()
{
    QPalette p = palette();
    p.setColor(QPalette::Text, FontColour());
    setPalette(p);
}

QString TDBTreeView::ActiveId() const
{
    const TTreeNode *node = SelectedNode();
    return node ? node->info.key : QString();
}

TTreeNode *TDBTreeView::SelectedNode() const
{
    return NodeOf(currentItem());
}

TTreeNode *TDBTreeView::NodeOf(QTreeWidgetItem *item)
{
    return item && item->type() == TTreeNode::NodeType ? static_cast<TTreeNode *>(item) : nullptr;
}

// --- Key index ---

qint64 TDBTreeView::keyValue(const QString &key)
{
    const QString t = key.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    // A key read from a float column arrives as "12.0".
    const double d = t.toDouble(&ok);
    return ok && d == double(qint64(d)) ? qint64(d) : 0;
}

bool TDBTreeView::isTopLevelKey(const QString &key)
{
    const QString t = key.trimmed();
    return t.isEmpty() || t == QLatin1String("0");
}

void TDBTreeView::indexNode(TTreeNode *node)
{
    indexNode(node, keyValue(node->info.key));
}

bool TDBTreeView::indexNode(TTreeNode *node, qint64 key)
{
    // The first node entered for a key keeps it, and key 0 stands for no key.
    if (key == 0)
        return true;
    TTreeNode *&slot = m_index[key];
    if (slot)
        return slot == node;
    slot = node;
    return true;
}

void TDBTreeView::unindexNode(TTreeNode *node)
{
    const qint64 k = keyValue(node->info.key);
    const auto it = m_index.constFind(k);
    if (it != m_index.constEnd() && *it == node)
        m_index.erase(it);
}

void TDBTreeView::forgetNode(TTreeNode *node)
{
    // A clear of the whole tree empties the index once; looking every node
    // up on the way would touch the whole index again, at random.
    if (m_clearing)
        return;
    unindexNode(node);
    if (m_bold == node)
        m_bold = nullptr;
    if (m_placeholder == node)
        m_placeholder = nullptr;
}

TTreeNode *TDBTreeView::FindNodeById(const QString &key)
{
    const qint64 k = keyValue(key);
    if (k == 0)
        return nullptr;
    TTreeNode *node = m_index.value(k);
    if (!node)
        return nullptr;
    // A node a caller has taken out of the view (and not put back) must not
    // be handed out as if it were shown.
    if (!m_building && node->treeWidget() != this) {
        showInformation(QStringLiteral("Error in TTree Lookup Id:") + key);
        return nullptr;
    }
    return node;
}

// --- Nodes ---

TTreeNode *TDBTreeView::createNode(const TNodeInfo &info)
{
    auto *node = new TTreeNode(this, info);
    chooseImage(node);
    return node;
}

QString TDBTreeView::NodeText(const TNodeInfo &info) const
{
    if (!m_valShow)
        return info.name;
    // Every node of a large tree gets one: a single allocation each, where
    // appending piece by piece took six.
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, info.value).ptr;
    return info.name % u" {" % QLatin1StringView(digits, end - digits) % u' ' % m_units % u'}';
}

void TDBTreeView::updateNodeText(TTreeNode *node)
{
    if (node->m_ownText) {
        node->QTreeWidgetItem::setData(0, Qt::DisplayRole, QVariant());
        node->m_ownText = false;
    }
    // The text follows the record; the view only needs telling.
    node->emitDataChanged();
}

void TDBTreeView::chooseImage(TTreeNode *node)
{
    if (m_onGetImage)
        SetNodeImage(node, m_onGetImage(node->info));
}

void TDBTreeView::SetNodeImage(TTreeNode *node, int imageIndex)
{
    if (!node)
        return;
    // Every change of a shown node costs the view a look-up: skip the ones
    // that change nothing.
    if (node->m_image == imageIndex && !node->icon(0).isNull())
        return;
    node->m_image = imageIndex;
    applyIcon(node);
}

void TDBTreeView::applyIcon(TTreeNode *node)
{
    const int imageIndex = node->m_image;
    QIcon icon = imageIndex >= 0 && imageIndex < m_images.size() ? m_images.at(imageIndex) : QIcon();
    if (node->m_cut && !icon.isNull()) {
        const QSize size = iconSize().isValid() ? iconSize() : QSize(16, 16);
        icon = QIcon(icon.pixmap(size, devicePixelRatio(), QIcon::Disabled));
    }
    node->setIcon(0, icon);
}

void TDBTreeView::SetNodeCut(TTreeNode *node, bool cut)
{
    if (!node || node->m_cut == cut)
        return;
    node->m_cut = cut;
    if (cut)
        node->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    else
        node->setData(0, Qt::ForegroundRole, QVariant());
    applyIcon(node);
}

void TDBTreeView::AddToNodeValue(qint64 delta, TTreeNode *node)
{
    for (TTreeNode *n = node; n; n = m_ripple ? n->parentNode() : nullptr) {
        n->info.value += delta;
        if (m_valShow && !m_building)
            updateNodeText(n);
    }
}

void TDBTreeView::ClearTree()
{
    ChangeLock lock(*this);
    m_bold = nullptr;
    m_placeholder = nullptr;
    m_index.clear();
    m_clearing = true;
    clear();
    m_clearing = false;
}

// --- Messages ---

namespace {

DialogService &fallbackDialogs()
{
    static WidgetDialogService service;
    return service;
}

} // namespace

void TDBTreeView::showError(const QString &text)
{
    (m_dialogs ? *m_dialogs : fallbackDialogs()).error(text);
}

void TDBTreeView::showInformation(const QString &text)
{
    (m_dialogs ? *m_dialogs : fallbackDialogs()).information(text);
}

// --- Selection ---

void TDBTreeView::onCurrentItemChanged(QTreeWidgetItem *current)
{
    if (!m_clearing)
        markBold(current);
    if (m_changeLock == 0)
        runChangeHandling();
}

void TDBTreeView::markBold(QTreeWidgetItem *current)
{
    TTreeNode *node = NodeOf(current);
    if (m_bold && m_bold != node)
        m_bold->setData(0, Qt::FontRole, QVariant());
    if (node && m_bold != node) {
        QFont f = font();
        f.setBold(true);
        node->setFont(0, f);
    }
    m_bold = node;
}

void TDBTreeView::runChangeHandling()
{
    // Moving away from a row being inserted abandons it; the selection the
    // user made stays where it is.
    if (m_placeholder && currentItem() != m_placeholder)
        DiscardUncommittedNode();
    emit OnAfterChange(this);
}

void TDBTreeView::selectQuietly(QTreeWidgetItem *node)
{
    ChangeLock lock(*this);
    setCurrentItem(node);
    if (!node)
        clearSelection();
}

void TDBTreeView::SelectNode(QTreeWidgetItem *node)
{
    // A node inside a collapsed group is revealed, as the user would see it.
    for (QTreeWidgetItem *p = node ? node->parent() : nullptr; p; p = p->parent())
        if (!p->isExpanded())
            p->setExpanded(true);
    if (currentItem() == node)
        return;
    if (node) {
        setCurrentItem(node);
        return;
    }
    {
        ChangeLock lock(*this);
        setCurrentItem(nullptr);
        clearSelection();
    }
    runChangeHandling();
}

} // namespace qm
