#include "scripteddialogs.h"

#include "views/dockpanel.h"
#include "views/messageboxroutine.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace qm;

namespace {

// Notes what the panels looked like at the moment each box was shown.
class WatchingDialogs : public test::ScriptedDialogs
{
public:
    QList<TDockPanel *> panels;
    QList<bool> topmostDuring;
    QList<bool> stayOnTopDuring;

    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        for (TDockPanel *p : panels) {
            topmostDuring << p->isTopmost();
            stayOnTopDuring << p->stayOnTop();
        }
        return ScriptedDialogs::message(kind, text, buttons);
    }
};

struct Page
{
    std::unique_ptr<TDockSite> site;
    TDockPanel *panel = nullptr;
    QPushButton *ok = nullptr;
};

Page makePage(const QString &siteName, const QString &panelName, const QString &title, int x)
{
    Page page;
    page.site = std::make_unique<TDockSite>(panelName);
    page.site->setObjectName(siteName);
    page.site->setCentralWidget(new QTreeWidget);
    page.panel = new TDockPanel(panelName, title, page.site.get());
    auto *content = new QWidget;
    page.ok = new QPushButton("OK", content);
    page.ok->setGeometry(10, 200, 75, 30);
    content->setMinimumSize(200, 260);
    page.panel->setWidget(content);
    page.panel->setReferenceButton(page.ok);
    page.site->AttachPanel(page.panel);
    page.site->setGeometry(x, 40, 800, 600);
    page.site->show();
    return page;
}

} // namespace

class TestDockPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hiddenFloatingPanelComesBackDocked();
    void dragEndDocksOnlyOverOwnSite_data();
    void dragEndDocksOnlyOverOwnSite();
    void stayOnTopReleasedAroundMessage();
    void applicationFocusLowersAndRaises();
    void checkItemFollowsPanel();
    void closeBoxHidesPanel();

private:
    Page m_trans;
    Page m_files;
};

void TestDockPanel::init()
{
    m_trans = makePage("TransDockPanel", "TransPanel", "Transaction Properties", 0);
    m_files = makePage("FilesDockPanel", "FilesPanel", "File Properties", 1000);
}

void TestDockPanel::cleanup()
{
    m_trans.site.reset();
    m_files.site.reset();
}

void TestDockPanel::hiddenFloatingPanelComesBackDocked()
{
    TDockPanel *panel = m_trans.panel;
    QList<bool> seen;
    connect(panel, &TDockPanel::OnVisibleChange, this, [&](TDockPanel *p) { seen << p->IsPanelVisible(); });
    panel->setFloating(true);
    QVERIFY(panel->isFloating());
    panel->SetPanelVisible(false);
    QVERIFY(!panel->IsPanelVisible());
    panel->SetPanelVisible(true);
    QVERIFY(panel->IsPanelVisible());
    QVERIFY(!panel->isFloating());
    QCOMPARE(m_trans.site->dockWidgetArea(panel), Qt::RightDockWidgetArea);
    // The handler runs before each change and sees the visibility it ends.
    QCOMPARE(seen, QList<bool>({true, false}));
    // Asking for the visibility it already has changes nothing.
    panel->SetPanelVisible(true);
    QCOMPARE(seen.size(), 2);
}

void TestDockPanel::dragEndDocksOnlyOverOwnSite_data()
{
    QTest::addColumn<bool>("filesPanel");
    QTest::addColumn<QString>("over");
    QTest::addColumn<bool>("docked");
    QTest::newRow("own panel over its corner") << false << "trans" << true;
    QTest::newRow("own panel elsewhere") << false << "away" << false;
    QTest::newRow("other panel over this corner") << true << "trans" << false;
    QTest::newRow("own site refusing docking") << false << "refusing" << false;
}

