#include "catalogue/firstform.h"

#include "store/appstate.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace qm {

TFirstForm::TFirstForm(AppState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("TFirstForm"));
    setWindowTitle(QStringLiteral("Select Count"));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("DBTreeViewCount"));
    m_tree->header()->hide();
    setCentralWidget(m_tree);
    buildMenus();
    buildToolBars();
    buildStatusBar();
    resize(900, 640);
}

QAction *TFirstForm::addItem(QMenu *menu, const QString &caption, bool enabled)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(caption);
    a->setEnabled(enabled);
    return a;
}

QAction *TFirstForm::action(const QString &caption) const
{
    const auto all = findChildren<QAction *>();
    for (QAction *a : all)
        if (a->text() == caption)
            return a;
    return nullptr;
}

// Commands whose windows are not part of the program yet stay visible but
// disabled, so the menus already read as they will.
void TFirstForm::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    addItem(file, QStringLiteral("New Base Count..."), false);
    addItem(file, QStringLiteral("New Enhancement Count..."), false);
    addItem(file, QStringLiteral("&Open..."), false);
    addItem(file, QStringLiteral("Import..."), false);
    file->addSeparator();
    addItem(file, QStringLiteral("Delete Count"), false);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu *bars = view->addMenu(QStringLiteral("&ToolBars"));
    QAction *mainBar = addItem(bars, QStringLiteral("Main Toolbar"));
    QAction *hierarchyBar = addItem(bars, QStringLiteral("Hierarchy Toolbar"));
    for (QAction *a : {mainBar, hierarchyBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(mainBar, &QAction::toggled, this, [this](bool on) { m_mainBar->setVisible(on); });
    connect(hierarchyBar, &QAction::toggled, this, [this](bool on) { m_hierarchyBar->setVisible(on); });
    view->addSeparator();
    QAction *props = addItem(view, QStringLiteral("Count Properties"), false);
    props->setCheckable(true);
    props->setChecked(true);
    view->addSeparator();
    QMenu *hier = view->addMenu(QStringLiteral("Count Hierarchy"));
    addItem(hier, QStringLiteral("Expand All"), false);
    addItem(hier, QStringLiteral("Collapse All"), false);
    hier->addSeparator();
    addItem(hier, QStringLiteral("Expand All (+1 Level)"), false);
    addItem(hier, QStringLiteral("Collapse All (-1 Level)"), false);
    hier->addSeparator();
    addItem(hier, QStringLiteral("Expand Selected (+1 Level)"), false);
    addItem(hier, QStringLiteral("Collapse Selected (-1 Level)"), false);

    QMenu *db = menuBar()->addMenu(QStringLiteral("Database"));
    addItem(db, QStringLiteral("Database Location..."), false);
    addItem(db, QStringLiteral("Compact Database"), false);
    db->addSeparator();
    addItem(db, QStringLiteral("Backup Database..."), false);
    db->addSeparator();
    addItem(db, QStringLiteral("Restore Database..."), false);

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
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
}

void TFirstForm::buildToolBars()
{
    auto button = [](QToolBar *bar, const QString &hint, QStyle::StandardPixmap icon) {
        QAction *a = bar->addAction(bar->style()->standardIcon(icon), hint);
        a->setToolTip(hint);
        a->setEnabled(false);
        return a;
    };
    m_mainBar = addToolBar(QStringLiteral("Main Toolbar"));
    m_mainBar->setObjectName(QStringLiteral("MainToolBar"));
    button(m_mainBar, QStringLiteral("New Base Count"), QStyle::SP_FileIcon);
    button(m_mainBar, QStringLiteral("New Enhancement Count"), QStyle::SP_FileDialogNewFolder);
    m_mainBar->addSeparator();
    button(m_mainBar, QStringLiteral("Delete Count"), QStyle::SP_TrashIcon);
    m_mainBar->addSeparator();
    button(m_mainBar, QStringLiteral("Previous Count"), QStyle::SP_ArrowUp);
    button(m_mainBar, QStringLiteral("Next Count"), QStyle::SP_ArrowDown);
    m_mainBar->addSeparator();
    m_systemFilter = new QComboBox(m_mainBar);
    m_systemFilter->setObjectName(QStringLiteral("SystemFilter"));
    m_systemFilter->setToolTip(QStringLiteral("Filter System"));
    m_systemFilter->setFixedWidth(145);
    m_systemFilter->addItem(QString());
    m_mainBar->addWidget(m_systemFilter);

    m_hierarchyBar = addToolBar(QStringLiteral("Hierarchy Toolbar"));
    m_hierarchyBar->setObjectName(QStringLiteral("HierarchyToolBar"));
    button(m_hierarchyBar, QStringLiteral("Expand All"), QStyle::SP_ToolBarVerticalExtensionButton);
    button(m_hierarchyBar, QStringLiteral("Collapse All"), QStyle::SP_ToolBarHorizontalExtensionButton);
    button(m_hierarchyBar, QStringLiteral("Expand All (+1)"), QStyle::SP_ArrowRight);
    button(m_hierarchyBar, QStringLiteral("Collapse All (-1)"), QStyle::SP_ArrowLeft);
    button(m_hierarchyBar, QStringLiteral("Expand Selected (+1)"), QStyle::SP_MediaSeekForward);
    button(m_hierarchyBar, QStringLiteral("Collapse Selected (-1)"), QStyle::SP_MediaSeekBackward);
}

void TFirstForm::buildStatusBar()
{
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("ProgressPanel"));
    m_progress->setFixedWidth(100);
    m_filterText = new QLabel(this);
    m_filterText->setObjectName(QStringLiteral("FilterPanel"));
    m_filterText->setMinimumWidth(50);
    statusBar()->addWidget(m_progress);
    statusBar()->addWidget(m_filterText, 1);
}

} // namespace qm
