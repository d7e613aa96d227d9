#include "app/startup.h"

#include "app/aboutform.h"
#include "app/application.h"
#include "app/help.h"
#include "app/singleinstance.h"
#include "app/splashform.h"
#include "catalogue/firstform.h"
#include "catalogue/newcountnameform.h"
#include "editor/mainform.h"
#include "interchange/ui/importform.h"
#include "store/datamodule.h"
#include "store/programfiles.h"
#include "store/settingsentry.h"
#include "views/widgetdialogservice.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace qm {

namespace {

void restoreAllCursors()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

[[noreturn]] void endProgram(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

// Created once, in this order, and destroyed together at the end.
struct LongLivedObjects
{
    std::unique_ptr<DataModule> dataModule;
    std::unique_ptr<TFirstForm> catalogue;
    std::unique_ptr<TMainForm> editor;
    std::unique_ptr<TNewCountNameForm> newCountName;
    std::unique_ptr<TImportForm> importForm;
    std::unique_ptr<Taboutform> about;

    ~LongLivedObjects()
    {
        about.reset();
        importForm.reset();
        newCountName.reset();
        editor.reset();
        catalogue.reset();
        dataModule.reset();
    }
};

} // namespace

int RunQuillmark(int &argc, char **argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    // No display name: the window system would append it to every title,
    // which already carries the program's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillmark.Quillmark"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillmark.svg")));

    // A second start only wakes the first and leaves: it never touches the
    // database the first one is using.
    SingleInstanceGuard guard;
    if (!guard.tryAcquire()) {
        guard.signalRunningInstance();
        return 0;
    }

    const QString programDir = QCoreApplication::applicationDirPath();
    const QString deliveredDir = DeliveredFilesDirectory(programDir);
    HelpBinding help(programDir, QCoreApplication::arguments());
    help.InstallHelpKey();
    WidgetDialogService dialogs;
    SettingsEntry settings;

    TSplashForm splash;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    splash.showAndPaint();

    LongLivedObjects objects;
    try {
        DataModule::Options options{QDir(deliveredDir).filePath(QStringLiteral("Databases")), {}, restoreAllCursors,
                                    endProgram, IsInstalledLayout(programDir)};
        objects.dataModule = std::make_unique<DataModule>(dialogs, settings, options);
        app.setReporter(&objects.dataModule->errors());
        objects.dataModule->setShutdownHook([&help] { help.CloseAllHelpWindows(); });
        if (!objects.dataModule->start()) {
            splash.hide();
            restoreAllCursors();
            return 0;
        }
        objects.catalogue = std::make_unique<TFirstForm>(*objects.dataModule, settings);
        objects.editor = std::make_unique<TMainForm>(*objects.dataModule, objects.catalogue.get());
        objects.newCountName = std::make_unique<TNewCountNameForm>(
            objects.dataModule->database(), objects.dataModule->dialogs(), objects.editor.get());
        objects.importForm = std::make_unique<TImportForm>(objects.dataModule->database(),
                                                           objects.dataModule->dialogs(), objects.catalogue.get());
        objects.about = std::make_unique<Taboutform>(objects.catalogue.get());
    } catch (...) {
        splash.hide();
        app.reportCurrentException();
        return 1;
    }
    splash.hide();

    TFirstForm *catalogue = objects.catalogue.get();
    QObject::connect(&guard, &SingleInstanceGuard::activationRequested, catalogue,
                     [catalogue] { BringToFront(catalogue); });
    QObject::connect(catalogue, &TFirstForm::helpTopicsRequested, &help, &HelpBinding::ShowHelpTopics);
    Taboutform *about = objects.about.get();
    QObject::connect(catalogue, &TFirstForm::aboutRequested, about, [about] { about->ShowAbout(); });
    TMainForm *editor = objects.editor.get();
    TNewCountNameForm *newCountName = objects.newCountName.get();
    editor->setAskNewCountName([newCountName] { return newCountName->AskNewCountName(); });
    QObject::connect(editor, &TMainForm::helpTopicsRequested, &help, &HelpBinding::ShowHelpTopics);
    QObject::connect(editor, &TMainForm::aboutRequested, about, [about] { about->ShowAbout(); });
    catalogue->setEditorRunner([editor] { editor->RunModal(); });
    TImportForm *importForm = objects.importForm.get();
    catalogue->setImportWizard([importForm] { return importForm->RunImport(); });

    catalogue->showMaximized();
    restoreAllCursors();
    const int code = app.exec();
    app.setReporter(nullptr);
    return code;
}

} // namespace qm
