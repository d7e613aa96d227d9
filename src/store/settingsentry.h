#pragma once

#include <QString>

namespace qm {

// The one per-user setting: the folder of the database in use.
class SettingsEntry
{
public:
    static inline const QString kMissing = QStringLiteral("No Database Found");

    // By default "quillmark.ini" in the user's configuration folder.
    explicit SettingsEntry(const QString &iniPath = defaultPath());

    static QString defaultPath();
    QString iniPath() const { return m_path; }

    // The stored folder as written, or kMissing when there is none.
    QString readDirectory() const;
    void writeDirectory(const QString &directory);

private:
    QString m_path;
};

} // namespace qm
