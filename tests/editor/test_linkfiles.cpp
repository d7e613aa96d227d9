#include "countfixture.h"
#include "modalwatch.h"
#include "testdatabase.h"

#include "editor/linkfilesform.h"
#include "editor/matrixgroup.h"
#include "store/database.h"
#include "views/dblistview.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kCount = 5;

QStringList captions(const TDBListView *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

void selectByCaption(TDBListView *list, const QStringList &names)
{
    list->clearSelection();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setSelected(names.contains(list->topLevelItem(i)->text(0)));
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestLinkFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void complexityFollowsLinksAndDets_data();
    void complexityFollowsLinksAndDets();
    void tabsFollowType_data();
    void tabsFollowType();
    void offeredFilesAndMoves();
    void linkingThenUnlinkingIsAChange();
    void okWithoutChangeWritesNothing();
    void cancelAbandonsTypedDets();
    void detEntryLimits();
    void readOnlyCountOnlyDisplays();
    void opensCentredOverItsOwnerEveryTime();

private:
    void addTrans(int tag, const QString &name, const QString &type, const QString &change = "A");
    TFormAddIt::Side &open(int tag, bool readOnly = false);
    QVariantList transRow(int tag);
    QStringList links(int tag, const QString &side);

    std::unique_ptr<TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<TFormAddIt> m_form;
};

void TestLinkFiles::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestLinkFiles::init()
{
    m_dir = std::make_unique<TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("linkfiles_test"));
    m_db->open(m_dir->path());
    const QList<std::tuple<int, QString, QString, QString>> files = {
        {1, "Employee", "I", "A"}, {2, "Customer", "I", "A"},  {3, "Pay Rates", "E", "A"},
        {4, "Old Ledger", "I", "D"}, {5, "Tax Table", "E", "N"},
    };
    for (const auto &[tag, name, type, change] : files)
        InsertFile(*m_db, FileRow(kCount, tag, name, 0, type, change), "Files");
    addTrans(12, "Employee enquiry", "Q", "N");
    InsertLink(*m_db, LinkRow(kCount, 1, 12, "I"), "FilesLink");
    m_db->exec("UPDATE Trans SET Input_File_Count = 1, Input_Det_Count = 3, Complexity = '1', FP_Val = 3 "
               "WHERE Tag = 12");
    m_form = std::make_unique<TFormAddIt>(*m_db);
}

void TestLinkFiles::cleanup()
{
    m_form.reset();
    m_db.reset();
    m_dir.reset();
}

void TestLinkFiles::addTrans(int tag, const QString &name, const QString &type, const QString &change)
{
    InsertTrans(*m_db, TransRow(kCount, tag, name, 0, type, change, 0), "Trans");
}

TFormAddIt::Side &TestLinkFiles::open(int tag, bool readOnly)
{
    const bool prepared = m_form->Prepare(kCount, tag, readOnly);
    if (!prepared)
        qFatal("the dialog did not open");
    m_form->show();
    return m_form->pageControl()->currentWidget() == m_form->outputSide().tab ? m_form->outputSide()
                                                                               : m_form->inputSide();
}

QVariantList TestLinkFiles::transRow(int tag)
{
    QSqlQuery q = m_db->exec("SELECT Complexity, FP_Val, Input_File_Count, Input_Det_Count, Output_File_Count, "
                             "Output_Det_Count, Change_Type FROM Trans WHERE Tag = ?",
                             {tag});
    QVariantList row;
    if (q.next())
        row = {q.value(0).toString(), q.value(1).toDouble(), q.value(2).toInt(), q.value(3).toInt(),
               q.value(4).toInt(),    q.value(5).toInt(),    q.value(6).toString()};
    return row;
}

QStringList TestLinkFiles::links(int tag, const QString &side)
{
    QSqlQuery q = m_db->exec("SELECT File_Tag, Update_Flag FROM FilesLink WHERE Trans_Tag = ? AND "
                             "Input_Output_Flag = ? AND Count_Id = ? ORDER BY rowid",
                             {tag, side, kCount});
    QStringList tags;
    while (q.next())
        tags << q.value(0).toString() + (q.value(1).toString().isEmpty() ? "" : "!");
    return tags;
}

