// "Import Count" worked as a user works it: the file dialog, the two pages,
// editing and checking again, and the catalogue opening the editor on the
// imported count.

#include "editorfixture.h"
#include "modalwatch.h"

#include "catalogue/firstform.h"
#include "editor/countpage.h"
#include "editor/mainform.h"
#include "interchange/ui/importform.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/settingsentry.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const QStringList kValid = {
    R"("COUNT","Imported","SYS","Base",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,"U","",0,1,)",
    R"("TRANS","Group A","Group","Add",0,0,10,0,"")",
    R"("TRANS","Enter","External Input","Add",5,0,11,10,"")",
    R"("FILES","Cust","Internal Logical","Add",12,2,20,"")",
    R"("LINKS",20,11,"I",)",
};

bool IsMarked(const QPlainTextEdit *view, int block)
{
    const QTextBlock b = view->document()->findBlockByNumber(block);
    const QTextCharFormat f = b.begin().fragment().charFormat();
    return f.foreground().color() == QColor(Qt::red) && f.fontWeight() == QFont::Bold;
}

} // namespace

class TestImportForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void cancelledFileDialog();
    void errorsThenCorrected();
    void warningsAllowLoading();
    void layoutInProportion();
    void catalogueOpensImportedCount();
    void payrollTextBrokenAndMended();

private:
    QString WriteText(const QStringList &lines);
    std::unique_ptr<EditorFixture> m_fx;
    std::unique_ptr<TImportForm> m_form;
    QTemporaryDir m_tmp;
};

void TestImportForm::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestImportForm::init()
{
    m_form.reset();
    m_fx.reset();
    m_fx = std::make_unique<EditorFixture>();
    m_form = std::make_unique<TImportForm>(m_fx->db(), m_fx->dialogs);
}

QString TestImportForm::WriteText(const QStringList &lines)
{
    const QString path = m_tmp.filePath("import.txt");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString &line : lines)
        f.write(line.toUtf8() + "\r\n");
    return path;
}

void TestImportForm::cancelledFileDialog()
{
    m_fx->dialogs.queueFile(QString());
    QCOMPARE(m_form->RunImport(), std::nullopt);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_fx->dialogs.prompts().size(), 1);
    QCOMPARE(m_fx->dialogs.prompts()[0].kind, QString("open"));
    QCOMPARE(m_fx->dialogs.prompts()[0].file.filters, (QStringList{"Text files (*.txt *.csv)", "All files (*)"}));
}

void TestImportForm::errorsThenCorrected()
{
    QStringList broken = kValid;
    broken[1].replace("\"TRANS\"", "\"trans\"");
    broken << R"("LINKS",20,10,"I",)";
    m_fx->dialogs.queueFile(WriteText(broken));
    std::optional<int> loaded;
    bool disabled = false, enabledAgain = false, firstTabOnly = false, secondTabOnly = false, marked = false;
    QStringList log, logAfterFix;
    QString keptText;
    auto watch = ModalWatch::Start(
        [&](QWidget *) {
            TImportForm &f = *m_form;
            firstTabOnly = f.pages()->isTabVisible(0) && !f.pages()->isTabVisible(1);
            QTest::mouseClick(f.importNextButton(), Qt::LeftButton);
            secondTabOnly = !f.pages()->isTabVisible(0) && f.pages()->isTabVisible(1);
            disabled = !f.validateNextButton()->isEnabled();
            log = f.errorLog()->toPlainText().split('\n');
            marked = IsMarked(f.validateView(), 1) && !IsMarked(f.validateView(), 0);
            // Back: the text is as the user left it; mend it and check again.
            QTest::mouseClick(f.backButton(), Qt::LeftButton);
            keptText = f.importEdit()->toPlainText();
            QString text = keptText;
            text.replace("\"trans\"", "\"TRANS\"");
            text.replace("\"LINKS\",20,10,\"I\",", "\"LINKS\",20,11,\"I\",");
            f.importEdit()->setPlainText(text);
            QTest::mouseClick(f.importNextButton(), Qt::LeftButton);
            enabledAgain = f.validateNextButton()->isEnabled();
            logAfterFix = f.errorLog()->toPlainText().split('\n', Qt::SkipEmptyParts);
            QTest::mouseClick(f.validateNextButton(), Qt::LeftButton);
        },
        QStringLiteral("TImportForm"));
    loaded = m_form->RunImport();
    QVERIFY(watch->fired());
    QVERIFY(firstTabOnly);
    QVERIFY(secondTabOnly);
    QVERIFY(disabled);
    QCOMPARE(log, (QStringList{"Error........Line Number..2 Unknown Record Type:trans"}));
    QVERIFY(marked);
    QCOMPARE(keptText, broken.join('\n') + '\n');
    // Checked again from scratch: the first error is gone, the cross-checks
    // now run, and the mended link finds its transaction.
    QVERIFY(enabledAgain);
    QCOMPARE(logAfterFix, QStringList());
    QCOMPARE(loaded, std::optional<int>(1));
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink").toInt(), 2);
    QCOMPARE(m_fx->Scalar("SELECT Description FROM Counts").toString(), QString("Imported"));
}

