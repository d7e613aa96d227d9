#pragma once

#include <QWidget>

class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace qm {

class TableCursor;

// The content of the count properties panel: one "Count Details" page that
// follows the current row of the catalogue's cursor, and the "Open Count..."
// button.
class CountDetails : public QWidget
{
    Q_OBJECT

public:
    explicit CountDetails(TableCursor &cursor, QWidget *parent = nullptr);

    QPushButton *openButton() const { return m_open; }
    // Re-reads the cursor's current row (empty fields when it has none).
    void showCurrentRow();

    // Narrow enough to leave the tree most of the window.
    QSize sizeHint() const override;

    // "dd/mm/yyyy" from a stored date; empty when the date is not valid.
    static QString DisplayDate(const QVariant &stored);

signals:
    void openRequested();

private:
    QLineEdit *addField(QGridLayout *grid, int row, const QString &caption, const QString &name);

    TableCursor &m_cursor;
    QTabWidget *m_pages = nullptr;
    QLineEdit *m_system = nullptr;
    QLineEdit *m_description = nullptr;
    QLineEdit *m_countId = nullptr;
    QLineEdit *m_type = nullptr;
    QLineEdit *m_status = nullptr;
    QLineEdit *m_total = nullptr;
    QLineEdit *m_created = nullptr;
    QLineEdit *m_updated = nullptr;
    QPushButton *m_open = nullptr;
};

} // namespace qm
