#include "analysis/countsummary.h"

#include "analysis/countfigures.h"

#include "analysis/summarylistview.h"
#include "counting/codes.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/dialogservice.h"
#include "views/dbtreeview.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTime>

namespace qm {

namespace {

void setText(const QPointer<QLineEdit> &edit, const QString &text)
{
    if (edit)
        edit->setText(text);
}

void setToolTip(const QPointer<QLineEdit> &edit, const QString &text)
{
    if (edit)
        edit->setToolTip(text);
}

// Holds back the list's drawing on every way out.
class NoRedraw
{
public:
    explicit NoRedraw(QWidget *widget) : m_widget(widget)
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(false);
    }
    ~NoRedraw()
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(true);
    }
    NoRedraw(const NoRedraw &) = delete;
    NoRedraw &operator=(const NoRedraw &) = delete;

private:
    QPointer<QWidget> m_widget;
};

void appendSubtree(QList<WalkNode> &nodes, const QTreeWidgetItem *item, int depth)
{
    const TTreeNode *node = TDBTreeView::NodeOf(const_cast<QTreeWidgetItem *>(item));
    if (!node || node->info.uncommitted)
        return;
    WalkNode w;
    w.type = node->info.type;
    w.changeType = node->info.type2;
    w.value = node->info.value;
    w.description = node->info.name;
    w.depth = depth;
    w.hasChildren = item->childCount() > 0;
    nodes.append(std::move(w));
    for (int i = 0; i < item->childCount(); ++i)
        appendSubtree(nodes, item->child(i), depth + 1);
}

int depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (const QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        ++depth;
    return depth;
}

} // namespace

QList<WalkNode> SummaryWalkNodes(const TDBTreeView &tree, const QTreeWidgetItem *start)
{
    QList<WalkNode> nodes;
    if (start) {
        appendSubtree(nodes, start, depthOf(start));
        return nodes;
    }
    nodes.reserve(tree.IndexedKeyCount());
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        appendSubtree(nodes, tree.topLevelItem(i), 0);
    return nodes;
}

TCountSummary::TCountSummary(Database &db, AppState &state, DialogService &messages, QObject *parent)
    : QObject(parent), m_db(db), m_state(state), m_messages(messages)
{
    m_ownerQuery.setSql(QStringLiteral("SELECT System AS system, Description AS description FROM CCounts "
                                       "WHERE Id = (SELECT Copy_Count_Id FROM Counts WHERE Id = :Id)"));
}

void TCountSummary::setTrees(TDBTreeView *trans, TDBTreeView *files)
{
    m_transTree = trans;
    m_filesTree = files;
}

TCountSummary::Stamp TCountSummary::CurrentStamp() const
{
    return {int(SummaryModeFrom(m_state.summaryMode)), SummaryLevelFrom(m_state.summaryLevel), m_state.changeCount};
}

bool TCountSummary::IsStale() const
{
    return !m_hasStamp || !(m_stamp == CurrentStamp());
}

void TCountSummary::ReadFactors()
{
    m_vafAfter = WorkingVafAfter(m_db, m_state.currentCountId);
    m_vafBefore = WorkingVafBefore(m_db, m_state.currentCountId);
    m_state.currentVaf = m_vafAfter;
    m_vafStale = false;
    for (const QPointer<QLineEdit> &edit : m_displays.vafAfter)
        setText(edit, QString::number(m_vafAfter, 'f', 2));
}

void TCountSummary::ReadOwnerCount()
{
    m_ownerQuery.setParam(QStringLiteral("Id"), m_state.currentCountId);
    QSqlQuery owner = m_ownerQuery.exec(m_db);
    const bool found = owner.next();
    setText(m_displays.ownerSystem, found ? owner.value(0).toString() : QString());
    setText(m_displays.ownerDescription, found ? owner.value(1).toString() : QString());
}

