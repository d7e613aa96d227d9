#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace qm {

// "Find": the text to look for in the tree of the editor's active page,
// the direction and whether case matters. Created once, so its contents
// stay from one search to the next.
class TFindForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxSearchLength = 80;

    explicit TFindForm(QWidget *parent = nullptr);

    // As typed; blanks around it are the caller's to drop.
    QString searchText() const;
    bool backwards() const;
    bool matchCase() const;

    QLineEdit *findEdit() const { return m_edit; }
    QPushButton *findButton() const { return m_find; }
    QPushButton *cancelButton() const { return m_cancel; }
    QRadioButton *upButton() const { return m_up; }
    QRadioButton *downButton() const { return m_down; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void TextChanged(const QString &text);

    QLineEdit *m_edit = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_cancel = nullptr;
    QGroupBox *m_direction = nullptr;
    QRadioButton *m_up = nullptr;
    QRadioButton *m_down = nullptr;
    QCheckBox *m_matchCase = nullptr;
};

} // namespace qm
