#pragma once

#include "store/query.h"

#include <QHash>
#include <QObject>
#include <QSqlRecord>
#include <QVariant>
#include <functional>
#include <vector>

namespace qm {

class Database;

enum class CursorState { Inactive, Browse, Edit, Insert };

// A cursor over one table (editable) or one query result (read-only): the
// dataset the windows and their bound controls work on. It holds the ordered
// row ids of a table and reads only the current row; a query's rows are held
// in memory so the trees can position on them freely.
class TableCursor : public QObject
{
    Q_OBJECT

public:
    enum OpenFlag { NoFlags = 0x0, ReadOnly = 0x1, Exclusive = 0x2 };
    Q_DECLARE_FLAGS(OpenFlags, OpenFlag)

    // Computed columns are worked out from the current row on every read, so
    // they follow the row through moves and edits.
    using CalcFunction = std::function<QVariant(const TableCursor &)>;
    // Returning false refuses the post; the row stays in its edit.
    using BeforePostHook = std::function<bool(TableCursor &)>;
    // Sees the stored columns of a candidate row.
    using RecordFilter = std::function<bool(const QSqlRecord &)>;

    explicit TableCursor(Database &db, QObject *parent = nullptr);
    ~TableCursor() override;

    // The source is chosen while the cursor is closed. orderBy is a column
    // list; without it a table is read in the order its rows were added.
    void setTable(const QString &table, const QString &orderBy = {});
    void setQuery(const StoreQuery &query);
    // The query's parameters and condition line may change at any time; they
    // take effect at the next open or refresh.
    StoreQuery &query() { return m_query; }
    QString tableName() const { return m_table; }
    bool isQuery() const { return m_isQuery; }

    void open(OpenFlags flags = NoFlags);
    void close();
    bool isOpen() const { return m_state != CursorState::Inactive; }
    CursorState state() const { return m_state; }
    bool isEditing() const { return m_state == CursorState::Edit || m_state == CursorState::Insert; }
    bool isReadOnly() const { return m_flags.testFlag(ReadOnly); }
    bool isExclusive() const { return m_flags.testFlag(Exclusive); }

    // Moving posts a pending edit first; when the post is refused the cursor
    // stays where it is and the move returns false.
    bool first();
    bool last();
    bool next();
    bool prior();
    bool eof() const { return m_eof || isEmpty(); }
    bool bof() const { return m_bof || isEmpty(); }
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;
    int position() const { return m_pos; } // -1 when there is no row

    // Positions on the first row (in cursor order) with the given values;
    // when none matches the cursor stays where it was.
    bool locate(const QString &field, const QVariant &value);
    bool locate(const QStringList &fields, const QVariantList &values);

    // Re-reads the rows (re-runs a query), staying on the same row where it
    // still exists. Posts a pending edit first; false when that is refused.
    bool refresh();

    QStringList fieldNames() const; // stored columns, then computed ones
    bool hasField(const QString &name) const;
    // Stored or computed value of the current row; null on an empty cursor.
    QVariant value(const QString &field) const;
    QString text(const QString &field) const { return value(field).toString(); }
    qint64 intValue(const QString &field) const { return value(field).toLongLong(); }
    double floatValue(const QString &field) const { return value(field).toDouble(); }
    QSqlRecord record() const { return m_current; }
    qint64 rowId() const { return m_currentRowId; }

    // Only in Edit or Insert. Text longer than a known column's width is cut
    // to it, as a field of that width would.
    void setValue(const QString &field, const QVariant &value);
    bool isModified() const;

    void edit(); // on an empty cursor this starts a new row instead
    void insert();
    bool post();
    void cancel();
    void deleteRecord();

    void addCalcField(const QString &name, CalcFunction calc);
    void setBeforePost(BeforePostHook hook) { m_beforePost = std::move(hook); }
    // While filtered, only rows the filter accepts are visible; filtered
    // with no filter set, no row is (the view then shows an empty record).
    // Switching posts a pending edit first; if that is refused nothing
    // changes.
    void setRecordFilter(RecordFilter filter);
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }

    // Holds back record and field notifications (nestable); the last enable
    // announces the current record once if anything was held back.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

signals:
    void stateChanged(qm::CursorState state);
    void recordChanged();
    void fieldChanged(const QString &field);
    void afterPost();
    void afterCancel();

private:
    struct CalcField
    {
        QString name;
        CalcFunction calc;
    };

    void requireOpen() const;
    void requireWritable() const;
    bool checkBrowseMode();
    void setState(CursorState state);
    void loadStructure();
    void loadRows();
    void loadTableRowIds();
    void loadQueryRows();
    void moveTo(int pos);
    void readCurrent();
    void clearCurrent();
    int positionOfRowId(qint64 rowId) const;
    int fieldIndex(const QString &name) const;
    const CalcField *calcField(const QString &name) const;
    void reloadAfterWrite(qint64 rowId, int fallbackPos, bool moved);
    bool writeRow();
    void announceRecord();
    void announceField(const QString &name);
    QString orderClause() const;

    Database &m_db;
    QString m_table;
    QString m_orderBy;
    StoreQuery m_query;
    bool m_isQuery = false;

    OpenFlags m_flags;
    CursorState m_state = CursorState::Inactive;
    int m_closeHook = 0;
    bool m_holdsTable = false;

    QSqlRecord m_template;
    std::vector<qint64> m_rowIds;                // table rows in cursor order
    mutable QHash<qint64, int> m_posOfRowId;     // built on demand
    mutable bool m_posIndexStale = true;
    std::vector<QVariantList> m_rows;            // query rows
    std::vector<int> m_widths;                   // text widths per column, 0 = none
    int m_rowIdAlias = -1;                       // integer key column stored as row id

    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    QSqlRecord m_current;
    qint64 m_currentRowId = -1;
    std::vector<bool> m_modified;
    int m_insertFrom = -1;

    std::vector<CalcField> m_calcs;
    BeforePostHook m_beforePost;
    RecordFilter m_filter;
    bool m_filtered = false;

    int m_disabled = 0;
    bool m_heldRecordChange = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TableCursor::OpenFlags)

// Ready-made computed columns.
enum class CountTypeFlavour { Catalogue, Editor };

// `TypeValue` from `Type`: the catalogue's or the editor's wording.
TableCursor::CalcFunction CountTypeCalc(CountTypeFlavour flavour);
// `StatusValue` from `Status`.
TableCursor::CalcFunction StatusCalc();
// `ComplexityLong` from `Complexity`.
TableCursor::CalcFunction ComplexityLongCalc();

// The computed columns of a count cursor (`TypeValue`, `StatusValue`) and of
// a transaction or file cursor (`ComplexityLong`).
void AddCountCalcFields(TableCursor &cursor, CountTypeFlavour flavour);
void AddComplexityCalcField(TableCursor &cursor);

} // namespace qm
