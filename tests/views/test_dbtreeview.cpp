#include "countfixture.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include "store/cursor.h"
#include "store/database.h"
#include "store/query.h"
#include "views/dbtreeview.h"
#include "views/updatesource.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace qm;
using namespace qm::test;

namespace {

const int kCount = 7;

// The record sources of the three trees the program shows.
const QString kCountColumns = QStringLiteral("SELECT Id, Description, Copy_Count_Id, Type, FP_Val FROM CCounts ");
const QString kTransColumns =
    QStringLiteral("SELECT Tag, Description, Owner_Tag, Type, FP_Val, Change_Type, Complexity FROM Trans ");

} // namespace

class TestDBTreeView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void transactionValuesRipple_data();
    void transactionValuesRipple();
    void catalogueShowsStoredValues_data();
    void catalogueShowsStoredValues();
    void systemFilterBringsInForeignAncestors();
    void ownerLoopsStillBuild();
    void notifyFiresByCount_data();
    void notifyFiresByCount();
    void sortIsLocaleAwareAndCaseSensitive();
    void loadKeepsTheFirstRowOfAKey();
    void typedNameShowsUntilTheNodeIsUpdated();
    void groupsOpenLeavesStayClosed_data();
    void groupsOpenLeavesStayClosed();

    void postedChangeRipplesToEveryGroup();
    void refreshOfGroupKeepsItsSum_data();
    void refreshOfGroupKeepsItsSum();
    void placeholderCommitsOrIsDiscarded_data();
    void placeholderCommitsOrIsDiscarded();
    void placeholderNeedsAShownParent();
    void selectingElsewhereDropsThePlaceholderOnly();
    void addNodeFromUpdateSourcePlacement_data();
    void addNodeFromUpdateSourcePlacement();
    void deleteSelectedNode_data();
    void deleteSelectedNode();
    void reparentNode();
    void moveNodeKeepsWhatWasOpen_data();
    void moveNodeKeepsWhatWasOpen();
    void addSubtreeGoesInOnce();
    void cutNodesAreDimmed();
    void dragScrollsNearTheEdges();

    void findText_data();
    void findText();
    void collapseAndExpandOneLevel_data();
    void collapseAndExpandOneLevel();
    void boldFollowsSelection();
    void lookupOfNodeTakenOutIsReported();
    void moreThan9999Keys();

private:
    void configureTransactions();
    void configureCatalogue();
    void configureFiles();
    void loadSample();
    QString text(int key);
    int parentOf(int key);
    QStringList childTexts(QTreeWidgetItem *parent);

    std::unique_ptr<TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TDBTreeView> m_tree;
    std::unique_ptr<TableCursor> m_cursor;
    StoreQuery m_parents;
    StoreQuery m_items;
};

void TestDBTreeView::initTestCase()
{
    // Collation here must be the locale's, not the C locale's code order.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestDBTreeView::init()
{
    m_dir = std::make_unique<TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("tree_test"));
    m_db->open(m_dir->path());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_tree = std::make_unique<TDBTreeView>();
    m_tree->setDatabase(m_db.get());
    m_tree->setDialogs(m_dialogs.get());
    m_tree->resize(300, 600);
    m_tree->show();
}

void TestDBTreeView::cleanup()
{
    m_tree.reset();
    m_cursor.reset();
    m_dialogs.reset();
    m_db.reset();
    m_dir.reset();
}

void TestDBTreeView::configureTransactions()
{
    m_parents.setSql(kTransColumns + "WHERE Type = 'G' AND Count_Id = :Count_Id", "ORDER BY Owner_Tag, Description");
    m_items.setSql(kTransColumns + "WHERE Type IN ('I', 'O', 'Q') AND Count_Id = :Count_Id",
                   "ORDER BY Owner_Tag, Description");
    m_parents.setParam("Count_Id", kCount);
    m_items.setParam("Count_Id", kCount);
    m_tree->setPDataSource(&m_parents);
    m_tree->setIDataSource(&m_items);
    m_tree->setFieldId("Tag");
    m_tree->setFieldParentId("Owner_Tag");
    m_tree->setFieldName("Description");
    m_tree->setFieldVal("FP_Val");
    m_tree->setFieldType("Type");
    m_tree->setFieldType2("Change_Type");
    m_tree->setFieldType3("Complexity");
    m_tree->setFieldNullVal("N");
    m_tree->setFieldValShow(true);
    m_tree->setFieldValRipple(true);
    m_tree->setFieldValUnits("FPs");
    m_cursor = std::make_unique<TableCursor>(*m_db);
    m_cursor->setTable("Trans", "Tag");
    m_cursor->open();
    m_tree->setUDataSource(m_cursor.get());
}

void TestDBTreeView::configureCatalogue()
{
    const QString parentIds = "(SELECT DISTINCT Copy_Count_Id FROM CCounts)";
    m_parents.setSql(kCountColumns + "WHERE Id IN " + parentIds);
    m_items.setSql(kCountColumns + "WHERE Id NOT IN " + parentIds);
    m_tree->setPDataSource(&m_parents);
    m_tree->setIDataSource(&m_items);
    m_tree->setFieldId("Id");
    m_tree->setFieldParentId("Copy_Count_Id");
    m_tree->setFieldName("Description");
    m_tree->setFieldVal("FP_Val");
    m_tree->setFieldType("Type");
    m_tree->setFieldValShow(true);
    m_tree->setFieldValUnits("FPs");
    m_cursor = std::make_unique<TableCursor>(*m_db);
    m_cursor->setTable("CCounts", "Id");
    m_cursor->open();
    m_tree->setUDataSource(m_cursor.get());
}

