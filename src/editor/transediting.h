#pragma once

#include "editor/itemediting.h"
#include "editor/linkqueries.h"

namespace qm {

namespace text {
inline const QString TransNameRequired = QStringLiteral("You must enter a transaction name");
inline const QString GroupHasChildren = QStringLiteral("Change Invalid - Group Has Children ");
inline const QString DeleteChildrenFirst = QStringLiteral("Delete Children First");
inline const QString HiddenChildren = QStringLiteral("Cannot Delete - Selected Item has Children");
inline const QString RowNotFound = QStringLiteral("Error Row not Found");
inline const QString TransAddFailed = QStringLiteral("Fatal error on transaction add");
} // namespace text

// The editing of the transaction hierarchy on the editor's cursor and tree:
// new rows and their owners and defaults, the checks and clean-up before a
// row is stored, what follows a store or a cancel, deletes, type changes,
// and the links that go when a type no longer has their side. What it needs
// from the panel it asks for through its signals.
class TTransEditing : public TItemEditing
{
    Q_OBJECT

public:
    TTransEditing(Database &db, TableCursor &transTbl, TDBTreeView &tree, AppState &app, EditorState &editor,
                  WorkingCopy &workingCopy, DialogService &messages, QObject *parent = nullptr);

    // The editor's own cursor on FilesLink, read again after links change.
    void setLinkCursor(TableCursor *filesLinkTbl) { m_links = filesLinkTbl; }

    void InsertTransaction();
    void InsertChildTransaction();
    void DeleteTransaction();
    // The type group was clicked: 0 input, 1 output, 2 inquiry, 3 group.
    void TypeChosen(int index);
    // Complexity and value from the counts; writes only while editing.
    void Recompute();
    // Removes every link of a file and recomputes each transaction it was
    // linked to. False, with nothing changed, when a transaction edit in
    // progress could not be stored first.
    bool UnlinkFile(int fileTag);

    static QString TypeOfIndex(int index);
    static int IndexOfType(const QString &type);

signals:
    // The type changed: the panel adapts.
    void TypeChanged();
    // The selected node is about to be deleted.
    void NodeDeleting(QTreeWidgetItem *node);

protected:
    bool BeforePost(TableCursor &cursor) override;
    void AfterPost() override;
    void AllowCommands(bool allowed) override;

private:
    void Insert(bool child);
    void StartNewRow(int owner);
    void Normalise(const QString &type);
    void BeforeDelete(const QString &key, bool &allow);
    QString StoredTypeOfNode(int tag) const;
    void DeleteLinksNotFitting(int tag, const QString &oldType, const QString &newType);
    // Writes the lowered counts and new figures of the transactions a
    // file's links led to; the tags of those recounted.
    QList<int> Recount(const QList<FileLinkRef> &links);
    // Brings their nodes and the change counter up to the stored figures.
    void ShowRecounted(const QList<int> &tags);

    TableCursor *m_links = nullptr;
    bool m_deleteAllowed = false;
};

} // namespace qm
