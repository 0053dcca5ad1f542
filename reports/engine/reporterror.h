#pragma once

#include <QString>
#include <stdexcept>

// A report that cannot be opened, filled or written: names the file and what is wrong.
class ReportError : public std::runtime_error
{
public:
    ReportError(const QString &file, const QString &problem);

    const QString &file() const { return m_file; }
    const QString &problem() const { return m_problem; }
    QString describe() const;

private:
    QString m_file;
    QString m_problem;
};
