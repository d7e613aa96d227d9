#include "store/settingsentry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace qm {

namespace {
const QString kKey = QStringLiteral("Files/DBDirectory");
}

SettingsEntry::SettingsEntry(const QString &iniPath) : m_path(iniPath) {}

QString SettingsEntry::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quillmark.ini"));
}

QString SettingsEntry::readDirectory() const
{
    QSettings s(m_path, QSettings::IniFormat);
    return s.value(kKey, kMissing).toString();
}

void SettingsEntry::writeDirectory(const QString &directory)
{
    QSettings s(m_path, QSettings::IniFormat);
    s.setValue(kKey, directory);
    s.sync();
}

} // namespace qm