void TestLinkFiles::complexityFollowsLinksAndDets_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("inputFiles");
    QTest::addColumn<QString>("inputDets");
    QTest::addColumn<QStringList>("outputFiles");
    QTest::addColumn<QString>("outputDets");
    QTest::addColumn<int>("inputCell");
    QTest::addColumn<int>("outputCell");
    QTest::addColumn<int>("complexity");
    QTest::addColumn<int>("fps");

    QTest::newRow("input, 1 file, 4 DETs: low") << "I" << QStringList{"Customer"} << "4" << QStringList{} << "0"
                                                << 0 << -1 << 1 << 3;
    QTest::newRow("input, 2 files, 16 DETs: high") << "I" << QStringList{"Customer", "Pay Rates"} << "16"
                                                   << QStringList{} << "0" << 7 << -1 << 3 << 6;
    QTest::newRow("input with files but no DETs: not classified")
        << "I" << QStringList{"Customer", "Pay Rates"} << "0" << QStringList{} << "0" << -1 << -1 << 0 << 0;
    QTest::newRow("output, 3 files, 20 DETs: high") << "O" << QStringList{} << "0"
                                                    << QStringList{"Customer", "Employee", "Pay Rates"} << "20"
                                                    << -1 << 7 << 3 << 7;
    QTest::newRow("inquiry low in, average out: average")
        << "Q" << QStringList{"Customer"} << "3" << QStringList{"Customer", "Employee"} << "6" << 0 << 4 << 2 << 4;
}

void TestLinkFiles::complexityFollowsLinksAndDets()
{
    QFETCH(QString, type);
    QFETCH(QStringList, inputFiles);
    QFETCH(QString, inputDets);
    QFETCH(QStringList, outputFiles);
    QFETCH(QString, outputDets);
    QFETCH(int, inputCell);
    QFETCH(int, outputCell);
    QFETCH(int, complexity);
    QFETCH(int, fps);

    addTrans(20, "New transaction", type);
    open(20);
    TFormAddIt::Side &in = m_form->inputSide();
    TFormAddIt::Side &out = m_form->outputSide();
    for (const auto &[side, names, dets] : {std::tuple{&in, inputFiles, inputDets}, {&out, outputFiles, outputDets}}) {
        if (!side->loaded)
            continue;
        for (const QString &name : names) {
            selectByCaption(side->available, {name});
            QTest::mouseClick(side->link, Qt::LeftButton);
        }
        typeInto(side->dets, dets);
    }
    QCOMPARE(in.matrix->CheckedCell(), inputCell);
    QCOMPARE(out.matrix->CheckedCell(), outputCell);
    QCOMPARE(m_form->complexityGroup()->checkedId(), complexity);
    QCOMPARE(m_form->fpEdit()->text(), QString::number(fps));

    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);
    QCOMPARE(m_form->result(), int(QDialog::Accepted));
    QVERIFY(m_form->linkResultWritten());
    const QVariantList row = transRow(20);
    QCOMPARE(row.value(0).toString(), QString::number(complexity));
    QCOMPARE(row.value(1).toDouble(), double(fps));
    QCOMPARE(row.value(2).toInt(), int(inputFiles.size()));
    QCOMPARE(row.value(3).toInt(), inputDets.toInt());
    QCOMPARE(row.value(4).toInt(), int(outputFiles.size()));
    QCOMPARE(row.value(5).toInt(), outputDets.toInt());
    QCOMPARE(row.value(6).toString(), QString("A"));
    QCOMPARE(links(20, "I").size(), inputFiles.size());
    QCOMPARE(links(20, "O").size(), outputFiles.size());
    // The lists are emptied as the dialog closes.
    QCOMPARE(in.linked->topLevelItemCount(), 0);
}

