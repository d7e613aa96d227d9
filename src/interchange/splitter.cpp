#include "interchange/splitter.h"

namespace qm {

namespace {

constexpr char16_t kComma = u',';
constexpr char16_t kQuote = u'"';

// Characters the comma-text splitter passes over between values.
bool IsSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

} // namespace

QStringList SplitRecord(QStringView line)
{
    QStringList fields;
    fields.reserve(24);
    const qsizetype n = line.size();
    qsizetype p = 0;
    while (p < n) {
        if (line[p] == kQuote) {
            ++p;
            qsizetype end = p;
            while (end < n && !(line[end] == kQuote && (end + 1 == n || line[end + 1] == kComma)))
                ++end;
            fields << line.mid(p, end - p).toString();
            p = end + 1;
            if (p < n && line[p] == kComma)
                ++p;
        } else {
            qsizetype end = line.indexOf(kComma, p);
            if (end < 0)
                end = n;
            fields << line.mid(p, end - p).toString();
            p = end + 1;
        }
    }
    return fields;
}

void TCSVStringInfo::SetSourceString(const QString &line)
{
    m_source = line;
    m_fields = SplitRecord(line);
    m_error = m_fields.isEmpty();
}

QStringList SplitCommaText(QStringView line)
{
    // Nothing after a NUL is read.
    const qsizetype nul = line.indexOf(QChar(0));
    if (nul >= 0)
        line = line.left(nul);
    const qsizetype n = line.size();
    const auto skipBlanks = [&](qsizetype p) {
        while (p < n && IsSeparatorBlank(line[p]))
            ++p;
        return p;
    };

    QStringList values;
    qsizetype p = skipBlanks(0);
    while (p < n) {
        QString value;
        if (line[p] == kQuote) {
            ++p;
            while (p < n) {
                if (line[p] == kQuote) {
                    if (p + 1 < n && line[p + 1] == kQuote) {
                        value += QChar(kQuote);
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                value += line[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && line[p].unicode() > 32 && line[p] != kComma)
                ++p;
            value = line.mid(start, p - start).toString();
        }
        values << value;
        p = skipBlanks(p);
        if (p < n && line[p] == kComma)
            p = skipBlanks(p + 1);
    }
    return values;
}

} // namespace qm