void TestDBTreeView::configureFiles()
{
    m_items.setSql("SELECT Tag, Description, Type, FP_Val, Change_Type, Complexity FROM Files "
                   "WHERE Count_Id = :Count_Id");
    m_items.setParam("Count_Id", kCount);
    m_tree->setIDataSource(&m_items);
    m_tree->setFieldId("Tag");
    m_tree->setFieldName("Description");
    m_tree->setFieldVal("FP_Val");
    m_tree->setFieldType("Type");
    m_tree->setFieldType2("Change_Type");
    m_tree->setFieldType3("Complexity");
    m_tree->setFieldNullVal("N");
    m_tree->setFieldValShow(true);
    m_tree->setFieldValRipple(true);
    m_tree->setFieldValUnits("FPs");
    m_cursor = std::make_unique<TableCursor>(*m_db);
    m_cursor->setTable("Files", "Tag");
    m_cursor->open();
    m_tree->setUDataSource(m_cursor.get());
}

// Top: G1 (1) holds Entry (2, 4 points, added), Report (3, 5, unchanged) and
// G2 (4), which holds Lookup (5, 6, modified). Beside it: Alone (6, 2 points).
void TestDBTreeView::loadSample()
{
    configureTransactions();
    InsertTrans(*m_db, {kCount, 1, "G1", 0, "G"}, "Trans");
    InsertTrans(*m_db, {kCount, 2, "Entry", 4, "I", "A", 1}, "Trans");
    InsertTrans(*m_db, {kCount, 3, "Report", 5, "O", "N", 1}, "Trans");
    InsertTrans(*m_db, {kCount, 4, "G2", 0, "G", "A", 1}, "Trans");
    InsertTrans(*m_db, {kCount, 5, "Lookup", 6, "Q", "M", 4}, "Trans");
    InsertTrans(*m_db, {kCount, 6, "Alone", 2, "I", "A", 0}, "Trans");
    m_cursor->refresh();
    m_tree->LoadTree();
}

QString TestDBTreeView::text(int key)
{
    TTreeNode *node = m_tree->FindNodeById(QString::number(key));
    return node ? node->text(0) : QStringLiteral("<none>");
}

int TestDBTreeView::parentOf(int key)
{
    TTreeNode *node = m_tree->FindNodeById(QString::number(key));
    if (!node)
        return -1;
    return node->parentNode() ? node->parentNode()->info.key.toInt() : 0;
}

QStringList TestDBTreeView::childTexts(QTreeWidgetItem *parent)
{
    QStringList out;
    const int n = parent ? parent->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < n; ++i)
        out << (parent ? parent->child(i) : m_tree->topLevelItem(i))->text(0);
    return out;
}

// --- Building ---

void TestDBTreeView::transactionValuesRipple_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("parent");
    QTest::newRow("added input") << 2 << "Entry {4 FPs}" << 1;
    QTest::newRow("unchanged output counts nothing") << 3 << "Report {0 FPs}" << 1;
    QTest::newRow("inner group") << 4 << "G2 {6 FPs}" << 1;
    QTest::newRow("modified inquiry") << 5 << "Lookup {6 FPs}" << 4;
    QTest::newRow("outer group sums all below") << 1 << "G1 {10 FPs}" << 0;
    QTest::newRow("top-level item") << 6 << "Alone {2 FPs}" << 0;
}

void TestDBTreeView::transactionValuesRipple()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, parent);
    loadSample();
    QCOMPARE(this->text(key), text);
    QCOMPARE(parentOf(key), parent);
    // Built fully expanded with the first top-level node selected.
    QVERIFY(m_tree->FindNodeById("4")->isExpanded());
    QCOMPARE(m_tree->ActiveId(), QString("6"));
}

void TestDBTreeView::groupsOpenLeavesStayClosed_data()
{
    QTest::addColumn<bool>("collapseAndExpandAll");
    QTest::addColumn<QStringList>("open");
    QTest::newRow("as built, an empty group too") << false << QStringList({"1", "4", "7"});
    QTest::newRow("after collapse all and expand all") << true << QStringList({"1", "4"});
}

void TestDBTreeView::groupsOpenLeavesStayClosed()
{
    QFETCH(bool, collapseAndExpandAll);
    QFETCH(QStringList, open);
    loadSample();
    InsertTrans(*m_db, {kCount, 7, "G3", 0, "G"}, "Trans");
    m_tree->LoadTree();
    if (collapseAndExpandAll) {
        m_tree->CollapseAll();
        m_tree->ExpandAll();
    }
    // A leaf marked open would cost a persistent index in the model, kept
    // up to date on every later insertion and removal.
    QStringList shownOpen;
    for (QTreeWidgetItemIterator it(m_tree.get()); *it; ++it)
        if ((*it)->isExpanded())
            shownOpen << TDBTreeView::NodeOf(*it)->info.key;
    QCOMPARE(shownOpen, open);
    // No row is hidden inside a closed group.
    for (QTreeWidgetItemIterator it(m_tree.get()); *it; ++it)
        QVERIFY2(!m_tree->visualItemRect(*it).isEmpty(), qPrintable((*it)->text(0)));
}

