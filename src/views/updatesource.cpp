#include "views/updatesource.h"

#include "store/cursor.h"

namespace qm {

bool CursorUpdateSource::hasCurrentRow() const
{
    return m_cursor.isOpen() && !m_cursor.isEmpty() && m_cursor.position() >= 0;
}

QVariant CursorUpdateSource::value(const QString &field) const
{
    return m_cursor.hasField(field) ? m_cursor.value(field) : QVariant();
}

void CursorUpdateSource::deleteCurrentRow()
{
    m_cursor.deleteRecord();
}

} // namespace qm
