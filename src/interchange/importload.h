#pragma once

#include <QDateTime>

namespace qm {

class Database;
class TImportCheck;

// Writes a validated import into the four working tables as a new count:
// new tags after the largest saved ones, a new count id, link counts,
// complexities and values worked out again by the counting rules (whatever
// the text said), memos taken with comma-text splitting. One database
// transaction: on failure the working tables stay as they were. Returns
// the new count's id.
int LoadImport(Database &db, TImportCheck &check, const QDateTime &now = QDateTime::currentDateTime());

} // namespace qm
