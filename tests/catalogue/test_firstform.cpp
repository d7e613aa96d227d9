#include "cataloguefixture.h"

#include "catalogue/countdetails.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/dockpanel.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QMenu>
#include <QtTest>

using namespace qm;

namespace {

// Two families across two systems; count 6 belongs to PAY but was derived
// from an HR count, and count 4 is read-only.
void insertFamilies(test::CatalogueFixture &f)
{
    test::InsertCount(f.db(), {1, "HR", "Alpha base", "B", 0, 100});
    test::InsertCount(f.db(), {2, "HR", "Bravo enhancement", "E", 1, 10});
    test::InsertCount(f.db(), {3, "HR", "Charlie enhancement", "E", 1, 20});
    test::CountRow readOnly{4, "HR", "Delta base", "B", 2, 110};
    readOnly.status = "R";
    test::InsertCount(f.db(), readOnly);
    test::InsertCount(f.db(), {5, "PAY", "Echo payroll", "B", 0, 300});
    test::InsertCount(f.db(), {6, "PAY", "Foxtrot payroll change", "E", 1, 30});
}

const QStringList kFullTree = {
    "Alpha base {100 FPs}",
    "  Bravo enhancement {10 FPs}",
    "    Delta base {110 FPs}",
    "  Charlie enhancement {20 FPs}",
    "  Foxtrot payroll change {30 FPs}",
    "Echo payroll {300 FPs}",
};

QString field(TFirstForm &form, const char *name)
{
    auto *edit = form.countDetails()->findChild<QLineEdit *>(QString::fromLatin1(name));
    return edit ? edit->text() : QStringLiteral("<missing>");
}

// Keys of the nodes a user can see, top to bottom.
QStringList visibleKeys(TDBTreeView *tree)
{
    QStringList keys;
    for (QTreeWidgetItem *i = tree->topLevelItem(0); i; i = tree->itemBelow(i))
        keys << TDBTreeView::NodeOf(i)->info.key;
    return keys;
}

void chooseSystem(TFirstForm &form, const QString &system)
{
    QComboBox *box = form.systemFilter();
    const int index = box->findText(system);
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

class TestFirstForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void treeShowsFamiliesAndTheSelectedCount();
    void emptyDatabaseDisablesCountCommands();
    void navigation_data();
    void navigation();
    void deleteCount_data();
    void deleteCount();
    void openCount_data();
    void openCount();
    void newCount_data();
    void newCount();
    void exitFromTheEditorClosesTheCatalogue();
    void systemFilter();
    void debugShortcutTogglesTheFlag();
    void everyMenuItemHasItsOwnKey();
};

void TestFirstForm::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestFirstForm::treeShowsFamiliesAndTheSelectedCount()
{
    test::CatalogueFixture f;
    QVERIFY(f.started);
    insertFamilies(f);
    // A count whose parent was never recorded still belongs in the tree,
    // and must not hide the others.
    test::InsertCount(f.db(), {7, "PAY", "Golf imported", "B", 0, 5});
    f.db().exec("UPDATE CCounts SET Copy_Count_Id = NULL WHERE Id = 7");
    TFirstForm &form = f.show();

    QStringList expected = kFullTree;
    expected.insert(6, "Golf imported {5 FPs}");
    QCOMPARE(f.treeLines(), expected);
    QCOMPARE(f.selectedKey(), QString("1"));

    TDBTreeView *tree = form.countTree();
    const int baseImage = tree->FindNodeById("1")->imageIndex();
    QCOMPARE(tree->FindNodeById("4")->imageIndex(), baseImage);
    QVERIFY(tree->FindNodeById("2")->imageIndex() != baseImage);

    QCOMPARE(field(form, "SystemText"), QString("HR"));
    QCOMPARE(field(form, "DescriptionText"), QString("Alpha base"));
    QCOMPARE(field(form, "CountIdText"), QString("C00000001"));
    QCOMPARE(field(form, "TypeText"), QString("Base Count"));
    QCOMPARE(field(form, "StatusText"), QString());
    QCOMPARE(field(form, "TotalText"), QString("100"));
    QCOMPARE(field(form, "CreatedText"), QString("02/01/2024"));
    QCOMPARE(field(form, "UpdatedText"), QString("02/01/2024"));

    f.select(4);
    QCOMPARE(field(form, "DescriptionText"), QString("Delta base"));
    QCOMPARE(field(form, "CountIdText"), QString("C00000004"));
    QCOMPARE(field(form, "StatusText"), QString("Read-Only"));
    f.select(2);
    QCOMPARE(field(form, "TypeText"), QString("Enhancement"));
    QCOMPARE(form.countPanel()->isFloating(), false);
    QVERIFY(form.countPanel()->IsPanelVisible());
}

void TestFirstForm::emptyDatabaseDisablesCountCommands()
{
    test::CatalogueFixture f;
    TFirstForm &form = f.show();
    QCOMPARE(form.countTree()->topLevelItemCount(), 0);
    QVERIFY(!f.enabled("Delete Count"));
    QVERIFY(!f.enabled("Previous Count"));
    QVERIFY(!f.enabled("Next Count"));
    QCOMPARE(field(form, "DescriptionText"), QString());
    // Nothing to act on: the commands leave the empty database alone.
    form.action("&Open...")->trigger();
    form.action("Collapse All")->trigger();
    QCOMPARE(f.editorRuns, 0);
    QVERIFY(f.dialogs.prompts().isEmpty());
}

void TestFirstForm::navigation_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("visible");
    QTest::addColumn<QString>("selectedAfter");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<bool>("next");

