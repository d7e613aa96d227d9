// Times editing the large count in the editor: inserting, editing and
// deleting a transaction (each with its tree and summary updates), and
// deleting a file that 1,000 transactions reference.
// Run by hand, offscreen or on a display; prints its figures.
//
//   bench_editing [--rounds N] [--scale N]

#include "datagen.h"

#include "counting/codes.h"
#include "editor/editorcommands.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"
#include "views/dbtreeview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <vector>

#include "benchsupport.h"

using namespace qm;
using C = TEditorCommands;

namespace {

QTextStream out(stdout);

using bench::AnsweringDialogs;
using bench::Spread;

using bench::Time;

// A file of the large count that 1,000 of its transactions reference on
// one of their sides, with their FTR counts to match.
int AddWidelyLinkedFile(Database &db, int countId)
{
    const int tag = db.scalar("SELECT MAX(Tag) FROM CTrans").toInt() + 1000;
    db.exec("INSERT INTO CFiles VALUES (?, ?, 'Widely used file', 10, '2', 2, 20, 'I', 'A', ' ')", {countId, tag});
    QSqlQuery trans = db.exec("SELECT Tag, Type FROM CTrans WHERE Count_Id = ? AND Type <> 'G' LIMIT 1000",
                              {countId});
    QList<std::pair<int, QString>> rows;
    while (trans.next())
        rows.append({trans.value(0).toInt(), trans.value(1).toString() == "O" ? "O" : "I"});
    for (const auto &[transTag, side] : rows) {
        db.exec("INSERT INTO CFilesLink VALUES (?, ?, ?, ?, ' ')", {countId, tag, transTag, side});
        db.exec(side == "O" ? "UPDATE CTrans SET Output_File_Count = Output_File_Count + 1 WHERE Tag = ?"
                            : "UPDATE CTrans SET Input_File_Count = Input_File_Count + 1 WHERE Tag = ?",
                {transTag});
    }
    return tag;
}

TTreeNode *FirstItemInGroup(TDBTreeView *tree)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (TTreeNode *node = TDBTreeView::NodeOf(*it); node && node->parentNode() && node->info.type != "G")
            return node;
    return nullptr;
}

void TypeName(QLineEdit *edit, const QString &name)
{
    edit->setText(name);
    emit edit->textEdited(name);
}

struct Timings
{
    std::vector<double> insert, edit, remove, summary;
    double fileDelete = 0;
    int recounted = 0;
};

void EditOnce(TMainForm &editor, int round, int wideFile, Timings &t)
{
    TTransPage *page = editor.transPage();
    TDBTreeView *tree = page->tree();
    editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
    tree->SelectNode(FirstItemInGroup(tree));

    // Each step ends with what the window shows after it: the tree, the
    // panel, and the count's summary.
    t.insert.push_back(Time([&] {
        editor.commands().action(C::MenuInsertTrans)->trigger();
        TypeName(page->nameEdit(), QStringLiteral("Benchmark transaction %1").arg(round));
        page->okButton()->click();
        editor.RefreshSummary();
    }));
    const QString inserted = tree->ActiveId();
    tree->SelectNode(FirstItemInGroup(tree));
    t.edit.push_back(Time([&] {
        TypeName(page->nameEdit(), QStringLiteral("Edited transaction %1").arg(round));
        page->typeGroup()->button(round % 2 == 0 ? 2 : 1)->click();
        page->okButton()->click();
        editor.RefreshSummary();
    }));
    tree->SelectNode(tree->FindNodeById(inserted));
    t.remove.push_back(Time([&] {
        editor.commands().action(C::ToolDeleteTrans)->trigger();
        editor.RefreshSummary();
    }));
    t.summary.push_back(Time([&] { editor.RefreshSummary(); }));

    if (round == 0) {
        editor.pageControl()->setCurrentIndex(TMainForm::FilesPage);
        TDBTreeView *files = editor.filesPage()->tree();
        files->SelectNode(files->FindNodeById(QString::number(wideFile)));
        const int before = editor.appState().changeCount;
        t.fileDelete = Time([&] {
            editor.commands().action(C::ToolDeleteFile)->trigger();
            editor.RefreshSummary();
        });
        t.recounted = editor.appState().changeCount - before - 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    bench::PreferOffscreen();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const int rounds = bench::ParseRounds(parser, app, QStringLiteral("10"));

    bench::Workspace work;
    DataModule &dm = work.dm;
    bench::AnsweringDialogs &dialogs = work.dialogs;
    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = 10;
    const int large = bench::FillDatabase(dm.database(), shape);
    const int wideFile = AddWidelyLinkedFile(dm.database(), large);
    out << "Count of " << shape.large.transactions << " transactions, " << shape.large.groups << " groups, "
        << shape.large.files + 1 << " files, " << shape.large.links + 1000 << " links" << Qt::endl;
    dm.openCatalogueCursor();

    TMainForm editor(dm);
    editor.setLoadPause(0);
    bench::OpenSaved(dm.state(), large);

    Timings t;
    QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        QTimer::singleShot(0, &editor, [&] {
            for (int round = 0; round < rounds; ++round)
                EditOnce(editor, round, wideFile, t);
            editor.hide();
        });
    });
    editor.RunModal();

    out << "Each step with its tree, panel and summary updates (" << rounds << " rounds):" << Qt::endl;
    out << "  insert a transaction:  " << Spread(t.insert) << Qt::endl;
    out << "  edit a transaction:    " << Spread(t.edit) << Qt::endl;
    out << "  delete a transaction:  " << Spread(t.remove) << Qt::endl;
    out << "  the summary alone:     " << Spread(t.summary) << Qt::endl;
    out << "Deleting a file linked to 1,000 transactions: " << QString::number(t.fileDelete, 'f', 1) << " ms ("
        << t.recounted << " transactions recounted)" << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    return 0;
}
