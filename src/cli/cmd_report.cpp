// The printed count report as a PDF, from a saved count.

#include "analysis/countfigures.h"
#include "analysis/counttree.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "counting/codes.h"
#include "editor/editoricons.h"
#include "report/countreportdata.h"
#include "report/printcountform.h"
#include "store/apperror.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSqlQuery>

#include <cstdio>
#include <memory>

namespace qm::cli {

namespace {

QList<report::ReportNode> ReportNodes(const QList<CountTreeNode> &nodes)
{
    QList<report::ReportNode> out;
    out.reserve(nodes.size());
    for (const CountTreeNode &n : nodes) {
        report::ReportNode r;
        r.tag = n.tag;
        r.depth = n.depth;
        r.description = n.description;
        r.type = n.type;
        r.complexity = n.complexity;
        r.changeType = n.changeType;
        r.value = n.value;
        out.append(std::move(r));
    }
    return out;
}

// What the editor would hand the report with the count just opened: the
// stored row, the trees, the summary list as filled and the page's totals.
report::CountReportData ReportData(Database &db, const CountRow &row, SummaryMode mode, int level)
{
    report::CountReportData data;
    data.caption = QStringLiteral("Quillmark - ") + ExtIdText(row.extId) + QStringLiteral(":") + row.description;
    if (row.status == code::StatusReadOnly)
        data.caption += QStringLiteral("  (Read-Only)");
    data.countType = row.type;
    data.description = row.description;
    QStringList columns;
    for (int i = 1; i <= CharacteristicCount; ++i)
        columns << QStringLiteral("VAF_%1").arg(i);
    QSqlQuery q = db.exec(QStringLiteral("SELECT System, Notes, %1 FROM Counts WHERE Id = ?")
                              .arg(columns.join(QStringLiteral(", "))),
                          {row.id});
    if (q.next()) {
        data.system = q.value(0).toString();
        const QString notes = q.value(1).toString();
        if (!notes.isEmpty())
            data.comments = notes.split(QLatin1Char('\n'));
        for (int i = 0; i < CharacteristicCount; ++i)
            data.characteristics[size_t(i)] = q.value(2 + i).toInt();
    }
    data.storedCharacteristics = data.characteristics;

    const QList<CountTreeNode> trans = TransactionTreeNodes(db, row.id);
    const QList<CountTreeNode> files = FileTreeNodes(db, row.id);
    const CountFigures f = ComputeCountFigures(db, row.id, mode, level, trans, files);
    if (f.abandoned)
        throw CliError{ExitRefused, kSummaryOverflowMessage};
    data.summaryMode = int(mode);
    data.summaryCaptions = SummaryColumnCaptions(mode, true);
    data.summaryRows = SortedSummaryRows(mode, f.entries, true);
    report::ReportTotals &t = data.totals;
    t.unadjustedAddedChanged = QString::number(f.totals.addedChanged);
    t.adjustedAddedChanged = QString::number(f.totals.adjustedAddedChanged);
    t.unadjustedDeleted = QString::number(f.totals.deleted);
    t.adjustedDeleted = QString::number(f.totals.adjustedDeleted);
    t.unadjustedTotal = QString::number(f.totals.unadjusted);
    t.adjustedTotal = QString::number(f.totals.totalAdjusted);
    t.vafAfter = QString::number(f.vafAfter, 'f', 2);
    t.vafBefore = QString::number(f.vafBefore, 'f', 2);

    data.files = ReportNodes(files);
    data.transactions = ReportNodes(trans);
    data.transPictures = TransTreeImages();
    data.filePictures = FileTreeImages();
    return data;
}

QPageSize PaperOption(const QString &text)
{
    if (text.compare(QLatin1String("a4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4);
    if (text.compare(QLatin1String("letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter);
    throw CliError{ExitUsage, QStringLiteral("--paper takes a4 or letter, not \"%1\".").arg(text)};
}

} // namespace


int RunReport(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("report"), words,
                    {{},
                     {QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--mode"), QStringLiteral("--level"),
                      QStringLiteral("--paper")},
                     1,
                     1});
    const QString output = args.value(QStringLiteral("-o"), args.value(QStringLiteral("--output")));
    if (output.isEmpty())
        throw CliError{ExitUsage, QStringLiteral("\"report\" needs -o FILE.pdf.\nTry \"quillmark-cli report --help\".")};
    const auto mode = SummaryMode(args.number(QStringLiteral("--mode"), 0, 0, kSummaryModeCount - 1));
    const int level = int(args.number(QStringLiteral("--level"), kSummaryMinLevel, kSummaryMinLevel, kSummaryMaxLevel));
    const QPageSize paper = PaperOption(args.value(QStringLiteral("--paper"), QStringLiteral("a4")));

    Session session(DatabaseFolder(db));
    const CountRow row = session.Resolve(args.positional().first());
    session.Load(row);
    std::unique_ptr<report::TPrintCountForm> form;
    QList<report::ReportPage> pages;
    try {
        const QPageLayout layout = report::ReportPageLayout(paper);
        form = std::make_unique<report::TPrintCountForm>(ReportData(session.db(), row, mode, level), layout);
        pages = form->LayoutAll();
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("Cannot read count %1").arg(ExtIdText(row.extId)), e.message());
    }

    // Written beside the target and renamed at the end: a failure leaves an
    // earlier file of that name as it was.
    QSaveFile file(output);
    const QString shown = QDir::toNativeSeparators(output);
    if (!file.open(QIODevice::WriteOnly))
        throw CliError{ExitFailure, QStringLiteral("The report could not be saved as \"%1\":\n%2").arg(shown, file.errorString())};
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(report::ReportPageLayout(paper));
        writer.setTitle(form->ReportTitle());
        writer.setCreator(QStringLiteral("Quillmark"));
        report::TDevicePainter device;
        if (device.Begin(&writer)) {
            for (const report::ReportPage &page : pages)
                device.Paint(page);
            painted = device.End();
        }
    }
    if (!painted) {
        file.cancelWriting();
        throw CliError{ExitFailure, QStringLiteral("The report could not be saved as \"%1\".").arg(shown)};
    }
    if (!file.commit())
        throw CliError{ExitFailure, QStringLiteral("The report could not be saved as \"%1\":\n%2").arg(shown, file.errorString())};
    std::fprintf(stderr, "Report saved as %s (%d pages)\n", qPrintable(shown), int(pages.size()));
    return ExitOk;
}

} // namespace qm::cli
