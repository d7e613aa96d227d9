#pragma once

#include <QDockWidget>
#include <QMainWindow>
#include <QPointer>

class QAbstractButton;
class QAction;
class QMenu;

namespace qm {

class TDockSite;

// A properties panel that sits docked at the right edge of its page and can
// be dragged off to float in a small tool window above the application.
// Show and hide it through SetPanelVisible, so that OnVisibleChange runs.
class TDockPanel : public QDockWidget
{
    Q_OBJECT

public:
    // The name is the object name the dock site knows the panel by.
    TDockPanel(const QString &name, const QString &title, QWidget *parent = nullptr);

    // Whether the floating window should stay above all others; on from the
    // start, off only while a message box or modal dialog is up.
    bool stayOnTop() const { return m_stayOnTop; }
    bool isTopmost() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

    void SetPanelVisible(bool visible);
    bool IsPanelVisible() const { return !isHidden(); }

    // The button whose position fixes the panel's heights.
    void setReferenceButton(QAbstractButton *button);
    // Floating window: the button's top plus two and a half of its heights.
    int FloatingHeight() const;
    // Docked panel: the button's top plus one and a half of its heights.
    int DockedHeight() const;

    void ReleaseStayOnTop();
    void RestoreStayOnTop();
    void OnAppActivate();
    void OnAppDeactivate();
    // Lower and raise the floating window as the application loses and
    // regains the focus.
    void setFollowApplicationState(bool on);

    // The end of a drag: dock when the panel covers its site's corner, else
    // give the floating window its height and caption.
    void EndDrag();

    TDockSite *site() const;

signals:
    // Just before the visibility changes: the handler still sees the old one.
    void OnVisibleChange(qm::TDockPanel *panel);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setTopmost(bool on);
    int heightFor(double buttonHeights) const;

    QString m_title;
    bool m_stayOnTop = true;
    bool m_pressed = false;
    QPointer<QAbstractButton> m_reference;
    QMetaObject::Connection m_appState;
};

// A page (or window) whose right edge is the dock site of one panel: it
// accepts that panel only, by name.
class TDockSite : public QMainWindow
{
    Q_OBJECT

public:
    TDockSite(const QString &panelName, QWidget *parent = nullptr);

    QString PanelName() const { return m_panelName; }
    bool AcceptsPanel(const QWidget *panel) const;
    // Refusing docking keeps a panel where it is (the catalogue's panel
    // while the editor is up).
    void setDockingEnabled(bool on) { m_dockingEnabled = on; }
    bool DockingEnabled() const { return m_dockingEnabled; }

    // Takes the panel in (the site's own panel only) and adds the site's
    // rules: a panel shown again comes back docked.
    void AttachPanel(TDockPanel *panel);
    TDockPanel *Panel() const { return m_panel; }
    // Docks the panel at the right edge; false when it is not this site's.
    bool DockPanel(TDockPanel *panel);
    // Shows the panel docked, as at the moments the owner fixes.
    void ShowPanelDocked();
    // Top-left corner of the site at the right edge, in screen coordinates.
    QPoint DockCorner() const;

private:
    void panelVisibilityChanging(TDockPanel *panel);

    QString m_panelName;
    QPointer<TDockPanel> m_panel;
    bool m_dockingEnabled = true;
};

// A check item of the View menu that shows or hides a panel; the check
// follows the panel's visibility each time the menu opens.
QAction *AddPanelCheckItem(QMenu *menu, const QString &caption, TDockPanel *panel);

} // namespace qm