void TestDBTreeView::catalogueShowsStoredValues_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("parent");
    QTest::newRow("base keeps its own value") << 1 << "Base {100 FPs}" << 0;
    QTest::newRow("derived under base") << 2 << "Enh A {30 FPs}" << 1;
    QTest::newRow("second derived") << 3 << "Enh B {40 FPs}" << 1;
    QTest::newRow("parent reset to 0") << 4 << "Orphan {5 FPs}" << 0;
    QTest::newRow("parent no longer there") << 5 << "Stray {6 FPs}" << 0;
}

void TestDBTreeView::catalogueShowsStoredValues()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, parent);
    configureCatalogue();
    InsertCount(*m_db, {1, "PAY", "Base", "B", 0, 100});
    InsertCount(*m_db, {2, "PAY", "Enh A", "E", 1, 30});
    InsertCount(*m_db, {3, "PAY", "Enh B", "E", 1, 40});
    InsertCount(*m_db, {4, "PAY", "Orphan", "E", 0, 5});
    InsertCount(*m_db, {5, "PAY", "Stray", "E", 99, 6});
    m_tree->LoadTree();
    QCOMPARE(this->text(key), text);
    QCOMPARE(parentOf(key), parent);
}

void TestDBTreeView::systemFilterBringsInForeignAncestors()
{
    configureCatalogue();
    // 6 (OTHER) <- 1 (OTHER) <- 2 (PAY) <- 5 (PAY); 3 (OTHER) stands alone;
    // 4 (PAY) stands alone.
    InsertCount(*m_db, {6, "OTHER", "Root other", "B", 0, 1});
    InsertCount(*m_db, {1, "OTHER", "Other base", "B", 6, 10});
    InsertCount(*m_db, {2, "PAY", "Pay enh", "E", 1, 20});
    InsertCount(*m_db, {3, "OTHER", "Unrelated", "B", 0, 30});
    InsertCount(*m_db, {4, "PAY", "Pay base", "B", 0, 40});
    InsertCount(*m_db, {5, "PAY", "Pay enh 2", "E", 2, 50});
    StoreQuery filter(kCountColumns + "WHERE System = :System");
    filter.setParam("System", "PAY");
    m_tree->setIDataSource(&filter);
    m_tree->setFilterOn(true);
    m_tree->LoadTree();

    QCOMPARE(parentOf(2), 1);
    QCOMPARE(parentOf(1), 6);
    QCOMPARE(parentOf(6), 0);
    QCOMPARE(parentOf(5), 2);
    QCOMPARE(parentOf(4), 0);
    QVERIFY(!m_tree->FindNodeById("3"));
    QCOMPARE(m_tree->IndexedKeyCount(), 5);
    QCOMPARE(text(1), QString("Other base {10 FPs}"));
}

void TestDBTreeView::ownerLoopsStillBuild()
{
    configureTransactions();
    // Groups that own each other, and one that owns itself.
    InsertTrans(*m_db, {kCount, 1, "Loop A", 0, "G", "A", 2}, "Trans");
    InsertTrans(*m_db, {kCount, 2, "Loop B", 0, "G", "A", 1}, "Trans");
    InsertTrans(*m_db, {kCount, 3, "Self", 0, "G", "A", 3}, "Trans");
    InsertTrans(*m_db, {kCount, 4, "Inside", 3, "I", "A", 2}, "Trans");
    m_tree->LoadTree();
    QCOMPARE(m_tree->IndexedKeyCount(), 4);
    QCOMPARE(parentOf(4), 2);
    QCOMPARE(parentOf(3), 0);
    // One of the pair hangs under the other, which stands at the top.
    QVERIFY((parentOf(1) == 2 && parentOf(2) == 0) || (parentOf(2) == 1 && parentOf(1) == 0));
}

void TestDBTreeView::notifyFiresByCount_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fired");
    // Five nodes and the closing step: six advances.
    QTest::newRow("every second") << true << 2 << 3;
    QTest::newRow("zero means every node") << true << 0 << 6;
    QTest::newRow("more than there are") << true << 10 << 0;
    QTest::newRow("off") << false << 1 << 0;
}

void TestDBTreeView::notifyFiresByCount()
{
    QFETCH(bool, on);
    QFETCH(int, count);
    QFETCH(int, fired);
    configureFiles();
    for (int tag = 1; tag <= 5; ++tag)
        InsertFile(*m_db, {kCount, tag, QString("File %1").arg(tag), 7}, "Files");
    m_tree->setNotifyOn(on);
    m_tree->setNotifyCount(count);
    QSignalSpy spy(m_tree.get(), &TDBTreeView::OnNotify);
    m_tree->LoadTree();
    QCOMPARE(spy.count(), fired);
}

void TestDBTreeView::sortIsLocaleAwareAndCaseSensitive()
{
    configureFiles();
    const QStringList names = {"beta", "Alpha", "Gamma", "alpha", "Payroll", "Payroll"};
    const QList<double> values = {1, 1, 1, 1, 9, 10};
    for (int i = 0; i < names.size(); ++i)
        InsertFile(*m_db, {kCount, i + 1, names[i], values[i]}, "Files");
    m_tree->LoadTree();
    // Code order would put every capital first; equal names order by the
    // text of their values.
    QCOMPARE(childTexts(nullptr), QStringList({"alpha {1 FPs}", "Alpha {1 FPs}", "beta {1 FPs}", "Gamma {1 FPs}",
                                               "Payroll {10 FPs}", "Payroll {9 FPs}"}));
}

// --- Single-record operations ---

