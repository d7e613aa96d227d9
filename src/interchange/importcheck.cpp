#include "interchange/importcheck.h"

#include "counting/codes.h"
#include "interchange/records.h"
#include "interchange/splitter.h"
#include "interchange/values.h"

namespace qm {

namespace {

constexpr int kCountFields = 21;
constexpr int kTransFields = 9;
constexpr int kFilesFields = 8;
constexpr int kLinksFields = 4;
constexpr int kMaxDescription = 60;
constexpr int kMaxSystem = 10;
// A chain of this many owners above a transaction is taken for a cycle.
constexpr int kMaxAncestors = 20;

bool IsBlank(const QString &text)
{
    return TrimBlanks(text).isEmpty();
}

int IntegerOrZero(const QString &text)
{
    return ReadIntegerOr(text, 0);
}

// Codes as taken over: upper case, without blanks.
QString CodeText(const QString &field)
{
    return TrimBlanks(field).toString().toUpper();
}

bool NeedsQuotes(const QString &field)
{
    for (QChar c : field)
        if (c.unicode() <= 32 || c == u'"' || c == u',')
            return true;
    return false;
}

} // namespace

void TImportCheck::Reset()
{
    m_runStatus = Severity::None;
    m_recordSeverity = Severity::None;
    m_countSeen = false;
    m_lineStatus.assign(m_lines.size() + 1, Severity::None);
    m_count.reset();
    m_trans.clear();
    m_files.clear();
    m_links.clear();
    m_transIndex.clear();
    m_fileIndex.clear();
    m_messages.clear();
    m_display.clear();
}

void TImportCheck::RunFirstPass(const QStringList &lines)
{
    m_lines = lines;
    Reset();
    for (int i = 0; i < m_lines.size(); ++i)
        CheckLine(m_lines[i], i + 1);
    BuildIndexes();
}

void TImportCheck::CheckLine(const QString &text, int line)
{
    const TCSVStringInfo info(text);
    const QStringList &fields = info.FieldList();
    bool parsed = !info.Error();
    if (parsed) {
        const QString &type = fields.constFirst();
        if (type == kCountRecordType) {
            parsed = ValidateCount(fields, line);
        } else if (type == kTransRecordType) {
            parsed = ValidateTrans(fields, line);
        } else if (type == kFilesRecordType) {
            parsed = ValidateFiles(fields, line);
        } else if (type == kLinksRecordType) {
            parsed = ValidateLinks(fields, line);
        } else {
            m_display.append({line, CommaDisplayText(fields, line)});
            Error(line, QStringLiteral("Unknown Record Type:") + type);
        }
    }
    if (!parsed) {
        m_display.append({line, CommaDisplayText(fields, line)});
        Error(line, QStringLiteral("Unable to Parse Line"));
    }
}

void TImportCheck::BuildIndexes()
{
    for (int i = int(m_trans.size()) - 1; i >= 0; --i)
        m_transIndex.insert(m_trans[i].tag, i);
    for (int i = int(m_files.size()) - 1; i >= 0; --i)
        m_fileIndex.insert(m_files[i].tag, i);
}

int TImportCheck::FindTrans(int tag) const
{
    return m_transIndex.value(tag, -1);
}

int TImportCheck::FindFile(int tag) const
{
    return m_fileIndex.value(tag, -1);
}

void TImportCheck::ReportImportMessage(Severity severity, int line, const QString &text)
{
    const QString &prefix = severity == Severity::Warning ? kWarningPrefix : kErrorPrefix;
    m_messages << prefix + QString::number(line) + QLatin1Char(' ') + text;
    m_runStatus = std::max(m_runStatus, severity);
    m_recordSeverity = std::max(m_recordSeverity, severity);
    if (line > 0 && line < int(m_lineStatus.size()))
        m_lineStatus[line] = std::max(m_lineStatus[line], severity);
}

Severity TImportCheck::lineStatus(int line) const
{
    return line > 0 && line < int(m_lineStatus.size()) ? m_lineStatus[line] : Severity::None;
}

QString TImportCheck::RecordDisplayText(const QStringList &fields, int shown, int line)
{
    QString text = QStringLiteral("Line:%1").arg(line, 5, 10, QLatin1Char('0'));
    for (int i = 0; i < shown && i < fields.size(); ++i)
        text += QLatin1Char('\t') + fields[i];
    return text;
}

QString TImportCheck::ShortDisplayText(const QStringList &fields, int line)
{
    QString text = QStringLiteral("Line:%1\t").arg(line);
    for (const QString &field : fields)
        text += field + QLatin1Char('\n');
    return text;
}

QString TImportCheck::CommaDisplayText(const QStringList &fields, int line)
{
    QString text = QStringLiteral("Line:%1\t").arg(line);
    if (fields.size() == 1 && fields.constFirst().isEmpty())
        return text + QStringLiteral("\"\"");
    QStringList parts;
    for (const QString &field : fields) {
        if (NeedsQuotes(field)) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            parts << QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            parts << field;
        }
    }
    return text + parts.join(QLatin1Char(','));
}

