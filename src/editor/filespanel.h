#pragma once

#include "store/query.h"

#include <QObject>

class QLineEdit;

namespace qm {

class RadioGroupLink;

class Database;
class TFilesEditing;
class TFilesPage;
class TableCursor;
class TDBListView;
class TListItem;
struct AppState;
struct EditorState;

// Ties the file properties panel to the file cursor and the editing rules:
// bound fields, RETs and DETs with their up-downs and the matrix, the list
// of linked transactions, the "OK" and "Cancel" buttons and the guard that
// keeps the tree's selection on a row that cannot be stored.
class TFilesPanelBinding : public QObject
{
    Q_OBJECT

public:
    TFilesPanelBinding(TFilesPage &page, TFilesEditing &editing, TableCursor &filesTbl, Database &db, AppState &app,
                       EditorState &editor);

    // Reloads the linked transactions while their tab is the active one.
    void RefreshLinkedTransactions();

signals:
    void CommandsChanged();

private:
    void BindFields();
    void ConnectEditing();
    void ConnectCounts(QLineEdit *edit, bool rets);
    void RecordChanged();
    void ShowValues();
    void ShowCount(QLineEdit *edit, const QString &field);
    void UpdateButtons();
    void ItemImage(TDBListView *list, TListItem *item);
    bool IsEnhancement();

    TFilesPage &m_page;
    TFilesEditing &m_editing;
    TableCursor &m_files;
    Database &m_db;
    AppState &m_app;
    EditorState &m_editor;
    RadioGroupLink *m_typeLink = nullptr;
    StoreQuery m_linkQuery;

    bool m_enhancement = false;
};

} // namespace qm
