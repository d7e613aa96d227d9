#pragma once

#include <QString>
#include <QStringList>

namespace qm::cli {

// Each runs one command on the words after its name and returns the exit
// code; failures are thrown as CliError.
int RunList(const QString &db, const QStringList &words);
int RunShow(const QString &db, const QStringList &words);
int RunCheck(const QString &db, const QStringList &words);
int RunExport(const QString &db, const QStringList &words);
int RunImport(const QString &db, const QStringList &words);
int RunReport(const QString &db, const QStringList &words);
int RunBackup(const QString &db, const QStringList &words);
int RunRestore(const QString &db, const QStringList &words);

// Text to stdout as UTF-8.
void Print(const QString &text);
void PrintBytes(const QByteArray &bytes);

} // namespace qm::cli
