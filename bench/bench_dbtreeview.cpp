// Times the hierarchy tree: building the transaction tree of a large count,
// refreshing one row with its value rippled up, and looking nodes up by key
// in trees of growing size. Run by hand; prints its figures.
//
//   bench_dbtreeview [--rounds N] [--scale N] [--against M]
//
// --scale multiplies the transactions and groups of the large tree.
// --against M times only the build, at scale N and at scale M in turn, and
// gives the ratio of their medians.

#include "datagen.h"

#include "store/database.h"
#include "store/query.h"
#include "store/schema.h"
#include "views/dbtreeview.h"
#include "views/updatesource.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <memory>
#include <cstdio>
#include <vector>
#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Expect;

QString summary(std::vector<double> t, double scale, const QString &unit)
{
    return bench::Spread(std::move(t), unit, 3, scale);
}

// One row held in memory, so the refresh timing is the tree's own work.
class RowSource : public UpdateSource
{
public:
    QHash<QString, QVariant> row;
    bool hasCurrentRow() const override { return true; }
    QVariant value(const QString &field) const override { return row.value(field); }
    void deleteCurrentRow() override {}
};

void configureTransactions(TDBTreeView &tree, StoreQuery &parents, StoreQuery &items, int countId)
{
    const QString columns =
        QStringLiteral("SELECT Tag, Description, Owner_Tag, Type, FP_Val, Change_Type, Complexity FROM CTrans ");
    parents.setSql(columns + "WHERE Type = 'G' AND Count_Id = :Count_Id", "ORDER BY Owner_Tag, Description");
    items.setSql(columns + "WHERE Type IN ('I', 'O', 'Q') AND Count_Id = :Count_Id", "ORDER BY Owner_Tag, Description");
    parents.setParam("Count_Id", countId);
    items.setParam("Count_Id", countId);
    tree.setPDataSource(&parents);
    tree.setIDataSource(&items);
    tree.setFieldId("Tag");
    tree.setFieldParentId("Owner_Tag");
    tree.setFieldName("Description");
    tree.setFieldVal("FP_Val");
    tree.setFieldType("Type");
    tree.setFieldType2("Change_Type");
    tree.setFieldType3("Complexity");
    tree.setFieldNullVal("N");
    tree.setFieldValShow(true);
    tree.setFieldValRipple(true);
    tree.setFieldValUnits("FPs");
}

// The deepest item: its refresh has the longest way up.
TTreeNode *deepestItem(TDBTreeView &tree)
{
    TTreeNode *best = nullptr;
    int bestDepth = -1;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        TTreeNode *node = TDBTreeView::NodeOf(*it);
        int depth = 0;
        for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
            ++depth;
        if (node->info.type != "G" && depth > bestDepth) {
            best = node;
            bestDepth = depth;
        }
    }
    return best;
}

