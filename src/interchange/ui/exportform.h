#pragma once

#include "interchange/exporter.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace qm {

class Database;
class DialogService;

// "Export Count Details": which records of the open count go out, to a
// file or to the clipboard, with which delimiters. Created once and reused:
// the record group and destination stay as last chosen, the delimiters
// start from the defaults every time.
class TExportForm : public QDialog
{
    Q_OBJECT

public:
    enum Destination { ToFile = 0, ToClipboard = 1 };

    TExportForm(Database &db, DialogService &dialogs, QWidget *parent = nullptr);

    // Shows the dialog modally over the count in the working tables; the
    // total is the figure the count page shows.
    int Execute(qint64 countTotal);

    // What "OK" does before the dialog closes. A file that cannot be
    // written raises FileError for the application's error handler.
    void RunExport();

    ExportGroup group() const;
    Destination destination() const;
    QChar fieldDelimiter() const;
    QChar textDelimiter() const;

    QGroupBox *exportRadioGroup() const { return m_exportBox; }
    QGroupBox *destRadioGroup() const { return m_destBox; }
    QComboBox *delimComboBox() const { return m_fieldDelim; }
    QComboBox *textDelimComboBox() const { return m_textDelim; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QGroupBox *BuildRadioGroup(const QString &name, const QString &caption, const QStringList &items,
                               QButtonGroup *&group);
    void ResetDelimiters();
    ExportOptions Options() const;
    QString AskFileName();
    void ExportToFile();
    void ExportToClipboard();
    void OkClicked();

    Database &m_db;
    DialogService &m_dialogs;
    qint64 m_countTotal = 0;

    QGroupBox *m_exportBox = nullptr;
    QButtonGroup *m_exportGroup = nullptr;
    QGroupBox *m_destBox = nullptr;
    QButtonGroup *m_destGroup = nullptr;
    QComboBox *m_fieldDelim = nullptr;
    QComboBox *m_textDelim = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace qm
