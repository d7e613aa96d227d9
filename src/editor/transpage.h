#pragma once

#include "editor/itempage.h"

class QTreeWidget;

namespace qm {

class TSummaryListView;
class TTreeNode;
struct TNodeInfo;

// The "Transactions" page: the transaction hierarchy with its properties
// panel docked at the right edge.
class TTransPage : public TItemPage
{
    Q_OBJECT

public:
    TTransPage(Database &db, TableCursor &transTbl, AppState &app, EditorState &editor, DialogService &messages,
               QWidget *parent = nullptr);

    TSummaryListView *totalsList() const { return m_totalsList; }
    QWidget *totalsTab() const { return m_totalsTab; }
    QWidget *detailsTab() const { return m_detailsTab; }
    // Raw keys, for the debug aids.
    QLineEdit *tagDebugEdit() const { return m_tagDebug; }
    QLineEdit *ownerDebugEdit() const { return m_ownerDebug; }

    // One side of the transaction on the "Details" tab.
    struct SideBox
    {
        QGroupBox *box = nullptr;
        QLineEdit *ftrs = nullptr;
        QLineEdit *dets = nullptr;
        QLabel *complexity = nullptr;
        QTreeWidget *files = nullptr;
    };
    const SideBox &inputBox() const { return m_inputBox; }
    const SideBox &outputBox() const { return m_outputBox; }
    // The record source of the groups; a filter adds its condition line
    // to it as to the items.
    StoreQuery &parentSource() { return m_parents; }

    void Reload(int countId, bool filtered) override;
    // Chooses every node's picture again from its record and value.
    void RefreshImages();
    // The same for one node and every group above it.
    void RefreshImagesUp(TTreeNode *node);
    void ApplyReadOnly(bool readOnly, const QString &countType) override;
    void SetDebugFieldsVisible(bool on);
    bool TotalsTabActive() const;
    void Clear();

signals:
    // The tree was built anew from the tables.
    void TreeReloaded();

protected:
    void TreeLoaded() override;
    void SelectionFollowed(bool found, int tag, bool hasPrev, bool hasNext) override;

private:
    QWidget *BuildDebugFields();
    QWidget *BuildTotalsTab();
    QWidget *BuildDetailsTab();
    QGroupBox *BuildSideBox(SideBox &side, const QString &title, const QString &prefix);
    int NodeImage(const TNodeInfo &info) const;

    StoreQuery m_parents;
    QWidget *m_totalsTab = nullptr;
    QWidget *m_detailsTab = nullptr;
    SideBox m_inputBox;
    SideBox m_outputBox;
    QWidget *m_debugFields = nullptr;
    QLineEdit *m_tagDebug = nullptr;
    QLineEdit *m_ownerDebug = nullptr;
    TSummaryListView *m_totalsList = nullptr;
};

} // namespace qm
