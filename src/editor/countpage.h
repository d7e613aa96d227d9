#pragma once

#include "analysis/countsummary.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace qm {

class ComboBoxLink;
class FieldLink;
class TableCursor;
class TSummaryListView;

// The "General" page: the open count's name, system and type, its summary
// and totals, the fourteen characteristics, its creation details and
// comments, and the OK and Cancel that store or drop the count row's edit.
class TCountPage : public QWidget
{
    Q_OBJECT

public:
    explicit TCountPage(TableCursor &countTbl, QWidget *parent = nullptr);

    // Where the summary writes; the transaction totals list is not here.
    SummaryDisplays Displays() const;

    // One empty entry, then the systems given (sorted by the caller).
    void FillSystems(const QStringList &systems);
    void SetReadOnly(bool on);
    // Blue while a filter narrows the figures, else the window's text colour.
    void ApplyFilterColour(bool filtered);
    void SetTotalsVisible(bool on);
    void ShowSummaryTab();
    void FocusName();

    QTabWidget *tabs() const { return m_tabs; }
    QLineEdit *nameEdit() const { return m_name; }
    QComboBox *systemBox() const { return m_system; }
    QPlainTextEdit *notesMemo() const { return m_notes; }
    QComboBox *characteristic(int i) const { return m_characteristics.value(i); }
    TSummaryListView *summaryList() const { return m_summaryList; }
    QGroupBox *totalsBox() const { return m_totals; }
    QGroupBox *summaryBox() const { return m_summaryBox; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QLineEdit *oldVafEdit() const { return m_oldVaf; }

    // Placement of every box after a resize or a toolbar change.
    void LayoutPage();

signals:
    // The count page's "OK" and "Cancel".
    void OkClicked();
    void CancelClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QGroupBox *BuildDetails();
    QWidget *BuildSummaryTab();
    QGroupBox *BuildTotals();
    QWidget *BuildVafTab();
    QWidget *BuildDetailsTab();
    void BindControls();
    void ShowRecord();
    void UpdateButtons();
    QLineEdit *Figure(const QString &name);

    TableCursor &m_count;
    QGroupBox *m_details = nullptr;
    QLineEdit *m_name = nullptr;
    QComboBox *m_system = nullptr;
    QLabel *m_countType = nullptr;
    QTabWidget *m_tabs = nullptr;
    QWidget *m_summaryTab = nullptr;
    QGroupBox *m_summaryBox = nullptr;
    TSummaryListView *m_summaryList = nullptr;
    QGroupBox *m_totals = nullptr;
    QLineEdit *m_unAddChange = nullptr;
    QLineEdit *m_unDelete = nullptr;
    QLineEdit *m_unTotal = nullptr;
    QLineEdit *m_addChange = nullptr;
    QLineEdit *m_delete = nullptr;
    QLineEdit *m_total = nullptr;
    QLineEdit *m_vafAfter = nullptr;
    QLineEdit *m_oldVaf = nullptr;
    QLineEdit *m_vafTab = nullptr;
    QList<QComboBox *> m_characteristics;
    QLineEdit *m_created = nullptr;
    QLineEdit *m_ownerSystem = nullptr;
    QLineEdit *m_ownerDescription = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QList<FieldLink *> m_links;
    ComboBoxLink *m_systemLink = nullptr;
};

} // namespace qm
