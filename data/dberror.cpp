#include "dberror.h"

DbError::DbError(Kind kind, const QString &context, const QString &engineMessage)
    : std::runtime_error((context + QStringLiteral(": ") + engineMessage).toStdString())
    , m_kind(kind)
    , m_context(context)
    , m_engineMessage(engineMessage)
{
}

QString DbError::describe() const
{
    if (m_engineMessage.isEmpty())
        return m_context;
    return m_context + QStringLiteral("\n\n") + m_engineMessage;
}
