#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestSettingsStore : public QObject {
    Q_OBJECT
  private slots:
    void namesMatchWithoutRegardToCase_data() {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same spelling") << "sonvela"
                                       << "Options"
                                       << "Show Tips at Startup"
                                       << "0";
        QTest::newRow("key case") << "sonvela"
                                  << "Options"
                                  << "Show Tips at startup"
                                  << "0";
        QTest::newRow("section case") << "sonvela"
                                      << "OPTIONS"
                                      << "show tips at startup"
                                      << "0";
        // Application names keep their case: another name, another file.
        QTest::newRow("app case") << "Sonvela"
                                  << "options"
                                  << "SHOW TIPS AT STARTUP"
                                  << "1";
    }
    void namesMatchWithoutRegardToCase() {
        QFETCH(QString, app);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.write("sonvela", "Options", "Show Tips at Startup", "0");
        QCOMPARE(store.read(app, section, key, "1"), expected);
    }

    // What the tips dialog writes under "Sonvela" when it closes leaves the
    // value start-up reads under the executable's name alone.
    void applicationNamesDifferingInCaseAreTwoFiles() {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.write("sonvela", "Options", "Show Tips at startup", "1");
        store.write("Sonvela", "Options", "Show Tips at Startup", "0");
        QCOMPARE(store.read("sonvela", "Options", "Show Tips at startup"), QString("1"));
        QCOMPARE(store.read("Sonvela", "options", "show tips at startup"), QString("0"));
        QVERIFY(QFile::exists(dir.path() + "/sonvela.ini"));
        QVERIFY(QFile::exists(dir.path() + "/Sonvela.ini"));
    }

    // Nothing but a regular file is read or written: a pipe would block
    // start-up for good.
    void settingsThatAreNoRegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to a fifo") << "link";
    }
    void settingsThatAreNoRegularFile() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString ini = dir.path() + "/sonvela.ini";
        const QString fifo = kind == "link" ? dir.path() + "/pipe" : ini;
        if (kind == "folder")
            QVERIFY(QDir().mkdir(ini));
        else
            QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (kind == "link")
            QVERIFY(QFile::link(fifo, ini));
        SettingsStore store(dir.path());
        QCOMPARE(store.read("sonvela", "Options", "Show Tips at startup", "1"), QString("1"));
        store.write("sonvela", "Tip", "Left", "15");
        QCOMPARE(store.read("sonvela", "Tip", "Left", "none"), QString("none"));
        const QFileInfo after(ini);
        QVERIFY(!after.isFile());
    }

    void rewritingUnderAnotherCaseKeepsOneValue() {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.write("sonvela", "Options", "Show Tips at Startup", "0");
        store.write("sonvela", "options", "show tips at startup", "1");
        QCOMPARE(store.read("sonvela", "Options", "Show Tips at startup"), QString("1"));
        QSettings ini(dir.path() + "/sonvela.ini", QSettings::IniFormat);
        QCOMPARE(ini.childGroups(), QStringList{"Options"});
    }

    void absentValuesGiveTheDefaultAndSurviveANewStore() {
        QTemporaryDir dir;
        {
            SettingsStore store(dir.path());
            QCOMPARE(store.read("sonvela", "Tip", "Left"), QString());
            QCOMPARE(store.read("sonvela", "StartUp", "ShowTip", "1"), QString("1"));
            store.write("sonvela", "Tip", "Left", "1234.5");
            store.write("Sonvela", "Options", "Show Tips at Startup", "1");
        }
        SettingsStore again(dir.path());
        QCOMPARE(again.read("sonvela", "tip", "left"), QString("1234.5"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
