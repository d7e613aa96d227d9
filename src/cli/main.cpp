// quillmark-cli: the count database from the command line, on the same
// layers as the program.

#include "cli/commands.h"
#include "cli/session.h"
#include "store/apperror.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

using namespace qm::cli;

const char *const kUsage =
    "Usage: quillmark-cli [--db DIR] COMMAND [ARGS]\n"
    "\n"
    "Reads and writes the Quillmark count database without the program's\n"
    "windows, with the same counting rules and the same figures.\n"
    "\n"
    "Commands:\n"
    "  list      every saved count with its total\n"
    "  show      one count: details, characteristics, totals and a summary\n"
    "  export    a count as interchange text\n"
    "  import    check an interchange text and save it as a new count\n"
    "  report    the printed count report as a PDF\n"
    "  backup    the database folder into a backup archive\n"
    "  restore   a backup archive over the database or into a new folder\n"
    "  check     the database's integrity and every count's figures\n"
    "\n"
    "Options:\n"
    "  --db DIR    the database folder (default: the one Quillmark uses)\n"
    "  --help      this text; \"COMMAND --help\" describes a command\n"
    "  --version   the program's version\n"
    "\n"
    "A COUNT is its number as the catalogue shows it (C00000007, or 7) or its\n"
    "exact description.\n"
    "\n"
    "Exit status: 0 success, 1 usage error, 2 data refused or problems found,\n"
    "3 file or database failure. Messages go to stderr.\n";

const QHash<QString, const char *> &CommandHelp()
{
    static const QHash<QString, const char *> help = {
        {QStringLiteral("list"),
         "Usage: quillmark-cli list [--json]\n\n"
         "Lists every saved count: number, system, type, status, total adjusted\n"
         "function points, the count it was derived from, and description.\n\n"
         "  --json   one JSON array of objects instead of the table\n"},
        {QStringLiteral("show"),
         "Usage: quillmark-cli show COUNT [--mode 0|1|2|3] [--level 1|2|3] [--json]\n\n"
         "Shows a count as its count page does: details, the fourteen general\n"
         "system characteristics, VAF before and after, the six totals and the\n"
         "summary list.\n\n"
         "  --mode N    summary: 0 type / change type (default), 1 transaction\n"
         "              breakdown, 2 type, 3 change type\n"
         "  --level N   depth of the breakdown, 1 to 3 (default 1)\n"
         "  --json      one JSON object\n"},
        {QStringLiteral("export"),
         "Usage: quillmark-cli export COUNT [-o FILE] [--records all|count|files|transactions|links]\n"
         "                            [--field-delimiter ,|tab|#|@] [--text-delimiter '\"'|\"'\"|none]\n\n"
         "Writes the count as the editor's \"Export Data\" writes a file: UTF-8,\n"
         "every line ended by CR LF. Without -o (or with -o -) the text goes to\n"
         "stdout. An existing file is replaced only once the new one is complete.\n\n"
         "  -o FILE              the file to write\n"
         "  --records WHICH      all records (default) or one group of them\n"
         "  --field-delimiter D  , (default), tab, # or @\n"
         "  --text-delimiter D   \" (default), ' or none\n"},
        {QStringLiteral("import"),
         "Usage: quillmark-cli import FILE [--dry-run]\n\n"
         "Checks the interchange text as the import wizard does and prints the\n"
         "wizard's message log, one message per line, on stdout. When the text\n"
         "has errors nothing is written and the exit status is 2. Otherwise the\n"
         "count is loaded and saved as a new count, as an analyst saves an\n"
         "import (a count of the same name is refused), and its number is\n"
         "printed as the last line.\n\n"
         "  --dry-run   check only; the database is not changed\n"},
        {QStringLiteral("report"),
         "Usage: quillmark-cli report COUNT -o FILE.pdf [--mode N] [--level N] [--paper a4|letter]\n\n"
         "Writes the printed count report as a PDF, with the summary of the mode\n"
         "and level given (as for show). The paper is A4 unless --paper letter.\n"},
        {QStringLiteral("backup"),
         "Usage: quillmark-cli backup ARCHIVE [--max-size BYTES]\n\n"
         "Backs the database folder up into ARCHIVE as the catalogue's \"Backup\"\n"
         "command does. An archive larger than the volume size continues in\n"
         "numbered files beside it (ARCHIVE.002, ...). The program may stay open:\n"
         "its saves wait while the database file is read.\n\n"
         "  --max-size BYTES   largest volume (default: the capacity of the target disk)\n"},
        {QStringLiteral("restore"),
         "Usage: quillmark-cli restore ARCHIVE [--into DIR]\n\n"
         "Restores a backup archive over the database folder, which is refused\n"
         "while Quillmark is running, or with --into into a new folder (made\n"
         "when missing; refused when it already holds CCounts.DB). A database in\n"
         "the archive replaces the file only once it opens with all its tables.\n"
         "The folder Quillmark uses is never changed by this command.\n"},
        {QStringLiteral("check"),
         "Usage: quillmark-cli check [--json]\n\n"
         "Runs SQLite's integrity check, then checks every saved count: tags are\n"
         "unique, owners exist and are groups, links name existing files and\n"
         "transactions of their count and fit the transaction's sides, the FTR\n"
         "counts equal the links, complexities and function points follow the\n"
         "counting rules, and the catalogue's total equals the recomputed one.\n"
         "Each problem is listed; the exit status is 2 when there is any.\n"},
    };
    return help;
}

