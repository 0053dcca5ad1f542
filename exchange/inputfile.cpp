#include "inputfile.h"

#include "exchangeerror.h"

#include <QFile>
#include <QLocale>

QByteArray readInputFile(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ExchangeError::at(path, 0, QStringLiteral("cannot be read (%1).").arg(file.errorString()));
    const auto tooLarge = [&](qint64 size) {
        return ExchangeError::at(path, 0, QStringLiteral("is %1; files over %2 are not read.")
                                              .arg(QLocale::c().formattedDataSize(size),
                                                   QLocale::c().formattedDataSize(maxBytes)));
    };
    if (file.size() > maxBytes)
        throw tooLarge(file.size());
    // A device or pipe tells no size: read one byte past the cap at most.
    QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes)
        throw tooLarge(data.size());
    if (data.isEmpty())
        throw ExchangeError::at(path, 0, QStringLiteral("is empty."));
    return data;
}
