#include "app/help.h"
#include "app/helpwindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QResource>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

using qm::HelpBinding;
using qm::THelpWindow;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

QString builtHelpFile()
{
    return QDir(QStringLiteral(QM_BUILT_HELP_DIR)).filePath(HelpBinding::helpFileName());
}

QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown.append(w);
    return shown;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QFontDatabase::families().isEmpty(), "no fonts installed (install fonts-dejavu-core)");
        QVERIFY2(QFile::exists(builtHelpFile()), qPrintable(builtHelpFile()));
    }

    void diagnostics_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("markerFile");
        QTest::addColumn<bool>("expectLog");

        const QString exe = QStringLiteral("quillmark");
        QTest::newRow("/debug") << QStringList{exe, "/debug"} << false << true;
        QTest::newRow("-DEBUG") << QStringList{exe, "-DEBUG"} << false << true;
        QTest::newRow("/DeBuG after others") << QStringList{exe, "counts.txt", "/DeBuG"} << false << true;
        QTest::newRow("debug without switch sign") << QStringList{exe, "debug"} << false << false;
        QTest::newRow("longer switch") << QStringList{exe, "/debugging"} << false << false;
        QTest::newRow("no arguments") << QStringList{exe} << false << false;
        QTest::newRow("debug.debug present") << QStringList{exe} << true << true;
        QTest::newRow("both") << QStringList{exe, "-debug"} << true << true;
    }

    void diagnostics()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, markerFile);
        QFETCH(bool, expectLog);

        QTemporaryDir programDir;
        QVERIFY(programDir.isValid());
        const QString log = programDir.filePath(QStringLiteral("HHDebug.txt"));
        writeFile(log, "report of an earlier run\n");
        if (markerFile)
            writeFile(programDir.filePath(QStringLiteral("debug.debug")), "");

        HelpBinding help(programDir.path(), arguments);
        QCOMPARE(help.diagnosticsOn(), expectLog);
        QCOMPARE(help.logDirectory(), QDir::cleanPath(programDir.path()));
        QVERIFY(!QFile::exists(programDir.filePath(QStringLiteral("$_Temp_$.$$$"))));
        QCOMPARE(QFile::exists(log), expectLog);
        if (!expectLog)
            return;

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.contains(QStringLiteral("report of an earlier run")));
        QVERIFY(lines.contains(QString(80, u'-')));
        QVERIFY(lines.contains(QString(80, u'=')));
        static const QRegularExpression rule(QStringLiteral("^(-+|=+)$"));
        for (const QString &line : lines) {
            QVERIFY2(line.startsWith(u'!') || rule.match(line).hasMatch(), qPrintable(line));
            if (rule.match(line).hasMatch())
                QCOMPARE(line.size(), 80);
        }
        QVERIFY(lines.contains(QStringLiteral("!Filename:             ") + log));
        QVERIFY(lines.contains(QStringLiteral("!EXE Path =          ") + programDir.filePath(QStringLiteral("quillmark"))));
        const QString decimal = QStringLiteral("!DecimalSeparator:      ");
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.startsWith(decimal) && l.size() > decimal.size(); }));
        const QString date = QStringLiteral("!Date:                 ");
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.startsWith(date) && l.size() > date.size(); }));
    }

    void logGoesToTempWhenProgramFolderIsNotWritable()
    {
        QTemporaryDir scratch;
        QTemporaryDir temp;
        QVERIFY(scratch.isValid() && temp.isValid());
        const QByteArray savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        const QString tempLog = temp.filePath(QStringLiteral("HHDebug.txt"));
        writeFile(tempLog, "old\n");

        // A folder that does not exist takes no test file, even for root.
        HelpBinding help(scratch.filePath(QStringLiteral("gone")), {QStringLiteral("quillmark"), QStringLiteral("/debug")});
        qputenv("TMPDIR", savedTmp);
        QCOMPARE(help.logDirectory(), QDir::cleanPath(temp.path()));
        QFile file(tempLog);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray report = file.readAll();
        QVERIFY(!report.startsWith("old"));
        QVERIFY(report.contains(("!Filename:             " + tempLog).toUtf8()));
    }

    void helpUnavailableIsSilent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no help file") << QStringLiteral("missing");
        QTest::newRow("damaged help file") << QStringLiteral("garbage");
        QTest::newRow("folder in its place") << QStringLiteral("folder");
    }

    void helpUnavailableIsSilent()
    {
        QFETCH(QString, kind);
        QTemporaryDir programDir;
        const QString path = programDir.filePath(HelpBinding::helpFileName());
        if (kind == QLatin1String("garbage"))
            writeFile(path, QByteArray(4096, '\x5a'));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));

        HelpBinding help(programDir.path(), {QStringLiteral("quillmark")});
        const QList<QWidget *> before = visibleTopLevels();
        help.ShowHelpTopics();
        QTest::qWait(50);
        QVERIFY(help.helpWindows().isEmpty());
        QCOMPARE(visibleTopLevels(), before);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void helpShowsDefaultTopic()
    {
        QTemporaryDir programDir;
        QVERIFY(QFile::copy(builtHelpFile(), programDir.filePath(HelpBinding::helpFileName())));
        HelpBinding help(programDir.path(), {QStringLiteral("quillmark")});

        help.ShowHelpTopics();
        QCOMPARE(help.helpWindows().size(), 1);
        QPointer<THelpWindow> window = help.helpWindows().first();
        QVERIFY(window->isVisible());
        QVERIFY(window->isWindow());
        QVERIFY(!window->parentWidget());
        QCOMPARE(window->documentTitle(), QStringLiteral("Quillmark Help"));
        QVERIFY(window->windowTitle().contains(QStringLiteral("Quillmark Help")));

        // Follow a page and come back with the Back button.
        window->showPage(window->homePage().resolved(QUrl(QStringLiteral("rules.html"))));
        QCOMPARE(window->documentTitle(), QStringLiteral("How Quillmark Rates and Totals"));
        auto *back = window->findChild<QToolButton *>(QStringLiteral("HelpBackButton"));
        QVERIFY(back && back->isEnabled());
        back->click();
        QCOMPARE(window->documentTitle(), QStringLiteral("Quillmark Help"));

        // Asking again reuses the window; closing all of them leaves none.
        help.ShowHelpTopics();
        QCOMPARE(help.helpWindows().size(), 1);
        help.CloseAllHelpWindows();
        QVERIFY(help.helpWindows().isEmpty());
        QTRY_VERIFY(window.isNull());
    }

    void f1ShowsHelpFromAnyWindow()
    {
        QTemporaryDir programDir;
        QVERIFY(QFile::copy(builtHelpFile(), programDir.filePath(HelpBinding::helpFileName())));
        HelpBinding help(programDir.path(), {QStringLiteral("quillmark")});
        help.InstallHelpKey();

        QWidget window;
        auto *edit = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Shift+F1 is not help; plain F1 is, even in a text box.
        QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(help.helpWindows().isEmpty());
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(help.helpWindows().size(), 1);
        help.CloseAllHelpWindows();
        QTRY_VERIFY(help.helpWindows().isEmpty());

        // In a modal dialog too.
        QDialog dialog(&window);
        bool shownInDialog = false;
        QTimer::singleShot(0, &dialog, [&] {
            QTest::keyClick(&dialog, Qt::Key_F1);
            shownInDialog = help.helpWindows().size() == 1;
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(shownInDialog);
        help.CloseAllHelpWindows();
    }

    void helpPagesAreComplete()
    {
        const QString root = QStringLiteral("/help-under-test");
        QVERIFY(QResource::registerResource(builtHelpFile(), root));
        static const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
        int pages = 0;
        for (QDirIterator it(QLatin1Char(':') + root, {QStringLiteral("*.html")}); it.hasNext();) {
            const QString page = it.next();
            QFile file(page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            QVERIFY2(title.match(html).hasMatch(), qPrintable(page + QStringLiteral(" has no title")));
            for (auto m = link.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.contains(u':'))
                    continue; // an outside address
                QVERIFY2(QFile::exists(QLatin1Char(':') + root + u'/' + target),
                         qPrintable(page + QStringLiteral(" links to missing ") + target));
            }
            ++pages;
        }
        QVERIFY(QFile::exists(QLatin1Char(':') + root + QStringLiteral("/index.html")));
        QVERIFY(pages >= 5);
        QVERIFY(QResource::unregisterResource(builtHelpFile(), root));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
