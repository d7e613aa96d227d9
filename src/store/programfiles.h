#pragma once

#include <QString>

namespace qm {

// Where the files delivered with the program (the empty database, the help
// file) live: beside the executable in a build tree, or in
// ../share/quillmark once installed.
QString DeliveredFilesDirectory(const QString &programDir);

// True when the delivered files are those of an installation, which the
// user must not change: the first run then copies the empty database.
bool IsInstalledLayout(const QString &programDir);

} // namespace qm
