#pragma once

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

} // namespace qm
