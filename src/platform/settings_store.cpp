#include "platform/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The stored spelling of `name` among `names`, or `name` itself when the
// store does not know it yet.
QString storedSpelling(const QStringList& names, const QString& name) {
    for (const QString& candidate : names)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return name;
}

QString storedKeyPath(QSettings& ini, const QString& section, const QString& key) {
    const QString group = storedSpelling(ini.childGroups(), section);
    ini.beginGroup(group);
    const QString storedKey = storedSpelling(ini.childKeys(), key);
    ini.endGroup();
    return group + QLatin1Char('/') + storedKey;
}

} // namespace

SettingsStore::SettingsStore(QString folder) : folder_(std::move(folder)) {}

QString SettingsStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/sonvela");
}

QString SettingsStore::fileFor(const QString& app) const {
    // One file per application name as spelt: "Sonvela" and "sonvela" are
    // two applications.
    return folder_ + QLatin1Char('/') + app + QStringLiteral(".ini");
}

bool SettingsStore::usable(const QString& file) {
    // A pipe, a device or a folder at the file's name would block or fail
    // every read; it counts as no settings at all.
    const QFileInfo info(file);
    return !info.exists() || info.isFile();
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const QString file = fileFor(app);
    if (!usable(file))
        return defaultValue;
    QSettings ini(file, QSettings::IniFormat);
    const QVariant value = ini.value(storedKeyPath(ini, section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::write(const QString& app, const QString& section, const QString& key,
                          const QString& value) {
    QDir().mkpath(folder_);
    const QString file = fileFor(app);
    if (!usable(file))
        return;
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(storedKeyPath(ini, section, key), value);
    ini.sync();
}
