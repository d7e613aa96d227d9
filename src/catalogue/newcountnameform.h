#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace qm {

class Database;
class DialogService;

// "Enter New Count Name": names a count derived from the open one. The name
// must not be blank and must not be the description of any saved count.
class TNewCountNameForm : public QDialog
{
    Q_OBJECT

public:
    TNewCountNameForm(Database &db, DialogService &dialogs, QWidget *parent = nullptr);

    // The name as typed, or nothing when the user cancelled.
    std::optional<QString> AskNewCountName();

    QLineEdit *nameEdit() const { return m_name; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool NameTaken(const QString &name);
    void Refuse(const QString &message);

    Database &m_db;
    DialogService &m_dialogs;
    QLineEdit *m_name = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace qm