void TestLinkFiles::tabsFollowType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("inputShown");
    QTest::addColumn<bool>("outputShown");
    QTest::addColumn<int>("active");

    QTest::newRow("input") << "I" << true << false << 0;
    QTest::newRow("output") << "O" << false << true << 1;
    QTest::newRow("inquiry") << "Q" << true << true << 0;
}

void TestLinkFiles::tabsFollowType()
{
    QFETCH(QString, type);
    QFETCH(bool, inputShown);
    QFETCH(bool, outputShown);
    QFETCH(int, active);

    addTrans(20, "Pay run", type);
    open(20);
    QTabWidget *tabs = m_form->pageControl();
    QCOMPARE(tabs->isTabVisible(0), inputShown);
    QCOMPARE(tabs->isTabVisible(1), outputShown);
    QCOMPARE(tabs->currentIndex(), active);
    QCOMPARE(m_form->windowTitle(), QString("Determine Complexity - Pay run"));
    QVERIFY(m_form->okButton()->isDefault());
    m_form->reject();

    // A group has no sides and never gets the dialog.
    addTrans(21, "Payroll", "G");
    QVERIFY(!m_form->Prepare(kCount, 21, false));
}

void TestLinkFiles::offeredFilesAndMoves()
{
    open(12);
    TFormAddIt::Side &out = m_form->outputSide();
    // Deleted files are never offered; a file on the input side is still
    // offered on the output side.
    QCOMPARE(captions(m_form->inputSide().available), QStringList({"Customer", "Pay Rates", "Tax Table"}));
    QCOMPARE(captions(out.available), QStringList({"Customer", "Employee", "Pay Rates", "Tax Table"}));
    QVERIFY(!out.link->isEnabled());
    // Several selected: the buttons take the first in the list.
    selectByCaption(out.available, {"Pay Rates", "Customer", "Tax Table"});
    QTest::mouseClick(out.link, Qt::LeftButton);
    // A double click selects the file clicked, then links it.
    selectByCaption(out.available, {"Tax Table"});
    emit out.available->itemDoubleClicked(out.available->findItems("Tax Table", Qt::MatchExactly).value(0), 0);
    QCOMPARE(captions(out.linked), QStringList({"Customer", "Tax Table"}));
    QVERIFY(!out.unlink->isEnabled());
    selectByCaption(out.linked, {"Tax Table", "Customer"});
    QTest::mouseClick(out.unlink, Qt::LeftButton);
    QCOMPARE(captions(out.linked), QStringList({"Tax Table"}));
    QTest::mouseClick(out.unlinkAll, Qt::LeftButton);
    QCOMPARE(captions(out.available), QStringList({"Customer", "Employee", "Pay Rates", "Tax Table"}));
    QVERIFY(!out.unlinkAll->isEnabled());
}

void TestLinkFiles::linkingThenUnlinkingIsAChange()
{
    TFormAddIt::Side &in = open(12);
    const QStringList before = links(12, "I");
    selectByCaption(in.available, {"Customer"});
    QTest::mouseClick(in.link, Qt::LeftButton);
    selectByCaption(in.linked, {"Customer"});
    QTest::mouseClick(in.unlink, Qt::LeftButton);
    QVERIFY(m_form->linksChanged());
    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);

    QVERIFY(m_form->linkResultWritten());
    QCOMPARE(links(12, "I"), before);
    QCOMPARE(transRow(12).value(6).toString(), QString("M"));
}

void TestLinkFiles::okWithoutChangeWritesNothing()
{
    // A flag the dialog never writes shows whether the rows were rewritten.
    m_db->exec("UPDATE FilesLink SET Update_Flag = 'U'");
    open(12);
    QVERIFY(!m_form->linksChanged());
    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);
    QCOMPARE(m_form->result(), int(QDialog::Accepted));
    QVERIFY(!m_form->linkResultWritten());
    QCOMPARE(links(12, "I"), QStringList({"1!"}));
    QCOMPARE(transRow(12), QVariantList({"1", 3.0, 1, 3, 0, 0, "N"}));
}

