// A whole count recorded by hand through the editor window, saved, and
// every stored row checked against figures worked out on paper.

#include "editingdriver.h"
#include "editorfixture.h"

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

struct PlannedFile
{
    QString name;
    int typeIndex; // 0 internal, 1 external
    int rets, dets;
    QString complexity;
    int fps;
};

// Internal files weigh 7/10/15, external ones 5/7/10.
const QList<PlannedFile> kFiles = {
    {"Employee master", 0, 3, 25, "2", 10}, // 2-5 RETs, 20-50 DETs: average
    {"Pay rates", 0, 1, 12, "1", 7},        // 1 RET, 1-19 DETs: low
    {"Tax tables", 1, 2, 8, "1", 5},        // 2-5 RETs, 1-19 DETs: low
    {"Bank interface", 1, 1, 60, "2", 7},   // 1 RET, 51+ DETs: average
};

struct PlannedTrans
{
    QString name;
    QString owner; // empty: top level
    int typeIndex; // 0 input, 1 output, 2 inquiry, 3 group
    QStringList inFiles;
    int inDets;
    QStringList outFiles;
    int outDets;
    QString complexity;
    int fps;
};

// Inputs weigh 3/4/6, outputs 4/5/7, inquiries 3/4/6 by the higher side.
const QList<PlannedTrans> kTrans = {
    {"Employees", "", 3, {}, 0, {}, 0, "0", 0},
    {"Add employee", "Employees", 0, {"Employee master"}, 18, {}, 0, "2", 4},                 // 1 FTR, 16+
    {"Change employee", "Employees", 0, {"Employee master", "Pay rates"}, 10, {}, 0, "2", 4}, // 2 FTRs, 5-15
    {"Employee enquiry", "Employees", 2, {"Employee master"}, 3, {"Employee master", "Pay rates"}, 12, "2", 4},
    {"Delete employee", "Employees", 0, {"Employee master"}, 2, {}, 0, "1", 3},
    {"Payroll run", "", 3, {}, 0, {}, 0, "0", 0},
    {"Enter timesheet", "Payroll run", 0, {"Employee master", "Pay rates", "Tax tables"}, 8, {}, 0, "3", 6},
    {"Payslip", "Payroll run", 1, {}, 0, {"Employee master", "Pay rates", "Tax tables"}, 22, "3", 7},
    {"Bank transfer file", "Payroll run", 1, {}, 0, {"Employee master", "Bank interface"}, 9, "2", 5},
    {"Reports", "Payroll run", 3, {}, 0, {}, 0, "0", 0},
    {"Payroll register", "Reports", 1, {}, 0, {"Employee master", "Pay rates"}, 15, "2", 5},
    {"Year-to-date enquiry", "Reports", 2, {"Employee master"}, 2, {"Employee master"}, 7, "1", 3},
};

// 41 for the transactions and 29 for the files: 70 unadjusted; with every
// characteristic at 3 the factor is 1.07, and 70 x 1.07 = 74.9 truncates.
constexpr int kTotalAdjusted = 74;

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
    for (const PlannedFile &f : kFiles)
        d.NewFile(f.name, f.typeIndex, f.rets, f.dets);

    d.ShowTransactions();
    for (const PlannedTrans &t : kTrans) {
        // A group's first child is made with "Insert Child", the others as
        // siblings of the last one added.
        const bool firstChild = !t.owner.isEmpty() && d.Trans(t.owner)->childCount() == 0;
        if (firstChild)
            d.SelectTrans(t.owner);
        else if (t.owner.isEmpty() && d.transTree()->topLevelItemCount() > 0)
            d.ClickNode(d.transTree(), d.transTree()->topLevelItem(0));
        d.NewTrans(firstChild ? C::ToolInsertChild : C::ToolInsertTrans, t.name, t.typeIndex);
        QVERIFY2(d.Trans(t.name), qPrintable(t.name));
    }
    for (const PlannedTrans &t : kTrans) {
        if (t.typeIndex == 3)
            continue;
        d.SelectTrans(t.name);
        d.LinkFiles({t.inFiles, t.inDets}, {t.outFiles, t.outDets});
        QCOMPARE(d.Trans(t.name)->info.value, qint64(t.fps));
    }
    QCOMPARE(d.Trans("Employees")->info.value, qint64(15));
    QCOMPARE(d.Trans("Payroll run")->info.value, qint64(26));

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
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {countId}).toInt(), 19);
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
