#pragma once

#include "editorfixture.h"

#include "editor/editorcommands.h"

#include <QString>

class QAbstractButton;
class QLineEdit;
class QTreeWidgetItem;

namespace qm {
class TCountEditing;
class TDBTreeView;
class TMainForm;
class TTreeNode;
} // namespace qm

namespace qm::test {

// Works the editor's Transactions and Files pages as a user does: commands,
// typing into the panels, clicking choices, buttons and tree nodes.
class EditingDriver
{
public:
    explicit EditingDriver(EditorFixture &fx);

    TMainForm &editor;
    TCountEditing &editing;

    void Command(TEditorCommands::Id id);
    void ShowTransactions();
    void ShowFiles();

    static void Type(QLineEdit *edit, const QString &text); // replaces the text
    static void Click(QAbstractButton *button);
    static void ClickNode(TDBTreeView *tree, QTreeWidgetItem *node);
    static TTreeNode *Node(TDBTreeView *tree, const QString &name);
    // Presses on a node, drags it to a point of the tree's viewport and
    // lets go there, as the mouse does.
    static void DragNode(TDBTreeView *tree, QTreeWidgetItem *from, const QPoint &to);

    TDBTreeView *transTree() const;
    TDBTreeView *filesTree() const;
    TTreeNode *Trans(const QString &name) const { return Node(transTree(), name); }
    TTreeNode *File(const QString &name) const { return Node(filesTree(), name); }
    void SelectTrans(const QString &name);
    void SelectFile(const QString &name);

    // The panels' controls.
    void TransName(const QString &name);
    void TransType(int index);
    void TransOk();
    void FileName(const QString &name);
    void FileType(int index);
    void FileCounts(const QString &rets, const QString &dets);
    void FileOk();

    // A whole new transaction: the command, a name, a type, "OK".
    void NewTrans(TEditorCommands::Id command, const QString &name, int typeIndex);
    void NewFile(const QString &name, int typeIndex, int rets, int dets);

    // Drives the "Link Files" dialog once it is up, then presses "OK".
    struct SideLinks
    {
        QStringList files;
        int dets = -1; // -1 leaves the DETs alone
    };
    void LinkFiles(const SideLinks &input, const SideLinks &output);
    void LinkFiles(const SideLinks &input) { LinkFiles(input, SideLinks()); }
};

} // namespace qm::test
