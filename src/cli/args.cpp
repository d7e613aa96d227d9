#include "cli/args.h"

#include "cli/session.h"

namespace qm::cli {

namespace {

[[noreturn]] void usage(const QString &command, const QString &text)
{
    throw CliError{ExitUsage, QStringLiteral("%1\nTry \"quillmark-cli %2 --help\".").arg(text, command)};
}

} // namespace

Args::Args(const QString &command, const QStringList &words, const OptionSpec &spec) : m_command(command)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            m_positional << word;
            continue;
        }
        QString name = word;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = word.indexOf(QLatin1Char('=')); eq > 0 && word.startsWith(QLatin1String("--"))) {
            name = word.left(eq);
            value = word.mid(eq + 1);
            inlineValue = true;
        }
        if (spec.flags.contains(name)) {
            if (inlineValue)
                usage(command, QStringLiteral("The option %1 takes no value.").arg(name));
            m_flags.insert(name);
        } else if (spec.withValue.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= words.size())
                    usage(command, QStringLiteral("The option %1 needs a value.").arg(name));
                value = words[++i];
            }
            m_values.insert(name, value);
        } else {
            usage(command, QStringLiteral("Unknown option %1 for \"%2\".").arg(word, command));
        }
    }
    if (m_positional.size() < spec.minPositional)
        usage(command, QStringLiteral("\"%1\" needs more arguments.").arg(command));
    if (m_positional.size() > spec.maxPositional)
        usage(command, QStringLiteral("Unexpected argument \"%1\".").arg(m_positional.value(spec.maxPositional)));
}

qint64 Args::number(const QString &option, qint64 fallback, qint64 low, qint64 high) const
{
    if (!m_values.contains(option))
        return fallback;
    bool ok = false;
    const qint64 v = m_values.value(option).trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high)
        usage(m_command, QStringLiteral("The option %1 takes a whole number from %2 to %3, not \"%4\".")
                             .arg(option)
                             .arg(low)
                             .arg(high)
                             .arg(m_values.value(option)));
    return v;
}

} // namespace qm::cli
