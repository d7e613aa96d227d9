#pragma once

#include "store/dialogservice.h"
#include "views/dockpanel.h"

#include <QList>
#include <QPointer>

namespace qm {

// The editor's way of asking the user anything: its floating panels step out
// of the always-on-top layer while a box or modal dialog is up, so they never
// cover it, and return to it afterwards.
class MessageBoxRoutine : public DialogService
{
public:
    explicit MessageBoxRoutine(DialogService &dialogs) : m_dialogs(dialogs) {}

    void addPanel(TDockPanel *panel) { m_panels.append(panel); }

    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    QString chooseDirectory(const QString &start, DirectoryMode mode) override;
    QString openFile(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    bool printDialog(QPrinter &printer) override;
    bool pageSetupDialog(QPrinter &printer) override;

    void ReleasePanels();
    void RestorePanels();

    // Panels lowered for the life of a scope, around a modal dialog.
    class PanelsLowered
    {
    public:
        explicit PanelsLowered(MessageBoxRoutine &routine) : m_routine(routine) { m_routine.ReleasePanels(); }
        ~PanelsLowered() { m_routine.RestorePanels(); }
        PanelsLowered(const PanelsLowered &) = delete;
        PanelsLowered &operator=(const PanelsLowered &) = delete;

    private:
        MessageBoxRoutine &m_routine;
    };

private:
    DialogService &m_dialogs;
    QList<QPointer<TDockPanel>> m_panels;
};

} // namespace qm
