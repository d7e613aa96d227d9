#include "store/apperror.h"
#include "store/cursor.h"
#include "store/datamodule.h"
#include "store/location.h"
#include "store/schema.h"
#include "store/settingsentry.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

// Folders a scenario refers to by name: $GOOD holds a database, $EMPTY is an
// existing folder without one, $NOPE does not exist.
class TestLocation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void locate_data();
    void locate();
    void firstRunRefusesFolderWithDatabaseThenMoves();
    void firstRunCreatesTypedFolderAfterAsking();
    void firstRunCancelMovesNothing();
    void firstRunFailedMoveRemembersChosenFolder();
    void dataModuleConnectsAndWritesBack();
    void dataModuleEndsWhenNothingChosen();

private:
    QString expand(QString s) const;
    QStringList expand(const QStringList &list) const;

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<test::TestDatabaseDir> m_good;
    QString m_empty, m_nope, m_delivered, m_ini;
};

void TestLocation::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_good = std::make_unique<test::TestDatabaseDir>();
    m_empty = m_root->filePath("empty");
    QDir().mkpath(m_empty);
    m_nope = m_root->filePath("nope");
    m_delivered = m_root->filePath("program/Databases");
    m_ini = m_root->filePath("config/quillmark.ini");
}

void TestLocation::cleanup()
{
    m_good.reset();
    m_root.reset();
}

QString TestLocation::expand(QString s) const
{
    s.replace("$GOOD", m_good->path());
    s.replace("$EMPTY", m_empty);
    s.replace("$NOPE", m_nope);
    return s;
}

QStringList TestLocation::expand(const QStringList &list) const
{
    QStringList out;
    for (const QString &s : list)
        out << expand(s);
    return out;
}

void TestLocation::locate_data()
{
    QTest::addColumn<QString>("stored"); // "<none>" leaves the entry missing
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QString>("result");

    QTest::newRow("remembered folder") << "$GOOD" << QStringList{} << QStringList{} << "$GOOD";
    QTest::newRow("blanks trimmed") << "   $GOOD  " << QStringList{} << QStringList{} << "$GOOD";
    QTest::newRow("trailing separator dropped") << "$GOOD/" << QStringList{} << QStringList{} << "$GOOD";
    QTest::newRow("folder without database")
        << "$EMPTY" << QStringList{"$NOPE", "$GOOD"}
        << QStringList{"error: Database not Found in $EMPTY - Please select new Database Location",
                       "directory: /",
                       "error: Invalid Directory - Quillmark Database not found in $NOPE",
                       "directory: $NOPE"}
        << "$GOOD";
    QTest::newRow("folder gone, cancelled")
        << "$NOPE" << QStringList{""}
        << QStringList{"error: Database Directory $NOPENot Found - Please select new Database Location",
                       "directory: /", "error: No Database Selected - Closing Quillmark"}
        << "";
    QTest::newRow("no entry, nothing delivered, cancelled")
        << "<none>" << QStringList{""}
        << QStringList{"error: No Database Found - Please select Database Location", "directory: /",
                       "error: No Database Selected - Closing Quillmark"}
        << "";
    QTest::newRow("no entry, nothing delivered, picked")
        << "<none>" << QStringList{"$GOOD"}
        << QStringList{"error: No Database Found - Please select Database Location", "directory: /"} << "$GOOD";
}

void TestLocation::locate()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, prompts);
    QFETCH(QString, result);

    SettingsEntry settings(m_ini);
    if (stored != "<none>")
        settings.writeDirectory(expand(stored));
    test::ScriptedDialogs dialogs;
    for (const QString &c : chosen)
        dialogs.queueDirectory(expand(c));
    DatabaseLocator locator(dialogs, settings, m_delivered);
    locator.setStartDirectory("/");

    QCOMPARE(locator.LocateDatabase(), expand(result));
    QCOMPARE(dialogs.texts(), expand(prompts));
    QVERIFY(dialogs.allAnswersUsed());
    for (const auto &p : dialogs.prompts())
        if (p.kind == "directory")
            QCOMPARE(p.mode, DirectoryMode::ExistingOnly);
}

void TestLocation::firstRunRefusesFolderWithDatabaseThenMoves()
{
    QDir().mkpath(m_delivered);
    CreateEmptyDatabaseFile(QDir(m_delivered).filePath(kDatabaseFileName));
    SettingsEntry settings(m_ini);
    test::ScriptedDialogs dialogs;
    dialogs.queueDirectory(m_good->path());
    dialogs.queueDirectory(m_empty);
    DatabaseLocator locator(dialogs, settings, m_delivered);
    locator.setStartDirectory("/");

    QCOMPARE(locator.LocateDatabase(), m_empty);
    QCOMPARE(dialogs.texts(),
             expand(QStringList{"information: First Time User - Please Select Location for Quillmark Database",
                                "directory: /", "error: Invalid Directory - Already contains a Quillmark Database",
                                "directory: $GOOD"}));
    QCOMPARE(dialogs.prompts().at(1).mode, DirectoryMode::AllowNew);
    QVERIFY(DatabaseLocator::HoldsDatabase(m_empty));
    QVERIFY(QDir(m_delivered).isEmpty());
    QCOMPARE(settings.readDirectory(), m_empty);
}

