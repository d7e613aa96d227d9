#include "interchange/ui/exportform.h"

#include "store/dialogservice.h"
#include "views/cursorguard.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

const QStringList kGroups = {QStringLiteral("All"), QStringLiteral("Count"), QStringLiteral("Files"),
                             QStringLiteral("Transactions"), QStringLiteral("Links")};
const QStringList kDestinations = {QStringLiteral("File"), QStringLiteral("Clipboard")};
const QStringList kFieldDelimiters = {QStringLiteral(","), QStringLiteral("Tab"), QStringLiteral("#"),
                                      QStringLiteral("@")};
const QStringList kTextDelimiters = {QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("none")};

const QString kReadOnlyFile = QStringLiteral("%1\nThis file is set to read-only.\nTry again with a different file name.");

// An existing file the user may not write, or one marked read-only for
// everybody, is not replaced behind its back (not even by the superuser).
bool IsReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & writable);
}

} // namespace

TExportForm::TExportForm(Database &db, DialogService &dialogs, QWidget *parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TExportForm"));
    setWindowTitle(QStringLiteral("Export Count Details"));
    setModal(true);

    m_exportBox = BuildRadioGroup(QStringLiteral("ExportRadioGroup"), QStringLiteral("Export Options"), kGroups,
                                  m_exportGroup);
    m_destBox = BuildRadioGroup(QStringLiteral("DestRadioGroup"), QStringLiteral("Export To "), kDestinations,
                                m_destGroup);

    m_fieldDelim = new QComboBox;
    m_fieldDelim->setObjectName(QStringLiteral("DelimComboBox"));
    m_fieldDelim->addItems(kFieldDelimiters);
    m_textDelim = new QComboBox;
    m_textDelim->setObjectName(QStringLiteral("TDelimComboBox"));
    m_textDelim->addItems(kTextDelimiters);
    auto *delimiters = new QFormLayout;
    delimiters->addRow(QStringLiteral("Field Delimiter:"), m_fieldDelim);
    delimiters->addRow(QStringLiteral("Text Delimiter:"), m_textDelim);

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(m_ok, &QPushButton::clicked, this, &TExportForm::OkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &TExportForm::reject);

    auto *right = new QVBoxLayout;
    right->addWidget(m_destBox);
    right->addLayout(delimiters);
    right->addStretch();
    auto *choices = new QHBoxLayout;
    choices->addWidget(m_exportBox);
    choices->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    // A fixed border: the dialog is as large as its controls need.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox *TExportForm::BuildRadioGroup(const QString &name, const QString &caption, const QStringList &items,
                                        QButtonGroup *&group)
{
    auto *box = new QGroupBox(caption);
    box->setObjectName(name);
    group = new QButtonGroup(box);
    auto *column = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i]);
        group->addButton(button, i);
        column->addWidget(button);
    }
    group->button(0)->setChecked(true);
    return box;
}

int TExportForm::Execute(qint64 countTotal)
{
    m_countTotal = countTotal;
    ResetDelimiters();
    m_ok->setFocus();
    return exec();
}

void TExportForm::ResetDelimiters()
{
    m_fieldDelim->setCurrentIndex(0);
    m_textDelim->setCurrentIndex(0);
}

ExportGroup TExportForm::group() const
{
    return ExportGroup(std::max(0, m_exportGroup->checkedId()));
}

TExportForm::Destination TExportForm::destination() const
{
    return m_destGroup->checkedId() == ToClipboard ? ToClipboard : ToFile;
}

QChar TExportForm::fieldDelimiter() const
{
    const QString item = m_fieldDelim->currentText();
    return item == QStringLiteral("Tab") ? QChar(u'\t') : item.at(0);
}

QChar TExportForm::textDelimiter() const
{
    const QString item = m_textDelim->currentText();
    return item == QStringLiteral("none") ? QChar(u' ') : item.at(0);
}

ExportOptions TExportForm::Options() const
{
    ExportOptions o;
    o.group = group();
    o.fieldDelimiter = fieldDelimiter();
    o.textDelimiter = textDelimiter();
    o.countTotal = m_countTotal;
    return o;
}

void TExportForm::OkClicked()
{
    RunExport();
    accept();
}

void TExportForm::RunExport()
{
    if (destination() == ToClipboard)
        ExportToClipboard();
    else
        ExportToFile();
}

QString TExportForm::AskFileName()
{
    FileDialogRequest request;
    request.filters = {QStringLiteral("Text File (*.txt)"), QStringLiteral("Comma Separated Values (*.csv)"),
                       QStringLiteral("All Files (*)")};
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    for (;;) {
        const QString path = m_dialogs.saveFile(request);
        if (path.isEmpty() || !IsReadOnlyFile(path))
            return path;
        m_dialogs.message(MessageKind::Warning, kReadOnlyFile.arg(path), MessageButtons::Ok);
        request.fileName = path;
    }
}

void TExportForm::ExportToFile()
{
    const QString path = AskFileName();
    if (path.isEmpty())
        return;
    WaitCursor busy;
    WriteInterchangeFile(path, CollectExportLines(m_db, Options()));
}

void TExportForm::ExportToClipboard()
{
    QString text;
    {
        WaitCursor busy;
        text = ClipboardText(CollectExportLines(m_db, Options()));
    }
    if (text.size() >= kClipboardLimit) {
        m_dialogs.message(MessageKind::Error, kClipboardOverflowMessage, MessageButtons::Ok);
        return;
    }
    QGuiApplication::clipboard()->setText(text);
}

} // namespace qm