void TImportCheck::AddDisplay(const QStringList &fields, int shown, int line)
{
    m_display.append({line, RecordDisplayText(fields, shown, line)});
}

bool TImportCheck::TooFew(const QStringList &fields, int needed, int line)
{
    m_recordSeverity = Severity::None;
    if (fields.size() >= needed)
        return false;
    // Shown as far as the line goes, each field on a line of its own.
    m_display.append({line, ShortDisplayText(fields, line)});
    Error(line, QStringLiteral("Error Parsing Line"));
    return true;
}

bool TImportCheck::ValidateCount(const QStringList &f, int line)
{
    if (TooFew(f, kCountFields, line))
        return true;
    if (m_countSeen)
        Error(line, QStringLiteral("Duplicate count record found"));
    m_countSeen = true;
    if (IsBlank(f[1]))
        Error(line, QStringLiteral("Count Description must be supplied"));
    if (IsBlank(f[2]))
        Error(line, QStringLiteral("Count System must be supplied"));
    const std::optional<QString> type = CountTypeCode(f[3]);
    if (!type)
        Error(line, QStringLiteral("Count Type must be \"Enhancement\" or \"Base Count\""));
    for (int i = 4; i <= 17; ++i) {
        const int value = IntegerOrZero(f[i]);
        if (value < 0 || value > 5)
            Error(line, QStringLiteral("System Characteristic Value must be between 0 and 5"));
    }
    const std::optional<double> oldVaf = ReadDecimal(f[18]);
    if (!oldVaf)
        Error(line, QStringLiteral("Previous VAF must be numeric"));
    else if (*oldVaf < 0.65 || *oldVaf > 1.35)
        Error(line, QStringLiteral("Previous VAF must be between 0.65 and 1.35"));
    const std::optional<QString> status = CountStatusCode(f[19]);
    if (!status)
        Error(line, QStringLiteral("Count Status must be \"R\" or \"U\""));
    AddDisplay(f, kCountFields, line);
    if (m_recordSeverity == Severity::Error)
        return true;

    PendingCount c;
    c.description = f[1].left(kMaxDescription);
    c.system = f[2].left(kMaxSystem);
    c.type = *type;
    for (int i = 0; i < 14; ++i) {
        // A characteristic that is no number passed its check as 0 but
        // cannot be taken over.
        const std::optional<int> value = ReadInteger(f[4 + i]);
        if (!value)
            return false;
        c.vaf[i] = *value;
    }
    c.oldVaf = *oldVaf;
    c.status = CodeText(f[19]);
    c.line = line;
    m_count = c;
    return true;
}

bool TImportCheck::ValidateTrans(const QStringList &f, int line)
{
    if (TooFew(f, kTransFields, line))
        return true;
    if (IsBlank(f[1]))
        Error(line, QStringLiteral("Transaction Description must be supplied"));
    const std::optional<QString> type = TransTypeCode(f[2]);
    if (!type)
        Error(line, QStringLiteral("Invalid Transaction Type ") + f[2]);
    const std::optional<QString> change = ChangeTypeCode(f[3]);
    if (!change)
        Error(line, QStringLiteral("Invalid Change Type ") + f[3]);
    for (int i : {4, 5}) {
        const std::optional<int> dets = ReadInteger(f[i]);
        if (!dets)
            Error(line, f[i] + QStringLiteral(" is not a valid DET Count"));
        else if (*dets < 0 || *dets > 9999)
            Error(line, QStringLiteral("DET Count must be between 0 and 9999"));
    }
    const QString typeCode = type.value_or(QString());
    if (IntegerOrZero(f[4]) > 0 && (typeCode == code::TransOutput || typeCode == code::TransGroup))
        Error(line, QStringLiteral("Input DET Count Invalid for Output or Group Types"));
    if (IntegerOrZero(f[5]) > 0 && (typeCode == code::TransInput || typeCode == code::TransGroup))
        Error(line, QStringLiteral("Output DET Count Invalid for Input or Group Types"));
    if (IntegerOrZero(f[6]) < 1)
        Error(line, QStringLiteral("Invalid Transaction ID"));
    const std::optional<int> owner = ReadInteger(f[7]);
    if (!owner || *owner == -1)
        ReportImportMessage(Severity::Warning, line, QStringLiteral("Invalid Parent Transaction ID...No parent assumed"));
    AddDisplay(f, kTransFields, line);
    if (m_recordSeverity == Severity::Error)
        return true;

    ImportTrans t;
    t.description = f[1].left(kMaxDescription);
    t.type = *type;
    t.changeType = *change;
    t.inputDets = *ReadInteger(f[4]);
    t.outputDets = *ReadInteger(f[5]);
    t.tag = *ReadInteger(f[6]);
    t.ownerTag = owner.value_or(0);
    t.line = line;
    m_trans.push_back(t);
    return true;
}

