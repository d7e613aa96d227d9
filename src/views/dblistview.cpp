#include "views/dblistview.h"
#include "views/sourcefields.h"

#include "store/collation.h"

#include "counting/codes.h"
#include "store/apperror.h"
#include "store/database.h"
#include "store/query.h"

#include <QHeaderView>
#include <QSqlQuery>
#include <QSqlRecord>

namespace qm {

namespace {

} // namespace

TListItem::TListItem(const TListNodeInfo &nodeInfo) : QTreeWidgetItem(ItemType), info(nodeInfo)
{
    setText(0, info.name);
    setText(1, TDBListView::ChangeTypeCaption(info.changeType));
}

bool TListItem::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return CompareText(text(column < 0 ? 0 : column), other.text(column < 0 ? 0 : column)) < 0;
}

TDBListView::TDBListView(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The columns keep the widths they are given.
    header()->setStretchLastSection(false);
    resetColumns();
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (m_changeLock == 0)
            emit OnChange(this);
    });
}

TDBListView::~TDBListView()
{
    ++m_changeLock;
}

TListItem *TDBListView::ItemOf(QTreeWidgetItem *item)
{
    return item && item->type() == TListItem::ItemType ? static_cast<TListItem *>(item) : nullptr;
}

QString TDBListView::ChangeTypeCaption(const QString &code)
{
    if (code == code::ChangeAdded)
        return QStringLiteral("Add");
    if (code == code::ChangeModified)
        return QStringLiteral("Modify");
    if (code == code::ChangeDeleted)
        return QStringLiteral("Delete");
    return QStringLiteral("None");
}

void TDBListView::resetColumns()
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Description"), QStringLiteral("Change Type")});
    setColumnWidth(0, m_widthCol1);
    setColumnWidth(1, m_widthCol2);
}

void TDBListView::Load()
{
    if (!m_iSource || !m_db || !m_db->isOpen())
        return;
    QSqlQuery q = m_iSource->exec(*m_db);
    const QSqlRecord rec = q.record();
    const int iId = SourceFieldIndex(rec, m_fieldId, QStringLiteral("TDBListView"));
    const int iName = SourceFieldIndex(rec, m_fieldName, QStringLiteral("TDBListView"));
    const int iType = SourceFieldIndex(rec, m_fieldType, QStringLiteral("TDBListView"));
    const int iIType = SourceFieldIndex(rec, m_fieldIType, QStringLiteral("TDBListView"));

    ++m_changeLock;
    const bool wasEnabled = updatesEnabled();
    setUpdatesEnabled(false);
    // Items are appended unsorted and sorted once at the end.
    setSortingEnabled(false);
    Clear();
    resetColumns();
    while (q.next()) {
        auto *item = new TListItem({SourceText(q, iId), SourceText(q, iType), SourceText(q, iIType), SourceText(q, iName)});
        addTopLevelItem(item);
        SetItemImage(item, 0);
        emit OnGetImage(this, item);
    }
    SortByCaption();
    setSortingEnabled(true);
    setUpdatesEnabled(wasEnabled);
    --m_changeLock;
}

void TDBListView::Clear()
{
    ++m_changeLock;
    clear();
    --m_changeLock;
}

TListItem *TDBListView::CopyItem(const TListItem *source)
{
    if (!source)
        return nullptr;
    auto *item = new TListItem(source->info);
    item->setText(0, source->text(0));
    item->setText(1, source->text(1));
    item->m_image = source->m_image;
    item->setIcon(0, source->icon(0));
    addTopLevelItem(item);
    return item;
}

void TDBListView::RemoveItem(TListItem *item)
{
    delete item;
}

QString TDBListView::ItemId(const QTreeWidgetItem *item)
{
    return item && item->type() == TListItem::ItemType ? static_cast<const TListItem *>(item)->info.id : QString();
}

void TDBListView::SortByCaption()
{
    sortItems(0, Qt::AscendingOrder);
}

void TDBListView::SetItemImage(TListItem *item, int imageIndex)
{
    if (!item)
        return;
    item->m_image = imageIndex;
    item->setIcon(0, imageIndex >= 0 && imageIndex < m_images.size() ? m_images.at(imageIndex) : QIcon());
}

} // namespace qm
