#pragma once

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;

namespace qm {

struct AppState;

// The main window: the catalogue of saved counts.
class TFirstForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFirstForm(AppState &state, QWidget *parent = nullptr);

    QAction *action(const QString &caption) const;
    QToolBar *mainToolBar() const { return m_mainBar; }
    QToolBar *hierarchyToolBar() const { return m_hierarchyBar; }
    QLabel *progressPanel() const { return m_progress; }
    QLabel *filterPanel() const { return m_filterText; }

signals:
    void helpTopicsRequested();
    void aboutRequested();

private:
    void buildMenus();
    void buildToolBars();
    void buildStatusBar();
    QAction *addItem(QMenu *menu, const QString &caption, bool enabled = true);

    AppState &m_state;
    QToolBar *m_mainBar = nullptr;
    QToolBar *m_hierarchyBar = nullptr;
    QComboBox *m_systemFilter = nullptr;
    QTreeWidget *m_tree = nullptr;
    QLabel *m_progress = nullptr;
    QLabel *m_filterText = nullptr;
};

} // namespace qm
