#pragma once

#include "interchange/importcheck.h"

#include <QDialog>

#include <optional>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace qm {

class Database;
class DialogService;

// "Import Count": the chosen file's text, editable, on the first page; on
// the second every line as read, the lines with problems in bold red, and
// the messages under them. Nothing is written until "Next >" on the second
// page, which only a text without errors reaches.
class TImportForm : public QDialog
{
    Q_OBJECT

public:
    enum Page { ImportFilePage = 0, ValidatePage = 1 };

    TImportForm(Database &db, DialogService &dialogs, QWidget *parent = nullptr);

    // Asks for a file and runs the wizard; the new count's id once it is in
    // the working tables, nothing when the user cancelled.
    std::optional<int> RunImport();

    // The text area's lines as the checks read them: a line break at the
    // very end starts no further line.
    QStringList ImportLines() const;

    // The steps the buttons take, for the program and for tests.
    void Validate();
    void Back();
    void Load();

    const TImportCheck &check() const { return m_check; }
    QTabWidget *pages() const { return m_pages; }
    QPlainTextEdit *importEdit() const { return m_importEdit; }
    QPlainTextEdit *validateView() const { return m_validate; }
    QPlainTextEdit *errorLog() const { return m_errors; }
    QPushButton *importNextButton() const { return m_importNext; }
    QPushButton *importCancelButton() const { return m_importCancel; }
    QPushButton *validateNextButton() const { return m_validateNext; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *validateCancelButton() const { return m_validateCancel; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *BuildImportPage();
    QWidget *BuildValidatePage();
    QPlainTextEdit *TextBox(const QString &name, bool readOnly);
    QPushButton *Button(QWidget *page, const QString &name, const QString &caption);
    void ShowPage(Page page);
    bool ReadFile(const QString &path);
    void ShowResults();
    void LayoutPages();

    Database &m_db;
    DialogService &m_dialogs;
    TImportCheck m_check;
    std::optional<int> m_loaded;

    QTabWidget *m_pages = nullptr;
    QPlainTextEdit *m_importEdit = nullptr;
    QPlainTextEdit *m_validate = nullptr;
    QPlainTextEdit *m_errors = nullptr;
    QPushButton *m_importNext = nullptr;
    QPushButton *m_importCancel = nullptr;
    QPushButton *m_validateNext = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_validateCancel = nullptr;
};

} // namespace qm
