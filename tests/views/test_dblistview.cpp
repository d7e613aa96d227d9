#include "countfixture.h"
#include "testdatabase.h"

#include "store/database.h"
#include "store/query.h"
#include "views/dblistview.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace qm;
using namespace qm::test;

class TestDBListView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyResultKeepsBothColumns();
    void loadsRecordsAndCaptions_data();
    void loadsRecordsAndCaptions();
    void loadSortsByCaptionAndAsksForImages();
    void copyAndRemoveItems();
    void headerClickSortsAndReverses();

private:
    std::unique_ptr<TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<TDBListView> m_list;
    StoreQuery m_query;
};

void TestDBListView::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestDBListView::init()
{
    m_dir = std::make_unique<TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("list_test"));
    m_db->open(m_dir->path());
    m_query.setSql("SELECT Tag, Description, Change_Type, Type FROM Files WHERE Count_Id = :Count_Id");
    m_query.setParam("Count_Id", 3);
    m_list = std::make_unique<TDBListView>();
    m_list->setDatabase(m_db.get());
    m_list->setIDataSource(&m_query);
    m_list->setFieldId("Tag");
    m_list->setFieldName("Description");
    m_list->setFieldType("Change_Type");
    m_list->setFieldIType("Type");
    m_list->setWidthCol1(150);
    m_list->setWidthCol2(70);
    m_list->setImages({QIcon(), QIcon()});
    m_list->resize(300, 300);
    m_list->show();
}

void TestDBListView::cleanup()
{
    m_list.reset();
    m_db.reset();
    m_dir.reset();
}

void TestDBListView::emptyResultKeepsBothColumns()
{
    InsertFile(*m_db, {9, 1, "Other count's file"}, "Files");
    m_list->Load();
    QCOMPARE(m_list->topLevelItemCount(), 0);
    QCOMPARE(m_list->columnCount(), 2);
    QCOMPARE(m_list->headerItem()->text(0), QString("Description"));
    QCOMPARE(m_list->headerItem()->text(1), QString("Change Type"));
    QCOMPARE(m_list->columnWidth(0), 150);
    QCOMPARE(m_list->columnWidth(1), 70);
}

void TestDBListView::loadsRecordsAndCaptions_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("caption");
    QTest::newRow("added") << "A" << "Add";
    QTest::newRow("modified") << "M" << "Modify";
    QTest::newRow("deleted") << "D" << "Delete";
    QTest::newRow("unchanged") << "N" << "None";
    QTest::newRow("unknown code") << "Q" << "None";
    QTest::newRow("lower case is not a code") << "a" << "None";
    QTest::newRow("empty") << "" << "None";
}

void TestDBListView::loadsRecordsAndCaptions()
{
    QFETCH(QString, code);
    QFETCH(QString, caption);
    InsertFile(*m_db, {3, 12, "Customer", 7, "E", code}, "Files");
    m_list->Load();
    QCOMPARE(m_list->topLevelItemCount(), 1);
    TListItem *item = TDBListView::ItemOf(m_list->topLevelItem(0));
    QVERIFY(item);
    QCOMPARE(item->text(0), QString("Customer"));
    QCOMPARE(item->text(1), caption);
    QCOMPARE(item->info.id, QString("12"));
    QCOMPARE(item->info.changeType, code);
    QCOMPARE(item->info.type, QString("E"));
    QCOMPARE(TDBListView::ItemId(item), QString("12"));
}

void TestDBListView::loadSortsByCaptionAndAsksForImages()
{
    int tag = 0;
    for (const char *name : {"beta", "Alpha", "Gamma", "alpha"})
        InsertFile(*m_db, {3, ++tag, name}, "Files");
    QList<int> imagesSeen;
    connect(m_list.get(), &TDBListView::OnGetImage, this, [&](TDBListView *list, TListItem *item) {
        imagesSeen << item->imageIndex();
        list->SetItemImage(item, item->info.name.startsWith('G') ? 1 : 0);
    });
    QSignalSpy changes(m_list.get(), &TDBListView::OnChange);
    m_list->Load();
    QStringList captions;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        captions << m_list->topLevelItem(i)->text(0);
    QCOMPARE(captions, QStringList({"alpha", "Alpha", "beta", "Gamma"}));
    QCOMPARE(imagesSeen, QList<int>({0, 0, 0, 0}));
    QCOMPARE(TDBListView::ItemOf(m_list->topLevelItem(3))->imageIndex(), 1);
    // Reloading replaces the items rather than adding to them.
    m_list->Load();
    QCOMPARE(m_list->topLevelItemCount(), 4);
    QCOMPARE(changes.count(), 0);
}

void TestDBListView::copyAndRemoveItems()
{
    InsertFile(*m_db, {3, 5, "Invoice", 7, "I", "M"}, "Files");
    m_list->Load();
    TListItem *source = TDBListView::ItemOf(m_list->topLevelItem(0));
    m_list->SetItemImage(source, 1);

    TDBListView other;
    other.setImages({QIcon(), QIcon()});
    TListItem *copy = other.CopyItem(source);
    QVERIFY(copy && copy != source);
    QCOMPARE(other.topLevelItemCount(), 1);
    QCOMPARE(copy->info.id, QString("5"));
    QCOMPARE(copy->info.changeType, QString("M"));
    QCOMPARE(copy->info.type, QString("I"));
    QCOMPARE(copy->info.name, QString("Invoice"));
    QCOMPARE(copy->text(1), QString("Modify"));
    QCOMPARE(copy->imageIndex(), 1);

    other.RemoveItem(copy);
    QCOMPARE(other.topLevelItemCount(), 0);
    QCOMPARE(m_list->topLevelItemCount(), 1);
}

void TestDBListView::headerClickSortsAndReverses()
{
    InsertFile(*m_db, {3, 1, "Zeta", 0, "I", "A"}, "Files");
    InsertFile(*m_db, {3, 2, "Alpha", 0, "I", "N"}, "Files");
    InsertFile(*m_db, {3, 3, "Mid", 0, "I", "D"}, "Files");
    m_list->Load();
    QHeaderView *header = m_list->header();
    const QPoint changeColumn(header->sectionViewportPosition(1) + 5, header->height() / 2);
    auto ids = [this] {
        QStringList out;
        for (int i = 0; i < m_list->topLevelItemCount(); ++i)
            out << TDBListView::ItemId(m_list->topLevelItem(i));
        return out;
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, changeColumn);
    QCOMPARE(ids(), QStringList({"1", "3", "2"})); // Add, Delete, None
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, changeColumn);
    QCOMPARE(ids(), QStringList({"2", "3", "1"}));
    QVERIFY(header->isSortIndicatorShown());
}

QTEST_MAIN(TestDBListView)
#include "test_dblistview.moc"
