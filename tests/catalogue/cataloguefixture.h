#pragma once

// A catalogue window on a test database, shown offscreen, with scripted
// dialogs and an editor that tests replace.

#include "countfixture.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include "catalogue/firstform.h"
#include "store/datamodule.h"
#include "store/settingsentry.h"
#include "store/workingcopy.h"
#include "store/workingcopyui.h"
#include "views/dbtreeview.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace qm::test {

// Notes the text of a label each time it is painted: long commands paint
// their progress without returning to the event loop.
class PaintedTexts : public QObject
{
public:
    explicit PaintedTexts(QLabel *label) : m_label(label) { label->installEventFilter(this); }

    QStringList texts;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint
            && (texts.isEmpty() || texts.constLast() != m_label->text()))
            texts << m_label->text();
        return false;
    }

private:
    QLabel *m_label;
};

// What the working copy needs from an editor, answered the way a user who
// saves without further questions would.
class QuietEditorUi : public WorkingCopyUi
{
public:
    explicit QuietEditorUi(DataModule &data) : m_data(data) {}

    qint64 total = 0;

    MessageAnswer message(MessageKind, const QString &, MessageButtons) override { return MessageAnswer::Yes; }
    void cancelReport() override {}
    std::optional<QString> askNewCountName() override { return std::nullopt; }
    void showCountName() override {}
    void showStatus(const QString &) override {}
    void beginBusy() override {}
    void endBusy() override {}
    void postPendingEdits() override {}
    void dockPanels() override {}
    void refreshCursors() override {}
    void refreshTitle() override {}
    void refreshSummary() override {}
    void reopenAfterSave() override { m_data.openCatalogueCursor(); }
    void rebuildAfterSaveAs() override {}
    void switchFilterOff() override {}
    qint64 totalAdjustedFps() override { return total; }

private:
    DataModule &m_data;
};

class CatalogueFixture
{
public:
    CatalogueFixture()
        : settings(configDir.filePath(QStringLiteral("quillmark.ini")))
    {
        settings.writeDirectory(dir.path());
        DataModule::Options options;
        options.restoreCursor = [] {};
        options.terminate = [this](int code) { terminated = code; };
        data = std::make_unique<DataModule>(dialogs, settings, options);
        started = data->start();
        editorUi = std::make_unique<QuietEditorUi>(*data);
        data->workingCopy().setUi(editorUi.get());
    }

    Database &db() { return data->database(); }

    // Builds the window once the rows are in, as the program does.
    TFirstForm &show()
    {
        form = std::make_unique<TFirstForm>(*data, settings);
        form->setEditorRunner([this] {
            ++editorRuns;
            if (editor)
                editor();
        });
        form->show();
        QTest::qWait(0);
        return *form;
    }

    // Node texts in display order, children indented by two blanks.
    QStringList treeLines() const
    {
        QStringList out;
        const std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
            out << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
            for (int c = 0; c < item->childCount(); ++c)
                walk(item->child(c), depth + 1);
        };
        for (int i = 0; i < form->countTree()->topLevelItemCount(); ++i)
            walk(form->countTree()->topLevelItem(i), 0);
        return out;
    }

    int rows(const QString &table, const QString &where = QStringLiteral("1 = 1"))
    {
        return db().scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where)).toInt();
    }

    QString selectedKey() const { return form->countTree()->ActiveId(); }

    void select(int id)
    {
        TTreeNode *node = form->countTree()->FindNodeById(QString::number(id));
        QVERIFY2(node, qPrintable(QStringLiteral("no node for count %1").arg(id)));
        form->countTree()->SelectNode(node);
    }

    bool enabled(const QString &caption) const
    {
        QAction *a = form->action(caption);
        return a && a->isEnabled();
    }

    QTemporaryDir configDir;
    TestDatabaseDir dir;
    ScriptedDialogs dialogs;
    SettingsEntry settings;
    std::unique_ptr<DataModule> data;
    std::unique_ptr<QuietEditorUi> editorUi;
    std::unique_ptr<TFirstForm> form;
    std::function<void()> editor;
    int editorRuns = 0;
    int terminated = -1;
    bool started = false;
};

} // namespace qm::test
