#pragma once

#include "editor/itemediting.h"

namespace qm {

class TTransEditing;

namespace text {
inline const QString FileNameRequired = QStringLiteral("You must enter a file name");
inline const QString MarkLinkedFileDeleted =
    QStringLiteral("Marking this file as deleted will unlink all associated transactions\n"
                   "and their complexity will be recalculated. Ok to continue ?");
inline const QString DeleteLinkedFile = QStringLiteral(
    "Deleting this file will cause all associated transactions to have their complexity recalculated. "
    "Ok to continue ?");
// Pasted text that makes no count; the boxes refuse such keys as typed.
inline const QString RetsRefused = QStringLiteral("RETs must be a whole number from 0 to 99");
inline const QString DetsRefused = QStringLiteral("DETs must be a whole number from 0 to 99");
} // namespace text

// The editing of the logical files on the editor's cursor and flat tree:
// new rows, checks before a row is stored, RETs and DETs with the file's
// complexity and value, and deleting or marking deleted a file that
// transactions reference, which takes its links away and recounts them.
class TFilesEditing : public TItemEditing
{
    Q_OBJECT

public:
    static constexpr int MaxCount = 99;

    TFilesEditing(Database &db, TableCursor &filesTbl, TDBTreeView &tree, AppState &app, EditorState &editor,
                  WorkingCopy &workingCopy, DialogService &messages, TTransEditing &transactions,
                  QObject *parent = nullptr);

    void InsertFile();
    void DeleteFile();
    // The type group was clicked: 0 internal logical, 1 external interface.
    void TypeChosen(int index);
    // The up-down controls: one step, never below 0 or above 99.
    void StepRets(int delta);
    void StepDets(int delta);
    // Text typed into the edits; an empty edit counts 0, anything else
    // that is not a count is ignored (the edits refuse it anyway).
    void RetsTyped(const QString &text);
    void DetsTyped(const QString &text);
    // Says why text pasted into the RETs or DETs was not taken.
    void CountRefused(bool rets);
    // Complexity and value from RETs and DETs; writes only while editing.
    void Recompute();

    // The matrix cell of the cursor's row, -1 without DETs.
    int CurrentCell() const;

protected:
    bool BeforePost(TableCursor &cursor) override;
    void AfterPost() override;
    void AllowCommands(bool allowed) override;

private:
    void StepCount(const QString &field, int delta);
    void TypedCount(const QString &field, const QString &text);
    bool EnsureEditing();

    TTransEditing &m_transactions;
};

} // namespace qm
