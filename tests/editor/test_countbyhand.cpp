// A whole count recorded by hand through the editor window, saved, and
// every stored row checked against figures worked out on paper.

#include "editingdriver.h"
#include "editorfixture.h"
#include "payrollcount.h"

#include "editor/countpage.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QDir>
#include <QLineEdit>
#include <QSqlQuery>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

const QList<PlannedFile> &kFiles = PayrollFiles();
const QList<PlannedTrans> &kTrans = PayrollTrans();
constexpr int kTotalAdjusted = kPayrollTotalAdjusted;

// Reorganised: a copy of "Payroll run" (26 points, 7 rows, 12 links) under
// "Employees" makes 96 unadjusted, and 96 x 1.07 = 102.72 truncates. Moves
// change only the groups: "Employees" 15 + 26 + 7 (Payslip) - 3 (Delete
// employee) = 45; "Payroll run" 26 - 7 + 3 = 22; its "Reports" 8 + 3 = 11.
constexpr int kReorganisedAdjusted = 102;

// Pictures of the tree for a person to look at, when asked for.
void Shoot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("QM_SHOTS_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        widget->grab().save(QDir(dir).filePath(name));
}

} // namespace

class TestCountByHand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordSaveAndCheck();
    void reorganiseSaveAndCheck();

private:
    void Record(EditingDriver &d);
    void CheckStored(int countId);
    QMap<QString, int> Tags(const QString &table, int countId);

    std::unique_ptr<EditorFixture> m_fx;
};

void TestCountByHand::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_fx = std::make_unique<EditorFixture>();
}

void TestCountByHand::Record(EditingDriver &d)
{
    RecordPayroll(d);
    if (QTest::currentTestFailed())
        return;

    d.Type(d.editor.countPage()->nameEdit(), "Payroll");
    d.Command(C::Save);
    QCOMPARE(m_fx->state().changeCount, 0);
}

QMap<QString, int> TestCountByHand::Tags(const QString &table, int countId)
{
    QMap<QString, int> tags;
    QSqlQuery q = m_fx->db().exec(QStringLiteral("SELECT Description, Tag FROM %1 WHERE Count_Id = ?").arg(table),
                                  {countId});
    while (q.next())
        tags.insert(q.value(0).toString(), q.value(1).toInt());
    return tags;
}

void TestCountByHand::CheckStored(int countId)
{
    const QMap<QString, int> fileTags = Tags("CFiles", countId);
    const QMap<QString, int> transTags = Tags("CTrans", countId);
    // Tags are issued one by one from 1 in an empty database.
    QCOMPARE(fileTags.size(), kFiles.size());
    QCOMPARE(transTags.size(), kTrans.size());
    for (int i = 0; i < kFiles.size(); ++i) {
        const PlannedFile &f = kFiles[i];
        QCOMPARE(fileTags.value(f.name), i + 1);
        QSqlQuery q = m_fx->db().exec("SELECT Type, Change_Type, RET_Count, DET_Count, Complexity, FP_Val "
                                      "FROM CFiles WHERE Count_Id = ? AND Tag = ?",
                                      {countId, i + 1});
        QVERIFY(q.next());
        const QVariantList row = {q.value(0).toString(), q.value(1).toString(), q.value(2).toInt(),
                                  q.value(3).toInt(),    q.value(4).toString(), q.value(5).toDouble()};
        const QVariantList expected = {f.typeIndex == 0 ? "I" : "E", "A", f.rets, f.dets, f.complexity, double(f.fps)};
        QCOMPARE(row, expected);
    }
    for (int i = 0; i < kTrans.size(); ++i) {
        const PlannedTrans &t = kTrans[i];
        const int tag = transTags.value(t.name);
        QCOMPARE(tag, i + 1);
        QSqlQuery q = m_fx->db().exec("SELECT Type, Change_Type, Owner_Tag, Input_File_Count, Input_Det_Count, "
                                      "Output_File_Count, Output_Det_Count, Complexity, FP_Val "
                                      "FROM CTrans WHERE Count_Id = ? AND Tag = ?",
                                      {countId, tag});
        QVERIFY(q.next());
        QVariantList row;
        for (int c = 0; c < 9; ++c)
            row << q.value(c).toString();
        const QString type = QString("IOQG").mid(t.typeIndex, 1);
        const QVariantList expected = {type,
                                       "A",
                                       QString::number(transTags.value(t.owner)),
                                       QString::number(t.inFiles.size()),
                                       QString::number(t.inDets),
                                       QString::number(t.outFiles.size()),
                                       QString::number(t.outDets),
                                       t.complexity,
                                       QString::number(t.fps)};
        QCOMPARE(row, expected);

        for (const auto &[side, files] : {std::pair{QString("I"), t.inFiles}, std::pair{QString("O"), t.outFiles}}) {
            QSqlQuery links = m_fx->db().exec("SELECT File_Tag FROM CFilesLink WHERE Count_Id = ? AND Trans_Tag = ? "
                                              "AND Input_Output_Flag = ? ORDER BY File_Tag",
                                              {countId, tag, side});
            QList<int> stored, wanted;
            while (links.next())
                stored << links.value(0).toInt();
            for (const QString &file : files)
                wanted << fileTags.value(file);
            std::sort(wanted.begin(), wanted.end());
            QCOMPARE(stored, wanted);
        }
    }
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {countId}).toInt(), kPayrollLinks);
    QCOMPARE(m_fx->Scalar("SELECT Description FROM CCounts WHERE Id = ?", {countId}).toString(), QString("Payroll"));
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = ?", {countId}).toInt(), kTotalAdjusted);
}

