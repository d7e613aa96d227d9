#include "counting/codes.h"

#include <initializer_list>

namespace qm {

namespace {

struct Entry {
    const char *code;
    const char *text;
};

// Codes are exact, case-sensitive strings: "i" or "I " are not "I".
QString Lookup(std::initializer_list<Entry> table, const QString &code)
{
    for (const Entry &e : table) {
        if (code == QLatin1String(e.code))
            return QString::fromLatin1(e.text);
    }
    return QString();
}

QString TagText(QChar prefix, qint64 value)
{
    // Identifiers are positive; a negative one is shown unpadded rather than
    // with its sign buried among the zeros.
    if (value < 0)
        return prefix + QString::number(value);
    return prefix + QStringLiteral("%1").arg(value, 8, 10, QLatin1Char('0'));
}

} // namespace

QString CountTypeText(const QString &code)
{
    return Lookup({{"B", "Base"}, {"E", "Enhancement"}}, code);
}

QString CatalogueCountTypeText(const QString &code)
{
    return code == code::CountEnhancement ? QStringLiteral("Enhancement")
                                          : QStringLiteral("Base Count");
}

QString EditorCountTypeText(const QString &code)
{
    return code == code::CountEnhancement ? QStringLiteral("Enhancement")
                                          : QStringLiteral("Base");
}

QString StatusText(const QString &code)
{
    return code == code::StatusReadOnly ? QStringLiteral("Read-Only") : QString();
}

QString TransTypeText(const QString &code)
{
    return Lookup({{"G", "Group"},
                   {"I", "External Input"},
                   {"O", "External Output"},
                   {"Q", "External Inquiry"}},
                  code);
}

QString TransTypeRadioCaption(const QString &code)
{
    return code == code::TransGroup ? QStringLiteral("Transaction Group") : TransTypeText(code);
}

QString FileTypeText(const QString &code)
{
    return Lookup({{"I", "Internal Logical"}, {"E", "External Interface"}}, code);
}

QString ChangeTypeText(const QString &code)
{
    return Lookup({{"A", "Add"}, {"M", "Mod"}, {"D", "Del"}, {"N", "None"}}, code);
}

QString ChangeTypeRadioCaption(const QString &code)
{
    return Lookup({{"A", "Add"}, {"M", "Mod."}, {"D", "Del."}, {"N", "None"}}, code);
}

QString ComplexityText(const QString &code)
{
    return Lookup({{"0", "Not Assigned"}, {"1", "Low"}, {"2", "Average"}, {"3", "High"}}, code);
}

QString ComplexityDetailText(const QString &code)
{
    return Lookup({{"0", "Not Assigned"}, {"1", "Low"}, {"2", "Ave."}, {"3", "High"}}, code);
}

QString LinkComplexityChoiceText(const QString &code)
{
    return Lookup({{"0", "Not Classified"}, {"1", "Low"}, {"2", "Average"}, {"3", "High"}},
                  code);
}

QString SummaryTypeText(const QString &typeCode, const QString &category)
{
    if (category == code::SummaryTrans) {
        return Lookup({{"G", "Transactions - Group"},
                       {"I", "Transactions - External Input"},
                       {"O", "Transactions - External Output"},
                       {"Q", "Transactions - External Inquiry"}},
                      typeCode);
    }
    return Lookup({{"I", "Files - Internal Logical"}, {"E", "Files - External Interface"}},
                  typeCode);
}

QString SummaryTypeShortText(const QString &typeCode, const QString &category)
{
    if (category == code::SummaryTrans) {
        return Lookup({{"G", "Trans."},
                       {"I", "Trans. - EI"},
                       {"O", "Trans. - EO"},
                       {"Q", "Trans. - EQ"}},
                      typeCode);
    }
    return Lookup({{"I", "Files - ILF"}, {"E", "Files - EIF"}}, typeCode);
}

QString ShortenText(const QString &text, int maxLength)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() <= maxLength)
        return trimmed;
    // A maximum below 3 leaves no room for any characters before the dots.
    return trimmed.left(qMax(0, maxLength - 3)) + QStringLiteral("...");
}

QString ExtIdText(qint64 extId)
{
    return TagText(QLatin1Char('C'), extId);
}

QString TransTagText(qint64 tag)
{
    return TagText(QLatin1Char('T'), tag);
}

QString FileTagText(qint64 tag)
{
    return TagText(QLatin1Char('F'), tag);
}

QList<CodeChoice> TransTypeChoices()
{
    QList<CodeChoice> choices;
    for (const QString &c : {code::TransInput, code::TransOutput, code::TransInquiry,
                             code::TransGroup})
        choices.append({c, TransTypeRadioCaption(c)});
    return choices;
}

QList<CodeChoice> FileTypeChoices()
{
    QList<CodeChoice> choices;
    for (const QString &c : {code::FileInternal, code::FileExternal})
        choices.append({c, FileTypeText(c)});
    return choices;
}

QList<CodeChoice> ChangeTypeChoices()
{
    QList<CodeChoice> choices;
    for (const QString &c : {code::ChangeAdded, code::ChangeModified, code::ChangeDeleted,
                             code::ChangeNone})
        choices.append({c, ChangeTypeRadioCaption(c)});
    return choices;
}

QStringList LinkComplexityChoices()
{
    QStringList choices;
    for (const QString &c : {code::ComplexityNotAssigned, code::ComplexityLow,
                             code::ComplexityAverage, code::ComplexityHigh})
        choices.append(LinkComplexityChoiceText(c));
    return choices;
}

} // namespace qm