bool TImportCheck::ValidateFiles(const QStringList &f, int line)
{
    if (TooFew(f, kFilesFields, line))
        return true;
    if (IsBlank(f[1]))
        Error(line, QStringLiteral("Files Description must be supplied"));
    const std::optional<QString> type = FileTypeCode(f[2]);
    if (!type)
        Error(line, QStringLiteral("Invalid File Type ") + f[2]);
    const std::optional<QString> change = ChangeTypeCode(f[3]);
    if (!change)
        Error(line, QStringLiteral("Invalid Change Type ") + f[3]);
    const std::optional<int> dets = ReadInteger(f[4]);
    if (!dets)
        Error(line, f[4] + QStringLiteral(" is not a valid DET Count"));
    else if (*dets < 0 || *dets > 9999)
        Error(line, QStringLiteral("DET Count must be between 0 and 9999"));
    const std::optional<int> rets = ReadInteger(f[5]);
    if (!rets)
        Error(line, f[5] + QStringLiteral(" is not a valid RET Count"));
    else if (*rets > 999)
        Error(line, QStringLiteral("RET Count must not be greater than 999"));
    if (IntegerOrZero(f[6]) < 1)
        Error(line, QStringLiteral("Invalid File ID"));
    AddDisplay(f, kFilesFields, line);
    if (m_recordSeverity == Severity::Error)
        return true;

    ImportFile file;
    file.description = f[1].left(kMaxDescription);
    file.type = *type;
    file.changeType = *change;
    file.dets = *dets;
    file.rets = *rets;
    file.tag = *ReadInteger(f[6]);
    file.line = line;
    m_files.push_back(file);
    return true;
}

bool TImportCheck::ValidateLinks(const QStringList &f, int line)
{
    if (TooFew(f, kLinksFields, line))
        return true;
    if (IntegerOrZero(f[1]) <= 0)
        Error(line, QStringLiteral("Invalid File ID"));
    if (IntegerOrZero(f[2]) <= 0)
        Error(line, QStringLiteral("Invalid Transaction ID"));
    const std::optional<QString> direction = LinkDirectionCode(f[3]);
    if (!direction)
        Error(line, QStringLiteral("Invalid I/O Flag") + f[3]);
    AddDisplay(f, kLinksFields, line);
    if (m_recordSeverity == Severity::Error)
        return true;

    ImportLink l;
    l.fileTag = *ReadInteger(f[1]);
    l.transTag = *ReadInteger(f[2]);
    l.direction = CodeText(f[3]);
    l.line = line;
    m_links.push_back(l);
    return true;
}

bool TImportCheck::IsBaseCount() const
{
    return m_count && m_count->type == code::CountBase;
}

void TImportCheck::RunCrossChecks()
{
    if (!m_countSeen)
        Error(0, QStringLiteral("No count record found"));
    for (const ImportTrans &t : m_trans)
        CrossCheckTrans(t);
    for (const ImportLink &l : m_links)
        CrossCheckLink(l);
    for (int i = 0; i < int(m_trans.size()); ++i)
        if (FindTrans(m_trans[i].tag) != i)
            Error(m_trans[i].line, QStringLiteral("Duplicate Transaction Id"));
    for (int i = 0; i < int(m_files.size()); ++i) {
        const ImportFile &f = m_files[i];
        if (IsBaseCount() && f.changeType != code::ChangeAdded)
            Error(f.line, QStringLiteral("Change Type must be \"A\" for Base Counts"));
        if (FindFile(f.tag) != i)
            Error(f.line, QStringLiteral("Duplicate Files Id"));
    }
}

void TImportCheck::CrossCheckTrans(const ImportTrans &t)
{
    if (IsBaseCount() && t.changeType != code::ChangeAdded)
        Error(t.line, QStringLiteral("Change Type must be \"A\" for Base Counts"));
    if (t.ownerTag == 0)
        return;
    int owner = FindTrans(t.ownerTag);
    if (owner < 0) {
        Error(t.line, QStringLiteral("Parent Id Not found"));
        return;
    }
    if (m_trans[owner].type != code::TransGroup)
        Error(t.line, QStringLiteral("Parent is not a group"));
    // Counting the owners up the chain; a cycle never reaches the top.
    int ancestors = 0;
    while (owner >= 0) {
        if (++ancestors >= kMaxAncestors) {
            Error(t.line, QStringLiteral("Cannot find top parent for this record"));
            return;
        }
        const int next = m_trans[owner].ownerTag;
        owner = next == 0 ? -1 : FindTrans(next);
    }
}

void TImportCheck::CrossCheckLink(const ImportLink &l)
{
    const int trans = FindTrans(l.transTag);
    if (trans < 0) {
        Error(l.line, QStringLiteral("Transaction Id not found"));
    } else {
        const QString &type = m_trans[trans].type;
        if (l.direction == code::LinkInput && type != code::TransInput && type != code::TransInquiry)
            Error(l.line, QStringLiteral("Linked Transaction must be Input or Inquiry"));
        if (l.direction == code::LinkOutput && type != code::TransOutput && type != code::TransInquiry)
            Error(l.line, QStringLiteral("Linked Transaction must be Output or Inquiry"));
    }
    if (FindFile(l.fileTag) < 0)
        Error(l.line, QStringLiteral("File Id not found"));
}

} // namespace qm
