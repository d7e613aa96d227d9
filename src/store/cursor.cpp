#include "store/cursor.h"

#include "counting/codes.h"
#include "store/apperror.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/tablecopy.h"

#include <QSqlField>
#include <algorithm>

namespace qm {

namespace {

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// How the store compares a column with a value: numbers as numbers, anything
// else as text.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumeric(a) || isNumeric(b)) {
        bool okA = false;
        bool okB = false;
        const double x = a.toDouble(&okA);
        const double y = b.toDouble(&okB);
        if (okA && okB)
            return x == y;
    }
    return a.toString() == b.toString();
}

const TableDef *knownTable(const QString &name)
{
    for (const TableDef &t : AllTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

int clampPosition(int pos, int count)
{
    if (count <= 0)
        return -1;
    return std::clamp(pos, 0, count - 1);
}

} // namespace

TableCursor::TableCursor(Database &db, QObject *parent) : QObject(parent), m_db(db) {}

TableCursor::~TableCursor()
{
    // Nobody should hear from a cursor that is going away.
    blockSignals(true);
    close();
}

void TableCursor::setTable(const QString &table, const QString &orderBy)
{
    if (isOpen())
        throw StoreError(QStringLiteral("Cannot change the table of an open cursor"));
    m_table = table;
    m_orderBy = orderBy;
    m_isQuery = false;
}

void TableCursor::setQuery(const StoreQuery &query)
{
    if (isOpen())
        throw StoreError(QStringLiteral("Cannot change the query of an open cursor"));
    m_query = query;
    m_table.clear();
    m_orderBy.clear();
    m_isQuery = true;
}

void TableCursor::open(OpenFlags flags)
{
    close();
    if (!m_isQuery && m_table.isEmpty())
        throw StoreError(QStringLiteral("The cursor has no table or query"));
    if (m_isQuery)
        flags |= ReadOnly;
    if (!m_isQuery) {
        m_db.acquireTable(m_table, flags.testFlag(Exclusive));
        m_holdsTable = true;
    }
    m_flags = flags;
    try {
        loadStructure();
        loadRows();
    } catch (...) {
        if (m_holdsTable)
            m_db.releaseTable(m_table, flags.testFlag(Exclusive));
        m_holdsTable = false;
        m_flags = NoFlags;
        throw;
    }
    m_closeHook = m_db.addCloseHook([this] { close(); });
    setState(CursorState::Browse);
    moveTo(isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = isEmpty();
    announceRecord();
}

void TableCursor::close()
{
    if (!isOpen())
        return;
    if (m_holdsTable)
        m_db.releaseTable(m_table, isExclusive());
    m_holdsTable = false;
    if (m_closeHook)
        m_db.removeCloseHook(m_closeHook);
    m_closeHook = 0;
    m_rowIds.clear();
    m_rows.clear();
    m_posOfRowId.clear();
    m_posIndexStale = true;
    m_pos = -1;
    m_currentRowId = -1;
    m_current = QSqlRecord();
    m_modified.clear();
    m_flags = NoFlags;
    setState(CursorState::Inactive);
}

void TableCursor::requireOpen() const
{
    if (!isOpen())
        throw StoreError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TableCursor::requireWritable() const
{
    requireOpen();
    if (isReadOnly())
        throw StoreError(QStringLiteral("Cannot modify a read-only dataset"));
}

bool TableCursor::checkBrowseMode()
{
    requireOpen();
    return isEditing() ? post() : true;
}

void TableCursor::setState(CursorState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

QString TableCursor::orderClause() const
{
    return m_orderBy.isEmpty() ? QStringLiteral("rowid") : m_orderBy + QStringLiteral(", rowid");
}

void TableCursor::loadStructure()
{
    if (m_isQuery)
        return; // a query's columns come with its result
    m_template = m_db.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(QuoteName(m_table))).record();
    m_widths.assign(m_template.count(), 0);
    m_rowIdAlias = -1;
    QSqlQuery info = m_db.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QuoteName(m_table)));
    int keyColumns = 0;
    int keyIndex = -1;
    while (info.next()) {
        if (info.value(5).toInt() > 0) {
            ++keyColumns;
            if (info.value(2).toString().compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0)
                keyIndex = m_template.indexOf(info.value(1).toString());
        }
    }
    if (keyColumns == 1)
        m_rowIdAlias = keyIndex;
    if (const TableDef *def = knownTable(m_table)) {
        for (int i = 0; i < m_template.count(); ++i) {
            const ColumnDef *column = def->column(m_template.fieldName(i));
            if (column && column->type == ColumnType::Text)
                m_widths[i] = column->size;
        }
    }
}

void TableCursor::loadRows()
{
    if (m_isQuery)
        loadQueryRows();
    else
        loadTableRowIds();
}

void TableCursor::loadTableRowIds()
{
    m_rowIds.clear();
    m_posIndexStale = true;
    if (m_filtered && !m_filter)
        return; // the filter that accepts no record
    const QString table = QuoteName(m_table);
    if (!m_filtered) {
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(table, orderClause()));
        while (q.next())
            m_rowIds.push_back(q.value(0).toLongLong());
        return;
    }
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY %2").arg(table, orderClause()));
    QSqlRecord row = m_template;
    while (q.next()) {
        for (int i = 0; i < row.count(); ++i)
            row.setValue(i, q.value(i + 1));
        if (m_filter(row))
            m_rowIds.push_back(q.value(0).toLongLong());
    }
}

