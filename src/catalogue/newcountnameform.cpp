#include "catalogue/newcountnameform.h"

#include "store/database.h"
#include "store/dialogservice.h"
#include "views/inputguards.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace qm {

namespace {

const QString kNameMissing = QStringLiteral("Please enter a description for the new count");
const QString kNameTaken =
    QStringLiteral("A count with this description already exists\nPlease enter a Description and try again ");

} // namespace

TNewCountNameForm::TNewCountNameForm(Database &db, DialogService &dialogs, QWidget *parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TNewCountNameForm"));
    setWindowTitle(QStringLiteral("Enter New Count Name"));
    setModal(true);
    setFixedSize(392, 75);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_name->setMaxLength(60);
    KeepSingleLine(m_name);
    // The box is named, so the user (and a screen reader) knows what it asks for.
    auto *label = new QLabel(QStringLiteral("&Description:"), this);
    label->setObjectName(QStringLiteral("NameLabel"));
    label->setBuddy(m_name);
    const int labelWidth = label->sizeHint().width();
    label->setGeometry(12, 10, labelWidth, m_name->sizeHint().height());
    m_name->setGeometry(12 + labelWidth + 6, 10, 392 - 12 - (12 + labelWidth + 6), m_name->sizeHint().height());
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    const int top = 75 - 8 - m_ok->sizeHint().height();
    m_cancel->setGeometry(392 - 12 - 80, top, 80, m_ok->sizeHint().height());
    m_ok->setGeometry(m_cancel->x() - 8 - 80, top, 80, m_ok->sizeHint().height());
    connect(m_ok, &QPushButton::clicked, this, &TNewCountNameForm::accept);
    connect(m_cancel, &QPushButton::clicked, this, &TNewCountNameForm::reject);
}

void TNewCountNameForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_name->clear();
    m_name->setFocus();
    m_ok->setDefault(true);
}

std::optional<QString> TNewCountNameForm::AskNewCountName()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_name->text();
}

bool TNewCountNameForm::NameTaken(const QString &name)
{
    return m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM CCounts WHERE Description = ?"), {name}).toInt() > 0;
}

void TNewCountNameForm::Refuse(const QString &message)
{
    m_dialogs.message(MessageKind::Error, message, MessageButtons::Ok);
    m_name->setFocus();
}

void TNewCountNameForm::accept()
{
    const QString name = m_name->text();
    if (name.trimmed().isEmpty()) {
        Refuse(kNameMissing);
        return;
    }
    // Exactly as typed: the saved description must match blanks and all.
    if (NameTaken(name)) {
        Refuse(kNameTaken);
        return;
    }
    QDialog::accept();
}

} // namespace qm
