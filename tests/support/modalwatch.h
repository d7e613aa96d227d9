#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace qm::test {

// Drives a modal window from inside its own event loop: polls for
// QApplication::activeModalWidget() (optionally with a given object name)
// and runs the action on it once it is up. Start it before the blocking
// call, check fired() after that call has returned.
class ModalWatch
{
public:
    using Action = std::function<void(QWidget *modal)>;

    static std::shared_ptr<ModalWatch> Start(Action action, const QString &objectName = {}, int timeoutMs = 10000);

    bool fired() const { return m_fired; }
    bool timedOut() const { return m_timedOut; }

private:
    bool m_fired = false;
    bool m_timedOut = false;
};

// Processes events until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000);

} // namespace qm::test
