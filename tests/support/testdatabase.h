#pragma once

#include <QString>
#include <QTemporaryDir>

namespace qm::test {

// A database folder in a temporary directory, made by the schema code.
class TestDatabaseDir
{
public:
    TestDatabaseDir();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Fails the running test unless a real font is installed: without one every
// text renders as empty boxes and picture checks pass for the wrong reason.
bool HasRealFont();

} // namespace qm::test