    const QStringList all = {"1", "2", "4", "3", "6", "5"};
    const QStringList bravoClosed = {"1", "2", "3", "6", "5"};
    QTest::newRow("last node") << 5 << QStringList() << all << "5" << true << false;
    QTest::newRow("previous") << 3 << QStringList{"Previous Count"} << all << "4" << true << true;
    QTest::newRow("next") << 4 << QStringList{"Next Count"} << all << "3" << true << true;
    QTest::newRow("collapse all moves the selection to its root")
        << 4 << QStringList{"Collapse All"} << QStringList{"1", "5"} << "1" << false << true;
    QTest::newRow("collapse selected one level")
        << 2 << QStringList{"Collapse Selected (-1)"} << bravoClosed << "2" << true << true;
    QTest::newRow("expand all one level")
        << 5 << QStringList{"Collapse All", "Expand All (+1)"} << bravoClosed << "5" << true << false;
    QTest::newRow("expand all") << 3 << QStringList{"Collapse All", "Expand All"} << all << "1" << false << true;
}

void TestFirstForm::navigation()
{
    QFETCH(int, selected);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, visible);
    QFETCH(QString, selectedAfter);
    QFETCH(bool, previous);
    QFETCH(bool, next);

    test::CatalogueFixture f;
    insertFamilies(f);
    TFirstForm &form = f.show();
    f.select(selected);
    for (const QString &caption : commands) {
        QAction *a = form.action(caption);
        QVERIFY2(a, qPrintable(caption));
        a->trigger();
    }
    QCOMPARE(visibleKeys(form.countTree()), visible);
    QCOMPARE(f.selectedKey(), selectedAfter);
    QCOMPARE(f.enabled("Previous Count"), previous);
    QCOMPARE(f.enabled("Next Count"), next);
    // The panel follows the selection.
    QCOMPARE(f.data->catalogueCursor().text("Id"), selectedAfter);
}

