#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QIODevice;

namespace qm {

class DialogService;

enum class BackupMode { bmAll, bmIncremental };
enum class CompressionLevel { clFastest, clNone, clDefault, clMax };
enum class RestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };

// Writes a set of files into a compressed archive, split into volumes of a
// given size, and restores them from it. Errors end the operation and are
// reported once, at its end, as a numbered code through OnError or, when no
// handler is set, in an error box of the dialog service.
//
// The archive name ":STREAM" works on the caller's device (setStream)
// instead of a file; there a volume change carries on in the same device,
// which then holds the volumes one after the other.
class TBackupFile
{
public:
    using ProgressEvent = std::function<void(TBackupFile &, const QString &fileName, int percent, bool &goOn)>;
    using NeedDiskEvent = std::function<void(TBackupFile &, quint16 disk, bool &goOn)>;
    using RestoreFileEvent =
        std::function<void(TBackupFile &, QString &target, const QDateTime &archived, bool &restore)>;
    using ErrorEvent = std::function<void(TBackupFile &, int code, const QString &text)>;
    // Asked before a restored member replaces its target; the new content
    // is complete in tempFile. Refusing stops the restore with code 2.
    using MemberCheck = std::function<bool(const QString &tempFile, const QString &target)>;

    static inline const QString kStreamName = QStringLiteral(":STREAM");

    explicit TBackupFile(DialogService *dialogs = nullptr);
    ~TBackupFile();
    TBackupFile(const TBackupFile &) = delete;
    TBackupFile &operator=(const TBackupFile &) = delete;

    // --- Properties ---
    QString Version() const { return QStringLiteral("3.00"); }
    void setVersion(const QString &) {}
    QString BackupTitle() const { return m_title; }
    void setBackupTitle(const QString &title) { m_title = title; }
    qm::BackupMode BackupMode() const { return m_backupMode; }
    void setBackupMode(qm::BackupMode mode);
    qm::CompressionLevel CompressionLevel() const { return m_level; }
    void setCompressionLevel(qm::CompressionLevel level) { m_level = level; }
    qm::RestoreMode RestoreMode() const { return m_restoreMode; }
    void setRestoreMode(qm::RestoreMode mode) { m_restoreMode = mode; }
    qint64 MaxSize() const { return m_maxSize; }
    void setMaxSize(qint64 bytes) { m_maxSize = bytes < 0 ? 0 : bytes; }
    bool SetArchiveFlag() const { return m_setArchiveFlag; }
    void setSetArchiveFlag(bool on) { m_setArchiveFlag = on; }
    bool RestoreFullPath() const { return m_restoreFullPath; }
    void setRestoreFullPath(bool on) { m_restoreFullPath = on; }
    bool SaveFileID() const { return m_saveFileId; }
    void setSaveFileID(bool on) { m_saveFileId = on; }

    ProgressEvent OnProgress;
    NeedDiskEvent OnNeedDisk;
    RestoreFileEvent OnRestoreFile;
    ErrorEvent OnError;
    void setMemberCheck(MemberCheck check) { m_memberCheck = std::move(check); }

    // The device that the archive name ":STREAM" stands for; not owned.
    void setStream(QIODevice *device) { m_stream = device; }

    // --- Operations ---
    // Each specification is a path whose last part may hold wildcards,
    // optionally followed by a blank and "/s" to search subfolders too.
    bool Backup(const QStringList &specifications, const QString &archiveName);
    // An empty folder puts every member back at its stored path. Throws
    // AppError when the archive's header cannot be read.
    bool Restore(const QString &archiveName, const QString &restoreFolder);
    // The archive's title, empty when it cannot be read; fills fileIds from
    // the file-ID list when the archive starts with one.
    QString ReadArchiveInfo(const QString &archiveName, QStringList *fileIds);

    // --- State ---
    int lastError() const { return m_error; }
    bool busy() const { return m_busy; }
    bool continuing() const { return m_continue; }
    void cancel() { m_continue = false; }
    int fileCount() const { return m_fileCount; }
    // Members passed over because their stored name would leave the folder.
    int refusedCount() const { return m_refused; }

    // The open archive of a running operation (backupfile_p.h).
    struct Writer;
    struct Reader;

private:

    // Shared by the operations (backupfile.cpp).
    void begin();
    void finish(const QString &fileName);
    void fail(int code);
    void reportError();
    void progress(const QString &fileName, qint64 done);
    bool askForDisk(int disk);
    static void letEventsRun();

    // Backup (backupfile_backup.cpp).
    QStringList collectFiles(const QStringList &specifications, const QString &archiveName) const;
    void collectSpecification(const QString &specification, const QString &archivePath, QStringList &files,
                              QSet<QString> &taken) const;
    bool writeFileIdList(const QStringList &files, QString &listPath, qint64 &listSize);
    bool backupFiles(Writer &w, const QStringList &files, const QString &listPath);
    bool backupFile(Writer &w, const QString &path, bool isList);
    bool writeSegment(Writer &w, QIODevice &source, const QString &fileName, bool &more);
    bool changeVolume(Writer &w);
    int zlibLevel() const;

    // Restore (backupfile_restore.cpp).
    bool restoreRecords(Reader &r);
    bool restoreMember(Reader &r, const QByteArray &name);
    bool continueOnNextVolume(Reader &r, int disk);
    bool decideRestore(const QString &target, const QDateTime &archived) const;
    QString checkedTarget(QString target) const;
    bool finishPending(Reader &r);
    int decodeSegment(Reader &r, QIODevice *out, qint64 limit = -1);
    int decodeEc2(Reader &r, QIODevice *out, qint64 limit);
    int decodeEcs(Reader &r, QIODevice *out, qint64 limit);

    DialogService *m_dialogs;
    QString m_title;
    qm::BackupMode m_backupMode = qm::BackupMode::bmAll;
    qm::CompressionLevel m_level = qm::CompressionLevel::clFastest;
    qm::RestoreMode m_restoreMode = qm::RestoreMode::rmAll;
    qint64 m_maxSize = 0;
    bool m_setArchiveFlag = false;
    bool m_restoreFullPath = false;
    bool m_saveFileId = false;
    MemberCheck m_memberCheck;
    QIODevice *m_stream = nullptr;

    bool m_continue = false;
    bool m_busy = false;
    int m_error = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
    int m_fileCount = 0;
    int m_refused = 0;
    QString m_restoreFolder;
};

} // namespace qm