void TestDBTreeView::loadKeepsTheFirstRowOfAKey()
{
    configureTransactions();
    InsertTrans(*m_db, {kCount, 1, "G1", 0, "G"}, "Trans");
    InsertTrans(*m_db, {kCount, 2, "Alpha", 4, "I", "A", 1}, "Trans");
    // The table keeps tags apart; a source joined from two may not.
    m_items.setSql(kTransColumns + "WHERE Type IN ('I', 'O', 'Q') AND Count_Id = :Count_Id "
                                   "UNION ALL SELECT 2, 'Beta', 1, 'I', 5, 'A', 1",
                   "ORDER BY Owner_Tag, Description");
    m_cursor->refresh();
    m_tree->LoadTree();
    QCOMPARE(m_tree->IndexedKeyCount(), 2);
    // The rows come in name order: the first, Alpha, keeps the key, and the
    // second is left out, its value with it.
    QCOMPARE(childTexts(m_tree->FindNodeById("1")), QStringList({"Alpha {4 FPs}"}));
    QCOMPARE(text(1), QString("G1 {4 FPs}"));
}

void TestDBTreeView::typedNameShowsUntilTheNodeIsUpdated()
{
    loadSample();
    TTreeNode *entry = m_tree->FindNodeById("2");
    TTreeNode *g1 = m_tree->FindNodeById("1");
    // As the name box does while a name is typed.
    entry->setText(0, "Entr");
    QCOMPARE(text(2), QString("Entr"));
    const QModelIndex g1Index = m_tree->model()->index(m_tree->indexOfTopLevelItem(g1), 0);
    QCOMPARE(m_tree->model()->data(g1Index).toString(), QString("G1 {10 FPs}"));

    // A value that ripples tells the view of every node it changes, and the
    // typed text stays until its own node is updated.
    QSignalSpy changed(m_tree->model(), &QAbstractItemModel::dataChanged);
    m_tree->AddToNodeValue(3, m_tree->FindNodeById("5"));
    QVERIFY(std::any_of(changed.cbegin(), changed.cend(),
                        [&](const QList<QVariant> &args) { return args.at(0).toModelIndex() == g1Index; }));
    QCOMPARE(m_tree->model()->data(g1Index).toString(), QString("G1 {13 FPs}"));
    QCOMPARE(text(5), QString("Lookup {9 FPs}"));
    QCOMPARE(text(2), QString("Entr"));

    QVERIFY(m_cursor->locate("Tag", 2));
    m_cursor->edit();
    m_cursor->setValue("Description", "Entry form");
    QVERIFY(m_cursor->post());
    m_tree->RefreshNodeFromUpdateSource();
    QCOMPARE(text(2), QString("Entry form {4 FPs}"));
    QCOMPARE(childTexts(g1).first(), QString("Entry form {4 FPs}"));
}

void TestDBTreeView::postedChangeRipplesToEveryGroup()
{
    loadSample();
    // Put G1 inside another group so the change has two levels to climb.
    InsertTrans(*m_db, {kCount, 9, "Outer", 0, "G"}, "Trans");
    m_db->exec("UPDATE Trans SET Owner_Tag = 9 WHERE Tag = 1");
    m_cursor->refresh();
    m_tree->LoadTree();
    QCOMPARE(text(9), QString("Outer {10 FPs}"));

    QVERIFY(m_cursor->locate("Tag", 2));
    m_cursor->edit();
    m_cursor->setValue("FP_Val", 6.0);
    QVERIFY(m_cursor->post());
    m_tree->RefreshNodeFromUpdateSource();
    QCOMPARE(text(2), QString("Entry {6 FPs}"));
    QCOMPARE(text(1), QString("G1 {12 FPs}"));
    QCOMPARE(text(9), QString("Outer {12 FPs}"));
    QCOMPARE(text(4), QString("G2 {6 FPs}"));

    // Marking it unchanged takes its whole value out again.
    m_cursor->edit();
    m_cursor->setValue("Change_Type", "N");
    m_cursor->setValue("Description", "Zentry");
    QVERIFY(m_cursor->post());
    m_tree->RefreshNodeFromUpdateSource();
    QCOMPARE(text(9), QString("Outer {6 FPs}"));
    // Renamed, it moves to its place among its siblings.
    QCOMPARE(childTexts(m_tree->FindNodeById("1")), QStringList({"G2 {6 FPs}", "Report {0 FPs}", "Zentry {0 FPs}"}));
}

void TestDBTreeView::refreshOfGroupKeepsItsSum_data()
{
    QTest::addColumn<QString>("newType");
    QTest::addColumn<QString>("groupText");
    QTest::addColumn<QString>("outerText");
    QTest::newRow("still a group") << "G" << "G2 {6 FPs}" << "G1 {10 FPs}";
    // As an input it is worth its own row value (3), which replaces the 6.
    QTest::newRow("turned into an input") << "I" << "G2 {3 FPs}" << "G1 {7 FPs}";
}

void TestDBTreeView::refreshOfGroupKeepsItsSum()
{
    QFETCH(QString, newType);
    QFETCH(QString, groupText);
    QFETCH(QString, outerText);
    m_tree->setOnGetImage([](const TNodeInfo &info) { return info.type == "G" ? 0 : 1; });
    loadSample();
    QCOMPARE(m_tree->FindNodeById("4")->imageIndex(), 0);
    QVERIFY(m_cursor->locate("Tag", 4));
    m_cursor->edit();
    m_cursor->setValue("FP_Val", 3.0);
    m_cursor->setValue("Type", newType);
    QVERIFY(m_cursor->post());
    m_tree->RefreshNodeFromUpdateSource();
    QCOMPARE(text(4), groupText);
    QCOMPARE(text(1), outerText);
    QCOMPARE(m_tree->FindNodeById("4")->imageIndex(), newType == "G" ? 0 : 1);
}

