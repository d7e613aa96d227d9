#pragma once

#include "analysis/filtertexts.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace qm {

class Database;
class StoreQuery;
struct AppState;

// "Filter Details": the choice of change types, complexities, transaction
// types and one referenced file that narrows the editor's trees. Created
// once; its ticks stay from one opening to the next within a count.
class TFormFilter : public QDialog
{
    Q_OBJECT

public:
    // fileSource is the file tree's item source, whose rows fill the list.
    TFormFilter(Database &db, AppState &state, StoreQuery &fileSource, QWidget *parent = nullptr);

    FilterState &filter() { return m_filter; }
    const FilterState &filter() const { return m_filter; }

    // Back to the state of no filter, with the file list filled anew.
    void ResetFilterDialog();
    // The dialog's state as the condition texts and the active flag.
    void BuildFilterTexts();
    // The texts again for the count's new id after a save, with the same
    // choices and file: the file clause names the count.
    void RenumberCount();

    // One check box group: its code boxes in order, then "Show All".
    struct Group
    {
        QList<QCheckBox *> codes;
        QCheckBox *showAll = nullptr;
    };
    const Group &changeGroup() const { return m_change; }
    const Group &complexityGroup() const { return m_complexity; }
    const Group &typeGroup() const { return m_type; }
    QComboBox *fileList() const { return m_files; }
    QPushButton *resetButton() const { return m_reset; }
    QPushButton *okButton() const { return m_ok; }
    QLabel *debugLabel() const { return m_debugLabel; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *BuildGroup(Group &group, const QString &title, const QString &name, const QStringList &captions);
    QWidget *BuildFileGroup();
    void CodeClicked(Group &group, QCheckBox *box);
    void ShowAllClicked(Group &group);
    void FileChosen(int index);
    void FillFileList();
    int FileTagOf(const QString &description);
    void Reset();
    FilterChoices Choices() const;

    Database &m_db;
    AppState &m_state;
    StoreQuery &m_fileSource;
    FilterState m_filter;
    Group m_change;
    Group m_complexity;
    Group m_type;
    QComboBox *m_files = nullptr;
    QPushButton *m_reset = nullptr;
    QPushButton *m_ok = nullptr;
    QLabel *m_debugLabel = nullptr;
};

} // namespace qm
