#include "modalwatch.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

namespace qm::test {

std::shared_ptr<ModalWatch> ModalWatch::Start(Action action, const QString &objectName, int timeoutMs)
{
    auto watch = std::shared_ptr<ModalWatch>(new ModalWatch);
    auto *timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, watch, action, objectName, deadline] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool match = modal && modal->isVisible() && (objectName.isEmpty() || modal->objectName() == objectName);
        if (!match) {
            if (deadline.hasExpired()) {
                watch->m_timedOut = true;
                timer->deleteLater();
                timer->stop();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        watch->m_fired = true;
        action(modal);
    });
    timer->start(10);
    return watch;
}

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace qm::test
