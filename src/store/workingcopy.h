#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace qm {

class Database;
class WorkingCopyUi;
struct AppState;

namespace text {
inline const QString StatusLoadLinks = QStringLiteral("Creating Temp Tables (Links)...");
inline const QString StatusLoadFiles = QStringLiteral("Creating Temp Tables (Files)...");
inline const QString StatusLoadTrans = QStringLiteral("Creating Temp Tables (Trans)...");
inline const QString StatusLoadCount = QStringLiteral("Creating Temp Tables (Count)...");
inline const QString StatusSaveCount = QStringLiteral("Saving Count...");
inline const QString StatusSaveLinks = QStringLiteral("Saving Links...");
inline const QString StatusSaveFiles = QStringLiteral("Saving Files...");
inline const QString StatusSaveTrans = QStringLiteral("Saving Trans...");
inline const QString StatusReplacing = QStringLiteral("Replacing...");

inline const QString SaveWhileReport = QStringLiteral(
    "Cannot Save while preparing a report\n\nDo you want to stop the report ?\n\n"
    "Press \"Yes\" to stop the report and save\n\nPress \"No\" to let the report complete");
inline const QString DuplicateCountName =
    QStringLiteral("A count with this name already exists\nPlease enter a different name and try again ");
inline const QString ConfirmExactCopy = QStringLiteral(
    "This will create an exact copy based on this Count.\nAll Transactions and Files will be copied");
inline const QString ConfirmEnhancementFromBase = QStringLiteral(
    "This will create a new Enhancement Count based on this Baseline Count.\n"
    "All transactions and files will be copied as \"None\". Continue ?");
inline const QString ConfirmBaseFromEnhancement = QStringLiteral(
    "This will create a new Baseline Count based on this Enhancement Count.\n"
    "Transactions and Files marked as Deleted will not be copied\n"
    "All other Transactions and Files will be copied");

inline const QString NewCountSystem = QStringLiteral(" NOSYSTEM");
inline const QString NewCountName = QStringLiteral("Untitled count");
} // namespace text

// The working tables hold the one count open in the editor. Opening copies
// a saved count in; saving writes the working rows back as a complete new
// copy under a new Id and then removes the old one. The same machinery
// creates, derives and deletes counts. Everything it needs from a user goes
// through WorkingCopyUi; the process-wide state lives in AppState.
class WorkingCopy
{
public:
    using StatusCallback = std::function<void(const QString &)>;
    using Clock = std::function<QDateTime()>;

    WorkingCopy(Database &db, AppState &state, WorkingCopyUi *ui = nullptr);

    void setUi(WorkingCopyUi *ui) { m_ui = ui; }
    // The time stamps of created and saved counts come from here.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // The largest saved count Id plus 1 (1 for an empty catalogue).
    int NextCountId();
    // Tags are unique within a count and increase across the database. The
    // first request after an open starts above the largest saved tag and
    // above every tag already in the working table (an imported count is
    // numbered there before it is ever saved).
    int NextTransTag();
    int NextFileTag();

    // Empties the working tables and adds the row of a brand-new count.
    void CreateWorkingCount(int id, const QString &typeCode);
    // Copies a saved count into the working tables in four steps, reporting
    // each step's text first. Does nothing while a new count is open.
    void LoadWorkingCopy(int id, const StatusCallback &status = {});
    // Both return false when the save was abandoned (a refused question, a
    // duplicate name, a failed append); the database is then as before.
    bool SaveWorkingCopy();
    bool SaveWorkingCopyAs(const QString &requestedType);
    // Removes a saved count; its derived counts become roots.
    void DeleteCount(int id);
    // Writes the editor's total into the count's catalogue row. A working
    // copy the user chose not to save leaves the saved figure alone.
    void StoreCountTotal(bool changesDiscarded = false);

private:
    enum class Derivation { ExactCopy, EnhancementFromBase, BaseFromEnhancement };

    WorkingCopyUi &ui() const;
    bool prepareSave();
    void deleteCountRows(int id);
    QString appendWorkingRows();
    void setWorkingTotal();
    void renumberForSave(int newId);
    void deriveWorkingCopy(Derivation kind, const QString &typeCode, int newId, int parentId,
                           const QString &name);
    void abandonSave(const QString &failure);
    void finishSave(int newId);
    void indexWorkingTables();
    void status(const QString &text);

    Database &m_db;
    AppState &m_state;
    WorkingCopyUi *m_ui = nullptr;
    Clock m_clock;
};

} // namespace qm
