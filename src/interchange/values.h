#pragma once

// Reading the values of interchange records: the long texts back to their
// codes, whole and decimal numbers, and the bytes of a file as text.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace qm {

// Coded values are compared without leading and trailing blanks and
// without regard to case. Each gives the code, or nothing when the text
// names none.
std::optional<QString> CountTypeCode(QStringView text);   // "BASE", "ENHANCEMENT"
std::optional<QString> TransTypeCode(QStringView text);   // "GROUP", "EXTERNAL INPUT", ...
std::optional<QString> FileTypeCode(QStringView text);    // "EXTERNAL INTERFACE", "INTERNAL LOGICAL"
std::optional<QString> ChangeTypeCode(QStringView text);  // "ADD", "MOD", "DEL", "NONE"
std::optional<QString> CountStatusCode(QStringView text); // "R", "U"
std::optional<QString> LinkDirectionCode(QStringView text); // "I", "O"

// The text without the blanks (characters up to code 32) at either end.
QStringView TrimBlanks(QStringView text);

// A decimal whole number of 32 bits: blanks before it and a sign are
// allowed, nothing after the digits is.
std::optional<int> ReadInteger(QStringView text);
// The value, or the fallback when the text is not a whole number.
int ReadIntegerOr(QStringView text, int fallback);
// A finite decimal number with the default locale's decimal separator and
// no group separators; blanks around it are allowed.
std::optional<double> ReadDecimal(QStringView text);

// Interchange files are written as UTF-8. Bytes that are not valid UTF-8
// come from the older single-byte world and are read as Latin-1. A UTF-8
// byte order mark is dropped.
QString DecodeInterchangeText(const QByteArray &bytes);
QByteArray EncodeInterchangeText(const QString &text);

// The lines of an import text as the import wizard's text box holds them:
// CR LF, a lone CR and the Unicode line and paragraph separators each end
// a line, and a final line break adds no empty line.
QStringList ImportTextLines(QString text);

} // namespace qm
