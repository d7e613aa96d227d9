#pragma once

// Types shared by the parts of TDBTreeView's implementation.

#include "views/dbtreeview.h"

#include <QSet>
#include <QSqlQuery>

#include <vector>

namespace qm {

// One record as the tree reads it, whatever source it came from.
struct TDBTreeView::SourceRow
{
    QString key;
    QString parentKey;
    QString name;
    QString type;
    QString type2;
    QString type3;
    double val = 0.0;
};

// Reads a source's rows one at a time, so that a large source need not be
// held in memory whole.
class TDBTreeView::RowReader
{
public:
    RowReader(const TDBTreeView &view, const StoreQuery &query, bool withParent);
    bool next(SourceRow &row);

private:
    QSqlQuery m_query;
    int m_id = -1, m_parent = -1, m_name = -1, m_val = -1, m_type = -1, m_type2 = -1, m_type3 = -1;
    QString m_lastParent;
};

// The state of one LoadTree: the parent rows held in memory so that a parent
// can be found by key wherever the walk needs it, the nodes waiting to be
// put into the view, the parents being added (a guard against owner chains
// that loop) and the nodes to open once the tree is in the view.
struct TDBTreeView::LoadContext
{
    std::vector<SourceRow> parentRows;
    QHash<qint64, int> parentRowOfKey;
    QSet<qint64> parentsInProgress;
    QList<QTreeWidgetItem *> topLevel;
    std::vector<QTreeWidgetItem *> branches;
};

// Holds back screen updates; nestable.
class TDBTreeView::UpdateLock
{
public:
    explicit UpdateLock(TDBTreeView &view) : m_view(view)
    {
        if (m_view.m_updateLock++ == 0) {
            m_view.m_updatesWereEnabled = m_view.updatesEnabled();
            m_view.setUpdatesEnabled(false);
        }
    }
    ~UpdateLock()
    {
        if (--m_view.m_updateLock == 0)
            m_view.setUpdatesEnabled(m_view.m_updatesWereEnabled);
    }
    UpdateLock(const UpdateLock &) = delete;
    UpdateLock &operator=(const UpdateLock &) = delete;

private:
    TDBTreeView &m_view;
};

// Holds back the selection-change handling (not the bold mark); nestable.
class TDBTreeView::ChangeLock
{
public:
    explicit ChangeLock(TDBTreeView &view) : m_view(view) { ++m_view.m_changeLock; }
    ~ChangeLock() { --m_view.m_changeLock; }
    ChangeLock(const ChangeLock &) = delete;
    ChangeLock &operator=(const ChangeLock &) = delete;

private:
    TDBTreeView &m_view;
};

} // namespace qm
