#pragma once

#include <QString>
#include <stdexcept>

// A failed database operation: what the program tried, in words, and what the engine said.
class DbError : public std::runtime_error
{
public:
    enum class Kind {
        General,     // a statement or record operation failed
        CannotOpen,  // the database file is missing, unreadable or not ours
    };

    DbError(Kind kind, const QString &context, const QString &engineMessage);

    Kind kind() const { return m_kind; }
    const QString &context() const { return m_context; }
    const QString &engineMessage() const { return m_engineMessage; }
    // Context and engine message together, for a message box.
    QString describe() const;

private:
    Kind m_kind;
    QString m_context;
    QString m_engineMessage;
};
