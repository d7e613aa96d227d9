#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <functional>

class QAction;
class QActionGroup;
class QIcon;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace qm {

class TDockPanel;

// The editor's menus and toolbars. Menu items and toolbar buttons that
// follow different enabling rules are separate actions running the same
// command. Commands without a handler yet stay disabled whatever the
// enabling rules say, so a visible command always does something.
class TEditorCommands : public QObject
{
    Q_OBJECT

public:
    enum Id {
        // "&File"
        Save, SaveAsBase, SaveAsEnhancement, Print, PrintPreview, PageSetup, Close, Exit,
        // "&Edit" menu items
        MenuCut, MenuCopy, MenuPaste, MenuInsertTrans, MenuInsertChild, MenuDeleteTrans, MenuTransComplexity,
        MenuInsertFile, MenuDeleteFile, ReadOnly,
        // "&View"
        ShowMainToolbar, ShowHierarchyToolbar, ShowSummaryToolbar, TransProperties, FileProperties,
        ExpandAll, CollapseAll, ExpandAllOneLevel, CollapseAllOneLevel, ExpandSelectedOneLevel,
        CollapseSelectedOneLevel,
        // "&Search"
        Find, RepeatFind, Filter,
        // "E&xport"
        ExportData, ExportGraph, CopyGraphBitmap, CopyGraphMetafile,
        // "&Help", "Debug"
        HelpTopics, About, DebugGoThrough,
        // Toolbar buttons of their own
        ToolCut, ToolCopy, ToolPaste, ToolInsertTrans, ToolInsertChild, ToolDeleteTrans, ToolTransComplexity,
        ToolInsertFile, ToolDeleteFile, ToolPrevious, ToolNext, ToolFilter, ToolFilterOff,
        IdCount
    };

    // Menus and toolbars go onto the window; the View menu's panel items
    // show and hide the two panels.
    TEditorCommands(QMainWindow *window, TDockPanel *transPanel, TDockPanel *filesPanel);

    QAction *action(Id id) const { return m_actions.value(id); }
    // Runs the handler when the command is chosen and lets it be enabled.
    void Implement(Id id, std::function<void()> handler);
    bool IsImplemented(Id id) const { return !m_pending.contains(id); }
    // Enabled only when implemented.
    void SetEnabled(Id id, bool on);

    QToolBar *mainToolBar() const { return m_mainBar; }
    QToolBar *hierarchyToolBar() const { return m_hierarchyBar; }
    QToolBar *summaryToolBar() const { return m_summaryBar; }
    QMenu *menu(const QString &caption) const;
    QMenu *debugMenu() const { return m_debugMenu; }
    QToolButton *summaryButton() const { return m_summaryButton; }
    QToolButton *summaryLevelButton() const { return m_levelButton; }

    // Both radio groups of each kind show the current choice.
    void ShowSummaryMode(int mode);
    void ShowSummaryLevel(int level);
    int CheckedMenuMode() const;
    int CheckedButtonMode() const;
    int CheckedMenuLevel() const;
    int CheckedButtonLevel() const;

signals:
    // A mode or level was chosen from a menu item.
    void SummaryModeChosen(int mode);
    void SummaryLevelChosen(int level);
    // The toolbar buttons themselves cycle.
    void SummaryModeCycled();
    void SummaryLevelCycled();
    // A toolbar was shown or hidden: the window lays itself out again.
    void ToolbarsChanged();

private:
    QAction *add(Id id, QMenu *menu, const QString &caption, bool pending = true);
    QAction *tool(Id id, const QString &hint, const QIcon &icon, bool pending = true);
    void buildFileMenu(QMenu *menu);
    void buildEditMenu(QMenu *menu);
    void buildViewMenu(QMenu *menu, TDockPanel *transPanel, TDockPanel *filesPanel);
    void buildSummaryMenus(QMenu *viewSubmenu);
    void buildOtherMenus(QMainWindow *window);
    void buildToolBars(QMainWindow *window);
    void addToolbarToggle(QMenu *menu, Id id, const QString &caption, QToolBar *bar);
    static int checkedIndex(const QActionGroup *group);
    static void checkIndex(QActionGroup *group, int index);

    QMainWindow *m_window;
    QHash<int, QAction *> m_actions;
    QSet<int> m_pending;
    QList<QMenu *> m_menus;
    QMenu *m_debugMenu = nullptr;
    QToolBar *m_mainBar = nullptr;
    QToolBar *m_hierarchyBar = nullptr;
    QToolBar *m_summaryBar = nullptr;
    QToolButton *m_summaryButton = nullptr;
    QToolButton *m_levelButton = nullptr;
    QActionGroup *m_menuModes = nullptr;
    QActionGroup *m_buttonModes = nullptr;
    QActionGroup *m_menuLevels = nullptr;
    QActionGroup *m_buttonLevels = nullptr;
};

} // namespace qm
