#include "analysis/summarylistview.h"

#include "counting/codes.h"
#include "store/collation.h"

#include <QApplication>
#include <QHeaderView>

namespace qm {

namespace {

const QString kLongTypeSample = QStringLiteral("Transactions - External Inquiry");
const QString kShortTypeSample = QStringLiteral("Trans. - EQ");
const QString kLongDescriptionSample = QStringLiteral("1234567890123456789012345678901234567890");
const QString kShortDescriptionSample = QStringLiteral("123456789012345678901234567");

} // namespace

bool TSummaryItem::operator<(const QTreeWidgetItem &other) const
{
    const QTreeWidget *view = treeWidget();
    const int column = view ? view->sortColumn() : 0;
    return CompareSummaryCells(text(column), other.text(column)) < 0;
}

TSummaryListView::TSummaryListView(Captions captions, ClickRule rule, QWidget *parent)
    : QTreeWidget(parent), m_captions(captions), m_rule(rule)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setColumnCount(0);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TSummaryListView::HeaderClicked);
}

int TSummaryListView::TextWidth(const QString &sample, int margin) const
{
    return fontMetrics().horizontalAdvance(sample) + margin;
}

QList<TSummaryListView::Column> TSummaryListView::ColumnsFor(SummaryMode mode) const
{
    const bool full = m_captions == Captions::Long;
    const QStringList captions = SummaryColumnCaptions(mode, full);
    // The three figure columns close every mode; the text columns before
    // them are sized for their longest usual content.
    const qsizetype figures = captions.size() - 3;
    QList<Column> columns;
    for (qsizetype i = 0; i < captions.size(); ++i)
        columns.append(Column{captions[i], TextWidth(captions[i], 15), i < figures});
    const bool typeFirst = mode == SummaryMode::TypeChange || mode == SummaryMode::Type;
    if (typeFirst) {
        columns[0].width = full ? TextWidth(kLongTypeSample, 35) : TextWidth(captions[0], 55);
        // The short list of the two type modes gives its last column more room.
        columns.last().width = TextWidth(captions.last(), full ? 15 : 20);
    } else if (mode == SummaryMode::Breakdown) {
        if (full) {
            columns[0].width = TextWidth(kShortTypeSample, 35);
            columns[1].width = TextWidth(kLongDescriptionSample, 15);
        } else {
            columns[0].width = TextWidth(kShortDescriptionSample, 15);
        }
    }
    return columns;
}

QStringList TSummaryListView::CellsFor(SummaryMode mode, const SummaryEntry &e) const
{
    return SummaryRowCells(mode, e, m_captions == Captions::Long);
}

int TSummaryListView::IconFor(SummaryMode mode, const SummaryEntry &e) const
{
    if (mode == SummaryMode::ChangeType)
        return -1;
    if (e.category == code::SummaryTrans) {
        if (e.type == code::TransInput)
            return 0;
        if (e.type == code::TransOutput)
            return 1;
        if (e.type == code::TransInquiry)
            return 2;
        return 3;
    }
    return e.type == code::FileInternal ? 4 : 5;
}

void TSummaryListView::Clear()
{
    clear();
}

void TSummaryListView::Fill(SummaryMode mode, const QList<SummaryEntry> &entries)
{
    const int kind = SummaryListKind(mode);
    const bool sameKind = kind == m_kind;
    m_kind = kind;
    m_mode = mode;

    clear();
    const QList<Column> columns = ColumnsFor(mode);
    QStringList captions;
    for (const Column &c : columns)
        captions << c.caption;
    setColumnCount(int(columns.size()));
    setHeaderLabels(captions);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns[i].width);
        headerItem()->setTextAlignment(i, columns[i].text ? Qt::AlignLeft | Qt::AlignVCenter
                                                          : Qt::AlignRight | Qt::AlignVCenter);
    }

    QList<QTreeWidgetItem *> rows;
    rows.reserve(entries.size());
    for (const SummaryEntry &entry : entries) {
        auto *item = new TSummaryItem(entry);
        const QStringList cells = CellsFor(mode, entry);
        for (int i = 0; i < cells.size(); ++i) {
            item->setText(i, cells[i]);
            item->setTextAlignment(i, columns[i].text ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignRight | Qt::AlignVCenter);
        }
        const int icon = IconFor(mode, entry);
        if (icon >= 0 && icon < m_images.size())
            item->setIcon(0, m_images[icon]);
        rows << item;
    }
    addTopLevelItems(rows);

    if (!sameKind || m_sortColumn >= columns.size()) {
        m_sortColumn = 0;
        m_sortOrder = Qt::AscendingOrder;
    }
    SortBy(m_sortColumn, m_sortOrder);
}

void TSummaryListView::SortBy(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    header()->setSortIndicator(column, order);
    sortItems(column, order);
}

void TSummaryListView::HeaderClicked(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    Qt::SortOrder order = Qt::AscendingOrder;
    if (m_rule == ClickRule::Alternate) {
        order = m_nextClickDescending ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_nextClickDescending = !m_nextClickDescending;
    } else if (column == m_sortColumn) {
        order = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    if (m_busySort)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    SortBy(column, order);
    if (m_busySort)
        QApplication::restoreOverrideCursor();
}

QList<SummaryEntry> TSummaryListView::Entries() const
{
    QList<SummaryEntry> result;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (auto *item = dynamic_cast<TSummaryItem *>(topLevelItem(i)))
            result << item->entry;
    return result;
}

QStringList TSummaryListView::RowTexts(int row) const
{
    QStringList texts;
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return texts;
    for (int i = 0; i < columnCount(); ++i)
        texts << item->text(i);
    return texts;
}

QStringList TSummaryListView::ColumnCaptions() const
{
    QStringList captions;
    for (int i = 0; i < columnCount(); ++i)
        captions << headerItem()->text(i);
    return captions;
}

} // namespace qm
