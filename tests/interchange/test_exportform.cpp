// "Export Count Details" through the editor, as a user works it: the
// payroll count recorded by hand and taken out to a file and the clipboard,
// the record groups, the clipboard limit, cancelling and the choices kept.

#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"
#include "payrollcount.h"

#include "editor/countpage.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "interchange/exporter.h"
#include "interchange/splitter.h"
#include "interchange/ui/exportform.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

// What the user picks; empty texts leave a choice as it is shown.
struct Choice
{
    QString group;
    QString destination;
    QString field;
    QString text;
    bool cancel = false;
};

// What the dialog showed when it came up.
struct Shown
{
    QString group, destination, field, text;
    bool fired = false;
};

QString Checked(const QGroupBox *box)
{
    for (const QRadioButton *button : box->findChildren<QRadioButton *>())
        if (button->isChecked())
            return button->text();
    return {};
}

void Pick(QGroupBox *box, const QString &caption)
{
    for (QRadioButton *button : box->findChildren<QRadioButton *>())
        if (button->text() == caption)
            EditingDriver::Click(button);
}

void Pick(QComboBox *combo, const QString &item)
{
    if (!item.isEmpty())
        combo->setCurrentIndex(combo->findText(item));
}

QStringList FileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<unreadable>")};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    // Every line ends with CR LF, so the text after the last one is empty.
    if (lines.constLast().isEmpty())
        lines.removeLast();
    else
        lines << QStringLiteral("<no CR LF after the last line>");
    return lines;
}

const QMap<QString, QString> kTransTypes = {
    {"G", "Group"}, {"I", "External Input"}, {"O", "External Output"}, {"Q", "External Inquiry"}};
const QMap<QString, QString> kFileTypes = {{"I", "Internal Logical"}, {"E", "External Interface"}};
const QMap<QString, QString> kChanges = {{"A", "Add"}, {"M", "Mod"}, {"D", "Del"}, {"N", "None"}};
const QMap<QString, QString> kComplexities = {{"0", "Not Assigned"}, {"1", "Low"}, {"2", "Average"}, {"3", "High"}};

} // namespace

class TestExportForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void payrollRoundTrip();
    void linksAlone();
    void countWithoutTransactions();
    void clipboardLimit();
    void cancelledSaveWritesNothing();
    void choicesKeptDelimitersReset();
    void readOnlyFileRefused();
    void writeFailureRaised();

private:
    Shown Export(const Choice &choice);
    int SeedCount(int id, bool withTransactions);
    QString TempPath(const QString &name) const { return QDir(m_tmp.path()).filePath(name); }
    void CheckPayrollLines(const QStringList &lines);
    QVariantList WorkingRow(const QString &sql, const QVariantList &values);

    std::unique_ptr<EditorFixture> m_fx;
    QTemporaryDir m_tmp;
};

void TestExportForm::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QVERIFY(m_tmp.isValid());
}

void TestExportForm::init()
{
    // One connection name for all: the old fixture goes before the new one.
    m_fx.reset();
    m_fx = std::make_unique<EditorFixture>();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
}

Shown TestExportForm::Export(const Choice &choice)
{
    Shown shown;
    auto watch = ModalWatch::Start(
        [&](QWidget *modal) {
            auto *form = static_cast<TExportForm *>(modal);
            shown = {Checked(form->exportRadioGroup()), Checked(form->destRadioGroup()),
                     form->delimComboBox()->currentText(), form->textDelimComboBox()->currentText(), true};
            if (const QString shots = qEnvironmentVariable("QM_EXPORT_SHOTS"); !shots.isEmpty())
                form->grab().save(QDir(shots).filePath(QStringLiteral("interchange-dialog.png")));
            Pick(form->exportRadioGroup(), choice.group);
            Pick(form->destRadioGroup(), choice.destination);
            Pick(form->delimComboBox(), choice.field);
            Pick(form->textDelimComboBox(), choice.text);
            EditingDriver::Click(choice.cancel ? form->cancelButton() : form->okButton());
        },
        QStringLiteral("TExportForm"));
    m_fx->editor().commands().action(C::ExportData)->trigger();
    shown.fired = watch->fired();
    return shown;
}

