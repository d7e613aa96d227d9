// The commands that read counts: list, show and check.

#include "analysis/countfigures.h"
#include "analysis/counttree.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "counting/codes.h"
#include "store/apperror.h"
#include "store/countcheck.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include <cstdio>

namespace qm::cli {

namespace {

void PrintJson(const QJsonValue &value)
{
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    PrintBytes(doc.toJson(QJsonDocument::Indented));
}

QString Padded(const QString &text, int width)
{
    return text.leftJustified(width);
}

QString Number(qint64 value, int width)
{
    return QString::number(value).rightJustified(width);
}

QJsonValue NumberOf(const QHash<int, qint64> &extIds, int id)
{
    return id != 0 && extIds.contains(id) ? QJsonValue(ExtIdText(extIds.value(id))) : QJsonValue();
}

} // namespace

void Print(const QString &text)
{
    PrintBytes(text.toUtf8());
}

void PrintBytes(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int RunList(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("list"), words, {{QStringLiteral("--json")}, {}, 0, 0});
    Session session(DatabaseFolder(db));
    const QList<CountRow> counts = session.Counts();
    QHash<int, qint64> extIds;
    for (const CountRow &c : counts)
        extIds.insert(c.id, c.extId);

    if (args.has(QStringLiteral("--json"))) {
        QJsonArray out;
        for (const CountRow &c : counts)
            out.append(QJsonObject{{QStringLiteral("number"), ExtIdText(c.extId)},
                                   {QStringLiteral("system"), c.system.trimmed()},
                                   {QStringLiteral("type"), CountTypeText(c.type)},
                                   {QStringLiteral("status"), StatusText(c.status)},
                                   {QStringLiteral("description"), c.description},
                                   {QStringLiteral("adjustedFP"), c.adjustedTotal},
                                   {QStringLiteral("derivedFrom"), NumberOf(extIds, c.parentId)}});
        PrintJson(out);
        return ExitOk;
    }
    QString text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                       .arg(Padded(QStringLiteral("Number"), 9), Padded(QStringLiteral("System"), 9),
                            Padded(QStringLiteral("Type"), 11), Padded(QStringLiteral("Status"), 9),
                            QStringLiteral("Adj. FP"), Padded(QStringLiteral("From"), 9),
                            QStringLiteral("Description"));
    for (const CountRow &c : counts)
        text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                    .arg(ExtIdText(c.extId), Padded(c.system.trimmed(), 9), Padded(CountTypeText(c.type), 11),
                         Padded(StatusText(c.status), 9), Number(c.adjustedTotal, 7),
                         Padded(NumberOf(extIds, c.parentId).toString(), 9), c.description);
    Print(text);
    return ExitOk;
}

namespace {

struct ShownCount
{
    CountRow row;
    QString parent;
    QString notes;
    Characteristics characteristics{};
    CountFigures figures;
};

ShownCount ReadShown(Session &session, const CountRow &row, SummaryMode mode, int level)
{
    session.Load(row);
    ShownCount shown;
    shown.row = row;
    Database &db = session.db();
    QStringList columns;
    for (int i = 1; i <= CharacteristicCount; ++i)
        columns << QStringLiteral("VAF_%1").arg(i);
    QSqlQuery q = db.exec(
        QStringLiteral("SELECT Notes, %1 FROM Counts WHERE Id = ?").arg(columns.join(QStringLiteral(", "))), {row.id});
    if (q.next()) {
        shown.notes = q.value(0).toString();
        for (int i = 0; i < CharacteristicCount; ++i)
            shown.characteristics[size_t(i)] = q.value(1 + i).toInt();
    }
    if (row.parentId != 0) {
        const QVariant ext = db.scalar(QStringLiteral("SELECT Ext_Id FROM CCounts WHERE Id = ?"), {row.parentId});
        shown.parent = ext.isValid() ? ExtIdText(ext.toLongLong()) : QString();
    }
    shown.figures = ComputeCountFigures(db, row.id, mode, level, TransactionTreeNodes(db, row.id),
                                        FileTreeNodes(db, row.id));
    return shown;
}

QJsonObject ShowJson(const ShownCount &s)
{
    const CountFigures &f = s.figures;
    QJsonArray characteristics;
    const QStringList captions = CharacteristicCaptions();
    for (int i = 0; i < CharacteristicCount; ++i)
        characteristics.append(
            QJsonObject{{QStringLiteral("name"), captions.value(i)}, {QStringLiteral("value"), s.characteristics[size_t(i)]}});
    QJsonArray columns;
    for (const QString &c : SummaryColumnCaptions(f.mode, true))
        columns.append(c);
    QJsonArray rows;
    for (const QStringList &cells : SortedSummaryRows(f.mode, f.entries, true))
        rows.append(QJsonArray::fromStringList(cells));
    QJsonArray entries;
    for (const SummaryEntry &e : f.entries)
        entries.append(QJsonObject{{QStringLiteral("category"), e.category},
                                   {QStringLiteral("type"), e.type},
                                   {QStringLiteral("changeType"), e.changeType},
                                   {QStringLiteral("description"), e.description},
                                   {QStringLiteral("depth"), e.depth},
                                   {QStringLiteral("count"), e.itemCount},
                                   {QStringLiteral("unadjustedFP"), qint64(e.unadjusted)},
                                   {QStringLiteral("adjustedFP"), e.adjusted}});
    const CountTotalFigures &t = f.totals;
    return QJsonObject{
        {QStringLiteral("number"), ExtIdText(s.row.extId)},
        {QStringLiteral("description"), s.row.description},
        {QStringLiteral("system"), s.row.system.trimmed()},
        {QStringLiteral("type"), CountTypeText(s.row.type)},
        {QStringLiteral("status"), StatusText(s.row.status)},
        {QStringLiteral("created"), s.row.created},
        {QStringLiteral("createdBy"), s.row.createdBy},
        {QStringLiteral("updated"), s.row.updated},
        {QStringLiteral("derivedFrom"), s.parent.isEmpty() ? QJsonValue() : QJsonValue(s.parent)},
        {QStringLiteral("notes"), s.notes.trimmed()},
        {QStringLiteral("characteristics"), characteristics},
        {QStringLiteral("vafAfter"), QString::number(f.vafAfter, 'f', 2)},
        {QStringLiteral("vafBefore"), QString::number(f.vafBefore, 'f', 2)},
        {QStringLiteral("totals"),
         QJsonObject{{QStringLiteral("unadjusted"), t.unadjusted},
                     {QStringLiteral("addedChanged"), t.addedChanged},
                     {QStringLiteral("adjustedAddedChanged"), t.adjustedAddedChanged},
                     {QStringLiteral("deleted"), t.deleted},
                     {QStringLiteral("adjustedDeleted"), t.adjustedDeleted},
                     {QStringLiteral("totalAdjusted"), t.totalAdjusted}}},
        {QStringLiteral("summary"),
         QJsonObject{{QStringLiteral("mode"), int(f.mode)},
                     {QStringLiteral("level"), f.level},
                     {QStringLiteral("caption"), SummaryGroupCaption(f.mode, f.level)},
                     {QStringLiteral("columns"), columns},
                     {QStringLiteral("rows"), rows},
                     {QStringLiteral("entries"), entries}}},
    };
}

QString SummaryTableText(const CountFigures &f)
{
    const QStringList captions = SummaryColumnCaptions(f.mode, true);
    const QList<QStringList> rows = SortedSummaryRows(f.mode, f.entries, true);
    QList<int> widths;
    for (const QString &c : captions)
        widths << int(c.size());
    for (const QStringList &r : rows)
        for (int i = 0; i < r.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], int(r[i].size()));
    const qsizetype figures = captions.size() - 3;
    const auto line = [&](const QStringList &cells) {
        QStringList parts;
        for (int i = 0; i < cells.size() && i < widths.size(); ++i)
            parts << (i < figures ? cells[i].leftJustified(widths[i]) : cells[i].rightJustified(widths[i]));
        return QStringLiteral("  ") + parts.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    };
    QString text = line(captions);
    for (const QStringList &r : rows)
        text += line(r);
    return text;
}

QString ShowText(const ShownCount &s)
{
    const CountFigures &f = s.figures;
    const CountTotalFigures &t = f.totals;
    QString text = QStringLiteral("Count %1: %2\n").arg(ExtIdText(s.row.extId), s.row.description);
    const auto field = [&text](const QString &caption, const QString &value) {
        text += QStringLiteral("  %1 %2\n").arg((caption + QLatin1Char(':')).leftJustified(14), value);
    };
    field(QStringLiteral("System"), s.row.system.trimmed());
    field(QStringLiteral("Type"), CountTypeText(s.row.type));
    if (!StatusText(s.row.status).isEmpty())
        field(QStringLiteral("Status"), StatusText(s.row.status));
    field(QStringLiteral("Created"), s.row.created + (s.row.createdBy.isEmpty() ? QString() : QStringLiteral(" by ") + s.row.createdBy));
    field(QStringLiteral("Updated"), s.row.updated);
    if (!s.parent.isEmpty())
        field(QStringLiteral("Derived from"), s.parent);
    if (!s.notes.trimmed().isEmpty())
        field(QStringLiteral("Notes"), s.notes.trimmed().replace(QLatin1Char('\n'), QStringLiteral("\n                 ")));

    text += QStringLiteral("\nGeneral system characteristics\n");
    const QStringList captions = CharacteristicCaptions();
    for (int i = 0; i < CharacteristicCount; ++i)
        text += QStringLiteral("  %1 %2\n").arg(captions.value(i).leftJustified(34)).arg(s.characteristics[size_t(i)]);
    const QString after = QString::number(f.vafAfter, 'f', 2);
    const QString before = QString::number(f.vafBefore, 'f', 2);
    text += QStringLiteral("  %1 %2\n  %3 %4\n").arg(caption::VafAfter.leftJustified(34), after,
                                                       caption::VafBefore.leftJustified(34), before);

    text += QStringLiteral("\nTotals\n");
    const int w = int(std::max({QString::number(t.unadjusted).size(), QString::number(t.totalAdjusted).size(),
                                QString::number(t.adjustedAddedChanged).size()}));
    const auto total = [&](const QString &caption, qint64 value, const QString &factor, qint64 adjusted) {
        text += QStringLiteral("  %1 %2").arg(caption.leftJustified(30), Number(value, w));
        if (!factor.isEmpty())
            text += QStringLiteral(" %1 %2 %3 %4").arg(caption::Times, factor, caption::Equals, Number(adjusted, w));
        text += QLatin1Char('\n');
    };
    total(caption::TotalUnadjusted, t.unadjusted, {}, 0);
    total(caption::TotalAddedChanged, t.addedChanged, after, t.adjustedAddedChanged);
    total(caption::TotalDeleted, t.deleted, before, t.adjustedDeleted);
    total(caption::TotalAdjusted, t.totalAdjusted, {}, 0);

    text += QStringLiteral("\n%1\n").arg(SummaryGroupCaption(f.mode, f.level));
    text += SummaryTableText(f);
    return text;
}

} // namespace

