#include "analysis/summarylistview.h"

#include "counting/codes.h"
#include "views/collation.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>

namespace qm {

namespace {

const QString kLongTypeSample = QStringLiteral("Transactions - External Inquiry");
const QString kShortTypeSample = QStringLiteral("Trans. - EQ");
const QString kLongDescriptionSample = QStringLiteral("1234567890123456789012345678901234567890");
const QString kShortDescriptionSample = QStringLiteral("123456789012345678901234567");

bool readNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = QLocale().toDouble(text, &ok);
    if (!ok)
        *value = QLocale::c().toDouble(text, &ok);
    return ok;
}

// A date, a time, or both, in the locale's or the ISO form.
bool readDateTime(const QString &text, QDateTime *value)
{
    const QLocale locale;
    for (QLocale::FormatType format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        QDateTime dt = locale.toDateTime(text, format);
        if (dt.isValid()) {
            *value = dt;
            return true;
        }
        const QDate d = locale.toDate(text, format);
        if (d.isValid()) {
            *value = d.startOfDay();
            return true;
        }
        const QTime t = locale.toTime(text, format);
        if (t.isValid()) {
            *value = QDateTime(QDate(2000, 1, 1), t);
            return true;
        }
    }
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (iso.isValid()) {
        *value = iso;
        return true;
    }
    return false;
}

// A cheap test before the parse: a date or time has digits and separators.
bool mayBeDateTime(const QString &text)
{
    bool digit = false;
    bool separator = false;
    for (const QChar c : text) {
        digit = digit || c.isDigit();
        separator = separator || c == u'/' || c == u':' || c == u'-' || c == u'.';
    }
    return digit && separator;
}

template <typename T>
int compareValues(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

int CompareSummaryCells(const QString &a, const QString &b)
{
    // Numbers first: every figure column is one, and parsing dates is slow.
    double na = 0, nb = 0;
    if (readNumber(a, &na) && readNumber(b, &nb))
        return compareValues(na, nb);
    QDateTime da, db;
    if (mayBeDateTime(a) && mayBeDateTime(b) && readDateTime(a, &da) && readDateTime(b, &db))
        return compareValues(da, db);
    return CompareText(a, b);
}

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
    const auto own = [this](const QString &caption, bool text) {
        return Column{caption, TextWidth(caption, 15), text};
    };
    const Column count = own(QStringLiteral("Count"), false);
    const Column unadjusted = own(full ? QStringLiteral("UnAdjusted FP") : QStringLiteral("UnAdj. FP"), false);
    const QString adjustedCaption = full ? QStringLiteral("Adjusted FP") : QStringLiteral("Adj. FP");
    const Column adjusted = own(adjustedCaption, false);
    const Column typeColumn = full ? Column{QStringLiteral("Type"), TextWidth(kLongTypeSample, 35), true}
                                   : Column{QStringLiteral("Type"), TextWidth(QStringLiteral("Type"), 55), true};
    // The short list of the two type modes gives its last column more room.
    const Column wideAdjusted{adjustedCaption, TextWidth(adjustedCaption, full ? 15 : 20), false};

    switch (mode) {
    case SummaryMode::TypeChange:
        return {typeColumn, own(full ? QStringLiteral("Change Type") : QStringLiteral("Chng. Type"), true), count,
                unadjusted, wideAdjusted};
    case SummaryMode::Breakdown:
        if (full)
            return {Column{QStringLiteral("Type"), TextWidth(kShortTypeSample, 35), true},
                    Column{QStringLiteral("Description"), TextWidth(kLongDescriptionSample, 15), true}, count,
                    unadjusted, adjusted};
        return {Column{QStringLiteral("Description"), TextWidth(kShortDescriptionSample, 15), true}, count,
                unadjusted, adjusted};
    case SummaryMode::Type:
        return {typeColumn, count, unadjusted, wideAdjusted};
    case SummaryMode::ChangeType:
        return {own(QStringLiteral("Change Type"), true), own(QStringLiteral("Count"), false),
                own(QStringLiteral("UnAdjusted FP"), false), own(QStringLiteral("Adjusted FP"), false)};
    }
    return {};
}

QStringList TSummaryListView::CellsFor(SummaryMode mode, const SummaryEntry &e) const
{
    const bool full = m_captions == Captions::Long;
    const QStringList figures = {QString::number(e.itemCount), QString::number(e.unadjusted),
                                 QString::number(e.adjusted, 'f', 1)};
    const QString typeText = full ? SummaryTypeText(e.type, e.category) : SummaryTypeShortText(e.type, e.category);
    switch (mode) {
    case SummaryMode::TypeChange:
        return QStringList{typeText, ChangeTypeText(e.changeType)} + figures;
    case SummaryMode::Breakdown:
        if (full)
            return QStringList{SummaryTypeShortText(e.type, e.category), e.description} + figures;
        return QStringList{e.description} + figures;
    case SummaryMode::Type:
        return QStringList{typeText} + figures;
    case SummaryMode::ChangeType:
        return QStringList{ChangeTypeText(e.changeType)} + figures;
    }
    return {};
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
