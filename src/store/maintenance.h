#pragma once

#include <QString>
#include <functional>

namespace qm {

class Database;
class TableCursor;

// Compacts the table of an open, exclusive cursor, giving the space of
// deleted rows back to the file system. The cursor is left closed.
void PackTable(Database &db, TableCursor &cursor);

// Compacts the four permanent tables in turn, reporting each step's status
// text ("Packing Counts..." and so on).
void CompactPermanentTables(Database &db, const std::function<void(const QString &)> &status);

} // namespace qm
