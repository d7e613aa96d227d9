#pragma once

#include "editor/editorstate.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace qm {

class Database;
class TDBTreeView;
class TEditMenu;
class TMainForm;
class TTransEditing;
class TTreeNode;
class WorkingCopy;

namespace text {
inline const QString CopyIntoOwnGroup = QStringLiteral("Cannot copy the Group to one of its children");
inline const QString MoveIntoOwnGroup = QStringLiteral("Cannot move the Group to one of its children");
inline const QString MarkedTransGone =
    QStringLiteral("The transaction you are attempting to Move or Copy cannot be found");
inline const QString MoveOwnerFailed = QStringLiteral("Error Moving Transaction(2) - Close the Current Count");
inline const QString CopyFailed =
    QStringLiteral("The transactions could not be copied, and nothing of the copy was kept:\n");
} // namespace text

// Cut, copy and paste in the editor. With the transaction tree focused they
// mark a transaction with its subtree and copy or move it to the selected
// node; anywhere else they serve the focused text control through the
// system clipboard. Dragging a node onto another moves it the same way.
// Each copy and each move is one database transaction: when it fails
// nothing of it stays, and the tree is built again from the tables.
class TTransClipboard : public QObject
{
    Q_OBJECT

public:
    TTransClipboard(TMainForm &form, Database &db, WorkingCopy &workingCopy, TTransEditing &trans);

    // The commands of the Edit menu and the toolbar.
    void Cut();
    void Copy();
    void Paste();

    // The node marked by Cut or Copy; null when nothing is marked or the
    // node has gone from the tree.
    TTreeNode *markedNode() const;
    bool HasMark() const { return !m_markedKey.isEmpty() && m_editor.clipboardMode != ClipboardMode::None; }
    // Unmarks the node marked before; a node and a mode other than none
    // mark it (dimmed).
    void Mark(TTreeNode *node, ClipboardMode mode);
    void ClearMark() { Mark(nullptr, ClipboardMode::None); }

    // The two pastes, also run by a drop. The target's placement decides
    // the new owner: into a group, else beside the target.
    void CopySubtree(TTreeNode *source, TTreeNode *target);
    void MoveSubtree(TTreeNode *source, TTreeNode *target);

    TEditMenu &editMenu() { return *m_menu; }

private:
    struct CopyItem
    {
        TTreeNode *source = nullptr;
        int parent = -1; // index of the source's parent in the list
    };

    TDBTreeView &tree() const;
    bool TreeHasFocus() const;
    void DropOn(const QString &targetKey);
    static bool IsInside(const TTreeNode *node, const TTreeNode *ancestor);
    static QList<CopyItem> Subtree(TTreeNode *root);
    // Stores a pending edit first and finds both nodes again; false when
    // the edit could not be stored or a node went with it.
    bool StorePending(TTreeNode *&source, TTreeNode *&target);
    int OwnerFor(const TTreeNode *target) const;
    // Writes the rows and links and builds their nodes outside the tree,
    // under root.
    QList<TTreeNode *> WriteCopies(const QList<CopyItem> &items, int owner, std::unique_ptr<TTreeNode> &root);
    void FinishCopies(const QList<CopyItem> &items, const QList<TTreeNode *> &copies);
    bool WriteOwner(int tag, int owner);
    void RebuildAfterFailure(const QString &selectKey);

    TMainForm &m_form;
    Database &m_db;
    WorkingCopy &m_wc;
    TTransEditing &m_trans;
    EditorState &m_editor;
    TEditMenu *m_menu = nullptr;
    QString m_markedKey;
};

} // namespace qm