void TestDBTreeView::placeholderCommitsOrIsDiscarded_data()
{
    QTest::addColumn<bool>("commit");
    QTest::newRow("posted") << true;
    QTest::newRow("cancelled") << false;
}

void TestDBTreeView::placeholderCommitsOrIsDiscarded()
{
    QFETCH(bool, commit);
    loadSample();
    m_tree->SelectNode(m_tree->FindNodeById("5"));
    QSignalSpy changes(m_tree.get(), &TDBTreeView::OnAfterChange);

    TTreeNode *node = m_tree->AddUncommittedNode("10", "4", "I");
    QVERIFY(node);
    QCOMPARE(node->text(0), QString("__"));
    QVERIFY(node->info.uncommitted);
    QCOMPARE(node->info.type2, QString("X"));
    QCOMPARE(m_tree->SelectedNode(), node);
    QCOMPARE(m_tree->UncommittedNode(), node);
    QCOMPARE(parentOf(10), 4);
    QCOMPARE(changes.count(), 0);

    if (commit) {
        m_cursor->insert();
        m_cursor->setValue("Count_Id", kCount);
        m_cursor->setValue("Tag", 10);
        m_cursor->setValue("Description", "Add user");
        m_cursor->setValue("FP_Val", 3.0);
        m_cursor->setValue("Type", "I");
        m_cursor->setValue("Change_Type", "A");
        m_cursor->setValue("Owner_Tag", 4);
        m_cursor->setValue("Complexity", "1");
        QVERIFY(m_cursor->post());
        QVERIFY(m_cursor->locate("Tag", 10));
        m_tree->RefreshNodeFromUpdateSource();
        QVERIFY(!node->info.uncommitted);
        QVERIFY(!m_tree->UncommittedNode());
        QCOMPARE(text(10), QString("Add user {3 FPs}"));
        QCOMPARE(text(4), QString("G2 {9 FPs}"));
        QCOMPARE(text(1), QString("G1 {13 FPs}"));
        QCOMPARE(childTexts(m_tree->FindNodeById("4")), QStringList({"Add user {3 FPs}", "Lookup {6 FPs}"}));
    } else {
        m_tree->DiscardUncommittedNode();
        QVERIFY(!m_tree->FindNodeById("10"));
        QVERIFY(!m_tree->UncommittedNode());
        // The node visually above the placeholder: Lookup, G2's last child.
        QCOMPARE(m_tree->ActiveId(), QString("5"));
        QCOMPARE(text(4), QString("G2 {6 FPs}"));
    }
    QVERIFY(m_dialogs->prompts().isEmpty());
}

void TestDBTreeView::placeholderNeedsAShownParent()
{
    loadSample();
    const int before = m_tree->IndexedKeyCount();
    QVERIFY(!m_tree->AddUncommittedNode("10", "77", "I"));
    QCOMPARE(m_dialogs->texts(), QStringList({"information: Adduncommited error1"}));
    QCOMPARE(m_tree->IndexedKeyCount(), before);
    QVERIFY(!m_tree->UncommittedNode());

    // At the top level of a flat tree with nothing else, cancelling leaves no
    // selection at all.
    cleanup();
    init();
    configureFiles();
    m_tree->LoadTree();
    QVERIFY(m_tree->AddUncommittedNode("1", "0", "I"));
    QCOMPARE(m_tree->topLevelItemCount(), 1);
    m_tree->DiscardUncommittedNode();
    QCOMPARE(m_tree->topLevelItemCount(), 0);
    QVERIFY(!m_tree->SelectedNode());
}

void TestDBTreeView::selectingElsewhereDropsThePlaceholderOnly()
{
    loadSample();
    QSignalSpy changes(m_tree.get(), &TDBTreeView::OnAfterChange);
    QVERIFY(m_tree->AddUncommittedNode("10", "1", "I"));
    QVERIFY(m_tree->AddUncommittedNode("11", "0", "I"));
    // A second insert replaces the first placeholder.
    QVERIFY(!m_tree->FindNodeById("10"));
    m_tree->SelectNode(m_tree->FindNodeById("3"));
    QVERIFY(!m_tree->FindNodeById("11"));
    QCOMPARE(m_tree->ActiveId(), QString("3"));
    QCOMPARE(changes.count(), 1);
}

void TestDBTreeView::addNodeFromUpdateSourcePlacement_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<int>("owner");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("siblings");
    QTest::addColumn<QString>("outerText");
    QTest::newRow("under its group, by code order")
        << "trans" << 1 << "Output" << 6 << QStringList({"Entry {4 FPs}", "G2 {6 FPs}", "Output {3 FPs}", "Report {0 FPs}"})
        << "G1 {13 FPs}";
    QTest::newRow("no group: before the selection")
        << "trans" << 0 << "Zed" << 5 << QStringList({"Zed {3 FPs}", "Lookup {6 FPs}"}) << "G1 {10 FPs}";
    QTest::newRow("flat: before the next greater text")
        << "files" << 0 << "Bravo" << 1 << QStringList({"Alpha {2 FPs}", "Bravo {3 FPs}", "Charlie {2 FPs}"}) << "";
    QTest::newRow("flat: nothing greater, after the last")
        << "files" << 0 << "Zulu" << 1 << QStringList({"Alpha {2 FPs}", "Charlie {2 FPs}", "Zulu {3 FPs}"}) << "";
}

