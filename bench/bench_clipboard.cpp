// Times copying and moving a large group of transactions in the editor on
// the large count: a group of 1,000 transactions holding 2,000 links is
// copied onto another group (rows, links, tree and status text), and moved
// to another group and back.
// Run by hand, offscreen or on a display; prints its figures.
//
//   bench_clipboard [--rounds N] [--scale N]

#include "datagen.h"

#include "editor/editing.h"
#include "editor/mainform.h"
#include "editor/transclipboard.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"
#include "views/dbtreeview.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::AnsweringDialogs;
using bench::Spread;

using bench::Time;

struct BigGroup
{
    int tag = 0;
    int rows = 0;
    int links = 0;
};

// A top-level group of 1,000 transactions (itself, nine groups inside it
// and 990 items spread over them) whose items hold 2,000 links.
BigGroup AddBigGroup(Database &db, int countId)
{
    BigGroup group;
    int tag = db.scalar("SELECT MAX(Tag) FROM CTrans").toInt() + 1000;
    std::vector<int> files;
    QSqlQuery f = db.exec("SELECT Tag FROM CFiles WHERE Count_Id = ? LIMIT 50", {countId});
    while (f.next())
        files.push_back(f.value(0).toInt());

    QSqlQuery insert = db.prepare("INSERT INTO CTrans (Count_Id, Tag, Description, FP_Val, Complexity, Type, "
                                  "Change_Type, Owner_Tag, Input_Det_Count, Input_File_Count, Output_Det_Count, "
                                  "Output_File_Count, Memo) VALUES (?, ?, ?, ?, ?, ?, 'A', ?, ?, ?, 0, 0, ' ')");
    QSqlQuery link = db.prepare("INSERT INTO CFilesLink (Count_Id, File_Tag, Trans_Tag, Input_Output_Flag, "
                                "Update_Flag) VALUES (?, ?, ?, 'I', ' ')");
    const auto row = [&](int t, const QString &name, double fp, const QString &complexity, const QString &type,
                         int owner, int dets, int ftrs) {
        const QVariantList v = {countId, t, name, fp, complexity, type, owner, dets, ftrs};
        for (int i = 0; i < v.size(); ++i)
            insert.bindValue(i, v[i]);
        Database::execPrepared(insert);
        ++group.rows;
    };
    Transaction tx(db);
    group.tag = ++tag;
    row(group.tag, "Big group", 0, "0", "G", 0, 0, 0);
    std::vector<int> items;
    for (int g = 0; g < 9; ++g) {
        const int sub = ++tag;
        row(sub, QStringLiteral("Big subgroup %1").arg(g), 0, "0", "G", group.tag, 0, 0);
        for (int i = 0; i < 110; ++i) {
            items.push_back(++tag);
            row(tag, QStringLiteral("Big item %1-%2").arg(g).arg(i), 4, "2", "I", sub, 10, 2);
        }
    }
    for (int n = 0; n < 2000; ++n) {
        const int trans = items[size_t(n) % items.size()];
        const int file = files[(size_t(n) / items.size() + size_t(n)) % files.size()];
        const QVariantList v = {countId, file, trans};
        for (int i = 0; i < v.size(); ++i)
            link.bindValue(i, v[i]);
        Database::execPrepared(link);
        ++group.links;
    }
    tx.commit();
    return group;
}

TTreeNode *OtherTopGroup(TDBTreeView *tree, const TTreeNode *besides, int skip)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        TTreeNode *node = TDBTreeView::NodeOf(tree->topLevelItem(i));
        if (node && node != besides && node->info.type == "G" && skip-- == 0)
            return node;
    }
    return nullptr;
}

struct Timings
{
    std::vector<double> copy, copySummary, move;
    int rowsAfter = 0;
};

void RunRounds(TMainForm &editor, Database &db, const BigGroup &big, int rounds, Timings &t)
{
    editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
    TDBTreeView *tree = editor.transPage()->tree();
    TTransClipboard &clipboard = editor.editing().clipboard();
    const QString key = QString::number(big.tag);
    for (int round = 0; round < rounds; ++round) {
        TTreeNode *source = tree->FindNodeById(key);
        TTreeNode *target = OtherTopGroup(tree, source, round);
        tree->SelectNode(target);
        t.copy.push_back(Time([&] { clipboard.CopySubtree(source, target); }));
        t.copySummary.push_back(Time([&] { editor.RefreshSummary(); }));

        // Into another group, then on into a third one.
        for (int hop = 1; hop <= 2; ++hop) {
            source = tree->FindNodeById(key);
            target = OtherTopGroup(tree, source, round + hop);
            tree->SelectNode(target);
            t.move.push_back(Time([&] { clipboard.MoveSubtree(source, target); }));
        }
    }
    t.rowsAfter = db.scalar("SELECT COUNT(*) FROM Trans").toInt();
}

} // namespace

int main(int argc, char **argv)
{
    bench::PreferOffscreen();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const int rounds = bench::ParseRounds(parser, app, QStringLiteral("5"));

    bench::Workspace work;
    DataModule &dm = work.dm;
    bench::AnsweringDialogs &dialogs = work.dialogs;
    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = 10;
    const int large = bench::FillDatabase(dm.database(), shape);
    const BigGroup big = AddBigGroup(dm.database(), large);
    out << "Count of " << shape.large.transactions + big.rows << " transactions; the copied group holds "
        << big.rows << " transactions and " << big.links << " links" << Qt::endl;
    dm.openCatalogueCursor();

    TMainForm editor(dm);
    editor.setLoadPause(0);
    bench::OpenSaved(dm.state(), large);

    Timings t;
    QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        QTimer::singleShot(0, &editor, [&] {
            RunRounds(editor, dm.database(), big, rounds, t);
            editor.hide();
        });
    });
    editor.RunModal();

    out << "Over " << rounds << " rounds (the count grows by a copy each round, to " << t.rowsAfter
        << " rows):" << Qt::endl;
    out << "  copy the group (rows, links, tree):  " << Spread(t.copy) << Qt::endl;
    out << "  the summary after the copy:          " << Spread(t.copySummary) << Qt::endl;
    out << "  move the group into another group:   " << Spread(t.move) << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    return 0;
}