void TestLinkFiles::cancelAbandonsTypedDets()
{
    TFormAddIt::Side &in = open(12);
    typeInto(in.dets, "12");
    QTest::mouseClick(in.detsUp, Qt::LeftButton);
    QCOMPARE(in.dets->text(), QString("13"));
    selectByCaption(in.available, {"Customer"});
    QTest::mouseClick(in.link, Qt::LeftButton);
    QTest::mouseClick(m_form->cancelButton(), Qt::LeftButton);

    QCOMPARE(m_form->result(), int(QDialog::Rejected));
    QVERIFY(!m_form->linkResultWritten());
    QCOMPARE(transRow(12), QVariantList({"1", 3.0, 1, 3, 0, 0, "N"}));
    QCOMPARE(links(12, "I"), QStringList({"1"}));
}

void TestLinkFiles::detEntryLimits()
{
    TFormAddIt::Side &in = open(12);
    typeInto(in.dets, "98");
    QTest::mouseClick(in.detsUp, Qt::LeftButton);
    QTest::mouseClick(in.detsUp, Qt::LeftButton);
    QCOMPARE(in.dets->text(), QString("99"));
    QCOMPARE(in.detCount, 99);
    // Keys that make no count are refused as typed: the sign goes, the
    // digit after it is taken, and the box shows what is kept.
    typeInto(in.dets, "-3");
    QCOMPARE(in.dets->text(), QString("3"));
    QCOMPARE(in.detCount, 3);
    typeInto(in.dets, "x");
    QCOMPARE(in.dets->text(), QString("3"));
    QCOMPARE(in.detCount, 3);
    typeInto(in.dets, "1");
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(in.detsDown, Qt::LeftButton);
    QCOMPARE(in.dets->text(), QString("0"));
    // No DETs, no cell: the inquiry is not classified.
    QCOMPARE(in.matrix->CheckedCell(), -1);
    QCOMPARE(m_form->complexityGroup()->checkedId(), 0);
    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);
    QCOMPARE(transRow(12), QVariantList({"0", 0.0, 1, 0, 0, 0, "M"}));
}

void TestLinkFiles::readOnlyCountOnlyDisplays()
{
    TFormAddIt::Side &in = open(12, true);
    QCOMPARE(m_form->windowTitle(), QString("Determine Complexity - Employee enquiry  (Read-Only)"));
    QVERIFY(in.dets->isReadOnly());
    QVERIFY(!in.detsUp->isEnabled());
    QVERIFY(!in.detsDown->isEnabled());
    selectByCaption(in.available, {"Customer"});
    QVERIFY(!in.link->isEnabled());
    QVERIFY(!in.unlinkAll->isEnabled());
    emit in.available->itemDoubleClicked(in.available->topLevelItem(0), 0);
    QCOMPARE(captions(in.linked), QStringList({"Employee"}));
    QTest::mouseClick(m_form->okButton(), Qt::LeftButton);
    QVERIFY(!m_form->linkResultWritten());
    QCOMPARE(transRow(12).value(6).toString(), QString("N"));
}


void TestLinkFiles::opensCentredOverItsOwnerEveryTime()
{
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    TFormAddIt form(*m_db, &owner);

    // The user drags the dialog aside; the next opening is centred again.
    for (const QPoint aside : {QPoint(0, 0), QPoint(700, 500)}) {
        form.move(aside);
        QPoint centre;
        auto watch = ModalWatch::Start(
            [&centre](QWidget *modal) {
                centre = modal->frameGeometry().center();
                modal->close();
            },
            QStringLiteral("TFormAddIt"));
        form.Execute(kCount, 12, false);
        QVERIFY(watch->fired());
        QVERIFY2((centre - owner.frameGeometry().center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("centre at %1,%2").arg(centre.x()).arg(centre.y())));
    }
}

QTEST_MAIN(TestLinkFiles)
#include "test_linkfiles.moc"
