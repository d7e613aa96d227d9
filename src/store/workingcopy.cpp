#include "store/workingcopy.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/query.h"
#include "store/schema.h"
#include "store/tablecopy.h"
#include "store/workingcopyui.h"

#include <QSqlQuery>

#include <algorithm>

namespace qm {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");

// Pairs the hourglass on every way out, exceptions included.
class BusyGuard
{
public:
    explicit BusyGuard(WorkingCopyUi &ui) : m_ui(ui) { m_ui.beginBusy(); }
    ~BusyGuard() { m_ui.endBusy(); }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    WorkingCopyUi &m_ui;
};

QString columnList(const QString &table)
{
    QStringList quoted;
    for (const QString &name : TableByName(table).columnNames())
        quoted << QuoteName(name);
    return quoted.join(QStringLiteral(", "));
}

QList<ColumnMap> sameNames(const QString &table)
{
    QList<ColumnMap> pairs;
    for (const QString &name : TableByName(table).columnNames())
        pairs.append({name, name});
    return pairs;
}

// One step of loading: a working table re-created from the saved rows of
// one count, in the saved tables' key order.
StoreQuery loadQuery(const QString &source, const QString &columns, const QString &idColumn,
                     const QString &order, int id)
{
    StoreQuery q(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :Id").arg(columns, source, idColumn), order);
    q.setParam(QStringLiteral("Id"), id);
    return q;
}

// The links are kept in saved order, which the count index does not hold:
// found through it, every row is a seek into the table and the whole lot is
// sorted again, a cost that grew faster than the count. A save appends a
// count's links together, so they lie in one stretch of rowids; the index
// gives the stretch's ends (reading the index alone) and the table is walked
// along it. The count test on the walk keeps the result right should other
// rows ever lie inside the stretch; the plus keeps the planner off the index.
StoreQuery linksLoadQuery(const QString &columns, int id)
{
    StoreQuery q(QStringLiteral("SELECT %1 FROM CFilesLink WHERE rowid BETWEEN "
                                "(SELECT MIN(rowid) FROM CFilesLink WHERE Count_Id = :Id) AND "
                                "(SELECT MAX(rowid) FROM CFilesLink WHERE Count_Id = :Id) AND +Count_Id = :Id")
                     .arg(columns),
                 QStringLiteral("ORDER BY rowid"));
    q.setParam(QStringLiteral("Id"), id);
    return q;
}

} // namespace

WorkingCopy::WorkingCopy(Database &db, AppState &state, WorkingCopyUi *ui)
    : m_db(db), m_state(state), m_ui(ui), m_clock([] { return QDateTime::currentDateTime(); })
{
}

WorkingCopyUi &WorkingCopy::ui() const
{
    if (!m_ui)
        throw AppError(QStringLiteral("TWorkingCopy"), QStringLiteral("No window drives the working copy"));
    return *m_ui;
}

void WorkingCopy::status(const QString &text)
{
    ui().showStatus(text);
}

int WorkingCopy::NextCountId()
{
    return m_db.scalar(QStringLiteral("SELECT COALESCE(MAX(Id), 0) + 1 FROM CCounts")).toInt();
}

int WorkingCopy::NextTransTag()
{
    if (m_state.nextTransTag == 0) {
        const int saved = m_db.scalar(QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM CTrans")).toInt();
        const int working = m_db.scalar(QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM Trans")).toInt();
        m_state.nextTransTag = std::max(saved, working) + 1;
    } else {
        ++m_state.nextTransTag;
    }
    return m_state.nextTransTag;
}

int WorkingCopy::NextFileTag()
{
    if (m_state.nextFileTag == 0) {
        const int saved = m_db.scalar(QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM CFiles")).toInt();
        const int working = m_db.scalar(QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM Files")).toInt();
        m_state.nextFileTag = std::max(saved, working) + 1;
    } else {
        ++m_state.nextFileTag;
    }
    return m_state.nextFileTag;
}

void WorkingCopy::indexWorkingTables()
{
    // The editor finds rows by tag and links by either end; re-created
    // tables lose their indexes, so they are added after every load.
    m_db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS Trans_Tag ON Trans (Tag)"));
    m_db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS Files_Tag ON Files (Tag)"));
    m_db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS FilesLink_Trans ON FilesLink (Trans_Tag)"));
    m_db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS FilesLink_File ON FilesLink (File_Tag)"));
}

void WorkingCopy::CreateWorkingCount(int id, const QString &typeCode)
{
    const QDateTime now = m_clock();
    const QString time = now.time().toString(kTimeFormat);
    const QString date = now.date().toString(kDateFormat);
    QList<std::pair<QString, QVariant>> row = {
        {QStringLiteral("Id"), id},
        {QStringLiteral("System"), text::NewCountSystem},
        {QStringLiteral("Description"), text::NewCountName},
        {QStringLiteral("LastUpd_Time"), time},
        {QStringLiteral("LastUpd_Date"), date},
        {QStringLiteral("Created_Time"), time},
        {QStringLiteral("Created_Date"), date},
        {QStringLiteral("Created_By"), QStringLiteral(" ")},
        {QStringLiteral("Type"), typeCode},
        {QStringLiteral("Version"), 1.0},
        {QStringLiteral("Copy_Count_Id"), 0},
    };
    for (int i = 1; i <= CharacteristicCount; ++i)
        row.append({QStringLiteral("VAF_%1").arg(i), 3});
    row.append({{QStringLiteral("Last_Files_Tag"), 0.0},
                {QStringLiteral("Last_Trans_Tag"), 0.0},
                {QStringLiteral("Status"), code::StatusUpdatable},
                {QStringLiteral("Notes"), QStringLiteral(" ")},
                {QStringLiteral("Old_VAF"), 1.00},
                {QStringLiteral("FP_Val"), 0},
                {QStringLiteral("Ext_Id"), id}});

    // Text is cut to its column's width as it enters the store: the
    // default system name is one character wider than its column, and the
    // saved tables refuse anything longer.
    const TableDef &counts = TableByName(QStringLiteral("Counts"));
    QStringList names;
    QVariantList values;
    for (const auto &[name, value] : row) {
        names << QuoteName(name);
        const ColumnDef *column = counts.column(name);
        if (column && column->type == ColumnType::Text && value.typeId() == QMetaType::QString)
            values << value.toString().left(column->size);
        else
            values << value;
    }
    Transaction tx(m_db);
    for (const QString &table : {QStringLiteral("Counts"), QStringLiteral("Trans"), QStringLiteral("Files"),
                                 QStringLiteral("FilesLink")})
        EmptyTable(m_db, table);
    m_db.exec(QStringLiteral("INSERT INTO Counts (%1) VALUES (%2)")
                  .arg(names.join(QStringLiteral(", ")),
                       QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
              values);
    indexWorkingTables();
    tx.commit();
}

void WorkingCopy::LoadWorkingCopy(int id, const StatusCallback &status)
{
    // A new count lives only in the working tables: loading would wipe it.
    if (m_state.newCount)
        return;
    const auto report = [&status](const QString &text) {
        if (status)
            status(text);
    };
    const QString byTag = QStringLiteral("ORDER BY Tag");
    // One transaction: a failure leaves the previous working copy whole.
    Transaction tx(m_db);
    report(text::StatusLoadLinks);
    ReplaceTable(m_db, QStringLiteral("FilesLink"), linksLoadQuery(columnList(QStringLiteral("FilesLink")), id));
    report(text::StatusLoadFiles);
    ReplaceTable(m_db, QStringLiteral("Files"),
                 loadQuery(QStringLiteral("CFiles"), columnList(QStringLiteral("Files")),
                           QStringLiteral("Count_Id"), byTag, id));
    report(text::StatusLoadTrans);
    ReplaceTable(m_db, QStringLiteral("Trans"),
                 loadQuery(QStringLiteral("CTrans"), columnList(QStringLiteral("Trans")),
                           QStringLiteral("Count_Id"), byTag, id));
    report(text::StatusLoadCount);
    ReplaceTable(m_db, QStringLiteral("Counts"),
                 loadQuery(QStringLiteral("CCounts"), columnList(QStringLiteral("Counts")),
                           QStringLiteral("Id"), {}, id));
    indexWorkingTables();
    tx.commit();
}

bool WorkingCopy::prepareSave()
{
    if (m_state.reportBusy) {
        if (ui().message(MessageKind::Confirmation, text::SaveWhileReport, MessageButtons::YesNo)
            != MessageAnswer::Yes)
            return false;
        ui().cancelReport();
    }
    ui().postPendingEdits();
    ui().dockPanels();
    return true;
}

void WorkingCopy::deleteCountRows(int id)
{
    for (const QString &table : {QStringLiteral("CFilesLink"), QStringLiteral("CFiles"), QStringLiteral("CTrans")})
        m_db.exec(QStringLiteral("DELETE FROM %1 WHERE Count_Id = ?").arg(table), {id});
    m_db.exec(QStringLiteral("DELETE FROM CCounts WHERE Id = ?"), {id});
}

// Empty when every append succeeded, else the store's error text.
QString WorkingCopy::appendWorkingRows()
{
    struct Step
    {
        QString status;
        QString source;
        QString target;
    };
    const Step steps[] = {
        {text::StatusSaveCount, QStringLiteral("Counts"), QStringLiteral("CCounts")},
        {text::StatusSaveLinks, QStringLiteral("FilesLink"), QStringLiteral("CFilesLink")},
        {text::StatusSaveFiles, QStringLiteral("Files"), QStringLiteral("CFiles")},
        {text::StatusSaveTrans, QStringLiteral("Trans"), QStringLiteral("CTrans")},
    };
    for (const Step &step : steps) {
        status(step.status);
        try {
            // By name: a working table's column order follows the query that
            // last re-created it.
            AppendByName(m_db, step.target, StoreQuery(QStringLiteral("SELECT * FROM ") + step.source),
                         sameNames(step.target));
        } catch (const StoreError &e) {
            return e.message();
        }
    }
    return {};
}

// The row to be saved gets the total its items give, inside the save's
// transaction: a save cut short after its commit, or a derivation that
// changes the items' change types, never leaves the catalogue with another
// count's figure.
void WorkingCopy::setWorkingTotal()
{
    QStringList columns{QStringLiteral("Old_VAF")};
    for (int i = 1; i <= CharacteristicCount; ++i)
        columns << QStringLiteral("VAF_%1").arg(i);
    QSqlQuery count = m_db.exec(QStringLiteral("SELECT %1 FROM Counts LIMIT 1").arg(columns.join(QStringLiteral(", "))));
    if (!count.next())
        return;
    Characteristics vaf{};
    for (int i = 0; i < CharacteristicCount; ++i)
        vaf[size_t(i)] = count.value(1 + i).toInt();
    ChangeSums sums;
    QSqlQuery trans = m_db.exec(QStringLiteral("SELECT Change_Type, Type, FP_Val FROM Trans"));
    while (trans.next())
        sums.add(trans.value(0).toString(), trans.value(1).toString().trimmed() == code::TransGroup,
                 trans.value(2).toDouble());
    QSqlQuery files = m_db.exec(QStringLiteral("SELECT Change_Type, FP_Val FROM Files"));
    while (files.next())
        sums.add(files.value(0).toString(), false, files.value(1).toDouble());
    m_db.exec(QStringLiteral("UPDATE Counts SET FP_Val = ?"),
              {CountTotals(sums, ValueAdjustmentFactor(vaf), count.value(0).toDouble()).totalAdjusted});
}

void WorkingCopy::renumberForSave(int newId)
{
    const QDateTime now = m_clock();
    m_db.exec(QStringLiteral("UPDATE Counts SET Id = ?, LastUpd_Time = ?, LastUpd_Date = ?"),
              {newId, now.time().toString(kTimeFormat), now.date().toString(kDateFormat)});
    for (const QString &table : {QStringLiteral("Trans"), QStringLiteral("Files"), QStringLiteral("FilesLink")})
        m_db.exec(QStringLiteral("UPDATE %1 SET Count_Id = ?").arg(table), {newId});
}

void WorkingCopy::abandonSave(const QString &failure)
{
    // The transaction has been rolled back: the cursors must see the
    // working rows under their old number again.
    ui().refreshCursors();
    status(QString());
    ui().message(MessageKind::Error, failure, MessageButtons::Ok);
}

bool WorkingCopy::SaveWorkingCopy()
{
    if (!prepareSave())
        return false;
    const int newId = NextCountId();
    const int oldId = m_state.currentCountId;
    const QVariant name = m_db.scalar(QStringLiteral("SELECT Description FROM Counts LIMIT 1"));
    if (m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM CCounts WHERE Description = ? AND Id <> ?"), {name, oldId})
            .toInt()
        > 0) {
        ui().showCountName();
        ui().message(MessageKind::Error, text::DuplicateCountName, MessageButtons::Ok);
        return false;
    }
    BusyGuard busy(ui());
    QString failure;
    {
        // Renumbering, appending and replacing succeed or fail together, so
        // an interrupted save leaves the old count whole and no partial copy.
        Transaction tx(m_db);
        renumberForSave(newId);
        ui().refreshCursors();
        deleteCountRows(newId);
        setWorkingTotal();
        failure = appendWorkingRows();
        if (failure.isEmpty()) {
            if (!m_state.newCount) {
                status(text::StatusReplacing);
                m_db.exec(QStringLiteral("UPDATE CCounts SET Copy_Count_Id = ? WHERE Copy_Count_Id = ?"),
                          {newId, oldId});
                deleteCountRows(oldId);
            }
            tx.commit();
        }
    }
    if (!failure.isEmpty()) {
        abandonSave(failure);
        return false;
    }
    finishSave(newId);
    return true;
}

bool WorkingCopy::SaveWorkingCopyAs(const QString &requestedType)
{
    if (requestedType != code::CountBase && requestedType != code::CountEnhancement)
        throw AppError(QStringLiteral("TWorkingCopy"), QStringLiteral("Unknown count type %1").arg(requestedType));
    if (!prepareSave())
        return false;
    const int newId = NextCountId();
    const int oldId = m_state.currentCountId;
    const int parentId = m_state.newCount ? 0 : oldId;
    const std::optional<QString> name = ui().askNewCountName();
    if (!name)
        return false;

    const QString workingType = m_db.scalar(QStringLiteral("SELECT Type FROM Counts LIMIT 1")).toString();
    Derivation kind = Derivation::ExactCopy;
    QString confirmation = text::ConfirmExactCopy;
    if (requestedType == code::CountEnhancement && workingType != code::CountEnhancement) {
        kind = Derivation::EnhancementFromBase;
        confirmation = text::ConfirmEnhancementFromBase;
    } else if (requestedType == code::CountBase && workingType == code::CountEnhancement) {
        kind = Derivation::BaseFromEnhancement;
        confirmation = text::ConfirmBaseFromEnhancement;
    }
    if (ui().message(MessageKind::Confirmation, confirmation, MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;

    BusyGuard busy(ui());
    QString failure;
    {
        Transaction tx(m_db);
        deriveWorkingCopy(kind, requestedType, newId, parentId, *name);
        ui().refreshCursors();
        deleteCountRows(newId);
        setWorkingTotal();
        failure = appendWorkingRows();
        if (failure.isEmpty())
            tx.commit();
    }
    if (!failure.isEmpty()) {
        abandonSave(failure);
        return false;
    }
    ui().rebuildAfterSaveAs();
    finishSave(newId);
    return true;
}

void WorkingCopy::deriveWorkingCopy(Derivation kind, const QString &typeCode, int newId, int parentId,
                                    const QString &name)
{
    const double sourceOldVaf = m_db.scalar(QStringLiteral("SELECT Old_VAF FROM Counts LIMIT 1")).toDouble();
    const double oldVaf = RoundVafTwoDecimals(kind == Derivation::ExactCopy ? sourceOldVaf : m_state.currentVaf);
    const QDateTime now = m_clock();
    const QString time = now.time().toString(kTimeFormat);
    const QString date = now.date().toString(kDateFormat);
    m_db.exec(QStringLiteral("UPDATE Counts SET Id = ?, Ext_Id = ?, Copy_Count_Id = ?, Description = ?, "
                             "Created_Time = ?, LastUpd_Time = ?, Created_Date = ?, LastUpd_Date = ?, "
                             "Type = ?, Old_VAF = ?"),
              {newId, newId, parentId, name, time, time, date, date, typeCode, oldVaf});

    if (kind == Derivation::BaseFromEnhancement) {
        m_db.exec(QStringLiteral("DELETE FROM Files WHERE Change_Type = ?"), {code::ChangeDeleted});
        m_db.exec(QStringLiteral("DELETE FROM Trans WHERE Change_Type = ?"), {code::ChangeDeleted});
        m_db.exec(QStringLiteral("DELETE FROM FilesLink WHERE Trans_Tag NOT IN "
                                 "(SELECT Tag FROM Trans WHERE Tag IS NOT NULL)"));
        m_db.exec(QStringLiteral("DELETE FROM FilesLink WHERE File_Tag NOT IN "
                                 "(SELECT Tag FROM Files WHERE Tag IS NOT NULL)"));
    }
    for (const QString &table : {QStringLiteral("Trans"), QStringLiteral("Files")}) {
        switch (kind) {
        case Derivation::ExactCopy:
            m_db.exec(QStringLiteral("UPDATE %1 SET Count_Id = ?").arg(table), {newId});
            break;
        case Derivation::EnhancementFromBase:
            m_db.exec(QStringLiteral("UPDATE %1 SET Count_Id = ?, Change_Type = ?").arg(table),
                      {newId, code::ChangeNone});
            break;
        case Derivation::BaseFromEnhancement:
            m_db.exec(QStringLiteral("UPDATE %1 SET Count_Id = ?, Change_Type = ?").arg(table),
                      {newId, code::ChangeAdded});
            break;
        }
    }
    m_db.exec(QStringLiteral("UPDATE FilesLink SET Count_Id = ?"), {newId});
}

void WorkingCopy::finishSave(int newId)
{
    ui().refreshTitle();
    status(QString());
    m_state.currentCountId = newId;
    m_state.changeCount = 0;
    m_state.newCount = false;
    ui().refreshSummary();
    m_db.closeAllCursors();
    ui().reopenAfterSave();
    ui().refreshSummary();
}

void WorkingCopy::DeleteCount(int id)
{
    Transaction tx(m_db);
    deleteCountRows(id);
    m_db.exec(QStringLiteral("UPDATE CCounts SET Copy_Count_Id = 0 WHERE Copy_Count_Id = ?"), {id});
    tx.commit();
}

void WorkingCopy::StoreCountTotal(bool changesDiscarded)
{
    if (m_state.filterActive) {
        ui().switchFilterOff();
        ui().refreshSummary();
    }
    // The catalogue's figure belongs to the saved count, not to a working
    // copy the user threw away.
    if (changesDiscarded)
        return;
    m_db.exec(QStringLiteral("UPDATE CCounts SET FP_Val = ? WHERE Id = ?"),
              {ui().totalAdjustedFps(), m_state.currentCountId});
}

} // namespace qm