void TestDBTreeView::addNodeFromUpdateSourcePlacement()
{
    QFETCH(QString, tree);
    QFETCH(int, owner);
    QFETCH(QString, name);
    QFETCH(int, selected);
    QFETCH(QStringList, siblings);
    QFETCH(QString, outerText);
    if (tree == "trans") {
        loadSample();
        InsertTrans(*m_db, {kCount, 20, name, 3, "O", "A", owner}, "Trans");
    } else {
        configureFiles();
        InsertFile(*m_db, {kCount, 1, "Alpha", 2}, "Files");
        InsertFile(*m_db, {kCount, 2, "Charlie", 2}, "Files");
        m_tree->LoadTree();
        InsertFile(*m_db, {kCount, 20, name, 3}, "Files");
    }
    m_tree->SelectNode(m_tree->FindNodeById(QString::number(selected)));
    QVERIFY(m_cursor->refresh());
    QVERIFY(m_cursor->locate("Tag", 20));
    TTreeNode *node = m_tree->AddNodeFromUpdateSource();
    QVERIFY(node);
    QCOMPARE(m_tree->SelectedNode(), node);
    QCOMPARE(m_tree->FindNodeById("20"), node);
    QCOMPARE(childTexts(node->parent()), siblings);
    if (!outerText.isEmpty())
        QCOMPARE(text(1), outerText);
    // A row that already has a node is not added twice.
    QCOMPARE(m_tree->AddNodeFromUpdateSource(), node);
}

void TestDBTreeView::deleteSelectedNode_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("allow");
    QTest::addColumn<QString>("nextSelected");
    QTest::addColumn<QString>("outerText");
    QTest::newRow("vetoed") << 5 << false << "5" << "G1 {10 FPs}";
    QTest::newRow("inner item: the one before it") << 5 << true << "4" << "G1 {4 FPs}";
    QTest::newRow("first node: the one after it") << 6 << true << "1" << "G1 {10 FPs}";
}

void TestDBTreeView::deleteSelectedNode()
{
    QFETCH(int, key);
    QFETCH(bool, allow);
    QFETCH(QString, nextSelected);
    QFETCH(QString, outerText);
    loadSample();
    QStringList asked;
    m_tree->setOnBefDelete([&](TDBTreeView *, const QString &k, bool &ok) {
        asked << k;
        QVERIFY(!ok);
        ok = allow;
    });
    m_tree->SelectNode(m_tree->FindNodeById(QString::number(key)));
    QVERIFY(m_cursor->locate("Tag", key));
    QSignalSpy changes(m_tree.get(), &TDBTreeView::OnAfterChange);
    m_tree->DeleteSelectedNode();

    QCOMPARE(asked, QStringList({QString::number(key)}));
    const int rows = m_db->scalar("SELECT COUNT(*) FROM Trans WHERE Tag = ?", {key}).toInt();
    QCOMPARE(rows, allow ? 0 : 1);
    QCOMPARE(bool(m_tree->FindNodeById(QString::number(key))), !allow);
    QCOMPARE(m_tree->ActiveId(), nextSelected);
    QCOMPARE(text(1), outerText);
    QCOMPARE(changes.count(), allow ? 1 : 0);
}

void TestDBTreeView::reparentNode()
{
    loadSample();
    m_tree->ReparentNode(nullptr, "1");
    QCOMPARE(m_dialogs->texts(), QStringList({"error: Refresh Item Error - No Node Passed"}));

    // The caller moves Alone into G2 and tells the tree.
    TTreeNode *alone = m_tree->FindNodeById("6");
    TTreeNode *g2 = m_tree->FindNodeById("4");
    m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(alone));
    g2->addChild(alone);
    m_tree->ReparentNode(alone, "4");
    QCOMPARE(alone->info.parentKey, QString("4"));
    QCOMPARE(m_tree->FindNodeById("6"), alone);
    QCOMPARE(childTexts(g2), QStringList({"Alone {2 FPs}", "Lookup {6 FPs}"}));
    QCOMPARE(m_dialogs->prompts().size(), 1);
}

void TestDBTreeView::moveNodeKeepsWhatWasOpen_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("into");
    QTest::addColumn<int>("parent");
    QTest::addColumn<QStringList>("siblings");
    // Tree order: Alone(6), G1(1): Entry(2), G2(4): Lookup(5), Report(3).
    QTest::newRow("into a group, first") << 6 << 4 << true << 4 << QStringList({"Alone {2 FPs}", "Lookup {6 FPs}"});
    QTest::newRow("right after an item") << 3 << 6 << false << 0
                                         << QStringList({"Alone {2 FPs}", "Report {0 FPs}", "G1 {10 FPs}"});
    QTest::newRow("an open group after an item")
        << 4 << 6 << false << 0 << QStringList({"Alone {2 FPs}", "G2 {6 FPs}", "G1 {10 FPs}"});
}

void TestDBTreeView::moveNodeKeepsWhatWasOpen()
{
    QFETCH(int, node);
    QFETCH(int, target);
    QFETCH(bool, into);
    QFETCH(int, parent);
    QFETCH(QStringList, siblings);
    loadSample();
    TTreeNode *moved = m_tree->FindNodeById(QString::number(node));
    m_tree->SelectNode(moved);
    m_tree->MoveNode(moved, m_tree->FindNodeById(QString::number(target)), into);
    QCOMPARE(parentOf(node), parent);
    QCOMPARE(childTexts(moved->parent()), siblings);
    QCOMPARE(m_tree->SelectedNode(), moved);
    QCOMPARE(m_tree->FindNodeById("5")->parent()->isExpanded(), true);
    QCOMPARE(m_tree->FindNodeById("4")->isExpanded(), true);
    QVERIFY(m_dialogs->prompts().isEmpty());
}

