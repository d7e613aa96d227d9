#pragma once

#include <QString>

namespace qm {

// What the transaction or file panel is doing with its row.
enum class EditMode { Browsing = 0, Editing = 1, Inserting = 2, Copying = 3 };

// The transaction clipboard: nothing marked, a copy or a cut.
enum class ClipboardMode { None = 0, Copy = 1, Cut = 2 };

// The editor's state shared by its pages: the edit modes and the command
// flags the pages set and the command enabling reads.
struct EditorState
{
    bool readOnly = false;

    EditMode transEditMode = EditMode::Browsing;
    EditMode fileEditMode = EditMode::Browsing;
    int currentTransTag = 0;
    QString nextTransType = QStringLiteral("I");
    QString nextFileType = QStringLiteral("I");
    int newTransOwner = 0;

    bool canLinkFiles = false;
    bool canInsertTrans = false;
    bool canInsertChild = false;
    bool canDeleteTrans = false;
    bool canInsertFile = false;
    bool canDeleteFile = false;
    bool hasPrevTrans = false;
    bool hasNextTrans = false;
    bool hasPrevFile = false;
    bool hasNextFile = false;
    ClipboardMode clipboardMode = ClipboardMode::None;

    // The five permissions follow the count's read-only state.
    void setPermissions(bool allowed)
    {
        canInsertTrans = canInsertChild = canDeleteTrans = canInsertFile = canDeleteFile = allowed;
    }
};

} // namespace qm