void TestDockPanel::dragEndDocksOnlyOverOwnSite()
{
    QFETCH(bool, filesPanel);
    QFETCH(QString, over);
    QFETCH(bool, docked);
    TDockPanel *panel = filesPanel ? m_files.panel : m_trans.panel;
    TDockSite *ownSite = filesPanel ? m_files.site.get() : m_trans.site.get();
    if (over == "refusing")
        m_trans.site->setDockingEnabled(false);
    panel->setFloating(true);
    panel->resize(220, 400);
    const QPoint corner = m_trans.site->DockCorner();
    panel->move(over == "away" ? corner + QPoint(300, 100) : corner - QPoint(20, 20));
    panel->EndDrag();

    QCOMPARE(!panel->isFloating(), docked);
    QCOMPARE(panel->parentWidget(), ownSite);
    if (!docked) {
        // A floating window is cut to the OK button's top plus two and a
        // half of its heights, and carries the panel's title.
        QCOMPARE(panel->height(), 200 + 75);
        QCOMPARE(panel->windowTitle(), filesPanel ? QString("File Properties") : QString("Transaction Properties"));
    }
    QVERIFY(!m_trans.site->DockPanel(m_files.panel));
    QVERIFY(!m_files.site->AcceptsPanel(m_trans.panel));
}

void TestDockPanel::stayOnTopReleasedAroundMessage()
{
    WatchingDialogs inner;
    MessageBoxRoutine routine(inner);
    routine.addPanel(m_trans.panel);
    routine.addPanel(m_files.panel);
    inner.panels = {m_trans.panel, m_files.panel};

    m_trans.panel->setFloating(true);
    m_trans.panel->move(200, 150);
    m_trans.panel->RestoreStayOnTop();
    QVERIFY(m_trans.panel->isTopmost());
    const QRect where = m_trans.panel->geometry();

    inner.queueAnswer(MessageAnswer::No);
    QCOMPARE(routine.message(MessageKind::Confirmation, "Save Changes to Count?", MessageButtons::YesNoCancel),
             MessageAnswer::No);
    QCOMPARE(inner.texts(), QStringList({"confirmation: Save Changes to Count?"}));
    // Lowered while the box was up, the docked panel included.
    QCOMPARE(inner.topmostDuring, QList<bool>({false, false}));
    QCOMPARE(inner.stayOnTopDuring, QList<bool>({false, false}));
    // On top again afterwards, still visible and where it was.
    QVERIFY(m_trans.panel->isTopmost());
    QVERIFY(m_trans.panel->stayOnTop() && m_files.panel->stayOnTop());
    QVERIFY(m_trans.panel->isVisible());
    QCOMPARE(m_trans.panel->geometry(), where);
    // A docked panel is no window of its own and never gets the flag.
    QVERIFY(!m_files.panel->isTopmost());

    {
        MessageBoxRoutine::PanelsLowered lowered(routine);
        QVERIFY(!m_trans.panel->isTopmost());
    }
    QVERIFY(m_trans.panel->isTopmost());
}

void TestDockPanel::applicationFocusLowersAndRaises()
{
    TDockPanel *panel = m_trans.panel;
    panel->setFollowApplicationState(true);
    panel->setFloating(true);
    panel->RestoreStayOnTop();
    QVERIFY(panel->isTopmost());

    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(!panel->isTopmost());
    QVERIFY(panel->stayOnTop());
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(panel->isTopmost());

    // A panel that was released stays down when the application returns.
    panel->ReleaseStayOnTop();
    panel->OnAppDeactivate();
    panel->OnAppActivate();
    QVERIFY(!panel->isTopmost());

    panel->RestoreStayOnTop();
    panel->setFollowApplicationState(false);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(panel->isTopmost());
}

void TestDockPanel::checkItemFollowsPanel()
{
    QMenu menu;
    QAction *item = AddPanelCheckItem(&menu, "&Transaction Properties", m_trans.panel);
    QVERIFY(item->isChecked());
    m_trans.panel->setFloating(true);
    m_trans.panel->SetPanelVisible(false);
    emit menu.aboutToShow();
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(m_trans.panel->IsPanelVisible());
    QVERIFY(!m_trans.panel->isFloating());
    item->trigger();
    QVERIFY(!m_trans.panel->IsPanelVisible());
}

void TestDockPanel::closeBoxHidesPanel()
{
    QSignalSpy spy(m_files.panel, &TDockPanel::OnVisibleChange);
    m_files.panel->setFloating(true);
    m_files.panel->close();
    QVERIFY(!m_files.panel->IsPanelVisible());
    QCOMPARE(spy.count(), 1);
    m_files.site->ShowPanelDocked();
    QVERIFY(m_files.panel->IsPanelVisible());
    QVERIFY(!m_files.panel->isFloating());
}

QTEST_MAIN(TestDockPanel)
#include "test_dockpanel.moc"