void TableCursor::loadQueryRows()
{
    m_rows.clear();
    QSqlQuery q = m_query.exec(m_db);
    m_template = q.record();
    m_widths.assign(m_template.count(), 0);
    if (m_filtered && !m_filter)
        return;
    QSqlRecord candidate = m_template;
    while (q.next()) {
        QVariantList row;
        row.reserve(m_template.count());
        for (int i = 0; i < m_template.count(); ++i)
            row.append(q.value(i));
        if (m_filtered) {
            for (int i = 0; i < candidate.count(); ++i)
                candidate.setValue(i, row.at(i));
            if (!m_filter(candidate))
                continue;
        }
        m_rows.push_back(std::move(row));
    }
}

int TableCursor::recordCount() const
{
    return static_cast<int>(m_isQuery ? m_rows.size() : m_rowIds.size());
}

void TableCursor::clearCurrent()
{
    m_current = m_template;
    for (int i = 0; i < m_current.count(); ++i)
        m_current.setValue(i, QVariant());
    m_currentRowId = -1;
}

void TableCursor::moveTo(int pos)
{
    m_pos = clampPosition(pos, recordCount());
    if (m_pos < 0) {
        clearCurrent();
        return;
    }
    readCurrent();
}

void TableCursor::readCurrent()
{
    m_current = m_template;
    if (m_isQuery) {
        const QVariantList &row = m_rows[m_pos];
        for (int i = 0; i < m_current.count(); ++i)
            m_current.setValue(i, row.at(i));
        return;
    }
    m_currentRowId = m_rowIds[m_pos];
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(QuoteName(m_table)),
                            {m_currentRowId});
    if (!q.next())
        throw StoreError(QStringLiteral("Record not found in %1").arg(m_table));
    for (int i = 0; i < m_current.count(); ++i)
        m_current.setValue(i, q.value(i));
}

int TableCursor::positionOfRowId(qint64 rowId) const
{
    if (m_posIndexStale) {
        m_posOfRowId.clear();
        m_posOfRowId.reserve(static_cast<qsizetype>(m_rowIds.size()));
        for (size_t i = 0; i < m_rowIds.size(); ++i)
            m_posOfRowId.insert(m_rowIds[i], static_cast<int>(i));
        m_posIndexStale = false;
    }
    return m_posOfRowId.value(rowId, -1);
}

bool TableCursor::first()
{
    if (!checkBrowseMode())
        return false;
    moveTo(0);
    m_bof = true;
    m_eof = isEmpty();
    announceRecord();
    return !isEmpty();
}

bool TableCursor::last()
{
    if (!checkBrowseMode())
        return false;
    moveTo(recordCount() - 1);
    m_eof = true;
    m_bof = isEmpty();
    announceRecord();
    return !isEmpty();
}

bool TableCursor::next()
{
    if (!checkBrowseMode())
        return false;
    if (m_pos + 1 >= recordCount()) {
        m_eof = true;
        return false;
    }
    moveTo(m_pos + 1);
    m_bof = m_eof = false;
    announceRecord();
    return true;
}

bool TableCursor::prior()
{
    if (!checkBrowseMode())
        return false;
    if (m_pos <= 0) {
        m_bof = true;
        return false;
    }
    moveTo(m_pos - 1);
    m_bof = m_eof = false;
    announceRecord();
    return true;
}

bool TableCursor::locate(const QString &field, const QVariant &value)
{
    return locate(QStringList{field}, QVariantList{value});
}