void TestImportForm::warningsAllowLoading()
{
    QStringList lines = kValid;
    lines[2] = R"("TRANS","Enter","External Input","Add",5,0,11,,"")";
    m_fx->dialogs.queueFile(WriteText(lines));
    bool enabled = false;
    QString log;
    bool marked = false;
    auto watch = ModalWatch::Start(
        [&](QWidget *) {
            QTest::mouseClick(m_form->importNextButton(), Qt::LeftButton);
            enabled = m_form->validateNextButton()->isEnabled();
            log = m_form->errorLog()->toPlainText();
            marked = IsMarked(m_form->validateView(), 2);
            QTest::mouseClick(m_form->validateCancelButton(), Qt::LeftButton);
        },
        QStringLiteral("TImportForm"));
    QCOMPARE(m_form->RunImport(), std::nullopt);
    QVERIFY(watch->fired());
    QVERIFY(enabled);
    QVERIFY(marked);
    QCOMPARE(log, QString("Warning......Line Number..3 Invalid Parent Transaction ID...No parent assumed"));
    // Cancelled: nothing written.
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM Trans").toInt(), 0);
}

void TestImportForm::layoutInProportion()
{
    m_form->resize(1000, 700);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QWidget *area = m_form->pages()->currentWidget();
    const int h = area->height();
    const int w = area->width();
    QCOMPARE(m_form->importEdit()->height(), int(0.8 * h));
    QCOMPARE(m_form->importNextButton()->geometry().right() + 1, int(0.95 * w));
    QCOMPARE(m_form->importNextButton()->y(), int(0.9 * h));
    const int bw = m_form->importNextButton()->width();
    QCOMPARE(m_form->backButton()->x(), m_form->validateNextButton()->x() - bw - 20);
    QCOMPARE(m_form->validateCancelButton()->x(), m_form->validateNextButton()->x() - 2 * bw - 40);
    QCOMPARE(m_form->validateView()->height(), int(0.6 * h));
    QCOMPARE(m_form->errorLog()->y(), int(0.6 * h) + 5);
    QCOMPARE(m_form->errorLog()->height(), int(0.2 * h));
    m_form->hide();
}

