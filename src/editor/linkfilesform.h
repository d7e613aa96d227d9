#pragma once

#include "counting/rules.h"
#include "store/query.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace qm {

class Database;
class DialogService;
class TDBListView;
class TListItem;
class TMatrixGroup;

// "Link Files": chooses, for one transaction, the files each of its sides
// references and the DETs each side handles, and shows the matrix cells,
// the complexity and the value as they change. Nothing reaches the working
// tables before "OK", and "OK" writes only when something was changed.
class TFormAddIt : public QDialog
{
    Q_OBJECT

public:
    // The controls and figures of one side of the transaction.
    struct Side
    {
        QString flag; // link direction, "I" or "O"
        QWidget *tab = nullptr;
        TDBListView *available = nullptr;
        TDBListView *linked = nullptr;
        QPushButton *link = nullptr;      // "->"
        QPushButton *unlink = nullptr;    // "<-"
        QPushButton *unlinkAll = nullptr; // "<<-"
        QLineEdit *dets = nullptr;
        QToolButton *detsUp = nullptr;
        QToolButton *detsDown = nullptr;
        TMatrixGroup *matrix = nullptr;
        StoreQuery linkedQuery;
        StoreQuery availableQuery;
        bool loaded = false;
        int detCount = 0;
    };

    explicit TFormAddIt(Database &db, QWidget *parent = nullptr);

    // Where the dialog says why pasted DETs were not taken; without one
    // they are refused without a word.
    void setMessages(DialogService *messages) { m_messages = messages; }

    // Loads the transaction of the working count and shows the dialog
    // modally; the result is Accepted for "OK".
    int Execute(int countId, int transTag, bool readOnly);
    // The loading half of Execute, for callers that show the dialog
    // themselves. False (nothing shown) when the transaction is missing or
    // is a group.
    bool Prepare(int countId, int transTag, bool readOnly);
    // Puts the dialog over the middle of the window that owns it.
    void CentreOverOwner();

    bool linksChanged() const { return m_linksChanged; }
    // Set when "OK" wrote the result; the editor reads and clears it.
    bool linkResultWritten() const { return m_resultWritten; }
    void clearLinkResultWritten() { m_resultWritten = false; }

    Side &inputSide() { return m_input; }
    Side &outputSide() { return m_output; }
    QTabWidget *pageControl() const { return m_pages; }
    QButtonGroup *complexityGroup() const { return m_complexityGroup; }
    QLineEdit *fpEdit() const { return m_fpEdit; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    int complexity() const { return m_complexity; }
    int value() const { return m_value; }

    // Both ways of closing empty the lists and abandon unwritten changes.
    void done(int result) override;

private:
    QWidget *BuildSideTab(Side &side, Matrix matrix, const QString &boxTitle, bool multiAvailable);
    QWidget *BuildDetBox(Side &side, const QString &prefix);
    QWidget *BuildResultBox();
    void ConnectSide(Side &side);
    bool ReadRow(int countId, int transTag);
    void LoadSide(Side &side);
    void ShowSide(Side &side, bool shown);

    void LinkSelected(Side &side);
    void UnlinkSelected(Side &side);
    void UnlinkAll(Side &side);
    void SetButtons(Side &side);
    void DetsTyped(Side &side, const QString &text);
    void StepDets(Side &side, int delta);
    void Recompute();

    void OkClicked();
    void WriteResult();
    void Clear();

    Database &m_db;
    DialogService *m_messages = nullptr;
    QTabWidget *m_pages = nullptr;
    Side m_input;
    Side m_output;
    QButtonGroup *m_complexityGroup = nullptr;
    QLineEdit *m_fpEdit = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    int m_countId = 0;
    int m_transTag = 0;
    bool m_readOnly = false;
    QString m_type;
    QString m_changeType;
    int m_complexity = 0;
    int m_value = 0;
    bool m_shown = false;
    bool m_linksChanged = false;
    bool m_resultWritten = false;
};

} // namespace qm
