#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace qm {

class TableCursor;

// The current row of the table a view edits: the single-record operations of
// the trees read it after a post or cancel and delete through it.
class UpdateSource
{
public:
    virtual ~UpdateSource() = default;

    virtual bool hasCurrentRow() const = 0;
    virtual QVariant value(const QString &field) const = 0;
    // Deletes the row the source is positioned on.
    virtual void deleteCurrentRow() = 0;
};

// The usual update source: a cursor on the edited table.
class CursorUpdateSource : public UpdateSource
{
public:
    explicit CursorUpdateSource(TableCursor &cursor) : m_cursor(cursor) {}

    bool hasCurrentRow() const override;
    QVariant value(const QString &field) const override;
    void deleteCurrentRow() override;

    TableCursor &cursor() const { return m_cursor; }

private:
    TableCursor &m_cursor;
};

// A row held in memory, for rows written straight to the table (a bulk
// copy) that the tree is to show without the cursor moving onto each one.
class RowUpdateSource : public UpdateSource
{
public:
    void set(const QString &field, const QVariant &value) { m_values.insert(field, value); }

    bool hasCurrentRow() const override { return !m_values.isEmpty(); }
    QVariant value(const QString &field) const override { return m_values.value(field); }
    // The row is not the tree's to delete.
    void deleteCurrentRow() override {}

private:
    QHash<QString, QVariant> m_values;
};

} // namespace qm