void TestFirstForm::deleteCount_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QStringList>("tree");

    QTest::newRow("read-only count is refused")
        << 4 << MessageAnswer::Ok
        << QStringList{"error: Count is marked as Read-Only - Delete not allowed"} << kFullTree;
    QTest::newRow("cancelled")
        << 3 << MessageAnswer::Cancel
        << QStringList{"warning: This will permanently delete the Count Charlie enhancement, "
                       "Are you sure you want to proceed ?"}
        << kFullTree;
    QTest::newRow("derived counts become roots")
        << 2 << MessageAnswer::Ok
        << QStringList{"warning: This will permanently delete the Count Bravo enhancement, "
                       "Are you sure you want to proceed ?"}
        << QStringList{"Alpha base {100 FPs}", "  Charlie enhancement {20 FPs}",
                       "  Foxtrot payroll change {30 FPs}", "Delta base {110 FPs}", "Echo payroll {300 FPs}"};
}

void TestFirstForm::deleteCount()
{
    QFETCH(int, selected);
    QFETCH(MessageAnswer, answer);
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, tree);

    test::CatalogueFixture f;
    insertFamilies(f);
    test::InsertTrans(f.db(), {selected, 1, "Some input", 4});
    TFirstForm &form = f.show();
    f.data->state().currentCountId = selected;
    f.select(selected);
    test::PaintedTexts progress(form.progressPanel());
    f.dialogs.queueAnswer(answer);
    // The toolbar button and the menu item are one command.
    QVERIFY(form.mainToolBar()->actions().contains(form.action("Delete Count")));
    form.action("Delete Count")->trigger();

    QCOMPARE(f.dialogs.texts(), prompts);
    QCOMPARE(f.treeLines(), tree);
    const bool deleted = tree != kFullTree;
    QCOMPARE(f.rows("CCounts", QString("Id = %1").arg(selected)), deleted ? 0 : 1);
    QCOMPARE(f.rows("CTrans", QString("Count_Id = %1").arg(selected)), deleted ? 0 : 1);
    if (deleted) {
        QCOMPARE(progress.texts, QStringList({"Deleting...", ""}));
        QCOMPARE(f.data->state().currentCountId, 0);
        QCOMPARE(f.selectedKey(), QString("1"));
    } else {
        QVERIFY(progress.texts.isEmpty());
        QCOMPARE(f.selectedKey(), QString::number(selected));
    }
}

void TestFirstForm::openCount_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("save");

    QTest::newRow("double click, closed unchanged") << "double click" << false;
    QTest::newRow("panel button, saved") << "button" << true;
    QTest::newRow("menu, saved") << "menu" << true;
    QTest::newRow("Enter key, closed unchanged") << "enter" << false;
    QTest::newRow("keypad Enter, saved") << "keypad enter" << true;
}

void TestFirstForm::openCount()
{
    QFETCH(QString, how);
    QFETCH(bool, save);

    test::CatalogueFixture f;
    insertFamilies(f);
    TFirstForm &form = f.show();
    f.select(2);
    AppState &state = f.data->state();
    state.filterActive = true;
    state.changeCount = 5;
    state.newCount = true;

    struct Seen
    {
        int id = -1;
        int changes = -1;
        bool newCount = true;
        bool filter = true;
        bool docking = true;
    } seen;
    f.editor = [&] {
        seen = {state.currentCountId, state.changeCount, state.newCount, state.filterActive,
                form.dockSite()->DockingEnabled()};
        WorkingCopy &wc = f.data->workingCopy();
        wc.LoadWorkingCopy(state.currentCountId);
        if (save)
            QVERIFY(wc.SaveWorkingCopy());
        f.editorUi->total = 77;
        wc.StoreCountTotal();
        state.editorJustClosed = true;
    };

    if (how == "menu") {
        form.action("&Open...")->trigger();
    } else if (how == "button") {
        form.countDetails()->openButton()->click();
    } else if (how.endsWith("enter")) {
        TDBTreeView *tree = form.countTree();
        tree->setFocus();
        QTest::keyClick(tree, how == "enter" ? Qt::Key_Return : Qt::Key_Enter,
                        how == "enter" ? Qt::NoModifier : Qt::KeypadModifier);
    } else {
        TDBTreeView *tree = form.countTree();
        const QRect r = tree->visualItemRect(tree->FindNodeById("2"));
        // A double click is a click and then the second press.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    }

    QCOMPARE(f.editorRuns, 1);
    QCOMPARE(seen.id, 2);
    QCOMPARE(seen.changes, 0);
    QVERIFY(!seen.newCount);
    QVERIFY(!seen.filter);
    QVERIFY(!seen.docking);
    QVERIFY(form.dockSite()->DockingEnabled());
    QVERIFY(!state.editorJustClosed);

    // A save renumbers the count; its derived count follows it.
    const QString id = save ? "7" : "2";
    QCOMPARE(f.selectedKey(), id);
    QStringList expected = kFullTree;
    expected[1] = "  Bravo enhancement {77 FPs}";
    QCOMPARE(f.treeLines(), expected);
    QCOMPARE(visibleKeys(form.countTree()).size(), expected.size());
    QCOMPARE(f.data->catalogueCursor().text("Id"), id);
    QCOMPARE(field(form, "CountIdText"), QString("C00000002"));
    QCOMPARE(field(form, "TotalText"), QString("77"));
    QVERIFY(f.dialogs.prompts().isEmpty());
}

void TestFirstForm::newCount_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("save");

    QTest::newRow("base count from the menu, saved") << "New Base Count..." << "B" << true;
    QTest::newRow("enhancement from the toolbar, saved") << "New Enhancement Count" << "E" << true;
    QTest::newRow("enhancement, closed without saving") << "New Enhancement Count..." << "E" << false;
}

