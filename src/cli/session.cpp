#include "cli/session.h"

#include "counting/codes.h"
#include "store/apperror.h"
#include "store/schema.h"
#include "store/settingsentry.h"
#include "store/tablecopy.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include <cstdio>

namespace qm::cli {

class Session::Ui : public WorkingCopyUi
{
public:
    MessageAnswer message(MessageKind, const QString &text, MessageButtons buttons) override
    {
        m_messages << text;
        std::fprintf(stderr, "%s\n", qPrintable(text));
        // Nobody is there to agree: every question is answered no.
        switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        }
        return MessageAnswer::Cancel;
    }
    void cancelReport() override {}
    std::optional<QString> askNewCountName() override { return std::nullopt; }
    void showCountName() override {}
    void showStatus(const QString &) override {}
    void beginBusy() override {}
    void endBusy() override {}
    void postPendingEdits() override {}
    void dockPanels() override {}
    void refreshCursors() override {}
    void refreshTitle() override {}
    void refreshSummary() override {}
    void reopenAfterSave() override {}
    void rebuildAfterSaveAs() override {}
    void switchFilterOff() override {}
    qint64 totalAdjustedFps() override { return m_total; }

    QStringList m_messages;
    qint64 m_total = 0;
};

void ThrowStoreFailure(const QString &what, const QString &detail)
{
    if (detail.contains(QStringLiteral("locked"), Qt::CaseInsensitive)
        || detail.contains(QStringLiteral("busy"), Qt::CaseInsensitive))
        throw CliError{ExitFailure, QStringLiteral("%1: the database is busy; another program is writing to it. "
                                                   "Nothing was changed; try again when it has finished.")
                                        .arg(what)};
    throw CliError{ExitFailure, QStringLiteral("%1: %2").arg(what, detail)};
}

QString DatabaseFolder(const QString &option)
{
    QString folder = option;
    if (folder.isEmpty()) {
        const SettingsEntry settings;
        folder = settings.readDirectory();
        if (folder == SettingsEntry::kMissing)
            throw CliError{ExitFailure, QStringLiteral("No database folder is set up. Start Quillmark once to choose "
                                                       "one, or name it with --db DIR.")};
    }
    const QFileInfo info(folder);
    if (!info.isDir())
        throw CliError{ExitFailure, QStringLiteral("The database folder %1 does not exist.").arg(folder)};
    if (!QFileInfo(QDir(folder).filePath(kDatabaseFileName)).isFile())
        throw CliError{ExitFailure,
                       QStringLiteral("The folder %1 holds no Quillmark database (%2).").arg(folder, kDatabaseFileName)};
    return QDir(folder).absolutePath();
}

Session::Session(const QString &folder, int busyMilliseconds)
    : m_folder(folder),
      m_db(QStringLiteral("QMCLI")),
      m_ui(std::make_unique<Ui>()),
      m_workingCopy(m_db, m_state, m_ui.get())
{
    m_state.databaseDir = folder;
    try {
        m_db.open(folder);
        m_db.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyMilliseconds));
        m_db.exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
        try {
            UpdateIndexes(m_db);
        } catch (const StoreError &) {
            // Read-only: the earlier indexes give the same answers.
        }
        // Everything this tool loads or imports stays in tables of its own
        // connection: an editor open on the same database keeps its count.
        MakeWorkingTablesPrivate(m_db);
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("Cannot open the database in %1").arg(folder), e.message());
    }
}

Session::~Session() = default;

const QStringList &Session::messages() const
{
    return m_ui->m_messages;
}

void Session::setTotal(qint64 total)
{
    m_ui->m_total = total;
}

QList<CountRow> Session::Counts()
{
    QSqlQuery q = m_db.exec(QStringLiteral(
        "SELECT Id, Ext_Id, System, Type, Status, Description, FP_Val, Copy_Count_Id, Created_Date, Created_Time, "
        "LastUpd_Date, LastUpd_Time, Created_By FROM CCounts ORDER BY Ext_Id, Id"));
    QList<CountRow> rows;
    while (q.next()) {
        CountRow r;
        r.id = q.value(0).toInt();
        r.extId = q.value(1).toLongLong();
        r.system = q.value(2).toString();
        r.type = q.value(3).toString();
        r.status = q.value(4).toString();
        r.description = q.value(5).toString();
        r.adjustedTotal = q.value(6).toLongLong();
        r.parentId = q.value(7).toInt();
        r.created = (q.value(8).toString() + QLatin1Char(' ') + q.value(9).toString()).trimmed();
        r.updated = (q.value(10).toString() + QLatin1Char(' ') + q.value(11).toString()).trimmed();
        r.createdBy = q.value(12).toString().trimmed();
        rows.append(std::move(r));
    }
    return rows;
}

CountRow Session::Resolve(const QString &reference)
{
    const QList<CountRow> all = Counts();
    QList<CountRow> found;
    static const QRegularExpression number(QStringLiteral("^\\s*[Cc]?0*(\\d{1,18})\\s*$"));
    const QRegularExpressionMatch m = number.match(reference);
    if (m.hasMatch()) {
        const qint64 extId = m.captured(1).toLongLong();
        for (const CountRow &r : all)
            if (r.extId == extId)
                found << r;
    }
    if (found.isEmpty())
        for (const CountRow &r : all)
            if (r.description == reference)
                found << r;
    if (found.size() == 1)
        return found.first();

    QList<CountRow> candidates = found;
    if (candidates.isEmpty())
        for (const CountRow &r : all)
            if (r.description.contains(reference.trimmed(), Qt::CaseInsensitive))
                candidates << r;
    QString text = found.isEmpty() ? QStringLiteral("No count is numbered or named \"%1\".").arg(reference)
                                   : QStringLiteral("\"%1\" names more than one count.").arg(reference);
    if (candidates.isEmpty()) {
        text += QStringLiteral(" \"quillmark-cli list\" shows every count.");
    } else {
        text += found.isEmpty() ? QStringLiteral(" Did you mean:") : QStringLiteral(" Give its number:");
        for (const CountRow &r : candidates.mid(0, 20))
            text += QStringLiteral("\n  %1  %2").arg(ExtIdText(r.extId), r.description);
        if (candidates.size() > 20)
            text += QStringLiteral("\n  ... and %1 more").arg(candidates.size() - 20);
    }
    throw CliError{ExitRefused, text};
}

void Session::Load(const CountRow &count)
{
    try {
        m_state.newCount = false;
        m_workingCopy.LoadWorkingCopy(count.id);
        m_state.currentCountId = count.id;
        m_state.changeCount = 0;
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("Cannot read count %1").arg(ExtIdText(count.extId)), e.message());
    }
}

} // namespace qm::cli
