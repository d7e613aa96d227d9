// Loading checked import text into the working tables as a new count, and
// the editor's view of it: new tags, recomputed figures, saving, and the
// payroll count exported and imported again.

#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "payrollcount.h"

#include "editor/countpage.h"
#include "editor/mainform.h"
#include "interchange/exporter.h"
#include "interchange/importcheck.h"
#include "interchange/importload.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/database.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

// Worked by hand: files 10 + 7 + 7, transactions 4 + 4 + 7 + 3, so 42
// unadjusted and 44.94 at a factor of 1.07. The complexities and values
// the text gives are all wrong on purpose.
const QStringList kHandWorked = {
    R"("TRANS","Staff","Group","Add",0,0,100,0,"","High",0,0,99)",
    R"("TRANS","Add employee","External Input","Add",18,0,101,100,"Keyed in, checked","High",2,9,60)",
    R"("TRANS","Change employee","External Input","Add",5,0,102,100,"","Low",0,0,1)",
    R"("TRANS","Payslip","External Output","Add",0,22,103,100,"","Low",0,0,1)",
    R"("TRANS","Enquiry","External Inquiry","Add",3,7,104,0,"","Average",5,5,5)",
    R"("COUNT","Imported payroll","PAY","Base",3,3,3,3,3,3,3,3,3,3,3,3,3,3,0.987,"U","Count notes",999,77,)",
    R"("FILES","Employee","Internal Logical","Add",25,3,50,"Master","Low",99)",
    R"("FILES","Rates","Internal Logical","Add",12,1,51,"","High",1)",
    R"("FILES","Bank","External Interface","Add",60,1,52,"","Low",3)",
    R"("LINKS",50,101,"I",)",
    R"("LINKS",50,102,"I",)",
    R"("LINKS",51,102,"I",)",
    R"("LINKS",50,103,"O",)",
    R"("LINKS",51,103,"O",)",
    R"("LINKS",52,103,"O",)",
    R"("LINKS",50,104,"I",)",
    R"("LINKS",50,104,"O",)",
};

QList<QVariantList> Rows(Database &db, const QString &sql, const QVariantList &values = {})
{
    QList<QVariantList> rows;
    QSqlQuery q = db.exec(sql, values);
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        rows << row;
    }
    return rows;
}

} // namespace

class TestImportLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void tagsFromEmptyTables();
    void handWorkedCountSaved();
    void failedLoadLeavesTables();
    void checkedTextOnly();
    void payrollExportedAndImported();

private:
    std::unique_ptr<TImportCheck> Checked(const QStringList &lines);
    int LoadAsNewCount(TImportCheck &check);

    std::unique_ptr<EditorFixture> m_fx;
};

void TestImportLoad::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestImportLoad::init()
{
    m_fx.reset();
    m_fx = std::make_unique<EditorFixture>();
}

std::unique_ptr<TImportCheck> TestImportLoad::Checked(const QStringList &lines)
{
    auto check = std::make_unique<TImportCheck>();
    check->RunFirstPass(lines);
    if (check->runStatus() != Severity::Error)
        check->RunCrossChecks();
    return check;
}

