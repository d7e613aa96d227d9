#include "views/directorychooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace qm {

DirectoryChooser::DirectoryChooser(QWidget *parent, const QString &caption, const QString &start, DirectoryMode mode)
    : QFileDialog(parent, caption, start), m_mode(mode)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ShowDirsOnly, true);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::Accept, QStringLiteral("Select"));
    setLabelText(QFileDialog::FileName, QStringLiteral("Folder:"));

    // The dialog re-evaluates its button on every change; ours runs after it,
    // so a typed new name is not refused in AllowNew mode.
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textChanged, this, [this] { QTimer::singleShot(0, this, [this] { updateSelectButton(); }); });
    connect(this, &QFileDialog::directoryEntered, this, [this] { QTimer::singleShot(0, this, [this] { updateSelectButton(); }); });
}

QString DirectoryChooser::typedOrSelectedPath() const
{
    const auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    const QString typed = edit ? edit->text().trimmed() : QString();
    if (typed.isEmpty())
        return directory().absolutePath();
    // Several selected folders show as quoted names; the first one counts.
    const QStringList selected = selectedFiles();
    if (typed.startsWith(QLatin1Char('"')) && !selected.isEmpty())
        return selected.constFirst();
    return QDir::cleanPath(directory().absoluteFilePath(QDir::fromNativeSeparators(typed)));
}

void DirectoryChooser::updateSelectButton()
{
    auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *button = box ? box->button(QDialogButtonBox::Open) : nullptr;
    if (!button)
        return;
    const QFileInfo info(typedOrSelectedPath());
    button->setEnabled(info.isDir() || (m_mode == DirectoryMode::AllowNew && !info.exists()));
}

void DirectoryChooser::accept()
{
    const QString path = typedOrSelectedPath();
    const QFileInfo info(path);
    if (info.isDir() || (m_mode == DirectoryMode::AllowNew && !info.exists())) {
        m_chosen = path;
        QDialog::accept();
        return;
    }
    // A file's name or a missing folder: the file dialog says what is wrong.
    QFileDialog::accept();
    if (result() == QDialog::Accepted && !selectedFiles().isEmpty())
        m_chosen = selectedFiles().constFirst();
}

} // namespace qm
