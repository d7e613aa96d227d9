#pragma once

#include "store/dialogservice.h"

#include <QString>
#include <optional>

namespace qm {

// What the working copy needs from the window that drives it: the questions
// only a user can answer, and the moments at which the window must bring its
// cursors, trees and status bar up to date. The editor implements it.
class WorkingCopyUi
{
public:
    virtual ~WorkingCopyUi() = default;

    // The editor's message box routine.
    virtual MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) = 0;
    // Stops the report being prepared; called after the user agreed to it.
    virtual void cancelReport() = 0;
    // "Enter New Count Name"; empty when the user cancelled.
    virtual std::optional<QString> askNewCountName() = 0;
    // Shows the "General" page with the count's name field focused, so the
    // user sees which name was refused.
    virtual void showCountName() = 0;

    // First status-bar panel; an empty text clears it.
    virtual void showStatus(const QString &text) = 0;
    // Hourglass cursor; always paired.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // Stores a pending edit of the transaction, file and count cursors.
    virtual void postPendingEdits() = 0;
    // Docks the floating transaction and file panels back into the editor.
    virtual void dockPanels() = 0;
    // Re-reads the editor's cursors after their tables were rewritten.
    virtual void refreshCursors() = 0;

    virtual void refreshTitle() = 0;
    virtual void refreshSummary() = 0;
    // After a save every cursor of the connection has been closed: reopen
    // the editor's cursors, the catalogue's cursor and the factor query,
    // re-query the tree sources for the current count, refresh the
    // selections and mark the factors stale.
    virtual void reopenAfterSave() = 0;
    // After a save as: re-read the read-only state and title and start
    // rebuilding the trees (the rebuild may run once the save has finished).
    virtual void rebuildAfterSaveAs() = 0;

    // The filter is switched off before the count's total is taken.
    virtual void switchFilterOff() = 0;
    // "Total Adjusted FPs:" as the summary last computed it.
    virtual qint64 totalAdjustedFps() = 0;
};

} // namespace qm
