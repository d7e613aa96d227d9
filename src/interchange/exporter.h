#pragma once

// Taking the open count out of the working tables as interchange text.

#include "interchange/records.h"

#include <QString>
#include <QStringList>

namespace qm {

class Database;

// Which records go out: everything, or one group of them.
enum class ExportGroup { All, Count, Files, Transactions, Links };

struct ExportOptions
{
    ExportGroup group = ExportGroup::All;
    QChar fieldDelimiter = QLatin1Char(',');
    QChar textDelimiter = QLatin1Char('"');
    // The adjusted total as the count page shows it; the tables do not hold
    // it while the count is being edited.
    qint64 countTotal = 0;
};

// Clipboard texts of this many characters or more are refused.
constexpr qsizetype kClipboardLimit = 64000;
inline const QString kClipboardOverflowMessage =
    QStringLiteral("Error on Export to Clipboard - Data Overflow\nTry Export to File instead");

// The records of the working tables, in the order COUNT, FILES, TRANS,
// LINKS, each group as the editor's tables list it (files and
// transactions by tag, links as they were added).
QStringList CollectExportLines(Database &db, const ExportOptions &options);

// The rows behind the lines, for callers that format them themselves.
CountRecord ReadWorkingCount(Database &db, qint64 countTotal);

// Lines joined with CR LF between them and nothing after the last.
QString ClipboardText(const QStringList &lines);

// Every line followed by CR LF, as UTF-8. The file is replaced only once
// everything is written: on any failure what was there stays, and a
// FileError says what went wrong.
void WriteInterchangeFile(const QString &path, const QStringList &lines);

} // namespace qm
