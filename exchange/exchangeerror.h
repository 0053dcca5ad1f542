#pragma once

#include <QString>
#include <stdexcept>

// A file that cannot be read or taken in, said so that the user can find the
// place: the file's name and, where there is one, its line.
class ExchangeError : public std::runtime_error
{
public:
    explicit ExchangeError(const QString &message);
    // "name, line N: what" (line 0: no line).
    static ExchangeError at(const QString &file, qint64 line, const QString &what);

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