bool TableCursor::locate(const QStringList &fields, const QVariantList &values)
{
    if (fields.isEmpty() || fields.size() != values.size())
        throw StoreError(QStringLiteral("Locate needs one value per field"));
    if (!checkBrowseMode())
        return false;
    QList<int> indexes;
    for (const QString &f : fields) {
        const int i = fieldIndex(f);
        if (i < 0)
            throw StoreError(QStringLiteral("Field '%1' not found").arg(f));
        indexes << i;
    }
    int found = -1;
    if (m_isQuery) {
        for (int pos = 0; pos < recordCount() && found < 0; ++pos) {
            bool all = true;
            for (int k = 0; k < indexes.size() && all; ++k)
                all = sameValue(m_rows[pos].at(indexes[k]), values[k]);
            if (all)
                found = pos;
        }
    } else {
        QStringList conditions;
        QVariantList bound;
        for (int k = 0; k < indexes.size(); ++k) {
            const QString name = QuoteName(m_template.fieldName(indexes[k]));
            if (values[k].isNull()) {
                conditions << name + QStringLiteral(" IS NULL");
            } else {
                conditions << name + QStringLiteral(" = ?");
                bound << values[k];
            }
        }
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY %3")
                                    .arg(QuoteName(m_table), conditions.join(QStringLiteral(" AND ")),
                                         orderClause()),
                                bound);
        // A row the filter hides has no position and does not count.
        while (found < 0 && q.next())
            found = positionOfRowId(q.value(0).toLongLong());
    }
    if (found < 0)
        return false;
    moveTo(found);
    m_bof = m_eof = false;
    announceRecord();
    return true;
}

bool TableCursor::refresh()
{
    if (!checkBrowseMode())
        return false;
    const int oldPos = m_pos;
    const qint64 oldRowId = m_currentRowId;
    loadRows();
    int pos = m_isQuery ? oldPos : positionOfRowId(oldRowId);
    if (pos < 0)
        pos = oldPos;
    moveTo(pos);
    m_bof = m_eof = isEmpty();
    announceRecord();
    return true;
}

QStringList TableCursor::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < m_template.count(); ++i)
        names << m_template.fieldName(i);
    for (const CalcField &c : m_calcs)
        names << c.name;
    return names;
}

int TableCursor::fieldIndex(const QString &name) const
{
    return m_current.indexOf(name);
}

const TableCursor::CalcField *TableCursor::calcField(const QString &name) const
{
    for (const CalcField &c : m_calcs)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

bool TableCursor::hasField(const QString &name) const
{
    return calcField(name) || m_template.indexOf(name) >= 0;
}

QVariant TableCursor::value(const QString &field) const
{
    if (!isOpen())
        return {};
    if (const CalcField *c = calcField(field))
        return c->calc(*this);
    const int i = fieldIndex(field);
    if (i < 0)
        throw StoreError(QStringLiteral("Field '%1' not found").arg(field));
    return m_current.value(i);
}

void TableCursor::setValue(const QString &field, const QVariant &value)
{
    if (!isEditing())
        throw StoreError(QStringLiteral("Dataset not in edit or insert mode"));
    if (calcField(field))
        throw StoreError(QStringLiteral("Field '%1' cannot be modified").arg(field));
    const int i = fieldIndex(field);
    if (i < 0)
        throw StoreError(QStringLiteral("Field '%1' not found").arg(field));
    QVariant stored = value;
    const int width = m_widths[i];
    if (width > 0 && value.typeId() == QMetaType::QString && value.toString().size() > width)
        stored = value.toString().left(width);
    m_current.setValue(i, stored);
    m_modified[i] = true;
    announceField(m_current.fieldName(i));
    for (const CalcField &c : m_calcs)
        announceField(c.name);
}

bool TableCursor::isModified() const
{
    return std::find(m_modified.begin(), m_modified.end(), true) != m_modified.end();
}

void TableCursor::edit()
{
    requireWritable();
    if (isEditing())
        return;
    if (isEmpty()) {
        insert();
        return;
    }
    m_modified.assign(m_current.count(), false);
    setState(CursorState::Edit);
}

void TableCursor::insert()
{
    requireWritable();
    if (!checkBrowseMode())
        return;
    m_insertFrom = m_pos;
    clearCurrent();
    m_modified.assign(m_current.count(), false);
    setState(CursorState::Insert);
    announceRecord();
}

bool TableCursor::writeRow()
{
    const QString table = QuoteName(m_table);
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_current.count(); ++i) {
        if (m_modified[i]) {
            names << QuoteName(m_current.fieldName(i));
            values << m_current.value(i);
        }
    }
    if (m_state == CursorState::Insert) {
        QSqlQuery q = names.isEmpty()
                          ? m_db.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table))
                          : m_db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table, names.join(QStringLiteral(", ")),
                                               QStringList(names.size(), QStringLiteral("?"))
                                                   .join(QStringLiteral(", "))),
                                      values);
        m_currentRowId = q.lastInsertId().toLongLong();
        return false;
    }
    if (names.isEmpty())
        return false;
    values << m_currentRowId;
    m_db.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                  .arg(table, names.join(QStringLiteral(" = ?, "))),
              values);
    // A table keyed by one integer column keeps the key as its row id, so
    // changing the key moves the row.
    if (m_rowIdAlias >= 0 && m_modified[m_rowIdAlias]) {
        m_currentRowId = m_current.value(m_rowIdAlias).toLongLong();
        return true;
    }
    return false;
}

