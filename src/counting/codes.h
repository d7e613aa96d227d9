#pragma once

// The one-letter codes stored in count, transaction, file and link rows, and
// every text under which the program shows them. Codes are compared as exact,
// case-sensitive strings.

#include <QList>
#include <QString>
#include <QStringList>

namespace qm {

namespace code {

// Count type (`Type` of a count row).
inline const QString CountBase = QStringLiteral("B");
inline const QString CountEnhancement = QStringLiteral("E");

// Count status (`Status` of a count row).
inline const QString StatusUpdatable = QStringLiteral("U");
inline const QString StatusReadOnly = QStringLiteral("R");

// Transaction type (`Type` of a transaction row).
inline const QString TransGroup = QStringLiteral("G");
inline const QString TransInput = QStringLiteral("I");
inline const QString TransOutput = QStringLiteral("O");
inline const QString TransInquiry = QStringLiteral("Q");

// File type (`Type` of a file row).
inline const QString FileInternal = QStringLiteral("I");
inline const QString FileExternal = QStringLiteral("E");

// Change type (`Change_Type` of transaction and file rows). The placeholder
// marks a tree node whose row is still being inserted; it is never stored.
inline const QString ChangeAdded = QStringLiteral("A");
inline const QString ChangeModified = QStringLiteral("M");
inline const QString ChangeDeleted = QStringLiteral("D");
inline const QString ChangeNone = QStringLiteral("N");
inline const QString ChangePlaceholder = QStringLiteral("X");

// Complexity (`Complexity` of transaction and file rows): the integer 0..3
// written in decimal.
inline const QString ComplexityNotAssigned = QStringLiteral("0");
inline const QString ComplexityLow = QStringLiteral("1");
inline const QString ComplexityAverage = QStringLiteral("2");
inline const QString ComplexityHigh = QStringLiteral("3");

// Link direction (`Input_Output_Flag` of a link row).
inline const QString LinkInput = QStringLiteral("I");
inline const QString LinkOutput = QStringLiteral("O");

// Summary category of a summary row (never stored).
inline const QString SummaryTrans = QStringLiteral("T");
inline const QString SummaryFiles = QStringLiteral("F");

} // namespace code

// Units shown after node values in the trees.
inline const QString FpUnits = QStringLiteral("FPs");

// A code together with the caption a choice control shows for it.
struct CodeChoice {
    QString code;
    QString caption;
};

// Count type: long text ("Base", "Enhancement"), used where a count is
// written out.
QString CountTypeText(const QString &code);
// `TypeValue` of the catalogue's count table: only "E" is an enhancement,
// anything else reads as a base count.
QString CatalogueCountTypeText(const QString &code);
// `TypeValue` of the editor's working count: as above with the short base text.
QString EditorCountTypeText(const QString &code);
// `StatusValue`: "Read-Only" for "R", empty for anything else.
QString StatusText(const QString &code);

QString TransTypeText(const QString &code);
QString TransTypeRadioCaption(const QString &code);
QString FileTypeText(const QString &code);
QString ChangeTypeText(const QString &code);
QString ChangeTypeRadioCaption(const QString &code);
// `ComplexityLong`.
QString ComplexityText(const QString &code);
// The complexity labels of a transaction's input and output side.
QString ComplexityDetailText(const QString &code);
// The transaction complexity choice of the link dialog.
QString LinkComplexityChoiceText(const QString &code);

// Summary texts: category "T" picks the transaction text, any other category
// the file text, so "I" reads as an input or as an internal file.
QString SummaryTypeText(const QString &typeCode, const QString &category);
QString SummaryTypeShortText(const QString &typeCode, const QString &category);

// Trims blanks; longer than maxLength gives the first maxLength - 3
// characters and "...".
QString ShortenText(const QString &text, int maxLength);

// "C00000012"; numbers of more than eight digits in full.
QString ExtIdText(qint64 extId);
QString TransTagText(qint64 tag);
QString FileTagText(qint64 tag);

// Choices of the editor's radio groups, in the order shown.
QList<CodeChoice> TransTypeChoices();   // I, O, Q, G
QList<CodeChoice> FileTypeChoices();    // I, E
QList<CodeChoice> ChangeTypeChoices();  // A, M, D, N
// "Not Classified", "Low", "Average", "High" for complexity 0..3.
QStringList LinkComplexityChoices();

} // namespace qm
