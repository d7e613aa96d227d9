#pragma once

#include "store/query.h"

#include <QObject>

class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace qm {

class Database;
class TTransEditing;
class TTransPage;
class TableCursor;
struct AppState;
struct EditorState;

// Ties the transaction properties panel to the transaction cursor and to
// the editing rules: bound fields, the parts of the panel each type has,
// the "Details" tab, the "OK" and "Cancel" buttons, and the guard that
// keeps the tree's selection on a row that cannot be stored.
class TTransPanelBinding : public QObject
{
    Q_OBJECT

public:
    TTransPanelBinding(TTransPage &page, TTransEditing &editing, TableCursor &transTbl, Database &db,
                       AppState &app, EditorState &editor);

    // The "Details" tab shows the current row's sides (while it is the
    // active tab).
    void RefreshDetails();

signals:
    // "Change..." or a double click in the tree: the link dialog is wanted.
    void LinkFilesRequested();
    void CommandsChanged();

private:
    // The widgets of one side on the "Details" tab.
    struct SideView
    {
        QGroupBox *box = nullptr;
        QLineEdit *ftrs = nullptr;
        QLineEdit *dets = nullptr;
        QLabel *complexity = nullptr;
        QTreeWidget *files = nullptr;
        StoreQuery query;
    };

    void FindWidgets();
    void BindFields();
    void ConnectEditing();
    void RecordChanged();
    void ShowValues();
    void AdaptToType();
    void UpdateButtons();
    void RefreshSide(SideView &side, int cell);

    TTransPage &m_page;
    TTransEditing &m_editing;
    TableCursor &m_trans;
    Database &m_db;
    AppState &m_app;
    EditorState &m_editor;

    QLabel *m_tagText = nullptr;
    QLabel *m_fpCaption = nullptr;
    QLabel *m_fpText = nullptr;
    QLabel *m_complexityText = nullptr;
    QGroupBox *m_complexityBox = nullptr;
    SideView m_input;
    SideView m_output;
};

} // namespace qm
