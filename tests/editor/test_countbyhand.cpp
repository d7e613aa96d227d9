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

#include <QLineEdit>
#include <QSqlQuery>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;


class TestCountByHand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordSaveAndCheck();

private:
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
        RecordPayrollCount(d);
        d.editor.close();
    });
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
    CheckStored(m_fx->state().currentCountId);
}

QTEST_MAIN(TestCountByHand)
#include "test_countbyhand.moc"
