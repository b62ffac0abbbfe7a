#include "platform/instance_guard.h"
#include "platform/settings_store.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

class TestSettingsStore : public QObject {
    Q_OBJECT
  private slots:
    void namesMatchWithoutRegardToCase_data() {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("same spelling") << "sonvela"
                                       << "Options"
                                       << "Show Tips at Startup";
        QTest::newRow("key case") << "sonvela"
                                  << "Options"
                                  << "Show Tips at startup";
        QTest::newRow("section case") << "sonvela"
                                      << "OPTIONS"
                                      << "show tips at startup";
        QTest::newRow("app case") << "Sonvela"
                                  << "options"
                                  << "SHOW TIPS AT STARTUP";
    }
    void namesMatchWithoutRegardToCase() {
        QFETCH(QString, app);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.write("sonvela", "Options", "Show Tips at Startup", "0");
        QCOMPARE(store.read(app, section, key, "1"), QString("0"));
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
        QCOMPARE(again.read("SONVELA", "tip", "left"), QString("1234.5"));
    }

    void secondInstanceIsRefusedUntilTheFirstGoes() {
        QTemporaryDir dir;
        auto first = std::make_unique<InstanceGuard>(dir.path());
        QVERIFY(first->acquire());
        InstanceGuard second(dir.path());
        QVERIFY(!second.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    void lockOfADeadProcessIsTakenOver() {
        QTemporaryDir dir;
        // What a killed instance leaves behind: its lock file naming a
        // process id that no longer runs.
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        QVERIFY(child > 0);
        waitpid(child, nullptr, 0);
        QFile lock(dir.path() + "/sonvela.lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(child) + "\nsonvela\n" +
                   QSysInfo::machineHostName().toLocal8Bit() + "\n");
        lock.close();
        InstanceGuard guard(dir.path());
        QVERIFY(guard.acquire());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
