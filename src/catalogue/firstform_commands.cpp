// Count-level commands: open, new base and enhancement counts, delete, and
// the one routine that runs the editor for all of them.

#include "catalogue/firstform.h"

#include "store/appstate.h"
#include "store/cursor.h"
#include "store/datamodule.h"
#include "store/dialogservice.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"
#include "views/dockpanel.h"

#include <QLabel>

namespace qm {

namespace {

const QString kReadOnlyDelete = QStringLiteral("Count is marked as Read-Only - Delete not allowed");

// The catalogue's panel may not dock anywhere while the editor is up; the
// site takes it again however the editor ends.
class DockingRefused
{
public:
    explicit DockingRefused(TDockSite &site) : m_site(site) { m_site.setDockingEnabled(false); }
    ~DockingRefused() { m_site.setDockingEnabled(true); }
    DockingRefused(const DockingRefused &) = delete;
    DockingRefused &operator=(const DockingRefused &) = delete;

private:
    TDockSite &m_site;
};

} // namespace

bool TFirstForm::RunEditor()
{
    {
        DockingRefused refused(*m_site);
        m_editorRunner();
    }
    redockPanel();
    if (m_state.exitRequested) {
        close();
        return false;
    }
    // Activation follows the editor's close; run it now so the tree shows
    // the stored total before anything else looks at it.
    FormActivate();
    return true;
}

void TFirstForm::OpenCount()
{
    const QString key = m_tree->ActiveId();
    if (key.isEmpty())
        return;
    const QString system = cursor().text(QStringLiteral("System"));
    int opened = 0;
    {
        WaitCursor wait;
        opened = key.toInt();
        m_state.currentCountId = opened;
        m_state.filterActive = false;
        if (m_editorReset)
            m_editorReset();
        m_state.changeCount = 0;
        m_state.newCount = false;
    }
    if (!RunEditor())
        return;
    // A save gives the count a new Id: rebuild so the node follows it.
    if (m_state.currentCountId != opened) {
        if (ensureCursorOpen())
            cursor().refresh();
        LoadCountTree();
        if (cursor().text(QStringLiteral("System")) != system)
            LoadSystemList();
    }
}

void TFirstForm::NewCount(const QString &typeCode)
{
    {
        WaitCursor wait;
        const int id = m_workingCopy.NextCountId();
        m_workingCopy.CreateWorkingCount(id, typeCode);
        m_state.filterActive = false;
        if (m_editorReset)
            m_editorReset();
        m_state.changeCount = 1;
        m_state.newCount = true;
        m_state.currentCountId = id;
    }
    if (!RunEditor())
        return;
    // Never saved, the count is simply gone; the catalogue stays as it was.
    if (!m_state.newCount) {
        LoadCountTree();
        LoadSystemList();
    }
}

void TFirstForm::setImportWizard(std::function<std::optional<int>()> wizard)
{
    m_importWizard = std::move(wizard);
    if (QAction *import = action(QStringLiteral("Import...")))
        import->setEnabled(bool(m_importWizard));
}

void TFirstForm::ImportCount()
{
    if (!m_importWizard)
        return;
    const std::optional<int> id = m_importWizard();
    if (!id)
        return;
    // The imported count is new and unsaved, as a newly created one is.
    m_state.filterActive = false;
    if (m_editorReset)
        m_editorReset();
    m_state.changeCount = 1;
    m_state.newCount = true;
    m_state.currentCountId = *id;
    if (!RunEditor())
        return;
    if (!m_state.newCount) {
        if (ensureCursorOpen())
            cursor().refresh();
        LoadCountTree();
        LoadSystemList();
    }
}

void TFirstForm::DeleteSelectedCount()
{
    const QString key = m_tree->ActiveId();
    // The message names the cursor's row, so it must be the selected one.
    if (key.isEmpty() || !ensureCursorOpen() || !cursor().locate(QStringLiteral("Id"), key.toLongLong()))
        return;
    if (cursor().text(QStringLiteral("Status")) == QLatin1String("R")) {
        m_dialogs.error(kReadOnlyDelete);
        return;
    }
    const QString question = QStringLiteral("This will permanently delete the Count ")
                             + cursor().text(QStringLiteral("Description"))
                             + QStringLiteral(", Are you sure you want to proceed ?");
    if (m_dialogs.message(MessageKind::Warning, question, MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;
    showProgress(QStringLiteral("Deleting..."));
    {
        WaitCursor wait;
        m_workingCopy.DeleteCount(key.toInt());
        cursor().refresh();
    }
    m_state.currentCountId = 0;
    LoadCountTree();
    showProgress(QString());
}

} // namespace qm
