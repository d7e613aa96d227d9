#include "editor/editorcommands.h"

#include "editor/editoricons.h"
#include "views/dockpanel.h"
#include "views/iconpainter.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace qm {

namespace {

const QStringList kModeMenuCaptions = {QStringLiteral("Type &/ Change Type"), QStringLiteral("Transaction &Breakdown"),
                                       QStringLiteral("&Type"), QStringLiteral("&Change Type")};
const QStringList kModeButtonCaptions = {QStringLiteral("Type / Change Type"), QStringLiteral("Transaction Breakdown"),
                                         QStringLiteral("Type"), QStringLiteral("Change Type")};
const QStringList kLevelMenuCaptions = {QStringLiteral("+ &1 Level"), QStringLiteral("+ &2 Level"),
                                        QStringLiteral("+ &3 Level")};
const QStringList kLevelButtonCaptions = {QStringLiteral("+ 1 Level"), QStringLiteral("+ 2 Level"),
                                          QStringLiteral("+ 3 Level")};

} // namespace

TEditorCommands::TEditorCommands(QMainWindow *window, TDockPanel *transPanel, TDockPanel *filesPanel)
    : QObject(window), m_window(window)
{
    buildToolBars(window);
    QMenuBar *bar = window->menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    m_menus << file << edit << view;
    buildFileMenu(file);
    buildEditMenu(edit);
    buildViewMenu(view, transPanel, filesPanel);
    buildOtherMenus(window);
}

QAction *TEditorCommands::add(Id id, QMenu *menu, const QString &caption, bool pending)
{
    auto *a = new QAction(caption, m_window);
    a->setObjectName(QStringLiteral("Command%1").arg(int(id)));
    if (menu)
        menu->addAction(a);
    m_actions.insert(id, a);
    if (pending) {
        m_pending.insert(id);
        a->setEnabled(false);
    }
    return a;
}

QAction *TEditorCommands::tool(Id id, const QString &hint, const QIcon &icon, bool pending)
{
    QAction *a = add(id, nullptr, hint, pending);
    a->setToolTip(hint);
    a->setIcon(icon);
    return a;
}

void TEditorCommands::Implement(Id id, std::function<void()> handler)
{
    QAction *a = action(id);
    if (!a)
        return;
    connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    m_pending.remove(id);
    // Commands under the enabling rules are set again at the next update.
    a->setEnabled(true);
}

void TEditorCommands::SetEnabled(Id id, bool on)
{
    if (QAction *a = action(id))
        a->setEnabled(on && !m_pending.contains(id));
}

QMenu *TEditorCommands::menu(const QString &caption) const
{
    for (QMenu *m : m_menus)
        if (m->title() == caption)
            return m;
    return nullptr;
}