// A saved count of three files, optionally with two transactions and three
// links, opened the way the catalogue opens it.
int SeedSavedCount(Database &db, int id, bool withTransactions)
{
    InsertCount(db, CountRow(id, "HR", "Staff count"));
    for (int tag = 1; tag <= 3; ++tag) {
        FileRow f(id, tag, QStringLiteral("File %1").arg(tag), 7);
        f.complexity = "1";
        f.rets = 1;
        f.dets = 5;
        InsertFile(db, f);
    }
    if (withTransactions) {
        TransRow in(id, 1, "Hire", 3);
        in.complexity = "1";
        in.inputDets = 4;
        in.inputFiles = 2;
        InsertTrans(db, in);
        TransRow out(id, 2, "Staff list", 4, "O");
        out.complexity = "1";
        out.outputDets = 5;
        out.outputFiles = 1;
        InsertTrans(db, out);
        InsertLink(db, LinkRow(id, 1, 1, "I"));
        InsertLink(db, LinkRow(id, 3, 1, "I"));
        InsertLink(db, LinkRow(id, 2, 2, "O"));
    }
    return id;
}

int TestExportForm::SeedCount(int id, bool withTransactions)
{
    SeedSavedCount(m_fx->db(), id, withTransactions);
    m_fx->OpenSaved(id);
    return id;
}

QVariantList TestExportForm::WorkingRow(const QString &sql, const QVariantList &values)
{
    QSqlQuery q = m_fx->db().exec(sql, values);
    QVariantList row;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
    return row;
}

