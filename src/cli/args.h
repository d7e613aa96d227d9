#pragma once

// The command line split into a command, its positional arguments and its
// options, checked against what the command accepts.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace qm::cli {

struct OptionSpec
{
    QSet<QString> flags;      // options without a value ("--json")
    QSet<QString> withValue;  // options that take one ("--mode 2" or "--mode=2")
    int minPositional = 0;
    int maxPositional = 0;
};

class Args
{
public:
    // Throws CliError (usage) for an unknown option, a missing value or a
    // wrong number of positional arguments.
    Args(const QString &command, const QStringList &words, const OptionSpec &spec);

    bool has(const QString &option) const { return m_flags.contains(option) || m_values.contains(option); }
    QString value(const QString &option, const QString &fallback = {}) const
    {
        return m_values.value(option, fallback);
    }
    // A whole number in [low, high]; throws a usage error naming the option.
    qint64 number(const QString &option, qint64 fallback, qint64 low, qint64 high) const;
    const QStringList &positional() const { return m_positional; }

private:
    QString m_command;
    QSet<QString> m_flags;
    QHash<QString, QString> m_values;
    QStringList m_positional;
};

} // namespace qm::cli
