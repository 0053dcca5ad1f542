#include "exchangeerror.h"

#include <QFileInfo>

ExchangeError::ExchangeError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

ExchangeError ExchangeError::at(const QString &file, qint64 line, const QString &what)
{
    const QString name = file.isEmpty() ? QStringLiteral("The file") : QFileInfo(file).fileName();
    if (line <= 0)
        return ExchangeError(QStringLiteral("%1: %2").arg(name, what));
    return ExchangeError(QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what));
}