int TestImportLoad::LoadAsNewCount(TImportCheck &check)
{
    const int id = LoadImport(m_fx->db(), check, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    // As the catalogue leaves it for a new count.
    m_fx->state().currentCountId = id;
    m_fx->state().newCount = true;
    m_fx->state().changeCount = 1;
    return id;
}

void TestImportLoad::tagsFromEmptyTables()
{
    auto check = Checked({R"("COUNT","C","S","Enhancement",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,"U","",0,1,)",
                          R"("TRANS","B","External Input","Add",1,0,700,0,"")",
                          R"("TRANS","A","Group","Mod",0,0,30,0,"")",
                          R"("TRANS","C","External Output","Del",0,1,5,30,"")",
                          R"("FILES","F","Internal Logical","Add",1,1,9,"")",
                          R"("LINKS",9,700,"I",)", R"("LINKS",9,5,"O",)"});
    QCOMPARE(check->messages(), QStringList());
    const int id = LoadImport(m_fx->db(), *check);
    QCOMPARE(id, 1);
    QCOMPARE(Rows(m_fx->db(), "SELECT Description, Tag, Owner_Tag FROM Trans ORDER BY rowid"),
             (QList<QVariantList>{{"B", 1, 0}, {"A", 2, 0}, {"C", 3, 2}}));
    QCOMPARE(Rows(m_fx->db(), "SELECT Count_Id, File_Tag, Trans_Tag, Input_Output_Flag, Update_Flag FROM FilesLink "
                              "ORDER BY rowid"),
             (QList<QVariantList>{{1, 1, 1, "I", " "}, {1, 1, 3, "O", " "}}));
}

void TestImportLoad::handWorkedCountSaved()
{
    // Saved counts already hold tags up to 40 and 30 and ids up to 7.
    InsertCount(m_fx->db(), CountRow(7, "OLD", "Older count"));
    InsertTrans(m_fx->db(), TransRow(7, 40, "Old transaction"));
    InsertFile(m_fx->db(), FileRow(7, 30, "Old file"));
    auto check = Checked(kHandWorked);
    QCOMPARE(check->messages(), QStringList());
    QCOMPARE(LoadAsNewCount(*check), 8);

    Database &db = m_fx->db();
    QCOMPARE(Rows(db, "SELECT Id, System, Description, LastUpd_Time, LastUpd_Date, Created_Time, Created_Date, "
                      "Created_By, Type, Version, Copy_Count_Id, Last_Files_Tag, Last_Trans_Tag, Status, Notes, "
                      "Old_VAF, FP_Val, Ext_Id, VAF_1, VAF_14 FROM Counts"),
             (QList<QVariantList>{{8, "PAY", "Imported payroll", "05:06:07", "2026-03-04", "05:06:07", "2026-03-04",
                                   "Import", "B", 1.0, 0, 0.0, 0.0, "U", "Count notes", 0.99, 0, 8, 3, 3}}));
    // Tags from 41 and 31 in the order of the text; link counts,
    // complexities and values worked out again.
    QCOMPARE(Rows(db, "SELECT Tag, Count_Id, Description, FP_Val, Complexity, Type, Change_Type, Owner_Tag, "
                      "Input_Det_Count, Input_File_Count, Output_Det_Count, Output_File_Count, Memo FROM Trans "
                      "ORDER BY Tag"),
             (QList<QVariantList>{{41, 8, "Staff", 0.0, "0", "G", "A", 0, 0, 0, 0, 0, ""},
                                  {42, 8, "Add employee", 4.0, "2", "I", "A", 41, 18, 1, 0, 0, "Keyed in, checked"},
                                  {43, 8, "Change employee", 4.0, "2", "I", "A", 41, 5, 2, 0, 0, ""},
                                  {44, 8, "Payslip", 7.0, "3", "O", "A", 41, 0, 0, 22, 3, ""},
                                  {45, 8, "Enquiry", 3.0, "1", "Q", "A", 0, 3, 1, 7, 1, ""}}));
    QCOMPARE(Rows(db, "SELECT Tag, Count_Id, Description, FP_Val, Complexity, RET_Count, DET_Count, Type, "
                      "Change_Type, Memo FROM Files ORDER BY Tag"),
             (QList<QVariantList>{{31, 8, "Employee", 10.0, "2", 3, 25, "I", "A", "Master"},
                                  {32, 8, "Rates", 7.0, "1", 1, 12, "I", "A", ""},
                                  {33, 8, "Bank", 7.0, "2", 1, 60, "E", "A", ""}}));
    QCOMPARE(Rows(db, "SELECT File_Tag, Trans_Tag, Input_Output_Flag FROM FilesLink ORDER BY rowid"),
             (QList<QVariantList>{{31, 42, "I"}, {31, 43, "I"}, {32, 43, "I"}, {31, 44, "O"}, {32, 44, "O"},
                                  {33, 44, "O"}, {31, 45, "I"}, {31, 45, "O"}}));

    // Opened in the editor as a new count, and saved there.
    QString shownTotal;
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        shownTotal = d.editor.countPage()->Displays().totalAdjusted->text();
        d.Command(C::Save);
        d.editor.close();
    });
    QCOMPARE(shownTotal, QString("44"));
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    const int saved = m_fx->state().currentCountId;
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = ?", {saved}).toInt(), 44);
    QCOMPARE(m_fx->Scalar("SELECT Created_By FROM CCounts WHERE Id = ?", {saved}).toString(), QString("Import"));
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CTrans WHERE Count_Id = ?", {saved}).toInt(), 5);
    QCOMPARE(m_fx->Scalar("SELECT SUM(FP_Val) FROM CTrans WHERE Count_Id = ?", {saved}).toInt(), 18);
    QCOMPARE(m_fx->Scalar("SELECT SUM(FP_Val) FROM CFiles WHERE Count_Id = ?", {saved}).toInt(), 24);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {saved}).toInt(), 8);
}

