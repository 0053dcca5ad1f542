#include "databasesetting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace DatabaseSetting {
namespace {

const QString kKey = QStringLiteral("database");

} // namespace

std::optional<QString> read(const QString &settingsFile)
{
    const QSettings settings(settingsFile, QSettings::IniFormat);
    const QVariant value = settings.value(kKey);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

QString write(const QString &settingsFile, const std::optional<QString> &location)
{
    // The installed layout's folder is not there before the first save.
    const QString folder = QFileInfo(settingsFile).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(folder));
    QSettings settings(settingsFile, QSettings::IniFormat);
    // Never written in place: a half-written file would lose every key.
    settings.setAtomicSyncRequired(true);
    if (location)
        settings.setValue(kKey, *location);
    else
        settings.remove(kKey);
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return QString();
    case QSettings::FormatError:
        return QStringLiteral("%1 is not a settings file Verolan can read.").arg(QDir::toNativeSeparators(settingsFile));
    case QSettings::AccessError:
        break;
    }
    return QStringLiteral("%1 cannot be written.").arg(QDir::toNativeSeparators(settingsFile));
}

} // namespace DatabaseSetting
