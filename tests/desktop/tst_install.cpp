#include "support/installed_copy.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a validator; its output on failure.
QString Validate(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000))
        return program + QStringLiteral(" did not finish");
    if (tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0)
        return {};
    return QString::fromLocal8Bit(tool.readAll());
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir prefix_;

  private slots:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        const QString failure = InstallInto(prefix_.path());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void layout_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("program") << "bin/sonvela";
        QTest::newRow("player library") << "lib/sonvela/libsonvela_player.so";
        QTest::newRow("tips") << "share/sonvela/File.Lwo";
        QTest::newRow("desktop entry") << "share/applications/sonvela.desktop";
        QTest::newRow("metadata") << "share/metainfo/io.github.sonvela.Sonvela.metainfo.xml";
    }
    void layout() {
        QFETCH(QString, file);
        QVERIFY2(QFileInfo(prefix_.filePath(file)).isFile(), qPrintable(file));
    }

    void programIsExecutableAndTipsAreTheBuiltOnes() {
        QVERIFY(QFileInfo(prefix_.filePath("bin/sonvela")).isExecutable());
        QCOMPARE(QFileInfo(prefix_.filePath("share/sonvela/File.Lwo")).size(),
                 QFileInfo(SONVELA_SOURCE_DIR "/data/File.Lwo").size());
        QCOMPARE(QFileInfo(prefix_.filePath("share/doc/sonvela/COPYING")).size(),
                 QFileInfo("/usr/share/common-licenses/GPL-3").size());
    }

    void playerLibraryShowsItsEntryPointAlone() {
        QProcess nm;
        nm.start("nm", {"-D", "--defined-only", "--format=just-symbols",
                        prefix_.filePath("lib/sonvela/libsonvela_player.so")});
        QVERIFY(nm.waitForFinished(60000));
        QCOMPARE(nm.readAllStandardOutput(), QByteArray("SonvelaPlayerMain\n"));
    }

    void iconsAreDrawnAtEverySize() {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(prefix_.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/sonvela.png").arg(size)));
            QCOMPARE(icon.size(), QSize(size, size));
            // Drawn, not blank: the centre is opaque.
            QCOMPARE(icon.pixelColor(size / 2, size / 2).alpha(), 255);
        }
    }

    void desktopEntryOpensFilesAndNamesTheTypes() {
        QCOMPARE(DesktopEntryValue(prefix_.path(), "Exec"), QString("sonvela %F"));
        QCOMPARE(DesktopEntryValue(prefix_.path(), "Icon"), QString("sonvela"));
        QCOMPARE(DesktopEntryValue(prefix_.path(), "Categories"),
                 QString("AudioVideo;Audio;Video;Player;"));
        const QStringList types = DesktopEntryValue(prefix_.path(), "MimeType").split(';');
        for (const char* type : {"audio/mpeg", "audio/x-wav", "video/mp4", "video/mpeg"})
            QVERIFY2(types.contains(type), type);
    }

    void validatorsAcceptEntryAndMetadata() {
        QString failure = Validate("desktop-file-validate",
                                   {prefix_.filePath("share/applications/sonvela.desktop")});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        failure =
            Validate("appstreamcli",
                     {"validate", "--no-net",
                      prefix_.filePath("share/metainfo/io.github.sonvela.Sonvela.metainfo.xml")});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QFile metadata(prefix_.filePath("share/metainfo/io.github.sonvela.Sonvela.metainfo.xml"));
        QVERIFY(metadata.open(QIODevice::ReadOnly));
        QVERIFY(metadata.readAll().contains("<project_license>GPL-3.0-or-later</"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
