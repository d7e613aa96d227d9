#pragma once

// The two ways the reader splits a line of interchange text. Both know only
// the comma as field delimiter and the double quote as text delimiter,
// whatever the writer was given.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace qm {

// Record splitting: a double quote opens a quoted field only as a field's
// first character, and a quoted field ends at a quote followed by a comma
// or at a quote that ends the line. There is no escape for quotes; blanks
// around fields belong to them; a trailing comma adds no empty field.
QStringList SplitRecord(QStringView line);

// One line split for the record checks: assigning the source string splits
// it; Error is set when the line had no fields at all (it was empty).
class TCSVStringInfo
{
public:
    TCSVStringInfo() = default;
    explicit TCSVStringInfo(const QString &line) { SetSourceString(line); }

    void SetSourceString(const QString &line);
    const QString &SourceString() const { return m_source; }
    const QStringList &FieldList() const { return m_fields; }
    bool Error() const { return m_error; }

private:
    QString m_source;
    QStringList m_fields;
    bool m_error = true;
};

// Comma-text splitting, used to take the memo texts: values are separated
// by commas and by blanks (any character up to code 32); a quoted value
// runs to a lone double quote, two double quotes standing for one. A NUL
// character ends the line.
QStringList SplitCommaText(QStringView line);

} // namespace qm
