#pragma once

#include <QList>
#include <QObject>

class QWidget;

namespace qm {

class TMainForm;
class TTransClipboard;

// The editor's text controls that serve the system clipboard: a line edit
// or a memo, each asked the same things.
namespace textclip {
bool HasSelectedText(const QWidget *control);
bool IsReadOnly(const QWidget *control);
void Cut(QWidget *control);
void Copy(QWidget *control);
void Paste(QWidget *control);
// The clipboard holds text that is not empty.
bool ClipboardHasText();
} // namespace textclip

// The Edit menu: its clipboard captions and the enabling of its items,
// worked out from the page shown, the focus and the command flags.
class TEditMenu : public QObject
{
    Q_OBJECT

public:
    TEditMenu(TMainForm &form, TTransClipboard &clipboard);

    // The text controls in the order the clipboard commands try them:
    // transaction comments and name, file comments and name, count notes
    // and description.
    QList<QWidget *> TextControls() const;
    // The first of them that has the focus, or none.
    QWidget *FocusedTextControl() const;

    // Evaluated whenever the menu opens, and after every change of the
    // commands or of the focus, so the shortcuts follow the same rules.
    void Update();

private:
    void ResetItems();
    void EnableTextItems(const QList<QWidget *> &controls, bool paste);
    void UpdateTransactionItems();

    TMainForm &m_form;
    TTransClipboard &m_clipboard;
};

} // namespace qm
