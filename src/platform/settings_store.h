#pragma once

#include <QString>

// Per-user text settings addressed by application name, section and key.
// Sections and keys are matched without regard to letter case, so a value
// written as "Show Tips at Startup" is read back as "Show Tips at startup".
// Each application name, letter case kept, is one INI file in the store's
// folder; anything at that name but a regular file counts as no settings
// and is never written to.
class SettingsStore {
  public:
    // `folder` is where the INI files live; the program passes its per-user
    // config folder, tests a temporary one.
    explicit SettingsStore(QString folder);

    // The per-user config folder of the program (under XDG_CONFIG_HOME).
    static QString defaultFolder();

    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue = {}) const;
    void write(const QString& app, const QString& section, const QString& key,
               const QString& value);

    QString folder() const { return folder_; }

  private:
    QString fileFor(const QString& app) const;
    static bool usable(const QString& file);
    QString folder_;
};