int RunShow(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("show"), words,
                    {{QStringLiteral("--json")}, {QStringLiteral("--mode"), QStringLiteral("--level")}, 1, 1});
    const auto mode = SummaryMode(args.number(QStringLiteral("--mode"), 0, 0, kSummaryModeCount - 1));
    const int level = int(args.number(QStringLiteral("--level"), kSummaryMinLevel, kSummaryMinLevel, kSummaryMaxLevel));
    Session session(DatabaseFolder(db));
    const CountRow row = session.Resolve(args.positional().first());
    const ShownCount shown = ReadShown(session, row, mode, level);
    if (shown.figures.abandoned)
        throw CliError{ExitRefused, kSummaryOverflowMessage};
    if (shown.figures.overflow)
        std::fprintf(stderr, "%s\n", qPrintable(kSummaryOverflowMessage));
    if (args.has(QStringLiteral("--json")))
        PrintJson(ShowJson(shown));
    else
        Print(ShowText(shown));
    return ExitOk;
}

int RunCheck(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("check"), words, {{QStringLiteral("--json")}, {}, 0, 0});
    Session session(DatabaseFolder(db));
    CheckResult result;
    try {
        result = CheckDatabase(session.db());
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("The check could not read the database"), e.message());
    }
    QHash<int, CountRow> counts;
    for (const CountRow &c : session.Counts())
        counts.insert(c.id, c);
    const auto countText = [&counts](int id) {
        return id == 0 ? QString() : ExtIdText(counts.value(id).extId);
    };
    if (args.has(QStringLiteral("--json"))) {
        QJsonArray problems;
        for (const CheckProblem &p : result.problems)
            problems.append(QJsonObject{{QStringLiteral("count"), p.countId == 0 ? QJsonValue() : QJsonValue(countText(p.countId))},
                                        {QStringLiteral("problem"), p.text}});
        PrintJson(QJsonObject{{QStringLiteral("integrity"), result.integrityOk ? QStringLiteral("ok") : QStringLiteral("failed")},
                              {QStringLiteral("countsChecked"), result.countsChecked},
                              {QStringLiteral("problems"), problems}});
    } else {
        QString text = QStringLiteral("Integrity check: %1\n")
                           .arg(result.integrityOk ? QStringLiteral("ok") : QStringLiteral("FAILED"));
        for (const CheckProblem &p : result.problems)
            text += p.countId == 0 ? p.text + QLatin1Char('\n')
                                   : QStringLiteral("%1 %2: %3\n").arg(countText(p.countId), counts.value(p.countId).description, p.text);
        text += QStringLiteral("%1 counts checked, %2 problems found.\n").arg(result.countsChecked).arg(result.problems.size());
        Print(text);
    }
    return result.problems.isEmpty() ? ExitOk : ExitRefused;
}

} // namespace qm::cli
