#include "analysis/summary.h"

#include "counting/codes.h"
#include "store/collation.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace qm {

namespace {

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


SummaryMode SummaryModeFrom(int value)
{
    return value >= 0 && value < kSummaryModeCount ? SummaryMode(value) : SummaryMode::TypeChange;
}

int SummaryLevelFrom(int value)
{
    return value >= kSummaryMinLevel && value <= kSummaryMaxLevel ? value : kSummaryMinLevel;
}

QString SummaryModeCaption(SummaryMode mode)
{
    switch (mode) {
    case SummaryMode::TypeChange:
        return QStringLiteral("Type / Change Type");
    case SummaryMode::Breakdown:
        return QStringLiteral("Transaction Breakdown");
    case SummaryMode::Type:
        return QStringLiteral("Type");
    case SummaryMode::ChangeType:
        return QStringLiteral("Change Type");
    }
    return {};
}

QString SummaryGroupCaption(SummaryMode mode, int level)
{
    switch (mode) {
    case SummaryMode::TypeChange:
        return QStringLiteral("Summary - Type/Change Type");
    case SummaryMode::Breakdown:
        return QStringLiteral("Summary - Breakdown +%1 Level").arg(level);
    case SummaryMode::Type:
        return QStringLiteral("Summary - Type");
    case SummaryMode::ChangeType:
        return QStringLiteral("Summary - Change Type");
    }
    return {};
}

QStringList SummaryColumnCaptions(SummaryMode mode, bool full)
{
    const QString count = QStringLiteral("Count");
    const QString unadjusted = full ? QStringLiteral("UnAdjusted FP") : QStringLiteral("UnAdj. FP");
    const QString adjusted = full ? QStringLiteral("Adjusted FP") : QStringLiteral("Adj. FP");
    const QString type = QStringLiteral("Type");
    switch (mode) {
    case SummaryMode::TypeChange:
        return {type, full ? QStringLiteral("Change Type") : QStringLiteral("Chng. Type"), count, unadjusted, adjusted};
    case SummaryMode::Breakdown:
        if (full)
            return {type, QStringLiteral("Description"), count, unadjusted, adjusted};
        return {QStringLiteral("Description"), count, unadjusted, adjusted};
    case SummaryMode::Type:
        return {type, count, unadjusted, adjusted};
    case SummaryMode::ChangeType:
        // Its captions are the long ones in either list.
        return {QStringLiteral("Change Type"), count, QStringLiteral("UnAdjusted FP"), QStringLiteral("Adjusted FP")};
    }
    return {};
}

QStringList SummaryRowCells(SummaryMode mode, const SummaryEntry &e, bool full)
{
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

QList<QStringList> SortedSummaryRows(SummaryMode mode, const QList<SummaryEntry> &entries, bool full)
{
    QList<QStringList> rows;
    rows.reserve(entries.size());
    for (const SummaryEntry &e : entries)
        rows << SummaryRowCells(mode, e, full);
    std::stable_sort(rows.begin(), rows.end(), [](const QStringList &a, const QStringList &b) {
        return CompareSummaryCells(a.value(0), b.value(0)) < 0;
    });
    return rows;
}

int SummaryListKind(SummaryMode mode)
{
    return int(mode) + 1;
}

SummaryTable::SummaryTable(SummaryMode mode, int level, double vafAfter, double vafBefore)
    : m_mode(mode), m_level(SummaryLevelFrom(level)), m_vafAfter(vafAfter), m_vafBefore(vafBefore)
{
}

int SummaryTable::Capacity(SummaryMode mode)
{
    switch (mode) {
    case SummaryMode::Breakdown:
        return 500;
    case SummaryMode::ChangeType:
        return 5;
    case SummaryMode::TypeChange:
    case SummaryMode::Type:
        break;
    }
    return 20;
}

void SummaryTable::Clear()
{
    m_entries.clear();
    m_running = ChangeSums{};
}

bool SummaryTable::IsCounted(const WalkNode &node)
{
    return node.type != code::TransGroup && node.changeType != code::ChangeNone;
}

double SummaryTable::Adjusted(const WalkNode &node) const
{
    const double factor = node.changeType == code::ChangeDeleted ? m_vafBefore : m_vafAfter;
    return double(node.value) * factor;
}

void SummaryTable::Count(SummaryEntry &entry, const WalkNode &node)
{
    ++entry.itemCount;
    entry.unadjusted += qint32(node.value);
    entry.adjusted += Adjusted(node);
    if (m_mode == SummaryMode::Breakdown || m_mode == SummaryMode::Type)
        m_running.add(node.changeType, false, double(node.value));
}

SummaryTable::WalkResult SummaryTable::Walk(const QList<WalkNode> &nodes, const QString &category)
{
    if (m_mode == SummaryMode::Breakdown)
        return WalkBreakdown(nodes, category);
    return WalkGrouped(nodes, category);
}

int SummaryTable::FindOrAppend(const SummaryEntry &identity)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        const SummaryEntry &e = m_entries[i];
        if (e.category == identity.category && e.type == identity.type && e.changeType == identity.changeType)
            return i;
    }
    if (m_entries.size() >= Capacity(m_mode))
        return -1;
    m_entries.append(identity);
    return int(m_entries.size()) - 1;
}