void TestFirstForm::newCount()
{
    QFETCH(QString, command);
    QFETCH(QString, type);
    QFETCH(bool, save);

    test::CatalogueFixture f;
    insertFamilies(f);
    f.db().exec("INSERT INTO Trans (Count_Id, Tag, Description) VALUES (2, 1, 'left over')");
    TFirstForm &form = f.show();
    // Whatever is selected, a new count starts on its own.
    f.select(4);
    AppState &state = f.data->state();

    QString workingType;
    int workingParent = -1;
    int workingItems = -1;
    int id = -1;
    bool newFlag = false;
    int changes = -1;
    f.editor = [&] {
        id = state.currentCountId;
        newFlag = state.newCount;
        changes = state.changeCount;
        workingType = f.db().scalar("SELECT Type FROM Counts").toString();
        workingParent = f.db().scalar("SELECT Copy_Count_Id FROM Counts").toInt();
        workingItems = f.rows("Trans") + f.rows("Files") + f.rows("FilesLink");
        if (save) {
            f.db().exec("UPDATE Counts SET Description = 'Hotel new count'");
            QVERIFY(f.data->workingCopy().SaveWorkingCopy());
        }
        f.data->workingCopy().StoreCountTotal();
        state.editorJustClosed = true;
    };
    form.action(command)->trigger();

    QCOMPARE(id, 7);
    QVERIFY(newFlag);
    QCOMPARE(changes, 1);
    QCOMPARE(workingType, type);
    QCOMPARE(workingParent, 0);
    QCOMPARE(workingItems, 0);
    if (!save) {
        QCOMPARE(f.treeLines(), kFullTree);
        QCOMPARE(f.rows("CCounts"), 6);
        QCOMPARE(f.selectedKey(), QString("4"));
        return;
    }
    QStringList expected = kFullTree;
    expected << "Hotel new count {0 FPs}";
    QCOMPARE(f.treeLines(), expected);
    QCOMPARE(f.selectedKey(), QString("7"));
    QCOMPARE(f.rows("CCounts", QString("Id = 7 AND Type = '%1' AND Copy_Count_Id = 0").arg(type)), 1);
    QCOMPARE(f.rows("CTrans", "Count_Id = 7") + f.rows("CFiles", "Count_Id = 7"), 0);
    // The new count's system joins the filter list.
    QVERIFY(form.systemFilter()->findText(" NOSYSTEM") > 0);
}

