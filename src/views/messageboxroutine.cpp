#include "views/messageboxroutine.h"

#include "views/dockpanel.h"

namespace qm {

void MessageBoxRoutine::ReleasePanels()
{
    for (const QPointer<TDockPanel> &panel : m_panels)
        if (panel)
            panel->ReleaseStayOnTop();
}

void MessageBoxRoutine::RestorePanels()
{
    for (const QPointer<TDockPanel> &panel : m_panels)
        if (panel)
            panel->RestoreStayOnTop();
}

MessageAnswer MessageBoxRoutine::message(MessageKind kind, const QString &text, MessageButtons buttons)
{
    PanelsLowered lowered(*this);
    return m_dialogs.message(kind, text, buttons);
}

QString MessageBoxRoutine::chooseDirectory(const QString &start, DirectoryMode mode)
{
    PanelsLowered lowered(*this);
    return m_dialogs.chooseDirectory(start, mode);
}

} // namespace qm
