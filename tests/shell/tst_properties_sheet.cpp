#include "engine/mpv_engine.h"
#include "shell/properties_sheet.h"
#include "support/test_clips.h"

#include <QRegularExpression>
#include <QTest>
#include <QWidget>

namespace {

// What a screen reader reads of the rows shown, top to bottom.
QStringList ShownRows(const PropertiesSheet& sheet) {
    QStringList shown;
    for (const QWidget* row : sheet.rowWidgets())
        if (row->isVisibleTo(row->parentWidget()))
            shown << row->accessibleName();
    return shown;
}

} // namespace

class TestPropertiesSheet : public QObject {
    Q_OBJECT
  private slots:
    void showsThePropertiesOfTheFileLoaded_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        const QString size = QStringLiteral("大小: \\d+\\.\\d [KM]B");
        const QString mono = QStringLiteral("采样率 / 声道: 44100 Hz / 1 声道");
        QTest::newRow("UTF-8 ID3v2") << "utf8.mp3"
                                     << QStringList{"文件名: utf8.mp3",
                                                    "标题: 你好世界",
                                                    "艺术家: 歌手甲 / 歌手乙",
                                                    "专辑: 专辑乙",
                                                    "时长: 0:20",
                                                    "格式: MP3",
                                                    "码率: 128 kbps",
                                                    mono,
                                                    size};
        QTest::newRow("GBK ID3v1")
            << "gbk.mp3" << QStringList{"文件名: gbk.mp3", "标题: 你好", "艺术家: 歌手",
                                        "专辑: 专辑",      "时长: 0:20", "格式: MP3",
                                        "码率: 128 kbps",  mono,         size};
        QTest::newRow("FLAC")
            << "tagged.flac"
            << QStringList{"文件名: tagged.flac", "标题: Flac 标题", "艺术家: 乐队", "时长: 0:20",
                           "格式: FLAC",          "码率: \\d+ kbps", mono,           size};
        QTest::newRow("MP4")
            << "tagged.m4a"
            << QStringList{"文件名: tagged.m4a",  "标题: M4A 标题",  "专辑: 专辑丙", "时长: 0:20",
                           "格式: M4A \\(AAC\\)", "码率: 9\\d kbps", mono,           size};
        QTest::newRow("untagged") << "untagged.wav" << QStringList{"文件名: untagged.wav",
                                                                   "时长: 0:20",
                                                                   "格式: WAV \\(PCM_S16LE\\)",
                                                                   "码率: 706 kbps",
                                                                   mono,
                                                                   "大小: 1.8 MB"};
        QTest::newRow("video") << "video"
                               << QStringList{"文件名: testsrc-640x360-3s.mkv",
                                              "时长: 0:03",
                                              "格式: MKV \\(MPEG4, AAC\\)",
                                              "码率: \\d+ kbps",
                                              "采样率 / 声道: 44100 Hz / 2 声道",
                                              "分辨率: 640×360",
                                              size};
    }
    void showsThePropertiesOfTheFileLoaded() {
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        QString path = TestClips::videoClip();
        for (const TestClips::TaggedClip& clip : TestClips::taggedClips())
            if (clip.name == name)
                path = clip.path;
        QWidget panel;
        // The panel's grid: 9 rows of 20 pixels.
        PropertiesSheet sheet(&panel, QRect(6, 5, 272, 183), 96, 20);
        MpvEngine engine({.videoOutput = "null", .audioOutput = "null", .audioFile = {}});
        sheet.follow(engine);
        QCOMPARE(sheet.rowWidgets().size(), 9);
        QCOMPARE(ShownRows(sheet), QStringList()); // nothing loaded yet
        QVERIFY(engine.setFileName(path));
        const QRegularExpression expected(QRegularExpression::anchoredPattern(rows.join(u'\n')));
        QTRY_VERIFY2_WITH_TIMEOUT(expected.match(ShownRows(sheet).join(u'\n')).hasMatch(),
                                  qPrintable(ShownRows(sheet).join(u'|')), 15000);
    }
};

QTEST_MAIN(TestPropertiesSheet)
#include "tst_properties_sheet.moc"
