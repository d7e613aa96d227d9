#include "catalogue/firstform.h"

#include "backup/backupfile.h"
#include "backup/databasebackup.h"
#include "catalogue/catalogueicons.h"
#include "catalogue/countdetails.h"
#include "store/databasecheck.h"
#include "counting/codes.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "views/dbtreeview.h"
#include "views/dockpanel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

namespace qm {

TFirstForm::TFirstForm(DataModule &data, SettingsEntry &settings, QWidget *parent)
    : QMainWindow(parent),
      m_data(data),
      m_settings(settings),
      m_state(data.state()),
      m_dialogs(data.dialogs()),
      m_workingCopy(data.workingCopy()),
      m_backupFile(std::make_unique<TBackupFile>(&data.dialogs()))
{
    setObjectName(QStringLiteral("TFirstForm"));
    setWindowTitle(QStringLiteral("Select Count"));
    m_editorRunner = [this] { runDefaultEditor(); };
    buildCountView();
    buildMenus();
    buildToolBars();
    buildStatusBar();
    configureTree();
    ConfigureDatabaseBackup(*m_backupFile, IsQuillmarkDatabaseFile);
    installArchiveHandlers();
    resize(900, 640);
}

TFirstForm::~TFirstForm() = default;

void TFirstForm::setEditorRunner(EditorRunner runner)
{
    m_editorRunner = runner ? std::move(runner) : EditorRunner([this] { runDefaultEditor(); });
}

// Until the count editor is wired in, an empty modal window stands in for
// it and leaves the flags the editor leaves when it closes.
void TFirstForm::runDefaultEditor()
{
    QDialog editor(this);
    editor.setWindowTitle(QStringLiteral("Quillmark"));
    editor.resize(800, 600);
    editor.exec();
    m_state.editorJustClosed = true;
}

// --- Actions ---

QAction *TFirstForm::newAction(const QString &caption, const QIcon &icon)
{
    QAction *&a = m_actions[caption];
    if (!a) {
        a = new QAction(caption, this);
        a->setObjectName(caption);
        a->setToolTip(caption);
    }
    if (!icon.isNull())
        a->setIcon(icon);
    return a;
}

QAction *TFirstForm::addItem(QMenu *menu, const QString &caption)
{
    QAction *a = newAction(caption);
    menu->addAction(a);
    return a;
}

QAction *TFirstForm::action(const QString &caption) const
{
    return m_actions.value(caption);
}

// --- Menus ---

void TFirstForm::buildMenus()
{
    buildFileMenu();
    buildViewMenu();
    buildDatabaseMenu();

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(addItem(help, QStringLiteral("&Help Topics")), &QAction::triggered, this,
            &TFirstForm::helpTopicsRequested);
    connect(addItem(help, QStringLiteral("About...")), &QAction::triggered, this, &TFirstForm::aboutRequested);

    // Hidden: its shortcut works, its menu is never shown.
    QMenu *debug = menuBar()->addMenu(QStringLiteral("Debug"));
    debug->menuAction()->setVisible(false);
    QAction *toggle = addItem(debug, QStringLiteral("Debug"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    toggle->setShortcutContext(Qt::ApplicationShortcut);
    addAction(toggle);
    connect(toggle, &QAction::triggered, this, [this] { m_state.debug = !m_state.debug; });
    addMnemonics();
}

// Keys for keyboard users. The actions keep their plain captions as names,
// shared with the toolbar buttons; only the menu text gains its "&".
void TFirstForm::addMnemonics()
{
    static const QList<std::pair<QString, QString>> marked = {
        {QStringLiteral("New Base Count..."), QStringLiteral("New &Base Count...")},
        {QStringLiteral("New Enhancement Count..."), QStringLiteral("New &Enhancement Count...")},
        {QStringLiteral("Import..."), QStringLiteral("&Import...")},
        {QStringLiteral("Delete Count"), QStringLiteral("&Delete Count")},
        {QStringLiteral("Main Toolbar"), QStringLiteral("&Main Toolbar")},
        {QStringLiteral("Hierarchy Toolbar"), QStringLiteral("&Hierarchy Toolbar")},
        {QStringLiteral("Count Properties"), QStringLiteral("Count &Properties")},
        {QStringLiteral("Expand All"), QStringLiteral("&Expand All")},
        {QStringLiteral("Collapse All"), QStringLiteral("&Collapse All")},
        {QStringLiteral("Expand All (+1 Level)"), QStringLiteral("E&xpand All (+1 Level)")},
        {QStringLiteral("Collapse All (-1 Level)"), QStringLiteral("C&ollapse All (-1 Level)")},
        {QStringLiteral("Expand Selected (+1 Level)"), QStringLiteral("Expand &Selected (+1 Level)")},
        {QStringLiteral("Collapse Selected (-1 Level)"), QStringLiteral("Co&llapse Selected (-1 Level)")},
        {QStringLiteral("Database Location..."), QStringLiteral("Database &Location...")},
        {QStringLiteral("Compact Database"), QStringLiteral("&Compact Database")},
        {QStringLiteral("Backup Database..."), QStringLiteral("&Backup Database...")},
        {QStringLiteral("Restore Database..."), QStringLiteral("&Restore Database...")},
        {QStringLiteral("About..."), QStringLiteral("&About...")},
    };
    for (const auto &[caption, text] : marked)
        if (QAction *a = action(caption))
            a->setText(text);
}

void TFirstForm::buildFileMenu()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(addItem(file, QStringLiteral("New Base Count...")), &QAction::triggered, this,
            [this] { NewCount(code::CountBase); });
    connect(addItem(file, QStringLiteral("New Enhancement Count...")), &QAction::triggered, this,
            [this] { NewCount(code::CountEnhancement); });
    connect(addItem(file, QStringLiteral("&Open...")), &QAction::triggered, this, &TFirstForm::OpenCount);
    // Offered once the program hands in the import wizard.
    QAction *import = addItem(file, QStringLiteral("Import..."));
    import->setEnabled(false);
    connect(import, &QAction::triggered, this, &TFirstForm::ImportCount);
    file->addSeparator();
    QAction *del = addItem(file, QStringLiteral("Delete Count"));
    del->setIcon(icons::DeleteCount());
    connect(del, &QAction::triggered, this, &TFirstForm::DeleteSelectedCount);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);
}

void TFirstForm::buildViewMenu()
{
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    QMenu *bars = view->addMenu(QStringLiteral("&ToolBars"));
    QAction *mainBar = addItem(bars, QStringLiteral("Main Toolbar"));
    QAction *hierarchyBar = addItem(bars, QStringLiteral("Hierarchy Toolbar"));
    for (QAction *a : {mainBar, hierarchyBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(mainBar, &QAction::toggled, this, [this](bool on) {
        m_mainBar->setVisible(on);
        update();
    });
    connect(hierarchyBar, &QAction::toggled, this, [this](bool on) {
        m_hierarchyBar->setVisible(on);
        update();
    });
    view->addSeparator();
    QAction *props = AddPanelCheckItem(view, QStringLiteral("Count Properties"), m_panel);
    props->setObjectName(props->text());
    m_actions.insert(props->text(), props);
    view->addSeparator();

    QMenu *hier = view->addMenu(QStringLiteral("Count &Hierarchy"));
    const auto command = [this](QMenu *menu, const QString &caption, std::function<void()> run) {
        QAction *a = addItem(menu, caption);
        connect(a, &QAction::triggered, this, [this, run] { runHierarchyCommand(run); });
    };
    const auto selected = [this] { return m_tree->SelectedNode(); };
    command(hier, QStringLiteral("Expand All"), [this] { m_tree->ExpandAll(); });
    command(hier, QStringLiteral("Collapse All"), [this] { m_tree->CollapseAll(); });
    hier->addSeparator();
    command(hier, QStringLiteral("Expand All (+1 Level)"), [this] { m_tree->ExpandOneLevel(nullptr); });
    command(hier, QStringLiteral("Collapse All (-1 Level)"), [this] { m_tree->CollapseOneLevel(nullptr); });
    hier->addSeparator();
    command(hier, QStringLiteral("Expand Selected (+1 Level)"),
            [this, selected] { m_tree->ExpandOneLevel(selected()); });
    command(hier, QStringLiteral("Collapse Selected (-1 Level)"),
            [this, selected] { m_tree->CollapseOneLevel(selected()); });
}

void TFirstForm::buildDatabaseMenu()
{
    QMenu *db = menuBar()->addMenu(QStringLiteral("&Database"));
    connect(addItem(db, QStringLiteral("Database Location...")), &QAction::triggered, this,
            &TFirstForm::ChangeDatabaseLocation);
    connect(addItem(db, QStringLiteral("Compact Database")), &QAction::triggered, this,
            &TFirstForm::CompactDatabase);
    db->addSeparator();
    connect(addItem(db, QStringLiteral("Backup Database...")), &QAction::triggered, this,
            &TFirstForm::BackupDatabase);
    db->addSeparator();
    connect(addItem(db, QStringLiteral("Restore Database...")), &QAction::triggered, this,
            &TFirstForm::RestoreDatabase);
}

// --- Toolbars and status bar ---

void TFirstForm::buildToolBars()
{
    const auto prepare = [this](const QString &title, const QString &name) {
        QToolBar *bar = addToolBar(title);
        bar->setObjectName(name);
        bar->setFloatable(false);
        bar->setIconSize(QSize(16, 16));
        // Its visibility belongs to the View menu alone.
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        return bar;
    };
    m_mainBar = prepare(QStringLiteral("Main Toolbar"), QStringLiteral("MainToolBar"));
    QAction *newBase = newAction(QStringLiteral("New Base Count"), icons::NewBaseCount());
    QAction *newEnh = newAction(QStringLiteral("New Enhancement Count"), icons::NewEnhancementCount());
    connect(newBase, &QAction::triggered, this, [this] { NewCount(code::CountBase); });
    connect(newEnh, &QAction::triggered, this, [this] { NewCount(code::CountEnhancement); });
    m_mainBar->addAction(newBase);
    m_mainBar->addAction(newEnh);
    m_mainBar->addSeparator();
    m_mainBar->addAction(action(QStringLiteral("Delete Count")));
    m_mainBar->addSeparator();
    QAction *prev = newAction(QStringLiteral("Previous Count"), icons::PreviousCount());
    QAction *next = newAction(QStringLiteral("Next Count"), icons::NextCount());
    connect(prev, &QAction::triggered, this, &TFirstForm::selectPrevious);
    connect(next, &QAction::triggered, this, &TFirstForm::selectNext);
    m_mainBar->addAction(prev);
    m_mainBar->addAction(next);
    m_mainBar->addSeparator();
    m_systemFilter = new QComboBox(m_mainBar);
    m_systemFilter->setObjectName(QStringLiteral("SystemFilter"));
    m_systemFilter->setToolTip(QStringLiteral("Filter System"));
    m_systemFilter->setFixedWidth(145);
    m_systemFilter->addItem(QString(), QString());
    connect(m_systemFilter, &QComboBox::activated, this, &TFirstForm::onSystemChosen);
    m_mainBar->addWidget(m_systemFilter);

    // The hierarchy buttons share the menu's commands; the four one-level
    // buttons carry shorter captions of their own.
    m_hierarchyBar = prepare(QStringLiteral("Hierarchy Toolbar"), QStringLiteral("HierarchyToolBar"));
    m_hierarchyBar->addAction(newAction(QStringLiteral("Expand All"), icons::ExpandAll()));
    m_hierarchyBar->addAction(newAction(QStringLiteral("Collapse All"), icons::CollapseAll()));
    const std::pair<QString, QString> sameCommand[] = {
        {QStringLiteral("Expand All (+1)"), QStringLiteral("Expand All (+1 Level)")},
        {QStringLiteral("Collapse All (-1)"), QStringLiteral("Collapse All (-1 Level)")},
        {QStringLiteral("Expand Selected (+1)"), QStringLiteral("Expand Selected (+1 Level)")},
        {QStringLiteral("Collapse Selected (-1)"), QStringLiteral("Collapse Selected (-1 Level)")},
    };
    const QIcon pictures[] = {icons::ExpandAllOneLevel(), icons::CollapseAllOneLevel(), icons::ExpandSelected(),
                              icons::CollapseSelected()};
    for (int i = 0; i < 4; ++i) {
        QAction *button = newAction(sameCommand[i].first, pictures[i]);
        QAction *menuItem = action(sameCommand[i].second);
        menuItem->setIcon(pictures[i]);
        connect(button, &QAction::triggered, menuItem, &QAction::trigger);
        m_hierarchyBar->addAction(button);
    }
}

void TFirstForm::buildStatusBar()
{
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("ProgressPanel"));
    m_progress->setMinimumWidth(100);
    m_filterText = new QLabel(this);
    m_filterText->setObjectName(QStringLiteral("FilterPanel"));
    m_filterText->setMinimumWidth(50);
    statusBar()->addWidget(m_progress);
    statusBar()->addWidget(m_filterText, 1);
}

void TFirstForm::showProgress(const QString &text)
{
    m_progress->setText(text);
    // Long commands run without returning to the event loop: paint now.
    m_progress->repaint();
}

// --- The tree and its properties panel ---

void TFirstForm::buildCountView()
{
    m_site = new TDockSite(QStringLiteral("CountPanel"), this);
    m_site->setObjectName(QStringLiteral("CountDockPanel"));
    m_tree = new TDBTreeView(m_site);
    m_tree->setObjectName(QStringLiteral("DBTreeViewCount"));
    m_site->setCentralWidget(m_tree);
    setCentralWidget(m_site);

    m_panel = new TDockPanel(QStringLiteral("CountPanel"), QStringLiteral("Count Properties"), m_site);
    m_details = new CountDetails(m_data.catalogueCursor(), m_panel);
    m_panel->setWidget(m_details);
    m_panel->setReferenceButton(m_details->openButton());
    m_site->AttachPanel(m_panel);
    connect(m_details, &CountDetails::openRequested, this, &TFirstForm::OpenCount);
    // Docked, the panel is only as tall as its content; floating, the
    // panel's own rule sets the window's height.
    connect(m_panel, &QDockWidget::topLevelChanged, this, [this] { fitDockedPanel(); });
}

void TFirstForm::fitDockedPanel()
{
    if (m_panel->isFloating()) {
        m_panel->setMaximumHeight(QWIDGETSIZE_MAX);
        return;
    }
    // Docked, the panel ends 10 pixels below its "Open Count..." button; the
    // content's own bottom margin already makes part of that gap.
    const int bottomMargin = m_details->layout()->contentsMargins().bottom();
    m_panel->setMaximumHeight(m_panel->sizeHint().height() - bottomMargin + 10);
}

void TFirstForm::redockPanel()
{
    if (m_panel->IsPanelVisible() && !m_panel->isFloating())
        m_site->DockPanel(m_panel);
}

void TFirstForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        firstShow();
    }
}

void TFirstForm::firstShow()
{
    LoadCountTree();
    // Activation fills the list too, but a window may be shown without
    // ever being activated (no window manager, another program in front).
    LoadSystemList();
    // The splash's hourglass ends once the tree is there.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_site->ShowPanelDocked();
    m_site->resizeDocks({m_panel}, {m_panel->sizeHint().width()}, Qt::Horizontal);
    fitDockedPanel();
}

void TFirstForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFirstForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitDockedPanel();
}

} // namespace qm