void TestExportForm::CheckPayrollLines(const QStringList &lines)
{
    const auto &files = PayrollFiles();
    const auto &trans = PayrollTrans();
    QCOMPARE(lines.size(), 1 + files.size() + trans.size() + kPayrollLinks);

    // The count line, split as the reader splits it, against the count row.
    const QStringList count = TCSVStringInfo(lines[0]).FieldList();
    QCOMPARE(count.size(), 23);
    const QVariantList row = WorkingRow("SELECT Description, System, Status, Old_VAF, Ext_Id FROM Counts", {});
    QCOMPARE(count.mid(0, 4), (QStringList{"COUNT", "Payroll", row[1].toString(), "Base"}));
    QCOMPARE(count.mid(4, 14), QStringList(14, "3"));
    QCOMPARE(count.mid(18), (QStringList{"1", row[2].toString(), " ", QString::number(kPayrollTotalAdjusted),
                                          QString::number(row[4].toInt())}));

    QMap<QString, int> fileTags, transTags;
    for (int i = 0; i < files.size(); ++i) {
        const QStringList f = TCSVStringInfo(lines[1 + i]).FieldList();
        QCOMPARE(f.size(), 10);
        const QVariantList r = WorkingRow("SELECT Description, Type, Change_Type, DET_Count, RET_Count, Tag, Memo, "
                                          "Complexity, FP_Val FROM Files WHERE Tag = ?",
                                          {f[6].toInt()});
        QCOMPARE(f, (QStringList{"FILES", r[0].toString(), kFileTypes[r[1].toString()], kChanges[r[2].toString()],
                                 r[3].toString(), r[4].toString(), r[5].toString(), r[6].toString(),
                                 kComplexities[r[7].toString()], QString::number(r[8].toDouble())}));
        // Files in tag order, and each as it was planned.
        const PlannedFile &p = files[i];
        QCOMPARE(f[1], p.name);
        QCOMPARE(f.mid(4, 2), (QStringList{QString::number(p.dets), QString::number(p.rets)}));
        QCOMPARE(f[8], kComplexities[p.complexity]);
        QCOMPARE(f[9], QString::number(p.fps));
        QVERIFY(fileTags.isEmpty() || f[6].toInt() > fileTags.last());
        fileTags.insert(p.name, f[6].toInt());
    }
    for (int i = 0; i < trans.size(); ++i) {
        const QStringList t = TCSVStringInfo(lines[1 + files.size() + i]).FieldList();
        QCOMPARE(t.size(), 13);
        const QVariantList r = WorkingRow(
            "SELECT Description, Type, Change_Type, Input_Det_Count, Output_Det_Count, Tag, Owner_Tag, Memo, "
            "Complexity, Input_File_Count, Output_File_Count, FP_Val FROM Trans WHERE Tag = ?",
            {t[6].toInt()});
        QCOMPARE(t, (QStringList{"TRANS", r[0].toString(), kTransTypes[r[1].toString()], kChanges[r[2].toString()],
                                 r[3].toString(), r[4].toString(), r[5].toString(), r[6].toString(), r[7].toString(),
                                 kComplexities[r[8].toString()], r[9].toString(), r[10].toString(),
                                 QString::number(r[11].toDouble())}));
        const PlannedTrans &p = trans[i];
        QCOMPARE(t[1], p.name);
        QCOMPARE(t[2], kTransTypes[QString("IOQG").mid(p.typeIndex, 1)]);
        QCOMPARE(t[7], QString::number(p.owner.isEmpty() ? 0 : transTags.value(p.owner)));
        QCOMPARE(t.mid(9), (QStringList{kComplexities[p.complexity], QString::number(p.inFiles.size()),
                                        QString::number(p.outFiles.size()), QString::number(p.fps)}));
        transTags.insert(p.name, t[6].toInt());
    }
    // Links in the order the table holds them, each one planned.
    QSqlQuery q = m_fx->db().exec("SELECT File_Tag, Trans_Tag, Input_Output_Flag FROM FilesLink ORDER BY rowid");
    QSet<QString> planned;
    for (const PlannedTrans &p : trans) {
        for (const QString &file : p.inFiles)
            planned << QStringLiteral("%1/%2/I").arg(fileTags[file]).arg(transTags[p.name]);
        for (const QString &file : p.outFiles)
            planned << QStringLiteral("%1/%2/O").arg(fileTags[file]).arg(transTags[p.name]);
    }
    QCOMPARE(planned.size(), kPayrollLinks);
    for (int i = 0; i < kPayrollLinks; ++i) {
        QVERIFY(q.next());
        const QStringList l = TCSVStringInfo(lines[1 + files.size() + trans.size() + i]).FieldList();
        QCOMPARE(l, (QStringList{"LINKS", q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}));
        QVERIFY2(planned.remove(l.mid(1).join('/')), qPrintable(lines[1 + files.size() + trans.size() + i]));
    }
}

void TestExportForm::payrollRoundTrip()
{
    m_fx->CreateNew("B");
    const QString path = TempPath("payroll.txt");
    QStringList clipboardLines;
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        RecordPayroll(d);
        if (QTest::currentTestFailed())
            return;
        // The name is typed but not stored: it goes out as it stands.
        d.Type(d.editor.countPage()->nameEdit(), "Payroll");
        d.SelectTrans("Payslip");
        const qint64 payslipTag = d.editor.transTbl().intValue("Tag");

        m_fx->dialogs.queueFile(path);
        const Shown shown = Export({});
        QVERIFY(shown.fired);
        QCOMPARE(shown.group, QString("All"));
        QCOMPARE(shown.destination, QString("File"));
        QCOMPARE(shown.field, QString(","));
        QCOMPARE(shown.text, QString("\""));
        // The selection and the current row are where they were.
        QCOMPARE(d.transTree()->SelectedNode(), d.Trans("Payslip"));
        QCOMPARE(d.editor.transTbl().intValue("Tag"), payslipTag);
        QCOMPARE(d.editor.countPage()->Displays().totalAdjusted->text(), QString::number(kPayrollTotalAdjusted));

        QVERIFY(Export({"", "Clipboard", "", ""}).fired);
        clipboardLines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
        if (const QString shots = qEnvironmentVariable("QM_EXPORT_SHOTS"); !shots.isEmpty()) {
            QFile::remove(QDir(shots).filePath("interchange-payroll.txt"));
            QFile::copy(path, QDir(shots).filePath("interchange-payroll.txt"));
        }
        CheckPayrollLines(FileLines(path));
        d.editor.hide();
    });
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    const auto &prompts = m_fx->dialogs.prompts();
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts[0].kind, QString("save"));
    QCOMPARE(prompts[0].file.filters, (QStringList{"Text File (*.txt)", "Comma Separated Values (*.csv)",
                                                   "All Files (*)"}));
    QCOMPARE(prompts[0].file.defaultSuffix, QString("txt"));
    QVERIFY(prompts[0].file.confirmOverwrite);
    // The clipboard holds the same lines, with nothing after the last.
    QCOMPARE(clipboardLines, FileLines(path));
}

