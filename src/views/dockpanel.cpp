#include "views/dockpanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>

#include <cmath>

namespace qm {

// --- TDockPanel ---

TDockPanel::TDockPanel(const QString &name, const QString &title, QWidget *parent)
    : QDockWidget(title, parent), m_title(title)
{
    setObjectName(name);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable
                | QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::RightDockWidgetArea);
}

TDockSite *TDockPanel::site() const
{
    return qobject_cast<TDockSite *>(parentWidget());
}

void TDockPanel::setReferenceButton(QAbstractButton *button)
{
    m_reference = button;
}

void TDockPanel::SetPanelVisible(bool visible)
{
    if (visible == IsPanelVisible())
        return;
    emit OnVisibleChange(this);
    setVisible(visible);
}

void TDockPanel::closeEvent(QCloseEvent *event)
{
    // The floating window's close box hides the panel the same way the
    // View menu does.
    event->ignore();
    SetPanelVisible(false);
}

int TDockPanel::heightFor(double buttonHeights) const
{
    if (!m_reference)
        return height();
    const QWidget *content = widget();
    const int top = content && content->isAncestorOf(m_reference) ? m_reference->mapTo(content, QPoint(0, 0)).y()
                                                                   : m_reference->y();
    return int(std::trunc(top + buttonHeights * m_reference->height()));
}

int TDockPanel::FloatingHeight() const
{
    return heightFor(2.5);
}

int TDockPanel::DockedHeight() const
{
    return heightFor(1.5);
}

void TDockPanel::setTopmost(bool on)
{
    if (!isFloating() || isTopmost() == on)
        return;
    // Changing a window's flags hides it; it comes back where it was and
    // without taking the focus.
    const QRect where = geometry();
    const bool shown = isVisible();
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(where);
    if (shown)
        show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void TDockPanel::ReleaseStayOnTop()
{
    setTopmost(false);
    m_stayOnTop = false;
}

void TDockPanel::RestoreStayOnTop()
{
    setTopmost(true);
    m_stayOnTop = true;
}

void TDockPanel::OnAppActivate()
{
    if (m_stayOnTop)
        RestoreStayOnTop();
}

void TDockPanel::OnAppDeactivate()
{
    // Other applications' windows may cover it now; whether it should be on
    // top again on return is left as it was.
    setTopmost(false);
}

void TDockPanel::setFollowApplicationState(bool on)
{
    disconnect(m_appState);
    if (!on)
        return;
    m_appState = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            OnAppActivate();
        else
            OnAppDeactivate();
    });
}

bool TDockPanel::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        m_pressed = true;
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonRelease: {
        // The toolkit finishes its own drag first; then our rule applies.
        const bool handled = QDockWidget::event(event);
        if (m_pressed) {
            m_pressed = false;
            EndDrag();
        }
        return handled;
    }
    default:
        break;
    }
    return QDockWidget::event(event);
}

void TDockPanel::EndDrag()
{
    TDockSite *dockSite = site();
    if (dockSite && isFloating()) {
        const QRect area(mapToGlobal(QPoint(0, 0)), size());
        if (area.contains(dockSite->DockCorner()))
            dockSite->DockPanel(this);
    }
    if (isFloating()) {
        resize(width(), FloatingHeight());
        setWindowTitle(m_title);
    }
}

// --- TDockSite ---

TDockSite::TDockSite(const QString &panelName, QWidget *parent) : QMainWindow(parent), m_panelName(panelName)
{
    setWindowFlags(Qt::Widget);
    setAnimated(false);
}

bool TDockSite::AcceptsPanel(const QWidget *panel) const
{
    return panel && panel->objectName() == m_panelName;
}

void TDockSite::AttachPanel(TDockPanel *panel)
{
    if (!AcceptsPanel(panel))
        return;
    m_panel = panel;
    addDockWidget(Qt::RightDockWidgetArea, panel);
    connect(panel, &TDockPanel::OnVisibleChange, this, &TDockSite::panelVisibilityChanging);
}

bool TDockSite::DockPanel(TDockPanel *panel)
{
    if (!AcceptsPanel(panel) || !m_dockingEnabled)
        return false;
    if (panel->parentWidget() != this || dockWidgetArea(panel) != Qt::RightDockWidgetArea)
        addDockWidget(Qt::RightDockWidgetArea, panel);
    if (panel->isFloating())
        panel->setFloating(false);
    return true;
}

void TDockSite::ShowPanelDocked()
{
    if (!m_panel)
        return;
    DockPanel(m_panel);
    m_panel->SetPanelVisible(true);
}

QPoint TDockSite::DockCorner() const
{
    const int top = centralWidget() ? centralWidget()->y() : 0;
    return mapToGlobal(QPoint(width() - 2, top));
}

void TDockSite::panelVisibilityChanging(TDockPanel *panel)
{
    update();
    if (centralWidget())
        centralWidget()->update();
    // About to be shown: it comes back docked, wherever it was when hidden.
    if (!panel->IsPanelVisible())
        DockPanel(panel);
}

QAction *AddPanelCheckItem(QMenu *menu, const QString &caption, TDockPanel *panel)
{
    QAction *action = menu->addAction(caption);
    action->setCheckable(true);
    action->setChecked(panel->IsPanelVisible());
    QObject::connect(action, &QAction::triggered, panel, [panel](bool checked) { panel->SetPanelVisible(checked); });
    QObject::connect(menu, &QMenu::aboutToShow, action,
                     [action, panel] { action->setChecked(panel->IsPanelVisible()); });
    return action;
}

} // namespace qm
