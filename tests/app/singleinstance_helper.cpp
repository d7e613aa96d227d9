// Usage: singleinstance_helper hold|signal <key>
//   hold:   take the guard, print "ready" and wait until killed
//   signal: expect the guard to be taken and ask its holder to activate
// Exit codes: 0 done, 2 the guard was not in the expected state,
// 3 the running instance could not be reached, 64 bad usage.
#include "app/singleinstance.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 64;
    qm::SingleInstanceGuard guard(args.at(2));
    if (args.at(1) == QLatin1String("signal")) {
        if (guard.tryAcquire())
            return 2;
        return guard.signalRunningInstance(5000) ? 0 : 3;
    }
    if (args.at(1) == QLatin1String("hold")) {
        if (!guard.tryAcquire())
            return 2;
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        return app.exec();
    }
    return 64;
}
