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

QString MessageBoxRoutine::openFile(const FileDialogRequest &request)
{
    PanelsLowered lowered(*this);
    return m_dialogs.openFile(request);
}

QString MessageBoxRoutine::saveFile(const FileDialogRequest &request)
{
    PanelsLowered lowered(*this);
    return m_dialogs.saveFile(request);
}

bool MessageBoxRoutine::printDialog(QPrinter &printer)
{
    PanelsLowered lowered(*this);
    return m_dialogs.printDialog(printer);
}

bool MessageBoxRoutine::pageSetupDialog(QPrinter &printer)
{
    PanelsLowered lowered(*this);
    return m_dialogs.pageSetupDialog(printer);
}

} // namespace qm
