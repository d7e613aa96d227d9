#include "interchange/values.h"

#include "counting/codes.h"

#include <QLocale>
#include <QStringDecoder>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace qm {

namespace {

struct TextCode
{
    const char *text;
    const QString &code;
};

std::optional<QString> CodeOf(std::initializer_list<TextCode> table, QStringView text)
{
    const QStringView trimmed = TrimBlanks(text);
    for (const TextCode &entry : table)
        if (trimmed.compare(QLatin1String(entry.text), Qt::CaseInsensitive) == 0)
            return entry.code;
    return std::nullopt;
}

} // namespace

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

std::optional<QString> CountTypeCode(QStringView text)
{
    return CodeOf({{"BASE", code::CountBase}, {"ENHANCEMENT", code::CountEnhancement}}, text);
}

std::optional<QString> TransTypeCode(QStringView text)
{
    return CodeOf({{"GROUP", code::TransGroup},
                   {"EXTERNAL INPUT", code::TransInput},
                   {"EXTERNAL OUTPUT", code::TransOutput},
                   {"EXTERNAL INQUIRY", code::TransInquiry}},
                  text);
}

std::optional<QString> FileTypeCode(QStringView text)
{
    return CodeOf({{"EXTERNAL INTERFACE", code::FileExternal}, {"INTERNAL LOGICAL", code::FileInternal}}, text);
}

std::optional<QString> ChangeTypeCode(QStringView text)
{
    return CodeOf({{"ADD", code::ChangeAdded},
                   {"MOD", code::ChangeModified},
                   {"DEL", code::ChangeDeleted},
                   {"NONE", code::ChangeNone}},
                  text);
}

std::optional<QString> CountStatusCode(QStringView text)
{
    return CodeOf({{"R", code::StatusReadOnly}, {"U", code::StatusUpdatable}}, text);
}

std::optional<QString> LinkDirectionCode(QStringView text)
{
    return CodeOf({{"I", code::LinkInput}, {"O", code::LinkOutput}}, text);
}

std::optional<int> ReadInteger(QStringView text)
{
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n && text[p] == u' ')
        ++p;
    bool negative = false;
    if (p < n && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    if (p == n)
        return std::nullopt;
    // Gathered as a negative number so the most negative value fits too.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; p < n; ++p) {
        const char16_t c = text[p].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    if (!negative && magnitude == limit)
        return std::nullopt;
    return int(negative ? -magnitude : magnitude);
}

int ReadIntegerOr(QStringView text, int fallback)
{
    return ReadInteger(text).value_or(fallback);
}

std::optional<double> ReadDecimal(QStringView text)
{
    const QStringView trimmed = TrimBlanks(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString DecodeInterchangeText(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.constData(), bytes.size());
}

QByteArray EncodeInterchangeText(const QString &text)
{
    return text.toUtf8();
}

QStringList ImportTextLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar breakChar : {QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        text.replace(breakChar, QLatin1Char('\n'));
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

} // namespace qm
