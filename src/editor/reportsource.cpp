#include "editor/reportsource.h"

#include "analysis/countsummary.h"
#include "analysis/summarylistview.h"
#include "editor/countpage.h"
#include "editor/editoricons.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlQuery>

namespace qm {

namespace {

void AppendSubtree(QList<report::ReportNode> &nodes, QTreeWidgetItem *item, int depth)
{
    const TTreeNode *node = TDBTreeView::NodeOf(item);
    // A row still being inserted is no item of the count yet.
    if (!node || node->info.uncommitted)
        return;
    report::ReportNode out;
    out.tag = node->info.key.toLongLong();
    out.depth = depth;
    out.description = node->info.name;
    out.type = node->info.type;
    out.changeType = node->info.type2;
    out.complexity = node->info.type3;
    out.value = node->info.value;
    nodes.append(std::move(out));
    for (int i = 0; i < item->childCount(); ++i)
        AppendSubtree(nodes, item->child(i), depth + 1);
}

QList<report::ReportNode> TreeNodes(TDBTreeView *tree)
{
    QList<report::ReportNode> nodes;
    if (!tree)
        return nodes;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        AppendSubtree(nodes, tree->topLevelItem(i), 0);
    return nodes;
}

QString TextOf(const QPointer<QLineEdit> &edit)
{
    return edit ? edit->text() : QString();
}

Characteristics StoredCharacteristics(Database &db, int countId)
{
    Characteristics values{};
    QStringList columns;
    for (int i = 1; i <= CharacteristicCount; ++i)
        columns << QStringLiteral("VAF_%1").arg(i);
    QSqlQuery q = db.exec(QStringLiteral("SELECT %1 FROM Counts WHERE Id = ?").arg(columns.join(QStringLiteral(", "))),
                          {countId});
    if (q.next())
        for (int i = 0; i < CharacteristicCount; ++i)
            values[i] = q.value(i).toInt();
    return values;
}

void ReadSummary(report::CountReportData &data, TMainForm &editor)
{
    TCountPage *page = editor.countPage();
    const TSummaryListView *list = page->summaryList();
    data.summaryMode = editor.appState().summaryMode;
    data.summaryCaptions = list->ColumnCaptions();
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        data.summaryRows << list->RowTexts(row);
    const SummaryDisplays shown = page->Displays();
    report::ReportTotals &t = data.totals;
    t.unadjustedAddedChanged = TextOf(shown.totalAddedChanged);
    t.adjustedAddedChanged = TextOf(shown.adjustedAddChanged);
    t.unadjustedDeleted = TextOf(shown.totalDeleted);
    t.adjustedDeleted = TextOf(shown.adjustedDeleted);
    t.unadjustedTotal = TextOf(shown.totalUnadjusted);
    t.adjustedTotal = TextOf(shown.totalAdjusted);
    t.vafAfter = shown.vafAfter.isEmpty() ? QString() : TextOf(shown.vafAfter.first());
    t.vafBefore = page->oldVafEdit() ? page->oldVafEdit()->text() : QString();
}

} // namespace

report::CountReportData ReportDataFromEditor(TMainForm &editor, Database &db)
{
    report::CountReportData data;
    data.caption = editor.windowTitle();
    data.filterActive = editor.appState().filterActive;

    TableCursor &count = editor.countTbl();
    if (count.isOpen() && !count.isEmpty()) {
        data.countType = count.text(QStringLiteral("Type"));
        data.description = count.text(QStringLiteral("Description"));
        data.system = count.text(QStringLiteral("System"));
        for (int i = 0; i < CharacteristicCount; ++i)
            data.characteristics[i] = count.value(QStringLiteral("VAF_%1").arg(i + 1)).toInt();
    }
    data.storedCharacteristics = StoredCharacteristics(db, editor.appState().currentCountId);
    const QString notes = editor.countPage()->notesMemo()->toPlainText();
    if (!notes.isEmpty())
        data.comments = notes.split(QLatin1Char('\n'));

    ReadSummary(data, editor);
    data.files = TreeNodes(editor.filesPage()->tree());
    data.transactions = TreeNodes(editor.transPage()->tree());
    data.transPictures = TransTreeImages();
    data.filePictures = FileTreeImages();
    return data;
}

} // namespace qm