bool TCountSummary::WalkTree(SummaryTable &table, const TDBTreeView *tree, const QString &category,
                             const QTreeWidgetItem *start)
{
    if (!tree)
        return true;
    switch (table.Walk(SummaryWalkNodes(*tree, start), category)) {
    case SummaryTable::WalkResult::Complete:
        return true;
    case SummaryTable::WalkResult::Overflow:
        m_messages.message(MessageKind::Error, kSummaryOverflowMessage, MessageButtons::Ok);
        return true;
    case SummaryTable::WalkResult::Abandoned:
        break;
    }
    return false;
}

void TCountSummary::WriteTotals(const CountTotalFigures &t, const ChangeSums &sums)
{
    m_totals = t;
    setText(m_displays.totalUnadjusted, QString::number(t.unadjusted));
    setText(m_displays.totalAddedChanged, QString::number(t.addedChanged));
    setText(m_displays.totalDeleted, QString::number(t.deleted));
    setText(m_displays.adjustedAddChanged, QString::number(t.adjustedAddedChanged));
    setText(m_displays.adjustedDeleted, QString::number(t.adjustedDeleted));
    setText(m_displays.totalAdjusted, QString::number(t.totalAdjusted));
    setToolTip(m_displays.adjustedAddChanged, AdjustedProductText(t.addedChanged, m_vafAfter));
    setToolTip(m_displays.adjustedDeleted, AdjustedProductText(t.deleted, m_vafBefore));
    setToolTip(m_displays.totalAdjusted, AdjustedTotalText(sums, m_vafAfter, m_vafBefore));
}

void TCountSummary::RefreshSummary()
{
    const QTime started = QTime::currentTime();
    {
        NoRedraw hold(m_displays.summaryList);
        if (m_vafStale)
            ReadFactors();
        ReadOwnerCount();

        const SummaryMode mode = SummaryModeFrom(m_state.summaryMode);
        const int level = SummaryLevelFrom(m_state.summaryLevel);
        SummaryTable table(mode, level, m_vafAfter, m_vafBefore);
        // The file tree is walked even after the transaction tree overflowed.
        if (!WalkTree(table, m_transTree, code::SummaryTrans, nullptr)
            || !WalkTree(table, m_filesTree, code::SummaryFiles, nullptr))
            return;
        if (m_displays.summaryList)
            m_displays.summaryList->Fill(mode, table.entries());
        if (m_displays.summaryGroup)
            m_displays.summaryGroup->setTitle(SummaryGroupCaption(mode, level));
        WriteTotals(CountTotals(table.Sums(), m_vafAfter, m_vafBefore), table.Sums());
    }
    m_stamp = CurrentStamp();
    m_hasStamp = true;
    emit SummaryRefreshed();
    if (m_state.debug) {
        const double seconds = started.msecsTo(QTime::currentTime()) / 1000.0;
        m_messages.message(MessageKind::Information,
                           QStringLiteral("Sheet Count Duration:") + QString::number(seconds, 'f', 3),
                           MessageButtons::Ok);
    }
}

void TCountSummary::RefreshSummaryIfStale()
{
    if (IsStale())
        RefreshSummary();
}

void TCountSummary::RefreshTransTotals(const QTreeWidgetItem *node)
{
    if (!node || !m_transTree)
        return;
    const SummaryMode mode = SummaryModeFrom(m_state.summaryMode);
    SummaryTable table(mode, SummaryLevelFrom(m_state.summaryLevel), m_vafAfter, m_vafBefore);
    NoRedraw hold(m_displays.transTotalsList);
    if (!WalkTree(table, m_transTree, code::SummaryTrans, node))
        return;
    if (m_displays.transTotalsList)
        m_displays.transTotalsList->Fill(mode, table.entries());
}

void TCountSummary::ClearDisplays()
{
    if (m_displays.summaryList)
        m_displays.summaryList->Clear();
    if (m_displays.transTotalsList)
        m_displays.transTotalsList->Clear();
    m_hasStamp = false;
}

} // namespace qm
