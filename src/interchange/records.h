#pragma once

// The four records of the interchange text and how each is written as one
// line. Fields are separated by the field delimiter; text fields stand
// between text delimiters, numbers are bare, and nothing inside a text is
// escaped.

#include <QChar>
#include <QString>
#include <array>

namespace qm {

// The open count's row as it is written out.
struct CountRecord
{
    QString description;
    QString system;
    QString type; // "B" or "E"
    std::array<qint64, 14> vaf{};
    double oldVaf = 1.0;
    QString status; // "R" or "U"
    QString notes;
    qint64 total = 0; // adjusted total as the count page shows it
    qint64 extId = 0;
};

struct TransRecord
{
    QString description;
    QString type;       // G, I, O, Q
    QString changeType; // A, M, D, N
    qint64 inputDets = 0;
    qint64 outputDets = 0;
    qint64 tag = 0;
    qint64 ownerTag = 0;
    QString memo;
    QString complexity; // "0" to "3"
    qint64 inputFiles = 0;
    qint64 outputFiles = 0;
    double fpVal = 0.0;
};

struct FileRecord
{
    QString description;
    QString type;       // E, I
    QString changeType; // A, M, D, N
    qint64 dets = 0;
    qint64 rets = 0;
    qint64 tag = 0;
    QString memo;
    QString complexity;
    double fpVal = 0.0;
};

struct LinkRecord
{
    qint64 fileTag = 0;
    qint64 transTag = 0;
    QString direction; // "I" or "O"
};

// Record type names, the first field of every line.
inline const QString kCountRecordType = QStringLiteral("COUNT");
inline const QString kTransRecordType = QStringLiteral("TRANS");
inline const QString kFilesRecordType = QStringLiteral("FILES");
inline const QString kLinksRecordType = QStringLiteral("LINKS");

// Each returns the record's line without a line end. COUNT and LINKS lines
// end with one field delimiter, TRANS and FILES lines with their last field.
QString FormatCount(const CountRecord &row, QChar fieldDelimiter, QChar textDelimiter);
QString FormatTrans(const TransRecord &row, QChar fieldDelimiter, QChar textDelimiter);
QString FormatFile(const FileRecord &row, QChar fieldDelimiter, QChar textDelimiter);
QString FormatLink(const LinkRecord &row, QChar fieldDelimiter, QChar textDelimiter);

// A memo on one line: every character with a code from 0 to 13 (line
// breaks and tabs among them) becomes a blank.
QString MemoLineText(const QString &memo);
// The shortest general form with up to 15 significant digits and the
// default locale's decimal separator, without group separators: 1 and 1.07.
QString DecimalText(double value);

} // namespace qm
