#include "editorfixture.h"

#include "modalwatch.h"

#include "editor/mainform.h"
#include "store/datamodule.h"
#include "store/settingsentry.h"
#include "store/workingcopy.h"

#include <QTimer>
#include <QtTest>

namespace qm::test {

EditorFixture::EditorFixture()
{
    m_settings = std::make_unique<SettingsEntry>(m_dir.filePath(QStringLiteral("quillmark.ini")));
    m_dm = std::make_unique<DataModule>(dialogs, *m_settings, DataModule::Options{});
    m_dm->ConnectDatabase(m_dir.path());
    m_dm->openCatalogueCursor();
    m_editor = std::make_unique<TMainForm>(*m_dm);
    // Short enough for many tests, long enough to close into.
    m_editor->setLoadPause(60);
}

EditorFixture::~EditorFixture()
{
    m_editor.reset();
    m_dm.reset();
}

Database &EditorFixture::db()
{
    return m_dm->database();
}

AppState &EditorFixture::state()
{
    return m_dm->state();
}

WorkingCopy &EditorFixture::workingCopy()
{
    return m_dm->workingCopy();
}

void EditorFixture::OpenSaved(int id)
{
    state().currentCountId = id;
    state().newCount = false;
    state().changeCount = 0;
}

int EditorFixture::CreateNew(const QString &type)
{
    const int id = workingCopy().NextCountId();
    workingCopy().CreateWorkingCount(id, type);
    state().currentCountId = id;
    state().newCount = true;
    state().changeCount = 1;
    return id;
}

int EditorFixture::Run(const std::function<void()> &drive, bool waitForLoad)
{
    TMainForm *editor = m_editor.get();
    QTimer::singleShot(0, editor, [editor, drive, waitForLoad] {
        const bool loaded = !waitForLoad || WaitUntil([editor] {
            return editor->pendingLoadStep() == TMainForm::LoadStep::None;
        });
        if (loaded)
            drive();
        else
            QTest::qFail("the editor did not finish loading", __FILE__, __LINE__);
        if (editor->isVisible())
            editor->hide();
    });
    return m_editor->RunModal();
}

QVariant EditorFixture::Scalar(const QString &sql, const QVariantList &values)
{
    return db().scalar(sql, values);
}

} // namespace qm::test
