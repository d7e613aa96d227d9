#pragma once

#include <QString>

namespace qm {

// The program's process-wide state, owned by the data module and handed to
// whoever needs it.
struct AppState
{
    // The count in the working tables; 0 when none is open.
    int currentCountId = 0;
    // True while the open count exists only in the working tables.
    bool newCount = false;
    // Changes posted since the count was opened or last saved.
    int changeCount = 0;
    // 0 means "not yet known": the next request reads the largest saved tag.
    int nextTransTag = 0;
    int nextFileTag = 0;
    // The open count's adjustment factor as last computed by the summary.
    double currentVaf = 1.07;

    QString databaseDir;
    bool debug = false;

    // Set by the editor as it closes, so the catalogue refreshes the node of
    // the count just edited when it is activated again.
    bool editorJustClosed = false;
    // Set by the editor's exit command: the catalogue closes too.
    bool exitRequested = false;

    int summaryMode = 0;
    // Breakdown depth of the transaction summary, 1 to 3.
    int summaryLevel = 1;
    bool filterActive = false;
    bool reportBusy = false;
};

} // namespace qm