void benchLoadAndRefresh(Database &db, int rounds, int scale)
{
    QRandomGenerator rng(20240506);
    const bench::CountShape shape = bench::CountShape{10000, 500, 6, 0, 0, QStringLiteral("B")}.scaled(scale);
    bench::GenerateCount(db, 1, shape, 1, rng);

    TDBTreeView tree;
    StoreQuery parents, items;
    configureTransactions(tree, parents, items, 1);
    tree.setDatabase(&db);
    tree.resize(400, 800);
    tree.show();

    std::vector<double> loads;
    QElapsedTimer timer;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        tree.LoadTree();
        loads.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    Expect(tree.IndexedKeyCount() == shape.transactions + shape.groups, "every transaction has a node");
    out << QStringLiteral("LoadTree, %1 transactions in %2 groups: %3 (limit 0.300 s)")
               .arg(shape.transactions)
               .arg(shape.groups)
               .arg(summary(loads, 1.0, "s"))
        << Qt::endl;

    // Opening a count builds into an empty view; the rounds above also free
    // the tree they replace.
    std::vector<double> fresh;
    for (int r = 0; r < rounds; ++r) {
        auto view = std::make_unique<TDBTreeView>();
        configureTransactions(*view, parents, items, 1);
        view->setDatabase(&db);
        view->resize(400, 800);
        view->show();
        timer.start();
        view->LoadTree();
        fresh.push_back(double(timer.nsecsElapsed()) / 1e9);
        Expect(view->IndexedKeyCount() == tree.IndexedKeyCount(), "the same tree in an empty view");
    }
    out << QStringLiteral("LoadTree into an empty view: %1").arg(summary(fresh, 1.0, "s")) << Qt::endl;

    TTreeNode *item = deepestItem(tree);
    int depth = 0;
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        ++depth;
    RowSource source;
    source.row = {{"Tag", item->info.key},       {"Description", item->info.name}, {"Owner_Tag", item->info.parentKey},
                  {"Type", item->info.type},     {"Change_Type", "A"},             {"Complexity", item->info.type3},
                  {"FP_Val", 0.0}};
    tree.setUDataSource(&source);
    TTreeNode *top = item;
    while (top->parentNode())
        top = top->parentNode();
    const qint64 topBefore = top->info.value - item->info.value;
    std::vector<double> refreshes;
    for (int i = 0; i < 2000; ++i) {
        source.row["FP_Val"] = double(3 + i % 5);
        timer.start();
        tree.RefreshNodeFromUpdateSource();
        refreshes.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    Expect(top->info.value == topBefore + 3 + 1999 % 5, "the last value reached the top group");
    out << QStringLiteral("RefreshNodeFromUpdateSource, item %1 levels deep: %2 (limit 1.000 ms)")
               .arg(depth)
               .arg(summary(refreshes, 1000.0, "ms"))
        << Qt::endl;
}

// The two sizes of a growth measurement: each its own count, tree and view.
struct GrowthSize
{
    int scale = 1;
    StoreQuery parents, items;
    TDBTreeView tree;
    std::vector<double> rebuilds, fresh;
};

double median(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Separate runs at each size can fall in a busy and a quiet spell of a
// shared machine and give a ratio of the machine, not of the code. Here the
// rounds of the two sizes are taken in turn in one process, so a busy spell
// slows both alike.
void benchGrowth(Database &db, int rounds, int scale, int against)
{
    QRandomGenerator rng(20240506);
    const bench::CountShape base{10000, 500, 6, 0, 0, QStringLiteral("B")};
    std::array<std::unique_ptr<GrowthSize>, 2> sizes;
    int firstTag = 1;
    for (int i = 0; i < 2; ++i) {
        sizes[size_t(i)] = std::make_unique<GrowthSize>();
        GrowthSize &size = *sizes[size_t(i)];
        size.scale = i == 0 ? against : scale;
        firstTag = bench::GenerateCount(db, 11 + i, base.scaled(size.scale), firstTag, rng);
        configureTransactions(size.tree, size.parents, size.items, 11 + i);
        size.tree.setDatabase(&db);
        size.tree.resize(400, 800);
        size.tree.show();
        size.tree.LoadTree();
    }
    QElapsedTimer timer;
    for (int r = 0; r < rounds; ++r) {
        for (auto &size : sizes) {
            timer.start();
            size->tree.LoadTree();
            size->rebuilds.push_back(double(timer.nsecsElapsed()) / 1e9);

            TDBTreeView view;
            configureTransactions(view, size->parents, size->items, 11 + int(&size - sizes.data()));
            view.setDatabase(&db);
            view.resize(400, 800);
            view.show();
            timer.start();
            view.LoadTree();
            size->fresh.push_back(double(timer.nsecsElapsed()) / 1e9);
            Expect(view.IndexedKeyCount() == size->tree.IndexedKeyCount(), "the same tree in an empty view");
        }
    }
    const GrowthSize &small = *sizes[0];
    const GrowthSize &large = *sizes[1];
    Expect(large.tree.IndexedKeyCount() == (base.transactions + base.groups) * scale, "every transaction has a node");
    for (const auto &size : sizes)
        out << QStringLiteral("At %1x, %2 nodes: rebuild %3; into an empty view %4")
                   .arg(size->scale)
                   .arg(size->tree.IndexedKeyCount())
                   .arg(summary(size->rebuilds, 1.0, "s"), summary(size->fresh, 1.0, "s"))
            << Qt::endl;
    out << QStringLiteral("Growth from %1x to %2x, ratio of medians over %3 rounds in turn: rebuild %4, "
                          "into an empty view %5")
               .arg(against)
               .arg(scale)
               .arg(rounds)
               .arg(median(large.rebuilds) / median(small.rebuilds), 0, 'f', 2)
               .arg(median(large.fresh) / median(small.fresh), 0, 'f', 2)
        << Qt::endl;
}

void benchLookup(Database &db)
{
    const QList<int> sizes = {1000, 10000, 100000};
    Transaction batch(db);
    for (int tag = 1; tag <= sizes.last(); ++tag)
        db.exec("INSERT INTO CFiles (Count_Id, Tag, Description, FP_Val, Type, Change_Type, Complexity) "
                "VALUES (2, ?, ?, 7, 'I', 'A', '1')",
                {tag, QStringLiteral("File %1").arg(tag)});
    batch.commit();

    for (int size : sizes) {
        TDBTreeView tree;
        StoreQuery files("SELECT Tag, Description, Type, FP_Val, Change_Type, Complexity FROM CFiles "
                         "WHERE Count_Id = 2 AND Tag <= :Last");
        files.setParam("Last", size);
        tree.setDatabase(&db);
        tree.setIDataSource(&files);
        tree.setFieldId("Tag");
        tree.setFieldName("Description");
        tree.setFieldVal("FP_Val");
        tree.setFieldValShow(true);
        tree.setFieldValUnits("FPs");
        tree.LoadTree();
        Expect(tree.IndexedKeyCount() == size, "every file has a node");

        QStringList keys;
        QRandomGenerator rng(size);
        for (int i = 0; i < 100000; ++i)
            keys << QString::number(1 + rng.bounded(size));
        QElapsedTimer timer;
        timer.start();
        int found = 0;
        for (const QString &key : keys)
            found += tree.FindNodeById(key) ? 1 : 0;
        const double perLookup = double(timer.nsecsElapsed()) / keys.size();
        Expect(found == keys.size(), "every key found");
        out << QStringLiteral("FindNodeById in a tree of %1 nodes: %2 ns per lookup")
                   .arg(size, 6)
                   .arg(perLookup, 0, 'f', 0)
            << Qt::endl;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"rounds", "Timed builds of the large tree.", "n", "5"});
    parser.addOption({"against", "Time the build at this scale and at --scale in turn.", "M"});
    bench::AddScaleOption(parser);
    parser.process(app);
    const int rounds = std::max(1, parser.value("rounds").toInt());

    bench::ScratchDatabase scratch;
    Database &db = scratch.db;
    if (parser.isSet("against")) {
        bool ok = false;
        const int against = parser.value("against").toInt(&ok);
        if (!ok || against < 1 || against > 64) {
            QTextStream(stderr) << "--against takes a whole number from 1 to 64" << Qt::endl;
            return 2;
        }
        benchGrowth(db, rounds, bench::Scale(parser), against);
        db.close();
        return 0;
    }
    benchLoadAndRefresh(db, rounds, bench::Scale(parser));
    benchLookup(db);
    db.close();
    return 0;
}
