#pragma once

#include "editor/itempage.h"

class QToolButton;

namespace qm {

class TDBListView;
struct TNodeInfo;

// The "Files" page: the flat list of logical files with its properties
// panel docked at the right edge.
class TFilesPage : public TItemPage
{
    Q_OBJECT

public:
    TFilesPage(Database &db, TableCursor &filesTbl, AppState &app, EditorState &editor, DialogService &messages,
               QWidget *parent = nullptr);

    TDBListView *linkedTransactions() const { return m_linked; }
    QWidget *complexityTab() const { return m_complexityTab; }
    QWidget *transactionsTab() const { return m_transactionsTab; }
    QLineEdit *retEdit() const { return m_rets; }
    QLineEdit *detEdit() const { return m_dets; }
    QWidget *retUpDown() const { return m_retUpDown; }
    QWidget *detUpDown() const { return m_detUpDown; }
    // The up or down arrow beside the RETs or the DETs.
    QToolButton *arrow(bool rets, bool up) const;
    QButtonGroup *matrixGroup() const { return m_matrixGroup; }

    void ApplyReadOnly(bool readOnly, const QString &countType) override;
    void Clear();

protected:
    void SelectionFollowed(bool found, int tag, bool hasPrev, bool hasNext) override;

private:
    QWidget *BuildComplexityTab();
    QWidget *BuildTransactionsTab();
    QWidget *UpDown(const QString &name);
    int NodeImage(const TNodeInfo &info) const;

    QWidget *m_complexityTab = nullptr;
    QWidget *m_transactionsTab = nullptr;
    QLineEdit *m_rets = nullptr;
    QLineEdit *m_dets = nullptr;
    QWidget *m_retUpDown = nullptr;
    QWidget *m_detUpDown = nullptr;
    QButtonGroup *m_matrixGroup = nullptr;
    TDBListView *m_linked = nullptr;
};

} // namespace qm
