#pragma once

// Reading interchange text for an import: every line split and checked on
// its own (the first pass), then the records checked against each other.
// Problems are logged as messages; the records that passed are kept in the
// import lists for loading.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace qm {

// In order of weight.
enum class Severity { None = 0, Warning = 1, Error = 2 };

struct PendingCount
{
    QString description; // at most 60 characters
    QString system;      // at most 10 characters
    QString type;
    std::array<int, 14> vaf{};
    double oldVaf = 1.0;
    QString status;
    int line = 0;
};

struct ImportTrans
{
    QString description;
    QString type;
    QString changeType;
    int inputDets = 0;
    int outputDets = 0;
    int tag = 0;
    int ownerTag = 0;
    int line = 0;
    int newTag = 0;
    int newOwnerTag = 0;
};

struct ImportFile
{
    QString description;
    QString type;
    QString changeType;
    int dets = 0;
    int rets = 0;
    int tag = 0;
    int line = 0;
    int newTag = 0;
};

struct ImportLink
{
    int fileTag = 0;
    int transTag = 0;
    QString direction;
    int line = 0;
    int newFileTag = 0;
    int newTransTag = 0;
};

// One line of the validation view; lines of an input line that had a
// Warning or an Error are shown marked.
struct DisplayLine
{
    int line = 0;
    QString text;
};

inline const QString kErrorPrefix = QStringLiteral("Error........Line Number..");
inline const QString kWarningPrefix = QStringLiteral("Warning......Line Number..");

// The state of one validation: run and line statuses, the message log, the
// validation view and the import lists. Any number of lines and records.
class TImportCheck
{
public:
    // Resets everything, then checks every line on its own.
    void RunFirstPass(const QStringList &lines);
    // The checks between records; run after a first pass without Error.
    void RunCrossChecks();

    void ReportImportMessage(Severity severity, int line, const QString &text);

    // Each checks one split line, adds its display line and keeps the
    // record unless it had an Error. False when a value could not be taken
    // over.
    bool ValidateCount(const QStringList &fields, int line);
    bool ValidateTrans(const QStringList &fields, int line);
    bool ValidateFiles(const QStringList &fields, int line);
    bool ValidateLinks(const QStringList &fields, int line);

    Severity runStatus() const { return m_runStatus; }
    // None for a line with no message (or beyond the text).
    Severity lineStatus(int line) const;
    const QStringList &messages() const { return m_messages; }
    const QList<DisplayLine> &display() const { return m_display; }
    // The lines as they were checked, numbered from 1 (index 0 is line 1).
    const QStringList &sourceLines() const { return m_lines; }

    bool countSeen() const { return m_countSeen; }
    const std::optional<PendingCount> &pendingCount() const { return m_count; }
    std::vector<ImportTrans> &transactions() { return m_trans; }
    std::vector<ImportFile> &files() { return m_files; }
    std::vector<ImportLink> &links() { return m_links; }
    const std::vector<ImportTrans> &transactions() const { return m_trans; }
    const std::vector<ImportFile> &files() const { return m_files; }
    const std::vector<ImportLink> &links() const { return m_links; }

    // Position in the list of the first entry with the tag, or -1.
    int FindTrans(int tag) const;
    int FindFile(int tag) const;

    // "Line:" and the number as five digits, each shown field after a tab.
    static QString RecordDisplayText(const QStringList &fields, int shown, int line);
    // "Line:" and the number, a tab, every field on a line of its own.
    static QString ShortDisplayText(const QStringList &fields, int line);
    // "Line:" and the number, a tab, the fields as comma text.
    static QString CommaDisplayText(const QStringList &fields, int line);

private:
    void Reset();
    void BuildIndexes();
    void CheckLine(const QString &text, int line);
    void Error(int line, const QString &text) { ReportImportMessage(Severity::Error, line, text); }
    bool TooFew(const QStringList &fields, int needed, int line);
    void AddDisplay(const QStringList &fields, int shown, int line);
    void CrossCheckTrans(const ImportTrans &t);
    void CrossCheckLink(const ImportLink &l);
    bool IsBaseCount() const;

    QStringList m_lines;
    Severity m_runStatus = Severity::None;
    Severity m_recordSeverity = Severity::None;
    std::vector<Severity> m_lineStatus; // index = line number
    QStringList m_messages;
    QList<DisplayLine> m_display;
    bool m_countSeen = false;
    std::optional<PendingCount> m_count;
    std::vector<ImportTrans> m_trans;
    std::vector<ImportFile> m_files;
    std::vector<ImportLink> m_links;
    // Tag to the position of its first entry, built after the first pass.
    QHash<int, int> m_transIndex;
    QHash<int, int> m_fileIndex;
};

} // namespace qm
