#pragma once

#include "analysis/summary.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>

namespace qm {

// A row of a summary list; it keeps its entry so the chart can read the
// figures in the order shown.
class TSummaryItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 41;

    explicit TSummaryItem(const SummaryEntry &entry) : QTreeWidgetItem(ItemType), entry(entry) {}

    SummaryEntry entry;

    // Dates and times compare as such, numbers numerically, anything else
    // as text in the locale's case-sensitive order.
    bool operator<(const QTreeWidgetItem &other) const override;
};

// The report list of a summary: the count's summary on the "General" page
// (long captions) or a group's totals on the transaction panel (short).
class TSummaryListView : public QTreeWidget
{
    Q_OBJECT

public:
    enum class Captions { Long, Short };
    // How a header click chooses the direction: the count's list alternates
    // with every click whatever the column; the group list sorts a new
    // column ascending and reverses the current one.
    enum class ClickRule { Alternate, ToggleColumn };

    TSummaryListView(Captions captions, ClickRule rule, QWidget *parent = nullptr);

    // Icons: transaction input, output, inquiry, group; internal file,
    // external file.
    void setImages(const QList<QIcon> &images) { m_images = images; }
    // Shows the hourglass while a header click sorts.
    void setBusyWhileSorting(bool on) { m_busySort = on; }

    // Columns anew for the mode, one row per entry, then sorted again as
    // before when the mode is the one last shown.
    void Fill(SummaryMode mode, const QList<SummaryEntry> &entries);
    void Clear();

    SummaryMode mode() const { return m_mode; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Entries in displayed order.
    QList<SummaryEntry> Entries() const;
    // A row's texts, for tests and the report.
    QStringList RowTexts(int row) const;
    QStringList ColumnCaptions() const;

    // The header click, as the user's click runs it.
    void HeaderClicked(int column);

private:
    struct Column
    {
        QString caption;
        int width;
        bool text;
    };

    QList<Column> ColumnsFor(SummaryMode mode) const;
    QStringList CellsFor(SummaryMode mode, const SummaryEntry &entry) const;
    int IconFor(SummaryMode mode, const SummaryEntry &entry) const;
    int TextWidth(const QString &sample, int margin) const;
    void SortBy(int column, Qt::SortOrder order);

    Captions m_captions;
    ClickRule m_rule;
    QList<QIcon> m_images;
    bool m_busySort = false;
    int m_kind = 0; // 0: never filled
    SummaryMode m_mode = SummaryMode::TypeChange;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_nextClickDescending = true;
};

} // namespace qm
