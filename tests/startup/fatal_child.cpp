// A tiny program that raises an exception inside an event handler, so the
// test can watch the whole fatal-error path end a real process.
#include "app/application.h"
#include "store/apperror.h"
#include "store/dialogservice.h"
#include "store/errorlog.h"

#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// Prints every message instead of showing it, so the parent can read them.
class PrintingDialogs : public qm::DialogService
{
public:
    qm::MessageAnswer message(qm::MessageKind, const QString &text, qm::MessageButtons) override
    {
        std::printf("message: %s\n", qPrintable(text));
        std::fflush(stdout);
        return qm::MessageAnswer::Ok;
    }
    QString chooseDirectory(const QString &, qm::DirectoryMode) override { return {}; }
    QString openFile(const qm::FileDialogRequest &) override { return {}; }
    QString saveFile(const qm::FileDialogRequest &) override { return {}; }
    bool printDialog(QPrinter &) override { return false; }
    bool pageSetupDialog(QPrinter &) override { return false; }
};

} // namespace

int main(int argc, char **argv)
{
    qm::TApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    const QString dir = args.at(1);
    const QString kind = args.at(2);
    PrintingDialogs dialogs;
    qm::FatalErrorReporter reporter(dialogs, {[dir] { return dir; }, {}, [](int code) {
                                                  std::fflush(nullptr);
                                                  std::_Exit(code);
                                              }});
    app.setReporter(&reporter);
    QTimer::singleShot(0, &app, [kind] {
        if (kind == QLatin1String("store"))
            throw qm::StoreError(QStringLiteral("no such table: CTrans"));
        throw std::runtime_error("disk full");
    });
    // Reached only when the handler let the program run on.
    QTimer::singleShot(200, &app, &QCoreApplication::quit);
    app.exec();
    return 3;
}