void TestImportForm::catalogueOpensImportedCount()
{
    SettingsEntry settings(m_tmp.filePath("quillmark.ini"));
    TFirstForm catalogue(m_fx->dataModule(), settings);
    catalogue.setEditorRunner([this] { m_fx->editor().RunModal(); });
    QAction *import = catalogue.action("Import...");
    QVERIFY(!import->isEnabled());
    catalogue.setImportWizard([this] { return m_form->RunImport(); });
    QVERIFY(import->isEnabled());
    catalogue.show();

    m_fx->dialogs.queueFile(WriteText(kValid));
    m_fx->dialogs.queueAnswer(MessageAnswer::No); // do not save on closing
    auto wizard = ModalWatch::Start(
        [&](QWidget *) {
            QTest::mouseClick(m_form->importNextButton(), Qt::LeftButton);
            QTest::mouseClick(m_form->validateNextButton(), Qt::LeftButton);
        },
        QStringLiteral("TImportForm"));
    QString name;
    bool newCount = false;
    auto editor = ModalWatch::Start(
        [&](QWidget *) {
            WaitUntil([&] { return m_fx->editor().pendingLoadStep() == TMainForm::LoadStep::None; });
            name = m_fx->editor().countPage()->nameEdit()->text();
            newCount = m_fx->state().newCount && m_fx->state().changeCount > 0;
            m_fx->editor().close();
        },
        QStringLiteral("TMainForm"));
    import->trigger();
    QVERIFY(wizard->fired());
    QVERIFY(editor->fired());
    QCOMPARE(name, QString("Imported"));
    QVERIFY(newCount);
    QVERIFY(m_fx->dialogs.allAnswersUsed());
    // Closed without saving: nothing reached the saved tables.
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt(), 0);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CTrans").toInt(), 0);
}

void TestImportForm::payrollTextBrokenAndMended()
{
    // The payroll count as the export wrote it, broken three ways: a record
    // type in lower case, a duplicate tag and a link to a group.
    QFile exported(QStringLiteral(QM_PAYROLL_TEXT));
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(exported.readAll()).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 36);
    const QStringList good = lines;
    lines[5].replace("\"TRANS\",\"Employees\"", "\"trans\",\"Employees\"");
    lines[7].replace(",0,3,1,", ",0,2,1,");
    lines[17] = R"("LINKS",1,6,"I",)";
    m_fx->dialogs.queueFile(WriteText(lines));
    const QString shots = qEnvironmentVariable("QM_EXPORT_SHOTS");
    QStringList first, second, third;
    const auto validate = [&](QStringList &log, const QString &shot) {
        QTest::mouseClick(m_form->importNextButton(), Qt::LeftButton);
        log = m_form->errorLog()->toPlainText().split('\n', Qt::SkipEmptyParts);
        if (!shots.isEmpty())
            m_form->grab().save(QDir(shots).filePath(shot));
    };
    const auto mend = [&](int line, const QString &text) {
        QStringList now = m_form->ImportLines();
        now[line] = text;
        m_form->importEdit()->setPlainText(now.join('\n'));
    };
    std::optional<int> loaded;
    auto watch = ModalWatch::Start(
        [&](QWidget *) {
            validate(first, "interchange-validate-errors.png");
            QTest::mouseClick(m_form->backButton(), Qt::LeftButton);
            mend(5, good[5]);
            validate(second, "interchange-validate-crosscheck.png");
            QTest::mouseClick(m_form->backButton(), Qt::LeftButton);
            mend(7, good[7]);
            mend(17, good[17]);
            validate(third, "interchange-validate-ok.png");
            QTest::mouseClick(m_form->validateNextButton(), Qt::LeftButton);
        },
        QStringLiteral("TImportForm"));
    loaded = m_form->RunImport();
    QVERIFY(watch->fired());
    QCOMPARE(first, QStringList{"Error........Line Number..6 Unknown Record Type:trans"});
    // The links of the renumbered transaction lose it as well.
    QCOMPARE(second, (QStringList{"Error........Line Number..18 Linked Transaction must be Input or Inquiry",
                                  "Error........Line Number..19 Transaction Id not found",
                                  "Error........Line Number..20 Transaction Id not found",
                                  "Error........Line Number..8 Duplicate Transaction Id"}));
    QCOMPARE(third, QStringList());
    QVERIFY(loaded);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM Trans").toInt(), 12);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink").toInt(), 19);
    QCOMPARE(m_fx->Scalar("SELECT SUM(FP_Val) FROM Trans").toInt() + m_fx->Scalar("SELECT SUM(FP_Val) FROM Files").toInt(),
             70);
}

QTEST_MAIN(TestImportForm)
#include "test_importform.moc"
