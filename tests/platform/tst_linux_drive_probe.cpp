#include "platform/linux_drive_probe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLinuxDriveProbe : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString sysBlock() const { return root_.path() + QStringLiteral("/sys/block"); }
    QString mounts() const { return root_.path() + QStringLiteral("/mounts"); }
    QString dev() const { return root_.path() + QStringLiteral("/dev"); }

    void makeBlockDevices(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(QDir().mkpath(sysBlock() + QLatin1Char('/') + name));
    }
    void writeMounts(const QByteArray& text) {
        QFile file(mounts());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    std::optional<OpticalDrive> probe() {
        return LinuxOpticalDriveProbe(sysBlock(), mounts(), dev()).firstDrive();
    }

  private slots:
    void init() {
        QDir(root_.path()).removeRecursively();
        QDir().mkpath(sysBlock());
        QDir().mkpath(dev());
        writeMounts("proc /proc proc rw 0 0\n");
    }

    void noOpticalDrive() {
        makeBlockDevices({"sda", "nvme0n1", "loop0", "srx", "sr"});
        QVERIFY(!probe().has_value());
    }

    void missingSysfsMeansNoDrive() {
        QVERIFY(!LinuxOpticalDriveProbe(root_.path() + "/none", mounts(), dev())
                     .firstDrive()
                     .has_value());
    }

    void lowestNumberedDriveWins() {
        // Numeric, not text order: sr10 comes after sr2.
        makeBlockDevices({"sda", "sr10", "sr2", "sr3"});
        writeMounts(dev().toUtf8() + "/sr3 /media/cdrom3 iso9660 ro 0 0\n");
        const auto drive = probe();
        QVERIFY(drive.has_value());
        QCOMPARE(drive->device, dev() + "/sr2");
        // The first drive is not mounted: not ready, even though sr3 is.
        QCOMPARE(drive->mountPoint, QString());
    }

    void mountPointFromTheMountTable_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("mountPoint");
        QTest::newRow("plain") << QByteArray("/sr0 /media/cdrom0 iso9660 ro 0 0")
                               << "/media/cdrom0";
        QTest::newRow("escaped space and tab")
            << QByteArray("/sr0 /media/user/VIDEO\\040CD\\011x iso9660 ro,nosuid 0 0")
            << "/media/user/VIDEO CD\tx";
        QTest::newRow("escaped backslash")
            << QByteArray("/sr0 /mnt/a\\134b udf ro 0 0") << "/mnt/a\\b";
        QTest::newRow("utf-8 label")
            << QByteArray("/sr0 /media/光盘 iso9660 ro 0 0") << "/media/光盘";
    }
    void mountPointFromTheMountTable() {
        QFETCH(QByteArray, line);
        QFETCH(QString, mountPoint);
        makeBlockDevices({"sr0"});
        writeMounts("/dev/sda1 / ext4 rw 0 0\n" + dev().toUtf8() + line + "\n");
        const auto drive = probe();
        QVERIFY(drive.has_value());
        QCOMPARE(drive->mountPoint, mountPoint);
    }

    void mountedThroughALink() {
        makeBlockDevices({"sr0"});
        QFile(dev() + "/sr0").open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(dev() + "/sr0", dev() + "/cdrom"));
        writeMounts(dev().toUtf8() + "/cdrom /media/cdrom iso9660 ro 0 0\n");
        QCOMPARE(probe()->mountPoint, QStringLiteral("/media/cdrom"));
    }

    void similarDeviceNamesDoNotMatch() {
        makeBlockDevices({"sr1"});
        writeMounts(dev().toUtf8() + "/sr10 /media/ten iso9660 ro 0 0\n");
        QCOMPARE(probe()->mountPoint, QString());
    }

    void decodeLeavesIncompleteEscapesAlone() {
        QCOMPARE(DecodeMountField("a\\04"), QByteArray("a\\04"));
        QCOMPARE(DecodeMountField("a\\09x"), QByteArray("a\\09x"));
        QCOMPARE(DecodeMountField("\\040\\040"), QByteArray("  "));
    }
};

QTEST_GUILESS_MAIN(TestLinuxDriveProbe)
#include "tst_linux_drive_probe.moc"
