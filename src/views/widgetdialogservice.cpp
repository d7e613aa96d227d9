#include "views/widgetdialogservice.h"

#include "views/cursorguard.h"
#include "views/directorychooser.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

namespace qm {

namespace {

QMessageBox::Icon iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString title()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Quillmark") : name;
}

} // namespace

MessageAnswer WidgetDialogService::message(MessageKind kind, const QString &text, MessageButtons buttons)
{
    // A question must not show the busy cursor of the work that asks it.
    NormalCursorScope normal;
    QMessageBox box(iconFor(kind), title(), text, buttonsFor(buttons), QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel ? MessageAnswer::Ok
               : buttons == MessageButtons::YesNo                                   ? MessageAnswer::No
                                                                                     : MessageAnswer::Cancel;
    }
}

QString WidgetDialogService::chooseDirectory(const QString &start, DirectoryMode mode)
{
    NormalCursorScope normal;
    DirectoryChooser dialog(QApplication::activeWindow(), title(), start, mode);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenDirectory();
}

namespace {

QString runFileDialog(const FileDialogRequest &request, QFileDialog::AcceptMode accept)
{
    NormalCursorScope normal;
    QFileDialog dialog(QApplication::activeWindow(), request.title.isEmpty() ? title() : request.title,
                       request.directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(accept);
    dialog.setFileMode(accept == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        dialog.selectNameFilter(request.selectedFilter.isEmpty() ? request.filters.constFirst()
                                                                 : request.selectedFilter);
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString WidgetDialogService::openFile(const FileDialogRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

QString WidgetDialogService::saveFile(const FileDialogRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

bool WidgetDialogService::printDialog(QPrinter &printer)
{
    NormalCursorScope normal;
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetDialogService::pageSetupDialog(QPrinter &printer)
{
    NormalCursorScope normal;
    QPageSetupDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace qm
