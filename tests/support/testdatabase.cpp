#include "testdatabase.h"

#include "store/schema.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace qm::test {

TestDatabaseDir::TestDatabaseDir()
{
    if (m_dir.isValid())
        CreateEmptyDatabaseFile(m_dir.filePath(kDatabaseFileName));
}

bool HasRealFont()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return true;
    return !QFontDatabase::families().isEmpty();
}

} // namespace qm::test