void TestCountByHand::recordSaveAndCheck()
{
    m_fx->CreateNew("B");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        Record(d);
        d.editor.close();
    });
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
    CheckStored(m_fx->state().currentCountId);
}

void TestCountByHand::reorganiseSaveAndCheck()
{
    // The count saved by the test before.
    m_fx->OpenSaved(m_fx->state().currentCountId);
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.editor));
        d.ShowTransactions();
        TDBTreeView *tree = d.transTree();

        d.SelectTrans("Payroll run");
        d.Command(C::MenuCopy);
        d.SelectTrans("Employees");
        d.Command(C::MenuPaste);
        QCOMPARE(d.Trans("Payroll run - Copy")->parentNode(), d.Trans("Employees"));
        QCOMPARE(d.Trans("Employees")->info.value, qint64(41));

        d.ClickNode(tree, d.Trans("Payslip"));
        d.DragNode(tree, d.Trans("Payslip"), tree->visualItemRect(d.Trans("Employees")).center());
        QCOMPARE(d.Trans("Payslip")->parentNode(), d.Trans("Employees"));

        d.SelectTrans("Delete employee");
        d.Command(C::MenuCut);
        QVERIFY(d.Trans("Delete employee")->isCut());
        d.SelectTrans("Reports");
        Shoot(&d.editor, "clipboard-cut.png");
        d.Command(C::MenuPaste);
        tree->scrollToItem(d.Trans("Delete employee"));
        Shoot(&d.editor, "clipboard-paste.png");

        QCOMPARE(d.Trans("Delete employee")->parentNode(), d.Trans("Reports"));
        QCOMPARE(d.Trans("Employees")->info.value, qint64(45));
        QCOMPARE(d.Trans("Payroll run")->info.value, qint64(22));
        QCOMPARE(d.Trans("Reports")->info.value, qint64(11));
        QCOMPARE(d.Trans("Payroll run - Copy")->info.value, qint64(26));
        d.Command(C::Save);
        QCOMPARE(m_fx->state().changeCount, 0);
        d.editor.close();
    });
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    QVERIFY(m_fx->dialogs.prompts().isEmpty());

    const int countId = m_fx->state().currentCountId;
    const QMap<QString, int> tags = Tags("CTrans", countId);
    QCOMPARE(tags.size(), kTrans.size() + 7);
    const auto owner = [&](const QString &name) {
        return m_fx->Scalar("SELECT Owner_Tag FROM CTrans WHERE Count_Id = ? AND Description = ?", {countId, name})
            .toInt();
    };
    QCOMPARE(owner("Payroll run - Copy"), tags.value("Employees"));
    QCOMPARE(owner("Reports - Copy"), tags.value("Payroll run - Copy"));
    QCOMPARE(owner("Payslip"), tags.value("Employees"));
    QCOMPARE(owner("Payslip - Copy"), tags.value("Payroll run - Copy"));
    QCOMPARE(owner("Delete employee"), tags.value("Reports"));
    QCOMPARE(m_fx->Scalar("SELECT SUM(FP_Val) FROM CTrans WHERE Count_Id = ?", {countId}).toInt(), 67);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {countId}).toInt(), 31);
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = ?", {countId}).toInt(), kReorganisedAdjusted);
}

QTEST_MAIN(TestCountByHand)
#include "test_countbyhand.moc"
