#pragma once

#include <QApplication>

namespace qm {

class FatalErrorReporter;

// Catches whatever escapes an event handler and hands it to the fatal-error
// reporter, which logs it, shows it and ends the program.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);

    void setReporter(FatalErrorReporter *reporter) { m_reporter = reporter; }
    bool notify(QObject *receiver, QEvent *event) override;

    // Hands the exception being handled to the reporter (or, before there is
    // one, to standard error). Call only from inside a catch block.
    void reportCurrentException();

private:
    FatalErrorReporter *m_reporter = nullptr;
};

// The component name and message of the exception being handled.
struct ErrorDescription
{
    QString component;
    QString message;
};
ErrorDescription DescribeCurrentException();

} // namespace qm
