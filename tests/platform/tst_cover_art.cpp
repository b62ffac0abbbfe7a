#include "platform/cover_art.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestCoverArt : public QObject {
    Q_OBJECT
  private slots:
    void theCacheDropsTheCoversUsedLongestAgo() {
        QTemporaryDir folder;
        const CoverArt::CacheLimits limits{.files = 2, .bytes = 100};
        const auto keep = [&](const QByteArray& picture) {
            QTest::qSleep(20); // file times a step apart
            return CoverArt::Keep(picture, folder.path(), limits);
        };
        const QString a = keep("\x89PNG a"), b = keep("\xFF\xD8 b");
        QVERIFY(a.endsWith(".png") && b.endsWith(".jpg"));
        QCOMPARE(keep("\x89PNG a"), a); // one copy, now the last used
        const QString c = keep("\xFF\xD8 c");
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
        QVERIFY(QFileInfo::exists(a) && !QFileInfo::exists(b) && QFileInfo::exists(c));
        // 101 bytes: the oldest goes, no more.
        const QString large = keep(QByteArray(90, 'x'));
        QVERIFY(!QFileInfo::exists(a) && QFileInfo::exists(c) && QFileInfo::exists(large));
    }
};

QTEST_MAIN(TestCoverArt)
#include "tst_cover_art.moc"
