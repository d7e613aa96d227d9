#pragma once

#include <QString>

namespace qm {

// True when the file opens as a database of this program: every one of the
// eight tables is there with its columns. Opens it read-only on a
// connection of its own, so the database in use is not disturbed.
bool IsQuillmarkDatabaseFile(const QString &filePath);

} // namespace qm
