// The child the crash test kills: one writing operation on a database
// folder, run to its end unless the parent kills it first.

#include "store/apperror.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/maintenance.h"
#include "store/workingcopy.h"
#include "store/workingcopyui.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Answers yes and names the copy; nobody is there to ask.
class Agreeing : public qm::WorkingCopyUi
{
public:
    qm::MessageAnswer message(qm::MessageKind, const QString &, qm::MessageButtons buttons) override
    {
        return buttons == qm::MessageButtons::Ok || buttons == qm::MessageButtons::OkCancel ? qm::MessageAnswer::Ok
                                                                                           : qm::MessageAnswer::Yes;
    }
    void cancelReport() override {}
    std::optional<QString> askNewCountName() override { return QStringLiteral("Crash copy"); }
    void showCountName() override {}
    void showStatus(const QString &) override {}
    void beginBusy() override {}
    void endBusy() override {}
    void postPendingEdits() override {}
    void dockPanels() override {}
    void refreshCursors() override {}
    void refreshTitle() override {}
    void refreshSummary() override {}
    void reopenAfterSave() override {}
    void rebuildAfterSaveAs() override {}
    void switchFilterOff() override {}
    qint64 totalAdjustedFps() override { return 0; }
};

} // namespace

// crash_child FOLDER OPERATION COUNT_ID
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 1;
    try {
        qm::Database db;
        db.open(args[1]);
        qm::AppState state;
        Agreeing ui;
        qm::WorkingCopy copy(db, state, &ui);
        const QString op = args[2];
        const int id = args[3].toInt();
        if (op == QLatin1String("delete")) {
            copy.DeleteCount(id);
        } else if (op == QLatin1String("compact")) {
            qm::CompactPermanentTables(db, {});
        } else {
            copy.LoadWorkingCopy(id);
            state.currentCountId = id;
            state.changeCount = 1;
            const bool saved = op == QLatin1String("save") ? copy.SaveWorkingCopy() : copy.SaveWorkingCopyAs("E");
            if (!saved)
                return 2;
        }
    } catch (const qm::AppError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 3;
    }
    return 0;
}