void TestFirstForm::exitFromTheEditorClosesTheCatalogue()
{
    test::CatalogueFixture f;
    insertFamilies(f);
    TFirstForm &form = f.show();
    QVERIFY(form.isVisible());
    f.editor = [&] { f.data->state().exitRequested = true; };
    form.action("&Open...")->trigger();
    QCOMPARE(f.editorRuns, 1);
    QVERIFY(!form.isVisible());
}

void TestFirstForm::systemFilter()
{
    test::CatalogueFixture f;
    insertFamilies(f);
    TFirstForm &form = f.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QComboBox *box = form.systemFilter();
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    QCOMPARE(entries, QStringList({"", "HR", "PAY"}));

    // A count of the system derived from another system's count is shown
    // under its parent.
    chooseSystem(form, "PAY");
    QCOMPARE(f.treeLines(),
             QStringList({"Alpha base {100 FPs}", "  Foxtrot payroll change {30 FPs}", "Echo payroll {300 FPs}"}));
    QCOMPARE(form.filterPanel()->text(), QString("Filter System: PAY"));
    QCOMPARE(f.selectedKey(), QString("1"));
    QVERIFY(f.enabled("Delete Count"));
    QVERIFY(f.enabled("Next Count"));

    // Away to another window and back: the box shows the empty entry, the
    // tree stays filtered.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->currentText(), QString());
    QCOMPARE(form.filterPanel()->text(), QString("Filter System: PAY"));
    QCOMPARE(f.treeLines().size(), 3);
    QVERIFY(form.isMaximized());

    // Deleting keeps the filter too.
    f.select(5);
    f.dialogs.queueAnswer(MessageAnswer::Ok);
    form.action("Delete Count")->trigger();
    QCOMPARE(f.treeLines(), QStringList({"Alpha base {100 FPs}", "  Foxtrot payroll change {30 FPs}"}));

    chooseSystem(form, "");
    QCOMPARE(f.treeLines().size(), 5);
    QCOMPARE(form.filterPanel()->text(), QString(" "));
}

void TestFirstForm::debugShortcutTogglesTheFlag()
{
    test::CatalogueFixture f;
    TFirstForm &form = f.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(!form.menuBar()->actions().last()->isVisible());
    QTest::keyClick(&form, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(f.data->state().debug);
    QTest::keyClick(&form, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!f.data->state().debug);
}

void TestFirstForm::everyMenuItemHasItsOwnKey()
{
    test::CatalogueFixture f;
    TFirstForm &form = f.show();
    // The key follows the "&"; "&&" is a plain ampersand.
    const auto key = [](const QString &text) {
        const int at = QString(text).replace(QStringLiteral("&&"), QStringLiteral("__")).indexOf(u'&');
        return at < 0 || at + 1 >= text.size() ? QChar() : text.at(at + 1).toLower();
    };
    QList<QMenu *> menus;
    for (QAction *top : form.menuBar()->actions())
        if (top->isVisible() && top->menu())
            menus << top->menu();
    QStringList titles;
    for (QAction *top : form.menuBar()->actions())
        if (top->isVisible())
            titles << top->text();
    QCOMPARE(titles, (QStringList{"&File", "&View", "&Database", "&Help"}));
    for (int i = 0; i < menus.size(); ++i) {
        QSet<QChar> seen;
        for (QAction *a : menus.at(i)->actions()) {
            if (a->isSeparator())
                continue;
            if (a->menu())
                menus << a->menu();
            const QChar k = key(a->text());
            QVERIFY2(!k.isNull(), qPrintable(a->text() + " has no key"));
            QVERIFY2(!seen.contains(k), qPrintable(a->text() + " shares its key"));
            seen.insert(k);
        }
    }
    // The words stay those of the captions, and the toolbar shares the action.
    QCOMPARE(form.action("Delete Count")->text(), QStringLiteral("&Delete Count"));
    QCOMPARE(form.action("Delete Count")->iconText(), QStringLiteral("Delete Count"));
}

QTEST_MAIN(TestFirstForm)
#include "test_firstform.moc"