void TEditorCommands::buildFileMenu(QMenu *menu)
{
    QAction *save = add(Save, menu, QStringLiteral("&Save"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setToolTip(QStringLiteral("Save"));
    save->setIcon(toolicons::Save());
    add(SaveAsBase, menu, QStringLiteral("Save As New &Base Count"));
    add(SaveAsEnhancement, menu, QStringLiteral("Save As New &Enhancement Count"));
    menu->addSeparator();
    QAction *print = add(Print, menu, QStringLiteral("&Print"));
    print->setToolTip(QStringLiteral("Print Count"));
    print->setIcon(toolicons::Print());
    QAction *preview = add(PrintPreview, menu, QStringLiteral("Print Pre&view"));
    preview->setToolTip(QStringLiteral("Print Preview"));
    preview->setIcon(toolicons::PrintPreview());
    add(PageSetup, menu, QStringLiteral("Page Set&up"));
    menu->addSeparator();
    add(Close, menu, QStringLiteral("&Close"));
    add(Exit, menu, QStringLiteral("E&xit"));

    m_mainBar->addAction(save);
    m_mainBar->addAction(print);
    m_mainBar->addAction(preview);
    m_mainBar->addSeparator();
    m_mainBar->addAction(tool(ToolCut, QStringLiteral("Cut Transaction "), toolicons::Cut()));
    m_mainBar->addAction(tool(ToolCopy, QStringLiteral("Copy Transaction"), toolicons::Copy()));
    m_mainBar->addAction(tool(ToolPaste, QStringLiteral("Paste Transaction"), toolicons::Paste()));
    m_mainBar->addSeparator();
    m_mainBar->addAction(tool(ToolInsertTrans, QStringLiteral("New Transaction"), toolicons::InsertTransaction()));
    m_mainBar->addAction(
        tool(ToolInsertChild, QStringLiteral("New Child Transaction "), toolicons::InsertChildTransaction()));
    m_mainBar->addAction(
        tool(ToolDeleteTrans, QStringLiteral("Delete Transaction"), toolicons::DeleteTransaction()));
    m_mainBar->addAction(
        tool(ToolTransComplexity, QStringLiteral("Transaction Complexity"), toolicons::LinkFiles()));
    m_mainBar->addSeparator();
    m_mainBar->addAction(tool(ToolInsertFile, QStringLiteral("New File"), toolicons::InsertFile()));
    m_mainBar->addAction(tool(ToolDeleteFile, QStringLiteral("Delete File"), toolicons::DeleteFile()));
    m_mainBar->addSeparator();
    m_mainBar->addAction(
        tool(ToolPrevious, QStringLiteral("Previous Transaction/File"), toolicons::Previous()));
    m_mainBar->addAction(tool(ToolNext, QStringLiteral("Next Transaction/File"), toolicons::Next()));
    m_mainBar->addSeparator();
    m_mainBar->addAction(tool(ToolFilter, QStringLiteral("Filter"), toolicons::Filter()));
    m_mainBar->addAction(tool(ToolFilterOff, QStringLiteral("Filter Off"), toolicons::FilterOff()));
    m_mainBar->addSeparator();
}

void TEditorCommands::buildEditMenu(QMenu *menu)
{
    add(MenuCut, menu, QStringLiteral("Cu&t"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    add(MenuCopy, menu, QStringLiteral("&Copy"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    add(MenuPaste, menu, QStringLiteral("&Paste"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    menu->addSeparator();
    add(MenuInsertTrans, menu, QStringLiteral("&Insert Transaction"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    add(MenuInsertChild, menu, QStringLiteral("Insert C&hild Transaction"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    add(MenuDeleteTrans, menu, QStringLiteral("&Delete Transaction"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    add(MenuTransComplexity, menu, QStringLiteral("Transaction Comple&xity..."))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    menu->addSeparator();
    add(MenuInsertFile, menu, QStringLiteral("I&nsert File"))->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    add(MenuDeleteFile, menu, QStringLiteral("D&elete File"))->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    menu->addSeparator();
    QAction *readOnly = add(ReadOnly, menu, QStringLiteral("Read &Only"));
    readOnly->setCheckable(true);
    readOnly->setToolTip(QStringLiteral("Set Read Only"));
    readOnly->setIcon(toolicons::ReadOnly());
    m_mainBar->addAction(readOnly);
}

void TEditorCommands::addToolbarToggle(QMenu *menu, Id id, const QString &caption, QToolBar *bar)
{
    QAction *a = add(id, menu, caption, false);
    a->setCheckable(true);
    a->setChecked(true);
    connect(a, &QAction::triggered, this, [this, bar](bool checked) {
        bar->setVisible(checked);
        m_window->update();
        emit ToolbarsChanged();
    });
    connect(menu, &QMenu::aboutToShow, a, [a, bar] { a->setChecked(!bar->isHidden()); });
}

void TEditorCommands::buildViewMenu(QMenu *menu, TDockPanel *transPanel, TDockPanel *filesPanel)
{
    QMenu *bars = menu->addMenu(QStringLiteral("Toolba&rs"));
    addToolbarToggle(bars, ShowMainToolbar, QStringLiteral("&Main Toolbar"), m_mainBar);
    addToolbarToggle(bars, ShowHierarchyToolbar, QStringLiteral("&Hierarchy Toolbar"), m_hierarchyBar);
    addToolbarToggle(bars, ShowSummaryToolbar, QStringLiteral("&Summary Toolbar"), m_summaryBar);
    menu->addSeparator();
    m_actions.insert(TransProperties, AddPanelCheckItem(menu, QStringLiteral("&Transaction Properties"), transPanel));
    m_actions.insert(FileProperties, AddPanelCheckItem(menu, QStringLiteral("&File Properties"), filesPanel));
    menu->addSeparator();

    QMenu *hierarchy = menu->addMenu(QStringLiteral("Transaction &Hierarchy"));
    using iconpaint::Reach;
    struct Item
    {
        Id id;
        QString caption;
        QString hint;
        bool expand;
        Reach reach;
    };
    const Item items[] = {
        {ExpandAll, QStringLiteral("&Expand All (Full)"), QStringLiteral("Expand All"), true, Reach::All},
        {CollapseAll, QStringLiteral("&Collapse All (Full)"), QStringLiteral("Collapse All"), false, Reach::All},
        {ExpandAllOneLevel, QStringLiteral("E&xpand All (+1 Level)"), QStringLiteral("Expand All (+1)"), true,
         Reach::AllOneLevel},
        {CollapseAllOneLevel, QStringLiteral("C&ollapse All (-1 Level)"), QStringLiteral("Collapse All (-1)"), false,
         Reach::AllOneLevel},
        {ExpandSelectedOneLevel, QStringLiteral("Ex&pand Selected (+1 Level)"), QStringLiteral("Expand Selected (+1)"),
         true, Reach::SelectedOneLevel},
        {CollapseSelectedOneLevel, QStringLiteral("Co&llapse Selected (-1 Level)"),
         QStringLiteral("Collapse Selected (-1)"), false, Reach::SelectedOneLevel},
    };
    for (const Item &item : items) {
        QAction *a = add(item.id, hierarchy, item.caption);
        a->setToolTip(item.hint);
        a->setIcon(iconpaint::Hierarchy(item.expand, item.reach));
        m_hierarchyBar->addAction(a);
    }
    buildSummaryMenus(menu->addMenu(QStringLiteral("&Summary Option")));
}

void TEditorCommands::buildSummaryMenus(QMenu *viewSubmenu)
{
    auto *modeDrop = new QMenu(m_window);
    auto *levelDrop = new QMenu(m_window);
    m_menuModes = new QActionGroup(this);
    m_buttonModes = new QActionGroup(this);
    m_menuLevels = new QActionGroup(this);
    m_buttonLevels = new QActionGroup(this);

    const auto radio = [this](QMenu *menu, QActionGroup *group, const QString &caption, auto signal, int value) {
        QAction *a = menu->addAction(caption);
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, signal, value] { emit(this->*signal)(value); });
    };
    for (int mode = 0; mode < kModeMenuCaptions.size(); ++mode) {
        radio(viewSubmenu, m_menuModes, kModeMenuCaptions[mode], &TEditorCommands::SummaryModeChosen, mode);
        radio(modeDrop, m_buttonModes, kModeButtonCaptions[mode], &TEditorCommands::SummaryModeChosen, mode);
    }
    viewSubmenu->addSeparator();
    for (int level = 1; level <= kLevelMenuCaptions.size(); ++level) {
        radio(viewSubmenu, m_menuLevels, kLevelMenuCaptions[level - 1], &TEditorCommands::SummaryLevelChosen, level);
        radio(levelDrop, m_buttonLevels, kLevelButtonCaptions[level - 1], &TEditorCommands::SummaryLevelChosen,
              level);
    }
    ShowSummaryMode(0);
    ShowSummaryLevel(1);

    m_summaryButton = new QToolButton(m_summaryBar);
    m_summaryButton->setObjectName(QStringLiteral("ToolButtonSummary"));
    m_summaryButton->setToolTip(QStringLiteral("Summary Display Mode"));
    m_summaryButton->setIcon(toolicons::SummaryMode());
    m_summaryButton->setMenu(modeDrop);
    m_summaryButton->setPopupMode(QToolButton::MenuButtonPopup);
    connect(m_summaryButton, &QToolButton::clicked, this, &TEditorCommands::SummaryModeCycled);
    m_summaryBar->addWidget(m_summaryButton);

    m_levelButton = new QToolButton(m_summaryBar);
    m_levelButton->setObjectName(QStringLiteral("ToolButtonSummaryLevel"));
    m_levelButton->setToolTip(QStringLiteral("Breakdown Level"));
    m_levelButton->setIcon(toolicons::SummaryLevel());
    m_levelButton->setMenu(levelDrop);
    m_levelButton->setPopupMode(QToolButton::MenuButtonPopup);
    connect(m_levelButton, &QToolButton::clicked, this, &TEditorCommands::SummaryLevelCycled);
    m_summaryBar->addWidget(m_levelButton);
}

void TEditorCommands::buildOtherMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    QMenu *search = bar->addMenu(QStringLiteral("&Search"));
    add(Find, search, QStringLiteral("&Find..."))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    add(RepeatFind, search, QStringLiteral("&Repeat Find"))->setShortcut(QKeySequence(Qt::Key_F3));
    search->addSeparator();
    add(Filter, search, QStringLiteral("Fi&lter..."));

    QMenu *exportMenu = bar->addMenu(QStringLiteral("E&xport"));
    add(ExportData, exportMenu, QStringLiteral("Export &Data..."));
    add(ExportGraph, exportMenu, QStringLiteral("Export &Graph..."));
    QMenu *copyGraph = exportMenu->addMenu(QStringLiteral("Copy Graph to &Clipboard"));
    add(CopyGraphBitmap, copyGraph, QStringLiteral("As &Bitmap"));
    add(CopyGraphMetafile, copyGraph, QStringLiteral("As &MetaFile"));

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    add(HelpTopics, help, QStringLiteral("&Help Topics"));
    add(About, help, QStringLiteral("About..."));

    m_debugMenu = bar->addMenu(QStringLiteral("Debug"));
    add(DebugGoThrough, m_debugMenu, QStringLiteral("Go through 10 Transactions"));
    m_menus << search << exportMenu << help << m_debugMenu;
}

void TEditorCommands::buildToolBars(QMainWindow *window)
{
    m_mainBar = window->addToolBar(QStringLiteral("Main Toolbar"));
    m_mainBar->setObjectName(QStringLiteral("ToolBarMain"));
    m_hierarchyBar = window->addToolBar(QStringLiteral("Hierarchy Toolbar"));
    m_hierarchyBar->setObjectName(QStringLiteral("ToolBarHierarchy"));
    m_summaryBar = window->addToolBar(QStringLiteral("Summary Toolbar"));
    m_summaryBar->setObjectName(QStringLiteral("ToolBarSummary"));
    for (QToolBar *bar : {m_mainBar, m_hierarchyBar, m_summaryBar}) {
        bar->setMovable(false);
        bar->setIconSize(QSize(16, 16));
    }
}

int TEditorCommands::checkedIndex(const QActionGroup *group)
{
    const QList<QAction *> actions = group->actions();
    for (int i = 0; i < actions.size(); ++i)
        if (actions[i]->isChecked())
            return i;
    return -1;
}

void TEditorCommands::checkIndex(QActionGroup *group, int index)
{
    const QList<QAction *> actions = group->actions();
    if (index >= 0 && index < actions.size())
        actions[index]->setChecked(true);
}

void TEditorCommands::ShowSummaryMode(int mode)
{
    checkIndex(m_menuModes, mode);
    checkIndex(m_buttonModes, mode);
}

void TEditorCommands::ShowSummaryLevel(int level)
{
    checkIndex(m_menuLevels, level - 1);
    checkIndex(m_buttonLevels, level - 1);
}

int TEditorCommands::CheckedMenuMode() const
{
    return checkedIndex(m_menuModes);
}

int TEditorCommands::CheckedButtonMode() const
{
    return checkedIndex(m_buttonModes);
}

int TEditorCommands::CheckedMenuLevel() const
{
    return checkedIndex(m_menuLevels) + 1;
}

int TEditorCommands::CheckedButtonLevel() const
{
    return checkedIndex(m_buttonLevels) + 1;
}

} // namespace qm
