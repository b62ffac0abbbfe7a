// The playlist panel of the main window: its popup, the name checks on
// what comes in, its keys and drops.
#include "main_window_fixture.h"

#include "platform/local_names.h"
#include "playback/control_panel.h"
#include "shared/file_chooser.h"
#include "shell/playlist_view.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<QMimeData> fileList(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

} // namespace

class TestPlaylistView : public QObject {
    Q_OBJECT

  private slots:
    void listPopupItemsInOrder() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QStringList captions;
        for (QAction* item : w.lstsong->mnulist->actions())
            captions << item->objectName() + u' ' + item->text();
        QCOMPARE(captions, (QStringList{"mnuadddir 添加文件夹", "mnuplay 播放文件",
                                        "mnudel 删除文件", "mnuclear 清空列表"}));
    }

    void deleteWithoutSelectionWarns() {
        MainWindowFixture f;
        f.fill({"a", "b"});
        MainWindow& w = f.make();
        w.lstsong->mnudel->trigger();
        QCOMPARE(f.messages.shown,
                 QStringList{QStringLiteral("提示……|请先选定媒体文件，然后删除！")});
        QCOMPARE(f.messages.icons, QList{QMessageBox::Warning});
        QCOMPARE(f.playlist.lstsong.count(), 2);
        QCOMPARE(f.playlist.temlst.count(), 2);
    }

    void deleteOnMisalignedListsKeepsGoing() {
        MainWindowFixture f;
        f.playlist.lstsong.addItems({"a", "b", "c"});
        f.playlist.temlst.addItems({"/m/a", "/m/b"});
        MainWindow& w = f.make();
        f.playlist.select(2);
        w.lstsong->mnudel->trigger();
        QCOMPARE(f.playlist.lstsong.entries(), (QStringList{"a", "b"}));
        QCOMPARE(f.playlist.temlst.entries(), (QStringList{"/m/a", "/m/b"}));
        QCOMPARE(f.playlist.temlst.listIndex(), -1);
    }

    void clearEmptiesBothLists() {
        MainWindowFixture f;
        f.fill({"a", "b", "c"});
        f.playlist.select(0);
        MainWindow& w = f.make();
        w.lstsong->mnuclear->trigger();
        QCOMPARE(f.playlist.lstsong.count(), 0);
        QCOMPARE(f.playlist.temlst.count(), 0);
        QCOMPARE(f.playlist.selectedIndex(), -1);
        QVERIFY(f.messages.shown.isEmpty());
    }

    void addFolderImportsTheChosenFolderAndCancelChangesNothing() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        for (const char* name : {"a.mp3", "b.wav", "sub/c.wma"})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        // A folder named in GBK (音乐) is listed and imported like any other.
        const QByteArray gbk = QFile::encodeName(dir.path()) + "/\xD2\xF4\xC0\xD6";
        QVERIFY(::mkdir(gbk.constData(), 0700) == 0);
        QVERIFY(::close(::creat(gbk + "/d.mp3", 0600)) == 0);
        MainWindowFixture f;
        MainWindow& w = f.make();
        QTimer::singleShot(0, &w, [&] { w.findChild<FileChooser*>()->reject(); });
        w.lstsong->mnuadddir->trigger();
        QCOMPARE(f.playlist.lstsong.count(), 0);

        QString title;
        QStringList shown;
        QTimer::singleShot(0, &w, [&] {
            auto* dialog = w.findChild<FileChooser*>();
            title = dialog->windowTitle();
            QVERIFY(dialog->isModal());
            dialog->setFolder(dir.path());
            shown = dialog->shownNames();
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        w.lstsong->mnuadddir->trigger();
        QCOMPARE(title, QStringLiteral("请选择含有媒体文件的驱动器或文件夹目录："));
        QCOMPARE(shown, (QStringList{"sub", "音乐"}));
        QCOMPARE(f.playlist.lstsong.entries(), (QStringList{"a", "c", "d"}));
        QCOMPARE(f.playlist.temlst.entries(),
                 (QStringList{dir.filePath("a.mp3"), dir.filePath("sub/c.wma"),
                              LocalNameToString(gbk + "/d.mp3")}));
    }

    // The list files cannot hold a name with a line break: wherever such a
    // name comes in, it is left out and the user is told which.
    void namesWithALineBreakAreRefusedAloud_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("name");
        QTest::newRow("drop, LF") << "drop"
                                  << "a\nb.mp3";
        QTest::newRow("open dialog, LF") << "open"
                                         << "a\nb.mp3";
        QTest::newRow("open dialog, CR") << "open"
                                         << "a\rb.mp3";
        QTest::newRow("folder import, LF") << "folder"
                                           << "a\nb.mp3";
    }
    void namesWithALineBreakAreRefusedAloud() {
        QFETCH(QString, way);
        QFETCH(QString, name);
        QTemporaryDir dir;
        for (const QString& file : {name, QStringLiteral("ok.mp3")})
            QVERIFY(QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
        const QString path = dir.filePath(name);
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        if (way == "drop") {
            const auto data = fileList({path, dir.filePath("ok.mp3")});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(w.lstsong->viewport(), &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
            QApplication::sendEvent(w.lstsong->viewport(), &drop);
        } else if (way == "open") {
            w.frm->openFileDialog = [&] { return path; };
            w.frm->CtrlImage_Click(0);
        } else {
            QTimer::singleShot(0, &w, [&] {
                auto* dialog = w.findChild<FileChooser*>();
                dialog->setFolder(dir.path());
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            });
            w.lstsong->mnuadddir->trigger();
        }
        QString shownName = path;
        shownName.replace(u'\n', u'\u240A').replace(u'\r', u'\u240D');
        QTRY_COMPARE(
            f.messages.shown,
            QStringList{"提示……|下列文件或文件夹的名称含有换行符，播放列表无法保存，未添加：\n" +
                        shownName});
        QCOMPARE(f.messages.icons, QList{QMessageBox::Warning});
        QVERIFY(!f.playlist.temlst.entries().contains(path));
        QCOMPARE(f.playlist.lstsong.count(), way == "open" ? 0 : 1);
    }

    void keysThatPlayTheSelection_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("plays");
        QTest::newRow("Enter") << "\r" << true;
        QTest::newRow("l") << "l" << true;
        QTest::newRow("L") << "L" << false;
        QTest::newRow("k") << "k" << false;
    }
    void keysThatPlayTheSelection() {
        QFETCH(QString, typed);
        QFETCH(bool, plays);
        MainWindowFixture f;
        f.fill({"a", "b", "c"});
        f.playlist.select(1);
        MainWindow& w = f.make();
        w.show();
        const int key = typed == "\r" ? int(Qt::Key_Return) : typed.toUpper().at(0).unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
        QApplication::sendEvent(w.lstsong, &press);
        QCOMPARE(f.video.player.calls.contains(QStringLiteral("FileName /m/b")), plays);
        QCOMPARE(f.video.player.calls.contains(QStringLiteral("Play")), plays);
    }

    void keyStillReachesTheList() {
        MainWindowFixture f;
        f.fill({"a", "b", "c"});
        f.playlist.select(0);
        MainWindow& w = f.make();
        w.show();
        w.lstsong->setFocus();
        QTest::keyClick(w.lstsong, Qt::Key_Down);
        QCOMPARE(f.playlist.selectedIndex(), 1);
    }

    void dropOfFilesAppendsInOrder_data() {
        QTest::addColumn<bool>("onTheList");
        QTest::newRow("list") << true;
        QTest::newRow("window") << false;
    }
    void dropOfFilesAppendsInOrder() {
        QFETCH(bool, onTheList);
        MainWindowFixture f;
        f.fill({"old.mp3"});
        f.playlist.select(0);
        MainWindow& w = f.make();
        w.show();
        QWidget* target = onTheList ? w.lstsong->viewport() : static_cast<QWidget*>(&w);
        const auto data = fileList({"/x/one.mp3", "/x/two.WAV", "/x/one.mp3"});

        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, data.get(),
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);

        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, data.get(),
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(f.playlist.lstsong.entries(),
                 (QStringList{"old.mp3", "one.mp3", "two.WAV", "one.mp3"}));
        QCOMPARE(f.playlist.temlst.entries(),
                 (QStringList{"/m/old.mp3", "/x/one.mp3", "/x/two.WAV", "/x/one.mp3"}));
        QCOMPARE(f.playlist.selectedIndex(), 0);
    }

    // Only a drop we may copy is taken, and it is reported as a copy.
    void dropIsTakenOnlyAsACopy_data() {
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<bool>("taken");
        QTest::newRow("move only") << Qt::DropActions(Qt::MoveAction) << false;
        QTest::newRow("link only") << Qt::DropActions(Qt::LinkAction) << false;
        QTest::newRow("move or link") << (Qt::MoveAction | Qt::LinkAction) << false;
        QTest::newRow("copy or move") << (Qt::CopyAction | Qt::MoveAction) << true;
    }
    void dropIsTakenOnlyAsACopy() {
        QFETCH(Qt::DropActions, offered);
        QFETCH(bool, taken);
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        const auto data = fileList({"/x/one.mp3"});
        for (QWidget* target : {static_cast<QWidget*>(&w), w.lstsong->viewport()}) {
            QDragEnterEvent enter(QPoint(10, 10), offered, data.get(), Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QCOMPARE(enter.isAccepted(), taken);
            QDropEvent drop(QPointF(10, 10), offered, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(drop.isAccepted(), taken);
            if (taken)
                QCOMPARE(drop.dropAction(), Qt::CopyAction);
        }
        QCOMPARE(f.playlist.lstsong.count(), taken ? 2 : 0);
    }

    void dropOfTextIsRefused_data() {
        QTest::addColumn<bool>("webLink");
        QTest::newRow("text") << false;
        QTest::newRow("web link") << true;
    }
    void dropOfTextIsRefused() {
        QFETCH(bool, webLink);
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        QMimeData data;
        if (webLink)
            data.setUrls({QUrl(QStringLiteral("https://example.org/a.mp3"))});
        else
            data.setText(QStringLiteral("/x/one.mp3"));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.lstsong->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.lstsong->viewport(), &drop);
        QCOMPARE(f.playlist.lstsong.count(), 0);
        QCOMPARE(f.playlist.temlst.count(), 0);
    }
};

QTEST_MAIN(TestPlaylistView)
#include "tst_playlist_view.moc"
