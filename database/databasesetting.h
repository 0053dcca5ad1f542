#pragma once

#include <QString>
#include <optional>

// The database= key of verolan.conf: what start-up opens when the command
// line names no database, and what the Database window saves.
namespace DatabaseSetting {

// The database the settings file names, or nothing (no file, no key).
std::optional<QString> read(const QString &settingsFile);

// Sets the key (nothing: removes it) and keeps every other key. The file is
// written beside the old one and renamed over it once whole, so a crash leaves
// the old settings or the new. Empty on success, else why not.
QString write(const QString &settingsFile, const std::optional<QString> &location);

} // namespace DatabaseSetting
