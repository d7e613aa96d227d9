// Export and import: the editor's export text and the import wizard's two
// passes and loading, without windows.

#include "analysis/countfigures.h"
#include "analysis/counttree.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "counting/codes.h"
#include "interchange/exporter.h"
#include "interchange/importcheck.h"
#include "interchange/importload.h"
#include "interchange/values.h"
#include "store/apperror.h"

#include <QFile>

#include <cstdio>

namespace qm::cli {

namespace {

ExportGroup GroupOption(const QString &text)
{
    if (text == QLatin1String("all"))
        return ExportGroup::All;
    if (text == QLatin1String("count"))
        return ExportGroup::Count;
    if (text == QLatin1String("files"))
        return ExportGroup::Files;
    if (text == QLatin1String("transactions"))
        return ExportGroup::Transactions;
    if (text == QLatin1String("links"))
        return ExportGroup::Links;
    throw CliError{ExitUsage, QStringLiteral("--records takes all, count, files, transactions or links, not \"%1\".")
                                  .arg(text)};
}

QChar FieldDelimiterOption(const QString &text)
{
    if (text == QLatin1String("tab"))
        return QChar(u'\t');
    if (text == QLatin1String(",") || text == QLatin1String("#") || text == QLatin1String("@"))
        return text.at(0);
    throw CliError{ExitUsage, QStringLiteral("--field-delimiter takes , tab # or @, not \"%1\".").arg(text)};
}

QChar TextDelimiterOption(const QString &text)
{
    // "none" is written as the export dialog writes it: a blank.
    if (text == QLatin1String("none"))
        return QChar(u' ');
    if (text == QLatin1String("\"") || text == QLatin1String("'"))
        return text.at(0);
    throw CliError{ExitUsage, QStringLiteral("--text-delimiter takes \" ' or none, not \"%1\".").arg(text)};
}

qint64 WorkingTotal(Database &db, int countId)
{
    return ComputeCountFigures(db, countId, SummaryMode::TypeChange, kSummaryMinLevel, TransactionTreeNodes(db, countId),
                               FileTreeNodes(db, countId))
        .totals.totalAdjusted;
}

} // namespace

int RunExport(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("export"), words,
                    {{},
                     {QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--records"),
                      QStringLiteral("--field-delimiter"), QStringLiteral("--text-delimiter")},
                     1,
                     1});
    ExportOptions options;
    options.group = GroupOption(args.value(QStringLiteral("--records"), QStringLiteral("all")));
    options.fieldDelimiter = FieldDelimiterOption(args.value(QStringLiteral("--field-delimiter"), QStringLiteral(",")));
    options.textDelimiter = TextDelimiterOption(args.value(QStringLiteral("--text-delimiter"), QStringLiteral("\"")));
    const QString output = args.value(QStringLiteral("-o"), args.value(QStringLiteral("--output")));

    Session session(DatabaseFolder(db));
    const CountRow row = session.Resolve(args.positional().first());
    session.Load(row);
    QStringList lines;
    try {
        options.countTotal = WorkingTotal(session.db(), row.id);
        lines = CollectExportLines(session.db(), options);
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("Cannot read count %1").arg(ExtIdText(row.extId)), e.message());
    }
    if (output.isEmpty() || output == QLatin1String("-")) {
        QByteArray bytes;
        for (const QString &line : lines)
            bytes += EncodeInterchangeText(line) + "\r\n";
        PrintBytes(bytes);
        return ExitOk;
    }
    try {
        WriteInterchangeFile(output, lines);
    } catch (const AppError &e) {
        throw CliError{ExitFailure, e.message() + QStringLiteral("\nNothing was exported.")};
    }
    return ExitOk;
}

int RunImport(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("import"), words, {{QStringLiteral("--dry-run")}, {}, 1, 1});
    const QString path = args.positional().first();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CliError{ExitFailure, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString())};
    const QStringList lines = ImportTextLines(DecodeInterchangeText(file.readAll()));
    file.close();

    // The database is checked before the text, so a wrong folder is not
    // reported as a good import.
    Session session(DatabaseFolder(db));
    TImportCheck check;
    check.RunFirstPass(lines);
    if (check.runStatus() != Severity::Error)
        check.RunCrossChecks();
    QString log;
    for (const QString &message : check.messages())
        log += message + QLatin1Char('\n');
    Print(log);
    if (check.runStatus() == Severity::Error)
        throw CliError{ExitRefused, QStringLiteral("The text has errors; nothing was imported.")};
    if (args.has(QStringLiteral("--dry-run")))
        return ExitOk;

    std::fflush(stdout);
    AppState &state = session.state();
    try {
        const int id = LoadImport(session.db(), check);
        // As the catalogue does after an import: a new count that is then
        // saved; the save stores its total in the same transaction.
        state.currentCountId = id;
        state.newCount = true;
        state.changeCount = 1;
        session.setTotal(WorkingTotal(session.db(), id));
        if (!session.workingCopy().SaveWorkingCopy()) {
            // The reason is already on stderr.
            if (session.messages().contains(text::DuplicateCountName))
                throw CliError{ExitRefused, QStringLiteral("The count was not saved: rename it in the text.")};
            ThrowStoreFailure(QStringLiteral("The count was not saved; the database is as it was"),
                              session.messages().value(session.messages().size() - 1));
        }
        const QVariant ext =
            session.db().scalar(QStringLiteral("SELECT Ext_Id FROM CCounts WHERE Id = ?"), {state.currentCountId});
        Print(ExtIdText(ext.toLongLong()) + QLatin1Char('\n'));
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("The import could not be saved; the database is as it was"), e.message());
    }
    return ExitOk;
}

} // namespace qm::cli