void TestLocation::firstRunCreatesTypedFolderAfterAsking()
{
    QDir().mkpath(m_delivered);
    CreateEmptyDatabaseFile(QDir(m_delivered).filePath(kDatabaseFileName));
    SettingsEntry settings(m_ini);
    test::ScriptedDialogs dialogs;
    const QString typed = m_root->filePath("new/counts");
    dialogs.queueDirectory(typed);
    dialogs.queueAnswer(MessageAnswer::No); // not this one
    dialogs.queueDirectory(typed);
    dialogs.queueAnswer(MessageAnswer::Yes);
    DatabaseLocator locator(dialogs, settings, m_delivered);

    QCOMPARE(locator.LocateDatabase(), typed);
    QVERIFY2(dialogs.prompts().size() == 5, qPrintable(dialogs.texts().join(" | ")));
    QCOMPARE(dialogs.prompts().at(2).kind, QStringLiteral("confirmation"));
    QVERIFY(dialogs.prompts().at(2).text.contains(typed));
    QCOMPARE(dialogs.prompts().at(3).text, typed); // the chooser reopens where it was left
    QVERIFY(DatabaseLocator::HoldsDatabase(typed));
    QVERIFY(dialogs.allAnswersUsed());
}

void TestLocation::firstRunCancelMovesNothing()
{
    QDir().mkpath(m_delivered);
    CreateEmptyDatabaseFile(QDir(m_delivered).filePath(kDatabaseFileName));
    SettingsEntry settings(m_ini);
    test::ScriptedDialogs dialogs;
    dialogs.queueDirectory("");
    DatabaseLocator locator(dialogs, settings, m_delivered);

    QCOMPARE(locator.LocateDatabase(), QString());
    QCOMPARE(dialogs.texts().last(), QStringLiteral("error: No Database Selected - Closing Quillmark"));
    QVERIFY(DatabaseLocator::HoldsDatabase(m_delivered));
    QCOMPARE(settings.readDirectory(), SettingsEntry::kMissing);
}

void TestLocation::firstRunFailedMoveRemembersChosenFolder()
{
    QDir().mkpath(m_delivered); // delivered folder present but its database missing
    SettingsEntry settings(m_ini);
    test::ScriptedDialogs dialogs;
    dialogs.queueDirectory(m_empty);
    DatabaseLocator locator(dialogs, settings, m_delivered);

    QVERIFY_THROWS_EXCEPTION(FileError, locator.LocateDatabase());
    QCOMPARE(locator.chosenDirectory(), m_empty);
    QCOMPARE(settings.readDirectory(), m_empty);
}

void TestLocation::dataModuleConnectsAndWritesBack()
{
    SettingsEntry settings(m_ini);
    settings.writeDirectory("  " + m_good->path() + "  ");
    test::ScriptedDialogs dialogs;
    {
        DataModule dm(dialogs, settings, {m_delivered, "/", {}, {}});
        QVERIFY(dm.start());
        QVERIFY(dm.database().isOpen());
        QCOMPARE(dm.database().connectionName(), QStringLiteral("APPFPDB"));
        QCOMPARE(dm.database().parameter(), "path=" + m_good->path());
        QCOMPARE(dm.state().databaseDir, m_good->path());
        QVERIFY(dm.catalogueCursor().isOpen());
        QVERIFY(dm.catalogueCursor().hasField("TypeValue"));
        QCOMPARE(dm.state().currentCountId, 0);
        QVERIFY(!dm.state().debug);
        // The trimmed folder is written back as soon as it is connected.
        QCOMPARE(QSettings(m_ini, QSettings::IniFormat).value("Files/DBDirectory").toString(), m_good->path());
        settings.writeDirectory("overwritten meanwhile");
    }
    // ... and again when the data module goes away.
    QCOMPARE(settings.readDirectory(), m_good->path());
    QVERIFY(dialogs.prompts().isEmpty());
}

void TestLocation::dataModuleEndsWhenNothingChosen()
{
    SettingsEntry settings(m_ini);
    test::ScriptedDialogs dialogs;
    dialogs.queueDirectory("");
    {
        DataModule dm(dialogs, settings, {m_delivered, "/", {}, {}});
        QVERIFY(!dm.start());
        QVERIFY(!dm.database().isOpen());
    }
    QCOMPARE(settings.readDirectory(), SettingsEntry::kMissing);
}

QTEST_GUILESS_MAIN(TestLocation)
#include "test_location.moc"