void TestImportLoad::failedLoadLeavesTables()
{
    auto first = Checked(kHandWorked);
    LoadImport(m_fx->db(), *first);
    const auto before = Rows(m_fx->db(), "SELECT * FROM Trans ORDER BY rowid");
    const auto countBefore = Rows(m_fx->db(), "SELECT * FROM Counts");
    // The file rows cannot be written: nothing of the second load stays.
    m_fx->db().exec("CREATE TRIGGER refuse BEFORE INSERT ON Files BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    auto second = Checked(QStringList(kHandWorked).replaceInStrings("Imported payroll", "Second"));
    QVERIFY_THROWS_EXCEPTION(StoreError, LoadImport(m_fx->db(), *second));
    QCOMPARE(Rows(m_fx->db(), "SELECT * FROM Trans ORDER BY rowid"), before);
    QCOMPARE(Rows(m_fx->db(), "SELECT * FROM Counts"), countBefore);
    QCOMPARE(Rows(m_fx->db(), "SELECT COUNT(*) FROM Files"), (QList<QVariantList>{{3}}));
}

void TestImportLoad::checkedTextOnly()
{
    // Text in error is never written.
    auto check = Checked({R"("TRANS","A","Group","Add",0,0,1,0,"")"});
    QCOMPARE(check->runStatus(), Severity::Error);
    QVERIFY_THROWS_EXCEPTION(AppError, LoadImport(m_fx->db(), *check));
    QCOMPARE(Rows(m_fx->db(), "SELECT COUNT(*) FROM Trans"), (QList<QVariantList>{{0}}));
}

void TestImportLoad::payrollExportedAndImported()
{
    m_fx->CreateNew("B");
    QStringList lines;
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        RecordPayroll(d);
        if (QTest::currentTestFailed())
            return;
        d.Type(d.editor.countPage()->nameEdit(), "Payroll");
        d.Command(C::Save);
        ExportOptions all;
        all.countTotal = d.editor.countPage()->Displays().totalAdjusted->text().toLongLong();
        lines = CollectExportLines(m_fx->db(), all);
        d.editor.close();
    });
    const int original = m_fx->state().currentCountId;
    auto check = Checked(lines);
    QCOMPARE(check->messages(), QStringList());
    // The editor's tag counters start again, as the catalogue leaves them.
    m_fx->state().nextTransTag = 0;
    m_fx->state().nextFileTag = 0;
    LoadAsNewCount(*check);

    // The same items with the same figures, the same links between them.
    Database &db = m_fx->db();
    QCOMPARE(Rows(db, "SELECT Description, Type, Change_Type, RET_Count, DET_Count, Complexity, FP_Val FROM Files "
                      "ORDER BY Tag"),
             Rows(db, "SELECT Description, Type, Change_Type, RET_Count, DET_Count, Complexity, FP_Val FROM CFiles "
                      "WHERE Count_Id = ? ORDER BY Tag", {original}));
    const QString trans = "SELECT t.Description, t.Type, t.Change_Type, COALESCE(o.Description, ''), t.Input_Det_Count, "
                          "t.Input_File_Count, t.Output_Det_Count, t.Output_File_Count, t.Complexity, t.FP_Val "
                          "FROM %1 t LEFT JOIN %1 o ON o.Tag = t.Owner_Tag %2 ORDER BY t.Tag";
    QCOMPARE(Rows(db, trans.arg("Trans", "")),
             Rows(db, trans.arg("CTrans", "AND o.Count_Id = t.Count_Id WHERE t.Count_Id = ?"), {original}));
    const QString links = "SELECT f.Description, t.Description, l.Input_Output_Flag FROM %1 l "
                          "JOIN %2 f ON f.Tag = l.File_Tag JOIN %3 t ON t.Tag = l.Trans_Tag %4 ORDER BY 1, 2, 3";
    const auto imported = Rows(db, links.arg("FilesLink", "Files", "Trans", ""));
    QCOMPARE(imported.size(), kPayrollLinks);
    QCOMPARE(imported, Rows(db, links.arg("CFilesLink", "CFiles", "CTrans",
                                          "AND f.Count_Id = l.Count_Id AND t.Count_Id = l.Count_Id "
                                          "WHERE l.Count_Id = ?"),
                            {original}));
    QString shownTotal;
    m_fx->Run([&] {
        shownTotal = m_fx->editor().countPage()->Displays().totalAdjusted->text();
        m_fx->dialogs.queueAnswer(MessageAnswer::No);
        m_fx->editor().close();
    });
    QCOMPARE(shownTotal, QString::number(kPayrollTotalAdjusted));
    QVERIFY(m_fx->dialogs.allAnswersUsed());
    // Closed without saving: the saved counts are as they were.
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt(), 1);
}

QTEST_MAIN(TestImportLoad)
#include "test_importload.moc"