namespace {

// A row as a copy writes it.
struct Row : RowUpdateSource
{
    Row(int tag, const QString &name, double fp, const QString &type, int owner)
    {
        set("Tag", tag);
        set("Description", name);
        set("FP_Val", fp);
        set("Type", type);
        set("Owner_Tag", owner);
        set("Change_Type", "A");
        set("Complexity", "1");
    }
};

} // namespace

void TestDBTreeView::addSubtreeGoesInOnce()
{
    loadSample();
    TTreeNode *root = m_tree->NewDetachedNode(Row(10, "Copied", 0, "G", 1));
    QVERIFY(root);
    for (const Row &row : {Row(11, "Zed", 3, "I", 10), Row(12, "Abe", 4, "I", 10)}) {
        TTreeNode *child = m_tree->NewDetachedNode(row);
        root->addChild(child);
        m_tree->AddToNodeValue(child->info.value, root);
    }
    // Not shown, so not found, until it is put in.
    QVERIFY(!m_tree->FindNodeById("11"));
    QCOMPARE(text(1), QString("G1 {10 FPs}"));
    m_tree->AddSubtree(root);
    QCOMPARE(text(10), QString("Copied {7 FPs}"));
    QCOMPARE(text(1), QString("G1 {17 FPs}"));
    QCOMPARE(childTexts(root), QStringList({"Abe {4 FPs}", "Zed {3 FPs}"}));
    QCOMPARE(childTexts(m_tree->FindNodeById("1")),
             QStringList({"Copied {7 FPs}", "Entry {4 FPs}", "G2 {6 FPs}", "Report {0 FPs}"}));
    QCOMPARE(m_tree->FindNodeById("11")->parentNode(), root);
}

void TestDBTreeView::cutNodesAreDimmed()
{
    loadSample();
    m_tree->setImages({QIcon(QPixmap(16, 16))});
    m_tree->setOnGetImage([](const TNodeInfo &) { return 0; });
    TTreeNode *entry = m_tree->FindNodeById("2");
    m_tree->SetNodeImage(entry, 0);
    const QImage normal = entry->icon(0).pixmap(16, 16).toImage();
    m_tree->SetNodeCut(entry, true);
    QVERIFY(entry->isCut());
    QCOMPARE(entry->foreground(0).color(), m_tree->palette().color(QPalette::Disabled, QPalette::Text));
    QVERIFY(entry->icon(0).pixmap(16, 16).toImage() != normal);
    // A refresh of the row keeps the mark.
    m_cursor->locate("Tag", 2);
    m_tree->RefreshNodeFromUpdateSource();
    QVERIFY(entry->isCut());
    m_tree->SetNodeCut(entry, false);
    QVERIFY(!entry->data(0, Qt::ForegroundRole).isValid());
    QCOMPARE(entry->icon(0).pixmap(16, 16).toImage(), normal);
}

void TestDBTreeView::dragScrollsNearTheEdges()
{
    configureTransactions();
    for (int tag = 1; tag <= 60; ++tag)
        InsertTrans(*m_db, {kCount, tag, QString("Item %1").arg(tag, 2, 10, QChar('0')), 1, "I"}, "Trans");
    m_cursor->refresh();
    m_tree->LoadTree();
    m_tree->resize(300, 200);
    QCoreApplication::processEvents();
    const auto top = [this] { return m_tree->itemAt(QPoint(1, 1)); };
    QWidget *viewport = m_tree->viewport();

    // At the top already: nothing to scroll.
    m_tree->DragScroll(QPoint(5, 5));
    QCOMPARE(top(), m_tree->topLevelItem(0));

    m_tree->scrollToItem(m_tree->topLevelItem(30), QAbstractItemView::PositionAtTop);
    QCOMPARE(top(), m_tree->topLevelItem(30));
    m_tree->DragScroll(QPoint(5, 19));
    QCOMPARE(top(), m_tree->topLevelItem(29));
    m_tree->DragScroll(QPoint(5, 20)); // below the band
    QCOMPARE(top(), m_tree->topLevelItem(29));

    const QPoint bottom(5, viewport->height() - 2);
    QTreeWidgetItem *under = m_tree->itemAt(bottom);
    QVERIFY(under);
    QTreeWidgetItem *next = m_tree->itemBelow(under);
    QVERIFY(!viewport->rect().contains(m_tree->visualItemRect(next)));
    m_tree->DragScroll(bottom);
    QVERIFY(viewport->rect().contains(m_tree->visualItemRect(next)));
}

// --- Navigation ---

void TestDBTreeView::findText_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("found");
    // Tree order: Alone(6), G1(1), Entry(2), fps rate(7), G2(4), Lookup(5), Report(3).
    QTest::newRow("any case: the very next node") << 1 << "fps" << false << false << "2";
    QTest::newRow("match case: only the name with it") << 1 << "fps" << false << true << "7";
    QTest::newRow("backwards") << 5 << "fps" << true << false << "4";
    QTest::newRow("start node not examined") << 2 << "Entry" << false << false << "";
    QTest::newRow("no wrap backwards") << 6 << "G1" << true << false << "";
    QTest::newRow("hidden nodes are searched too") << 6 << "lookup" << false << false << "5";
}

