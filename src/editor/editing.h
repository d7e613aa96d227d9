#pragma once

#include <QObject>

class QTreeWidgetItem;

namespace qm {

class Database;
class TFilesEditing;
class TFilesPanelBinding;
class TFormAddIt;
class TMainForm;
class TTransEditing;
class TTransClipboard;
class TTransPanelBinding;
class WorkingCopy;

// Everything the editor window does to a count's transactions, files and
// links: the editing rules of both pages, their panels' bindings, the
// "Link Files" dialog and the commands that run them.
class TCountEditing : public QObject
{
    Q_OBJECT

public:
    TCountEditing(TMainForm &form, Database &db, WorkingCopy &workingCopy);
    ~TCountEditing() override;

    TTransEditing &transactions() { return *m_trans; }
    TFilesEditing &files() { return *m_files; }
    TTransPanelBinding &transPanel() { return *m_transPanel; }
    TFilesPanelBinding &filesPanel() { return *m_filesPanel; }
    TFormAddIt &linkForm() { return *m_linkForm; }
    TTransClipboard &clipboard() { return *m_clipboard; }

    // The transaction complexity command: the link dialog for the selected
    // transaction, and what the editor does with its result.
    void LinkFiles();
    // Before a command moves the selection of the transaction or file tree:
    // a pending edit there is stored, and false means it could not be.
    bool CanLeaveRow(bool transactions, const QTreeWidgetItem *target);

private:
    void ImplementCommands();
    void TakeLinkResult();

    TMainForm &m_form;
    Database &m_db;
    TTransEditing *m_trans = nullptr;
    TFilesEditing *m_files = nullptr;
    TTransPanelBinding *m_transPanel = nullptr;
    TFilesPanelBinding *m_filesPanel = nullptr;
    TFormAddIt *m_linkForm = nullptr;
    TTransClipboard *m_clipboard = nullptr;
};

} // namespace qm
