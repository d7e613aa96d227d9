#include "editor/editmenu.h"

#include "editor/countpage.h"
#include "editor/editorcommands.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transclipboard.h"
#include "editor/transpage.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

namespace qm {

// --- Text controls ---

namespace textclip {

bool HasSelectedText(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->hasSelectedText();
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        return memo->textCursor().hasSelection();
    return false;
}

bool IsReadOnly(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->isReadOnly();
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        return memo->isReadOnly();
    return true;
}

void Cut(QWidget *control)
{
    // A protected field gives its text away only by a copy.
    if (IsReadOnly(control))
        return;
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->cut();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->cut();
}

void Copy(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->copy();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->copy();
}

void Paste(QWidget *control)
{
    if (IsReadOnly(control) || !ClipboardHasText())
        return;
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->paste();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        // As the comment boxes take a paste by key: plain text, without
        // Qt's reading of the clipboard's formats.
        memo->insertPlainText(QGuiApplication::clipboard()->text());
}

bool ClipboardHasText()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard && !clipboard->text().isEmpty();
}

} // namespace textclip

// --- The menu ---

namespace {

const QString kCopy = QStringLiteral("&Copy");
const QString kCut = QStringLiteral("Cu&t");
const QString kPaste = QStringLiteral("&Paste");

} // namespace

TEditMenu::TEditMenu(TMainForm &form, TTransClipboard &clipboard)
    : QObject(&form), m_form(form), m_clipboard(clipboard)
{
    if (QMenu *menu = form.commands().menu(QStringLiteral("&Edit")))
        connect(menu, &QMenu::aboutToShow, this, &TEditMenu::Update);
    connect(&form, &TMainForm::CommandsUpdated, this, &TEditMenu::Update);
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_form.isVisible())
            Update();
    });
    if (QClipboard *system = QGuiApplication::clipboard())
        connect(system, &QClipboard::dataChanged, this, &TEditMenu::Update);
    // Selecting text changes what the menu offers.
    for (QWidget *control : TextControls()) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            connect(edit, &QLineEdit::selectionChanged, this, &TEditMenu::Update);
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
            connect(memo, &QPlainTextEdit::selectionChanged, this, &TEditMenu::Update);
    }
    Update();
}

QList<QWidget *> TEditMenu::TextControls() const
{
    return {m_form.transPage()->memo(),     m_form.transPage()->nameEdit(), m_form.filesPage()->memo(),
            m_form.filesPage()->nameEdit(), m_form.countPage()->notesMemo(), m_form.countPage()->nameEdit()};
}

QWidget *TEditMenu::FocusedTextControl() const
{
    for (QWidget *control : TextControls())
        if (control && control->hasFocus())
            return control;
    return nullptr;
}

void TEditMenu::ResetItems()
{
    using C = TEditorCommands;
    TEditorCommands &c = m_form.commands();
    for (C::Id id : {C::MenuInsertFile, C::MenuDeleteFile, C::MenuInsertTrans, C::MenuInsertChild,
                     C::MenuDeleteTrans, C::MenuPaste, C::MenuCut, C::MenuCopy, C::MenuTransComplexity})
        c.SetEnabled(id, false);
    c.action(C::MenuCopy)->setText(kCopy);
    c.action(C::MenuCut)->setText(kCut);
    c.action(C::MenuPaste)->setText(kPaste);
}

void TEditMenu::EnableTextItems(const QList<QWidget *> &controls, bool paste)
{
    // Only the control with the focus counts, the first of the list first.
    TEditorCommands &c = m_form.commands();
    for (QWidget *control : controls) {
        if (!control->hasFocus())
            continue;
        if (paste && textclip::ClipboardHasText()) {
            c.SetEnabled(TEditorCommands::MenuPaste, true);
            c.action(TEditorCommands::MenuPaste)->setText(QStringLiteral("&Paste Text"));
        }
        if (!paste && textclip::HasSelectedText(control)) {
            c.SetEnabled(TEditorCommands::MenuCut, true);
            c.action(TEditorCommands::MenuCut)->setText(QStringLiteral("Cu&t Text"));
        }
        return;
    }
}

void TEditMenu::Update()
{
    using C = TEditorCommands;
    TEditorCommands &c = m_form.commands();
    ResetItems();
    const int page = m_form.activePage();
    QList<QWidget *> pageControls;
    if (page == TMainForm::GeneralPage)
        pageControls = {m_form.countPage()->nameEdit(), m_form.countPage()->notesMemo()};
    else if (page == TMainForm::TransactionsPage)
        pageControls = {m_form.transPage()->nameEdit(), m_form.transPage()->memo()};
    else if (page == TMainForm::FilesPage)
        pageControls = {m_form.filesPage()->nameEdit(), m_form.filesPage()->memo()};

    // Copying text is open to any count.
    for (QWidget *control : pageControls) {
        if (control->hasFocus() && textclip::HasSelectedText(control)) {
            c.SetEnabled(C::MenuCopy, true);
            c.action(C::MenuCopy)->setText(QStringLiteral("&Copy Text"));
            break;
        }
    }
    if (m_form.isReadOnly())
        return;

    const EditorState &e = m_form.editorState();
    if (page == TMainForm::GeneralPage) {
        EnableTextItems(pageControls, true);
        EnableTextItems(pageControls, false);
    } else if (page == TMainForm::FilesPage) {
        c.SetEnabled(C::MenuInsertFile, e.canInsertFile);
        if (m_form.filesPage()->tree()->SelectedNode())
            c.SetEnabled(C::MenuDeleteFile, e.canDeleteFile);
        EnableTextItems(pageControls, true);
        EnableTextItems(pageControls, false);
    } else if (page == TMainForm::TransactionsPage) {
        UpdateTransactionItems();
        if (!m_form.transPage()->tree()->hasFocus()) {
            EnableTextItems(pageControls, true);
            EnableTextItems(pageControls, false);
        }
    }
}

void TEditMenu::UpdateTransactionItems()
{
    using C = TEditorCommands;
    TEditorCommands &c = m_form.commands();
    const EditorState &e = m_form.editorState();
    TDBTreeView *tree = m_form.transPage()->tree();
    const bool selected = tree->SelectedNode() != nullptr;
    c.SetEnabled(C::MenuTransComplexity, e.canLinkFiles);
    c.SetEnabled(C::MenuInsertTrans, e.canInsertTrans);
    c.SetEnabled(C::MenuInsertChild, e.canInsertChild);
    if (selected)
        c.SetEnabled(C::MenuDeleteTrans, e.canDeleteTrans);
    if (!tree->hasFocus())
        return;
    if (m_clipboard.HasMark()) {
        c.SetEnabled(C::MenuPaste, true);
        c.action(C::MenuPaste)->setText(QStringLiteral("&Paste Transaction"));
    }
    if (selected) {
        c.SetEnabled(C::MenuCut, true);
        c.action(C::MenuCut)->setText(QStringLiteral("Cu&t Transaction"));
        c.SetEnabled(C::MenuCopy, true);
        c.action(C::MenuCopy)->setText(QStringLiteral("&Copy Transaction"));
    }
}

} // namespace qm
