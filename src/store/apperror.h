#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

// Every failure the program raises itself carries the short name of the
// component where it arose, which the fatal-error log records.
class AppError : public std::runtime_error
{
public:
    AppError(const QString &component, const QString &message)
        : std::runtime_error(message.toStdString()), m_component(component), m_message(message)
    {
    }
    QString component() const { return m_component; }
    QString message() const { return m_message; }

private:
    QString m_component;
    QString m_message;
};

// A statement or connection failure of the database, with the driver's text.
class StoreError : public AppError
{
public:
    explicit StoreError(const QString &message, const QString &component = QStringLiteral("TDatabase"))
        : AppError(component, message)
    {
    }
};

// A file that could not be read, written or moved.
class FileError : public AppError
{
public:
    explicit FileError(const QString &message, const QString &component = QStringLiteral("EInOutError"))
        : AppError(component, message)
    {
    }
};

} // namespace qm
