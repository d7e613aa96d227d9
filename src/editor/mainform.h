#pragma once

#include "editor/editorcommands.h"
#include "editor/editorstate.h"
#include "store/workingcopyui.h"
#include "views/dockpanel.h" // complete type for the routine's panel pointers
#include "views/messageboxroutine.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QLabel;
class QTabWidget;
class QTreeWidgetItem;

namespace qm {

class DataModule;
class TAnalyserChart;
class TChartCommands;
class Database;
class TableCursor;
class TCountPage;
class TCountEditing;
class TCountSummary;
class TEditorReport;
class TExportForm;
class TFilesPage;
class TFindForm;
class TFormFilter;
class TTransPage;
class WorkingCopy;
struct AppState;

// The count editor. Created once at start-up and shown modally from the
// catalogue for each count in the working tables; its load steps run from
// the event loop so the window paints between them.
class TMainForm : public QMainWindow, private WorkingCopyUi
{
    Q_OBJECT

public:
    enum Page { GeneralPage = 0, FilesPage = 1, TransactionsPage = 2, AnalyserPage = 3 };
    enum class LoadStep { None = 0, LoadTables = 1, BuildTransactions = 2, BuildFiles = 3, BuildTotals = 4 };

    explicit TMainForm(DataModule &dataModule, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Shows the editor for the count in the working tables and returns once
    // it has closed.
    int RunModal();

    // Hooks filled in by the program: the name dialog of "save as" and the
    // stopping of a report being prepared.
    void setAskNewCountName(std::function<std::optional<QString>()> ask) { m_askName = std::move(ask); }
    void setCancelReport(std::function<void()> cancel) { m_cancelReport = std::move(cancel); }
    // Asked before the editor closes; false keeps it open.
    void setFilterDialogCloseQuery(std::function<bool()> query) { m_filterDialogClose = std::move(query); }
    // The pause before the transaction tree is built.
    void setLoadPause(int milliseconds) { m_loadPause = milliseconds; }

    // --- Shared routines of the pages ---
    void UpdateCommands();
    void RefreshTitle();
    void RefreshSummary();
    void RefreshSummaryIfStale();
    void RefreshTransTotals(const QTreeWidgetItem *node);
    void RefreshTransTotalsIfShown();
    void ApplyReadOnlyState();
    // Rebuilds both trees and the summary now (after a filter change).
    void RebuildTrees();
    // Stores a pending edit of every working cursor; false when one is
    // refused (the user was told why).
    bool PostPendingEdits();
    void SetStatusText(const QString &text);
    void SetSummaryMode(int mode, bool fromButton = false);
    void CycleSummaryMode();
    void SetSummaryLevel(int level);
    void CycleSummaryLevel();
    // True while the report is still being produced (printed, written or
    // built for the preview); CancelReport stops it.
    bool IsReportBusy() const;
    void CancelReport();

    // Filter and find (mainform_filter.cpp).
    void OpenFilter();
    void FilterOff();
    void ApplyFilter();
    void FindNext();
    TFormFilter *filterForm() const { return m_filterForm; }
    TFindForm *findForm() const { return m_findForm; }

    // --- Parts and state, for the pages and tests ---
    AppState &appState() { return m_state; }
    EditorState &editorState() { return m_editor; }
    MessageBoxRoutine &messages() { return m_messages; }
    TEditorCommands &commands() { return *m_commands; }
    TableCursor &countTbl() { return *m_countTbl; }
    TableCursor &transTbl() { return *m_transTbl; }
    TableCursor &filesTbl() { return *m_filesTbl; }
    TableCursor &filesLinkTbl() { return *m_filesLinkTbl; }
    TCountPage *countPage() const { return m_countPage; }
    TTransPage *transPage() const { return m_transPage; }
    TFilesPage *filesPage() const { return m_filesPage; }
    QWidget *analyserPage() const { return m_analyserPage; }
    TAnalyserChart *analyserChart() const { return m_analyserChart; }
    TChartCommands &chartCommands() { return *m_chartCommands; }
    QTabWidget *pageControl() const { return m_pages; }
    TCountSummary &summary() { return *m_summary; }
    TCountEditing &editing() { return *m_editing; }
    TEditorReport &report() { return *m_report; }
    QLabel *statusPanel(int i) const;
    LoadStep pendingLoadStep() const { return m_pendingStep; }
    bool isReadOnly() const { return m_editor.readOnly; }
    int activePage() const;

signals:
    void helpTopicsRequested();
    void aboutRequested();
    // Every text put into the first status-bar panel, in order.
    void StatusTextShown(const QString &text);
    // The fourth load step has finished.
    void LoadFinished();
    // The toolbar's enabling was worked out again.
    void CommandsUpdated();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Construction (mainform.cpp).
    void BuildCursors();
    void BuildPages();
    void BuildStatusBar();
    void ConnectCommands();
    void ConnectPages();
    void ConnectChartCommands();
    void LayoutWindow();

    // Opening and loading (mainform_load.cpp).
    void Opening();
    void ArmLoadStep(LoadStep step, int delay);
    void RunLoadStep();
    void LoadTables();
    void BuildTransactions();
    void BuildFiles();
    void BuildTotals();
    void OpenCursors();
    void ReopenItemCursors(bool readOnly);
    void CloseCursors();
    QStringList SavedSystems();
    void ApplyFilterColours();
    void EndOpeningBusy();

    // Closing (mainform_close.cpp).
    bool CloseQuery();
    void CloseEditor();

    // Commands (mainform_commands.cpp).
    void Save();
    void SaveAs(const QString &type);
    void ToggleReadOnly();
    void CountOk();
    void CountCancel();
    void PageChanged(int index);
    void GoThroughTransactions();
    void Exit();
    void MovePrevious();
    void MoveNext();
    void HierarchyCommand(TEditorCommands::Id id);
    void ExportData(); // mainform_export.cpp

    // Filter and find (mainform_filter.cpp).
    void BuildSearch();
    bool AskStopReportForFilter();
    void ClearFilterForCount();
    void SwitchFilterOffAndRebuild();
    void RenewFilterTexts();
    void OpenFind();
    void SearchMenuShown();

    // WorkingCopyUi: what the working copy asks of the editor.
    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    void cancelReport() override;
    std::optional<QString> askNewCountName() override;
    void showCountName() override;
    void showStatus(const QString &text) override;
    void beginBusy() override;
    void endBusy() override;
    void postPendingEdits() override;
    void dockPanels() override;
    void refreshCursors() override;
    void refreshTitle() override;
    void refreshSummary() override;
    void reopenAfterSave() override;
    void rebuildAfterSaveAs() override;
    void switchFilterOff() override;
    qint64 totalAdjustedFps() override;

    DataModule &m_dm;
    AppState &m_state;
    Database &m_db;
    WorkingCopy &m_wc;
    MessageBoxRoutine m_messages;
    EditorState m_editor;

    std::unique_ptr<TableCursor> m_countTbl;
    std::unique_ptr<TableCursor> m_transTbl;
    std::unique_ptr<TableCursor> m_filesTbl;
    std::unique_ptr<TableCursor> m_filesLinkTbl;

    QTabWidget *m_pages = nullptr;
    TCountPage *m_countPage = nullptr;
    TFilesPage *m_filesPage = nullptr;
    TTransPage *m_transPage = nullptr;
    QWidget *m_analyserPage = nullptr;
    TAnalyserChart *m_analyserChart = nullptr;
    TChartCommands *m_chartCommands = nullptr;
    TEditorCommands *m_commands = nullptr;
    TCountSummary *m_summary = nullptr;
    TCountEditing *m_editing = nullptr;
    TEditorReport *m_report = nullptr;
    TExportForm *m_exportForm = nullptr;
    QList<QLabel *> m_statusPanels;
    TFormFilter *m_filterForm = nullptr;
    TFindForm *m_findForm = nullptr;

    QTimer m_loadTimer;
    LoadStep m_pendingStep = LoadStep::None;
    int m_loadPause = 1000;
    bool m_openingBusy = false;
    QEventLoop *m_loop = nullptr;
    int m_result = 0;

    // The user chose not to save: the saved count's total stays as it was.
    bool m_closeDiscarded = false;

    std::function<std::optional<QString>()> m_askName;
    std::function<void()> m_cancelReport;
    std::function<bool()> m_filterDialogClose;
};

} // namespace qm
