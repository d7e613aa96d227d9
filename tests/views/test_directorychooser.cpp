#include "views/directorychooser.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

// The folder chooser as a user works it: pick a folder in the list, or type
// a name, then press "Select".
class TestDirectoryChooser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void choosing_data();
    void choosing();
    void selectingInTheListChoosesThatFolder();

private:
    QTemporaryDir m_root;
};

namespace {

QPushButton *selectButton(DirectoryChooser &chooser)
{
    auto *box = chooser.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    return box ? box->button(QDialogButtonBox::Open) : nullptr;
}

void typeName(DirectoryChooser &chooser, const QString &name)
{
    auto *edit = chooser.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    if (name.isEmpty())
        edit->clear();
    else
        QTest::keyClicks(edit, name);
    // The button follows the text once pending events have run.
    QTest::qWait(20);
}

} // namespace

void TestDirectoryChooser::initTestCase()
{
    QVERIFY(m_root.isValid());
    QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("Counts/Older")));
    QFile file(m_root.filePath(QStringLiteral("notes.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

void TestDirectoryChooser::choosing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    // Relative to the temporary root; empty when nothing may be chosen.
    QTest::addColumn<QString>("expected");

    const int existing = int(DirectoryMode::ExistingOnly);
    const int allowNew = int(DirectoryMode::AllowNew);
    QTest::newRow("existing folder typed") << allowNew << "Counts" << "Counts";
    QTest::newRow("existing folder, existing only") << existing << "Counts" << "Counts";
    QTest::newRow("nested folder typed") << allowNew << "Counts/Older" << "Counts/Older";
    QTest::newRow("nothing typed chooses the shown folder") << allowNew << "" << ".";
    QTest::newRow("new name allowed") << allowNew << "Fresh" << "Fresh";
    QTest::newRow("new name refused when it must exist") << existing << "Fresh" << "";
    QTest::newRow("a file is not a folder") << allowNew << "notes.txt" << "";
}

void TestDirectoryChooser::choosing()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    DirectoryChooser chooser(nullptr, QStringLiteral("Quillmark"), m_root.path(), DirectoryMode(mode));
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    typeName(chooser, typed);

    QPushButton *button = selectButton(chooser);
    QVERIFY(button);
    QCOMPARE(button->isEnabled(), !expected.isEmpty());
    if (expected.isEmpty()) {
        // Even forced, a refused name is never returned as the choice.
        QTimer::singleShot(200, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        chooser.accept();
        QVERIFY(chooser.chosenDirectory().isEmpty());
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QCOMPARE(chooser.chosenDirectory(), QDir::cleanPath(QDir(m_root.path()).absoluteFilePath(expected)));
}

void TestDirectoryChooser::selectingInTheListChoosesThatFolder()
{
    DirectoryChooser chooser(nullptr, QStringLiteral("Quillmark"), m_root.path(), DirectoryMode::AllowNew);
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));

    auto *model = chooser.findChild<QFileSystemModel *>();
    // The folder list is shown as a list or as details, whichever is visible.
    QAbstractItemView *list = chooser.findChild<QListView *>(QStringLiteral("listView"));
    if (!list || !list->isVisible())
        list = chooser.findChild<QAbstractItemView *>(QStringLiteral("treeView"));
    QVERIFY(model && list && list->isVisible());
    const QString target = m_root.filePath(QStringLiteral("Counts"));
    QTRY_VERIFY(model->index(target).isValid());
    QTRY_VERIFY(list->visualRect(model->index(target)).isValid());

    // A single click selects; it does not open the folder.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model->index(target)).center());
    QTest::qWait(20);
    QCOMPARE(QDir(chooser.directory()).absolutePath(), QDir(m_root.path()).absolutePath());

    QPushButton *button = selectButton(chooser);
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QCOMPARE(chooser.chosenDirectory(), QDir::cleanPath(target));
}

QTEST_MAIN(TestDirectoryChooser)
#include "test_directorychooser.moc"
