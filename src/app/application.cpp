#include "app/application.h"

#include "store/apperror.h"
#include "store/errorlog.h"

#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace qm {

namespace {

QString demangledName(const std::type_info &type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void *)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                 std::free);
    QString full = QString::fromLatin1(status == 0 && name ? name.get() : type.name());
    // The short name is enough to tell where the error came from.
    const int colon = full.lastIndexOf(QLatin1String("::"));
    return colon >= 0 ? full.mid(colon + 2) : full;
}

} // namespace

ErrorDescription DescribeCurrentException()
{
    try {
        throw;
    } catch (const AppError &e) {
        return {e.component(), e.message()};
    } catch (const std::exception &e) {
        return {demangledName(typeid(e)), QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return {QStringLiteral("Exception"), QStringLiteral("Unknown error")};
    }
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
    }
    return false;
}

void TApplication::reportCurrentException()
{
    const ErrorDescription e = DescribeCurrentException();
    if (m_reporter) {
        m_reporter->ReportFatalError(e.component, e.message);
    } else {
        std::fprintf(stderr, "%s:%s\n", qPrintable(e.component), qPrintable(e.message));
        std::fflush(stderr);
        std::_Exit(1);
    }
}

} // namespace qm
