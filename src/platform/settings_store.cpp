#include "platform/settings_store.h"

#include <QDir>
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
    // One file per application name, named in lower case so the name too
    // is matched without regard to case.
    return folder_ + QLatin1Char('/') + app.toLower() + QStringLiteral(".ini");
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const {
    QSettings ini(fileFor(app), QSettings::IniFormat);
    const QVariant value = ini.value(storedKeyPath(ini, section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::write(const QString& app, const QString& section, const QString& key,
                          const QString& value) {
    QDir().mkpath(folder_);
    QSettings ini(fileFor(app), QSettings::IniFormat);
    ini.setValue(storedKeyPath(ini, section, key), value);
    ini.sync();
}
