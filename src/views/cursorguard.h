#pragma once

#include <QApplication>
#include <QCursor>

namespace qm {

// The hourglass for the lifetime of a scope.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// The normal cursor for the lifetime of a scope, over any hourglass.
class NormalCursorScope
{
public:
    NormalCursorScope() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursorScope() { QApplication::restoreOverrideCursor(); }
    NormalCursorScope(const NormalCursorScope &) = delete;
    NormalCursorScope &operator=(const NormalCursorScope &) = delete;
};

} // namespace qm