using Runner = std::function<int(const QString &, const QStringList &)>;

const QHash<QString, Runner> &Commands()
{
    static const QHash<QString, Runner> commands = {
        {QStringLiteral("list"), RunList},     {QStringLiteral("show"), RunShow},
        {QStringLiteral("export"), RunExport}, {QStringLiteral("import"), RunImport},
        {QStringLiteral("report"), RunReport}, {QStringLiteral("backup"), RunBackup},
        {QStringLiteral("restore"), RunRestore}, {QStringLiteral("check"), RunCheck},
    };
    return commands;
}

// Qt's note that it made up a runtime folder says nothing to a script's log.
void FilterMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

int Fail(int code, const QString &message)
{
    std::fprintf(stderr, "quillmark-cli: %s\n", qPrintable(message));
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);

    // Global options come before the command.
    QString db;
    while (!words.isEmpty() && words.first().startsWith(QLatin1Char('-'))) {
        const QString option = words.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return ExitOk;
        }
        if (option == QLatin1String("--version")) {
            std::printf("quillmark-cli %s\n", QM_VERSION);
            return ExitOk;
        }
        if (option == QLatin1String("--db") && !words.isEmpty()) {
            db = words.takeFirst();
        } else if (option.startsWith(QLatin1String("--db="))) {
            db = option.mid(5);
        } else {
            return Fail(ExitUsage, option == QLatin1String("--db") ? QStringLiteral("--db needs a folder.")
                                         : QStringLiteral("Unknown option %1. Try \"quillmark-cli --help\".").arg(option));
        }
    }
    if (words.isEmpty()) {
        std::fputs(kUsage, stderr);
        return ExitUsage;
    }
    const QString command = words.takeFirst();
    if (command == QLatin1String("help")) {
        if (!words.isEmpty() && CommandHelp().contains(words.first()))
            std::fputs(CommandHelp().value(words.first()), stdout);
        else
            std::fputs(kUsage, stdout);
        return ExitOk;
    }
    if (!Commands().contains(command))
        return Fail(ExitUsage, QStringLiteral("Unknown command \"%1\". Try \"quillmark-cli --help\".").arg(command));
    if (words.contains(QStringLiteral("--help")) || words.contains(QStringLiteral("-h"))) {
        std::fputs(CommandHelp().value(command), stdout);
        return ExitOk;
    }

    qInstallMessageHandler(FilterMessages);
    // Only the report paints; it needs fonts but never a display.
    std::unique_ptr<QCoreApplication> app;
    if (command == QLatin1String("report")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quillmark"));

    try {
        return Commands().value(command)(db, words);
    } catch (const CliError &e) {
        return Fail(e.code, e.message);
    } catch (const qm::AppError &e) {
        return Fail(ExitFailure, e.message());
    } catch (const std::exception &e) {
        return Fail(ExitFailure, QString::fromLocal8Bit(e.what()));
    }
}