void TestExportForm::linksAlone()
{
    SeedCount(3, true);
    const QString path = TempPath("links.txt");
    m_fx->dialogs.queueFile(path);
    m_fx->Run([&] { QVERIFY(Export({"Links", "File", "Tab", "none"}).fired); });
    QCOMPARE(FileLines(path), (QStringList{" LINKS \t1\t1\t I \t", " LINKS \t3\t1\t I \t", " LINKS \t2\t2\t O \t"}));
}

void TestExportForm::countWithoutTransactions()
{
    SeedCount(4, false);
    m_fx->Run([&] {
        // Two characteristics lowered from 3 to 0 and not yet stored with
        // "OK": the export stores them and brings the total up to date.
        for (int i : {0, 1})
            for (int step = 0; step < 3; ++step)
                QTest::keyClick(m_fx->editor().countPage()->characteristic(i), Qt::Key_Up);
        QVERIFY(m_fx->editor().countTbl().isEditing());
        QVERIFY(Export({"All", "Clipboard", "#", "'"}).fired);
    });
    // Three files of 7 at a factor of 1.01: 21.21, shown as 21.
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("'COUNT'#'Staff count'#'HR'#'Base'#0#0#3#3#3#3#3#3#3#3#3#3#3#3#1#'U'#' '#21#4#\r\n"
                            "'FILES'#'File 1'#'Internal Logical'#'Add'#5#1#1#''#'Low'#7\r\n"
                            "'FILES'#'File 2'#'Internal Logical'#'Add'#5#1#2#''#'Low'#7\r\n"
                            "'FILES'#'File 3'#'Internal Logical'#'Add'#5#1#3#''#'Low'#7"));
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
}

void TestExportForm::clipboardLimit()
{
    SeedCount(5, true);
    QString fits;
    m_fx->Run([&] {
        // Notes long enough to bring the whole text to 63999 characters.
        ExportOptions o;
        o.countTotal = m_fx->editor().countPage()->Displays().totalAdjusted->text().toLongLong();
        const qsizetype shortBy = 63999 - ClipboardText(CollectExportLines(m_fx->db(), o)).size();
        QVERIFY(shortBy > 0);
        m_fx->db().exec("UPDATE Counts SET Notes = ?", {QString(shortBy + 1, u'n')});
        QVERIFY(Export({"All", "Clipboard", "", ""}).fired);
        fits = QGuiApplication::clipboard()->text();
        QCOMPARE(fits.size(), 63999);
        QVERIFY(m_fx->dialogs.prompts().isEmpty());

        m_fx->db().exec("UPDATE Counts SET Notes = Notes || 'n'");
        QVERIFY(Export({"All", "Clipboard", "", ""}).fired);
    });
    const auto &prompts = m_fx->dialogs.prompts();
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts[0].kind, QString("error"));
    QCOMPARE(prompts[0].text, QString("Error on Export to Clipboard - Data Overflow\nTry Export to File instead"));
    QCOMPARE(prompts[0].buttons, MessageButtons::Ok);
    QCOMPARE(QGuiApplication::clipboard()->text(), fits);
}

