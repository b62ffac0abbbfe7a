#include "platform/local_names.h"
#include "playlist/drop.h"
#include "playlist/paths.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

QMimeData* UrlData(const QStringList& urls) {
    auto* data = new QMimeData;
    QList<QUrl> list;
    for (const QString& url : urls)
        list << QUrl(url);
    data->setUrls(list);
    return data;
}

} // namespace

class TestDrop : public QObject {
    Q_OBJECT
  private slots:
    void acceptsOnlyLocalFiles() {
        QVERIFY(!OffersFileList(nullptr));
        QMimeData text;
        text.setText(QStringLiteral("/home/u/a.mp3"));
        QVERIFY(!OffersFileList(&text));
        QScopedPointer<QMimeData> web(UrlData({"https://example.org/a.mp3"}));
        QVERIFY(!OffersFileList(web.get()));
        QScopedPointer<QMimeData> files(UrlData({"file:///home/u/a.mp3"}));
        QVERIFY(OffersFileList(files.get()));
    }

    void droppedPathsKeepOrderAndDropTrailingSeparators() {
        QScopedPointer<QMimeData> data(UrlData(
            {"file:///m/c.mp3", "file:///m/a.mp3", "https://example.org/x.mp3", "file:///m/folder/",
             "file:///", "file:///m/%E4%B8%83%20x.wma", "file:///m/cr%0D.mp3",
             "file:///m/c%0Dr/x.mp3", "file:///m/lf%0A.mp3", "file:///m/%D6%D0.mp3"}));
        // Names with a line break come too, for the drop to refuse aloud.
        QStringList paths = DroppedPaths(data.get());
        QCOMPARE(TakeUnfitPaths(paths),
                 (QStringList{"/m/cr\r.mp3", "/m/c\rr/x.mp3", "/m/lf\n.mp3"}));
        QCOMPARE(paths, (QStringList{"/m/c.mp3", "/m/a.mp3", "/m/folder", "/", "/m/七 x.wma",
                                     LocalNameToString("/m/\xD6\xD0.mp3")}));
        QCOMPARE(LocalFileUrl(LocalNameToString("/m/\xD6\xD0 x")).toString(), "file:///m/%D6%D0 x");
    }

    void dropAppendsEveryPathWithItsFileNameAsTitle() {
        PlaylistPair pair;
        pair.append(QStringLiteral("old"), QStringLiteral("/old.mp3"));
        pair.select(0);
        DropFiles(pair, {"/m/c.mp3", "/m/a.txt", "/m/c.mp3", "/m/folder", "/", "/missing/x.avi"});
        QCOMPARE(pair.lstsong.entries(),
                 (QStringList{"old", "c.mp3", "a.txt", "c.mp3", "folder", "", "x.avi"}));
        QCOMPARE(pair.temlst.entries(), (QStringList{"/old.mp3", "/m/c.mp3", "/m/a.txt", "/m/c.mp3",
                                                     "/m/folder", "/", "/missing/x.avi"}));
        QCOMPARE(pair.selectedIndex(), 0);
        // The staging variables keep the last dropped file.
        QCOMPARE(pair.AddName, QStringLiteral("/missing/x.avi"));
        QCOMPARE(pair.AddTitle, QStringLiteral("x.avi"));
    }
};

QTEST_GUILESS_MAIN(TestDrop)
#include "tst_drop.moc"
