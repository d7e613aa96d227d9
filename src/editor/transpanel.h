#pragma once

#include "store/query.h"

#include <QObject>

namespace qm {

class RadioGroupLink;

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
    void BindFields();
    void ConnectEditing();
    void RecordChanged();
    void ShowValues();
    void AdaptToType();
    void UpdateButtons();
    void RefreshSide(bool input, int cell);

    TTransPage &m_page;
    TTransEditing &m_editing;
    TableCursor &m_trans;
    Database &m_db;
    AppState &m_app;
    EditorState &m_editor;
    RadioGroupLink *m_typeLink = nullptr;

    StoreQuery m_inputFiles;
    StoreQuery m_outputFiles;
};

} // namespace qm
