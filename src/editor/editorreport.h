#pragma once

#include "editor/reportpreview.h" // complete type for QPointer
#include "report/printcountform.h"
#include "report/reportrun.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace qm {

class Database;
class MessageBoxRoutine;
class TMainForm;

// The editor's printed report: "&Print", "Print Pre&view", "Page Set&up"
// and the export as PDF. Every run lays the pages out from the event loop,
// so the editor answers while a long report is produced.
class TEditorReport : public QObject
{
    Q_OBJECT

public:
    TEditorReport(TMainForm &editor, Database &db, MessageBoxRoutine &messages);
    ~TEditorReport() override;

    void Print();
    void Preview();
    void PageSetup();
    void ExportPdf();

    bool IsBusy() const { return m_run.IsBusy(); }
    void Cancel();
    // The editor closes: so does the preview.
    void ClosePreview();

    // What "Page Set&up" and the print dialogs chose, kept between prints.
    QPrinter &printer() { return *m_printer; }
    TReportPreview *preview() const { return m_preview; }
    QAction *exportPdfAction() const { return m_exportPdf; }
    report::TReportRun &run() { return m_run; }
    // The last run's report, while it is kept.
    const report::TPrintCountForm *lastReport() const { return m_form.get(); }

signals:
    void RunFinished(bool completed);

private:
    enum class Target { Printer, Pdf, Preview };

    bool CanStart() const;
    QPageLayout RunLayout() const;
    void StartRun(Target target);
    bool OpenDevice(Target target, const QPageLayout &layout, const QString &title);
    bool SinkPage(const report::ReportPage &page);
    void Finished(bool completed);
    // True when the file was written.
    bool FinishPdf(bool completed);
    void PrintPreviewPages();
    void SetCommandsEnabled(bool on);
    void PreviewClosed();
    QString PdfFileName();

    TMainForm &m_editor;
    Database &m_db;
    MessageBoxRoutine &m_messages;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<report::TPrintCountForm> m_form;
    report::TReportRun m_run;
    report::TDevicePainter m_device;
    Target m_target = Target::Preview;
    std::unique_ptr<QSaveFile> m_pdfFile;
    std::unique_ptr<QPdfWriter> m_pdfWriter;
    QString m_pdfDirectory;
    QPointer<TReportPreview> m_preview;
    bool m_panelsReleased = false;
    QAction *m_exportPdf = nullptr;
};

} // namespace qm