void TableCursor::reloadAfterWrite(qint64 rowId, int fallbackPos, bool moved)
{
    const bool inserted = m_state == CursorState::Insert;
    if (moved || !m_orderBy.isEmpty() || m_filtered) {
        loadTableRowIds();
    } else if (inserted) {
        // Natural order is row id order, so the new id slots straight in.
        m_rowIds.insert(std::lower_bound(m_rowIds.begin(), m_rowIds.end(), rowId), rowId);
        m_posIndexStale = true;
    }
    int pos = positionOfRowId(rowId);
    if (pos < 0)
        pos = fallbackPos;
    moveTo(pos);
    m_bof = m_eof = isEmpty();
}

bool TableCursor::post()
{
    requireOpen();
    if (!isEditing())
        return true;
    if (m_beforePost && !m_beforePost(*this))
        return false;
    const int fallback = m_state == CursorState::Insert ? m_insertFrom : m_pos;
    const bool moved = writeRow();
    reloadAfterWrite(m_currentRowId, fallback, moved);
    m_modified.assign(m_current.count(), false);
    setState(CursorState::Browse);
    announceRecord();
    emit afterPost();
    return true;
}

void TableCursor::cancel()
{
    if (!isEditing())
        return;
    moveTo(m_state == CursorState::Insert ? m_insertFrom : m_pos);
    m_modified.assign(m_current.count(), false);
    setState(CursorState::Browse);
    announceRecord();
    emit afterCancel();
}

void TableCursor::deleteRecord()
{
    requireWritable();
    if (m_state == CursorState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw StoreError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    m_db.exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(QuoteName(m_table)), {m_currentRowId});
    const int pos = m_pos;
    m_rowIds.erase(m_rowIds.begin() + pos);
    m_posIndexStale = true;
    m_modified.assign(m_current.count(), false);
    setState(CursorState::Browse);
    moveTo(pos);
    announceRecord();
}

void TableCursor::addCalcField(const QString &name, CalcFunction calc)
{
    for (CalcField &c : m_calcs) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
            c.calc = std::move(calc);
            return;
        }
    }
    m_calcs.push_back({name, std::move(calc)});
}

void TableCursor::setRecordFilter(RecordFilter filter)
{
    m_filter = std::move(filter);
    if (isOpen() && m_filtered)
        refresh();
}

void TableCursor::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    if (isOpen() && !checkBrowseMode())
        return;
    m_filtered = on;
    if (isOpen())
        refresh();
}

void TableCursor::disableControls()
{
    ++m_disabled;
}

void TableCursor::enableControls()
{
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    if (m_heldRecordChange) {
        m_heldRecordChange = false;
        emit recordChanged();
    }
}

void TableCursor::announceRecord()
{
    if (m_disabled > 0)
        m_heldRecordChange = true;
    else
        emit recordChanged();
}

void TableCursor::announceField(const QString &name)
{
    if (m_disabled > 0)
        m_heldRecordChange = true;
    else
        emit fieldChanged(name);
}

TableCursor::CalcFunction CountTypeCalc(CountTypeFlavour flavour)
{
    if (flavour == CountTypeFlavour::Catalogue)
        return [](const TableCursor &c) -> QVariant { return CatalogueCountTypeText(c.text(QStringLiteral("Type"))); };
    return [](const TableCursor &c) -> QVariant { return EditorCountTypeText(c.text(QStringLiteral("Type"))); };
}

TableCursor::CalcFunction StatusCalc()
{
    return [](const TableCursor &c) -> QVariant { return StatusText(c.text(QStringLiteral("Status"))); };
}

TableCursor::CalcFunction ComplexityLongCalc()
{
    return [](const TableCursor &c) -> QVariant { return ComplexityText(c.text(QStringLiteral("Complexity"))); };
}

void AddCountCalcFields(TableCursor &cursor, CountTypeFlavour flavour)
{
    cursor.addCalcField(QStringLiteral("TypeValue"), CountTypeCalc(flavour));
    cursor.addCalcField(QStringLiteral("StatusValue"), StatusCalc());
}

void AddComplexityCalcField(TableCursor &cursor)
{
    cursor.addCalcField(QStringLiteral("ComplexityLong"), ComplexityLongCalc());
}

} // namespace qm