void TestDBTreeView::findText()
{
    QFETCH(int, start);
    QFETCH(QString, search);
    QFETCH(bool, backwards);
    QFETCH(bool, matchCase);
    QFETCH(QString, found);
    loadSample();
    InsertTrans(*m_db, {kCount, 7, "fps rate", 1, "I", "A", 1}, "Trans");
    m_tree->LoadTree();
    m_tree->FindNodeById("4")->setExpanded(false);
    m_tree->SelectNode(m_tree->FindNodeById(QString::number(start)));
    TTreeNode *node = m_tree->FindText(search, backwards, matchCase);
    QCOMPARE(node ? node->info.key : QString(), found);
}

void TestDBTreeView::collapseAndExpandOneLevel_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("expanded");
    QTest::newRow("collapse the tree") << "C" << QStringList({"1"});
    QTest::newRow("collapse twice") << "CC" << QStringList();
    QTest::newRow("collapse a collapsed node") << "c4" << QStringList({"1"});
    QTest::newRow("collapse an open node") << "Cn1" << QStringList();
    QTest::newRow("expand one level from nothing") << "ME" << QStringList({"1"});
    QTest::newRow("expand twice") << "MEE" << QStringList({"1", "4"});
    QTest::newRow("expand a node without children") << "Me6" << QStringList();
    QTest::newRow("expand within one node") << "Ce1" << QStringList({"1", "4"});
}

void TestDBTreeView::collapseAndExpandOneLevel()
{
    // C/E: whole tree; c/e + key: that node (collapsed first for c);
    // n + key: that node as it is; M: collapse everything first.
    QFETCH(QString, steps);
    QFETCH(QStringList, expanded);
    loadSample();
    m_tree->SelectNode(m_tree->FindNodeById("5"));
    QSignalSpy changes(m_tree.get(), &TDBTreeView::OnAfterChange);
    int collapses = 0;
    for (int i = 0; i < steps.size(); ++i) {
        const QChar s = steps.at(i);
        TTreeNode *node = nullptr;
        if (s.isLower())
            node = m_tree->FindNodeById(QString(steps.at(++i)));
        if (s != 'E' && s != 'e')
            ++collapses;
        if (s == 'C' || s == 'n')
            m_tree->CollapseOneLevel(node);
        else if (s == 'E' || s == 'e')
            m_tree->ExpandOneLevel(node);
        else if (s == 'M')
            m_tree->CollapseAll();
        else if (s == 'c') {
            node->setExpanded(false);
            m_tree->CollapseOneLevel(node);
        }
    }
    QStringList open;
    for (QTreeWidgetItemIterator it(m_tree.get()); *it; ++it)
        if ((*it)->childCount() > 0 && (*it)->isExpanded())
            open << TDBTreeView::NodeOf(*it)->info.key;
    QCOMPARE(open, expanded);
    // The selection never stays hidden inside a collapsed group.
    for (QTreeWidgetItem *p = m_tree->currentItem()->parent(); p; p = p->parent())
        QVERIFY(p->isExpanded());
    // Every collapse reports the selection afterwards.
    QCOMPARE(changes.count(), collapses);
}

void TestDBTreeView::boldFollowsSelection()
{
    loadSample();
    TTreeNode *first = m_tree->FindNodeById("6");
    QCOMPARE(m_tree->BoldNode(), first);
    QVERIFY(first->font(0).bold());
    QSignalSpy changes(m_tree.get(), &TDBTreeView::OnAfterChange);
    TTreeNode *g2 = m_tree->FindNodeById("4");
    m_tree->SelectNode(g2);
    QVERIFY(g2->font(0).bold());
    QVERIFY(!first->font(0).bold());
    QCOMPARE(m_tree->ActiveId(), QString("4"));
    QCOMPARE(changes.count(), 1);
    // A rebuild does not report a change of selection.
    m_tree->LoadTree();
    QCOMPARE(changes.count(), 1);
    m_tree->SelectNode(nullptr);
    QCOMPARE(m_tree->ActiveId(), QString());
    QCOMPARE(changes.count(), 2);
}

void TestDBTreeView::lookupOfNodeTakenOutIsReported()
{
    loadSample();
    TTreeNode *alone = m_tree->FindNodeById("6");
    m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(alone));
    QVERIFY(!m_tree->FindNodeById("6"));
    QCOMPARE(m_dialogs->texts(), QStringList({"information: Error in TTree Lookup Id:6"}));
    delete alone;
    QVERIFY(!m_tree->FindNodeById("6"));
    QCOMPARE(m_dialogs->prompts().size(), 1);
}

void TestDBTreeView::moreThan9999Keys()
{
    configureFiles();
    const int total = 12000;
    Transaction batch(*m_db);
    for (int tag = 1; tag <= total; ++tag)
        InsertFile(*m_db, {kCount, tag, QString("File %1").arg(tag, 5, 10, QChar('0')), 1}, "Files");
    batch.commit();
    m_tree->LoadTree();
    QCOMPARE(m_tree->topLevelItemCount(), total);
    for (int key : {1, 9999, 10000, total})
        QCOMPARE(text(key), QString("File %1 {1 FPs}").arg(key, 5, 10, QChar('0')));
    // And keys keep being entered after that.
    QVERIFY(m_tree->AddUncommittedNode(QString::number(total + 1), "0", "I"));
    QCOMPARE(m_tree->FindNodeById(QString::number(total + 1)), m_tree->UncommittedNode());
    QVERIFY(m_dialogs->prompts().isEmpty());
}

QTEST_MAIN(TestDBTreeView)
#include "test_dbtreeview.moc"
