#include "interchange/records.h"

#include "counting/codes.h"

#include <QLocale>

#include <cmath>

namespace qm {

namespace {

// A code with no long text is written as stored, so a reader reports the
// odd value by name instead of meeting an empty field.
QString LongText(QString (*textOf)(const QString &), const QString &code)
{
    const QString text = textOf(code);
    return text.isEmpty() ? code : text;
}

class LineWriter
{
public:
    LineWriter(QChar fieldDelimiter, QChar textDelimiter) : m_field(fieldDelimiter), m_text(textDelimiter)
    {
        m_line.reserve(128);
    }

    LineWriter &text(const QString &value)
    {
        separate();
        m_line += m_text;
        m_line += value;
        m_line += m_text;
        return *this;
    }
    LineWriter &number(qint64 value)
    {
        separate();
        m_line += QString::number(value);
        return *this;
    }
    LineWriter &decimal(double value)
    {
        separate();
        m_line += DecimalText(value);
        return *this;
    }
    QString finish() const { return m_line; }
    QString finishWithDelimiter() const { return m_line + m_field; }

private:
    void separate()
    {
        if (!m_first)
            m_line += m_field;
        m_first = false;
    }

    QChar m_field;
    QChar m_text;
    QString m_line;
    bool m_first = true;
};

} // namespace

QString MemoLineText(const QString &memo)
{
    QString line = memo;
    for (QChar &c : line)
        if (c.unicode() <= 13)
            c = QLatin1Char(' ');
    return line;
}

QString DecimalText(double value)
{
    // Most values are whole: written as digits without asking the locale,
    // which gives the same text for them.
    if (value >= 0 && value < 1e15 && !std::signbit(value) && value == std::floor(value))
        return QString::number(qint64(value));
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString FormatCount(const CountRecord &row, QChar fieldDelimiter, QChar textDelimiter)
{
    LineWriter w(fieldDelimiter, textDelimiter);
    w.text(kCountRecordType).text(row.description).text(row.system).text(LongText(CountTypeText, row.type));
    for (qint64 value : row.vaf)
        w.number(value);
    w.decimal(row.oldVaf).text(row.status).text(MemoLineText(row.notes)).number(row.total).number(row.extId);
    return w.finishWithDelimiter();
}

QString FormatTrans(const TransRecord &row, QChar fieldDelimiter, QChar textDelimiter)
{
    LineWriter w(fieldDelimiter, textDelimiter);
    w.text(kTransRecordType)
        .text(row.description)
        .text(LongText(TransTypeText, row.type))
        .text(LongText(ChangeTypeText, row.changeType))
        .number(row.inputDets)
        .number(row.outputDets)
        .number(row.tag)
        .number(row.ownerTag)
        .text(MemoLineText(row.memo))
        .text(LongText(ComplexityText, row.complexity))
        .number(row.inputFiles)
        .number(row.outputFiles)
        .decimal(row.fpVal);
    return w.finish();
}

QString FormatFile(const FileRecord &row, QChar fieldDelimiter, QChar textDelimiter)
{
    LineWriter w(fieldDelimiter, textDelimiter);
    w.text(kFilesRecordType)
        .text(row.description)
        .text(LongText(FileTypeText, row.type))
        .text(LongText(ChangeTypeText, row.changeType))
        .number(row.dets)
        .number(row.rets)
        .number(row.tag)
        .text(MemoLineText(row.memo))
        .text(LongText(ComplexityText, row.complexity))
        .decimal(row.fpVal);
    return w.finish();
}

QString FormatLink(const LinkRecord &row, QChar fieldDelimiter, QChar textDelimiter)
{
    LineWriter w(fieldDelimiter, textDelimiter);
    w.text(kLinksRecordType).number(row.fileTag).number(row.transTag).text(row.direction);
    return w.finishWithDelimiter();
}

} // namespace qm