// Modes 0, 2 and 3: one row per identity, in the order first met.
SummaryTable::WalkResult SummaryTable::WalkGrouped(const QList<WalkNode> &nodes, const QString &category)
{
    for (const WalkNode &node : nodes) {
        if (!IsCounted(node))
            continue;
        SummaryEntry identity;
        switch (m_mode) {
        case SummaryMode::TypeChange:
            identity.category = category;
            identity.type = node.type;
            identity.changeType = node.changeType;
            break;
        case SummaryMode::Type:
            identity.category = category;
            identity.type = node.type;
            break;
        case SummaryMode::ChangeType:
            // Transactions and files of one change type share the row.
            identity.changeType = node.changeType;
            break;
        case SummaryMode::Breakdown:
            break;
        }
        const int i = FindOrAppend(identity);
        if (i < 0)
            return m_mode == SummaryMode::TypeChange ? WalkResult::Overflow : WalkResult::Abandoned;
        Count(m_entries[i], node);
    }
    return WalkResult::Complete;
}

// Mode 1: the rows are the nodes at the target depth, plus shallower nodes
// without children; each row counts its whole subtree.
SummaryTable::WalkResult SummaryTable::WalkBreakdown(const QList<WalkNode> &nodes, const QString &category)
{
    if (nodes.isEmpty())
        return WalkResult::Complete;
    const int target = nodes.first().depth + m_level;
    qsizetype i = 0;
    while (i < nodes.size()) {
        const WalkNode &node = nodes[i];
        if (node.depth != target && (node.depth > target || node.hasChildren)) {
            ++i;
            continue;
        }
        if (m_entries.size() >= Capacity(m_mode))
            return WalkResult::Overflow;
        SummaryEntry entry;
        entry.category = category;
        entry.type = node.type;
        entry.description = node.description;
        entry.depth = node.depth;
        qsizetype j = i;
        do {
            if (IsCounted(nodes[j]))
                Count(entry, nodes[j]);
            ++j;
        } while (j < nodes.size() && nodes[j].depth > node.depth);
        // A group holding only groups or unchanged items is no row.
        if (entry.itemCount > 0)
            m_entries.append(entry);
        i = j;
    }
    return WalkResult::Complete;
}

ChangeSums SummaryTable::Sums() const
{
    if (m_mode == SummaryMode::Breakdown || m_mode == SummaryMode::Type)
        return m_running;
    ChangeSums sums;
    for (const SummaryEntry &e : m_entries) {
        if (e.changeType == code::ChangeDeleted)
            sums.deleted += e.unadjusted;
        else if (e.changeType == code::ChangeAdded)
            sums.added += e.unadjusted;
        else if (e.changeType == code::ChangeModified)
            sums.modified += e.unadjusted;
    }
    return sums;
}

} // namespace qm