void TestExportForm::cancelledSaveWritesNothing()
{
    SeedCount(6, true);
    m_fx->dialogs.queueFile(QString());
    const QStringList before = QDir(m_tmp.path()).entryList(QDir::Files);
    bool closed = false;
    m_fx->Run([&] {
        QVERIFY(Export({"All", "File", "", ""}).fired);
        closed = !m_fx->editor().findChild<TExportForm *>()->isVisible();
    });
    QVERIFY(closed);
    QVERIFY(m_fx->dialogs.unexpected().isEmpty());
    QCOMPARE(m_fx->dialogs.prompts().size(), 1);
    QCOMPARE(QDir(m_tmp.path()).entryList(QDir::Files), before);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
}

void TestExportForm::choicesKeptDelimitersReset()
{
    SeedCount(7, true);
    Shown second, third, fourth;
    m_fx->Run([&] {
        QVERIFY(Export({"Files", "Clipboard", "@", "'"}).fired);
        second = Export({"", "", "#", "none", true});
        third = Export({"Count", "File", "", "", true});
        fourth = Export({"", "", "", "", true});
    });
    QVERIFY(second.fired && third.fired && fourth.fired);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("'FILES'@'File 1'@'Internal Logical'@'Add'@5@1@1@''@'Low'@7\r\n"
                            "'FILES'@'File 2'@'Internal Logical'@'Add'@5@1@2@''@'Low'@7\r\n"
                            "'FILES'@'File 3'@'Internal Logical'@'Add'@5@1@3@''@'Low'@7"));
    QCOMPARE(second.group, QString("Files"));
    QCOMPARE(second.destination, QString("Clipboard"));
    QCOMPARE(second.field, QString(","));
    QCOMPARE(second.text, QString("\""));
    QCOMPARE(third.group, QString("Files"));
    QCOMPARE(third.destination, QString("Clipboard"));
    QCOMPARE(third.field, QString(","));
    QCOMPARE(third.text, QString("\""));
    // Choices made before a cancel are kept too; nothing was written.
    QCOMPARE(fourth.group, QString("Count"));
    QCOMPARE(fourth.destination, QString("File"));
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
}

void TestExportForm::readOnlyFileRefused()
{
    SeedCount(8, true);
    const QString locked = TempPath("locked.txt");
    const QString other = TempPath("other.txt");
    {
        QFile f(locked);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    m_fx->dialogs.queueFile(locked);
    m_fx->dialogs.queueFile(other);
    m_fx->Run([&] { QVERIFY(Export({"Links", "File", "", ""}).fired); });
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    const auto &prompts = m_fx->dialogs.prompts();
    QCOMPARE(prompts.size(), 3);
    QCOMPARE(prompts[1].kind, QString("warning"));
    QCOMPARE(prompts[1].text, locked + "\nThis file is set to read-only.\nTry again with a different file name.");
    QCOMPARE(prompts[2].file.fileName, locked);
    QFile f(locked);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
    QCOMPARE(FileLines(other).size(), 3);
}

void TestExportForm::writeFailureRaised()
{
    // The failure is not the dialog's to handle: it leaves as the store's
    // file error, which the application's handler logs and shows.
    m_fx->CreateNew("B");
    const QString blocker = TempPath("blocker");
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    m_fx->dialogs.queueFile(blocker + "/count.txt");
    auto *form = m_fx->editor().findChild<TExportForm *>();
    QVERIFY(form);
    QCOMPARE(form->destination(), TExportForm::ToFile);
    QVERIFY_THROWS_EXCEPTION(FileError, form->RunExport());
    QCOMPARE(m_fx->dialogs.prompts().size(), 1);
}

QTEST_MAIN(TestExportForm)
#include "test_exportform.moc"
