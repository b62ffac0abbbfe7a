#include "platform/local_names.h"
#include "playback/control_panel.h"
#include "playback/title_label.h"
#include "playback/transport.h"
#include "playback/transport_pictures.h"
#include "playlist/playlist_pair.h"
#include "shared/file_chooser.h"
#include "shared/title_scroller.h"
#include "ui/image_button.h"
#include "ui/twips.h"

#include "support/fakes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {
void moveMouseOver(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

qint64 lookOf(const ImageButton* button) {
    return button->pixmap().cacheKey();
}
} // namespace

class TestControlPanel : public QObject {
    Q_OBJECT

    PlaylistPair playlist_;
    TitleScroller title_;
    FakeVideoHost video_;
    RecordingMessages messages_;
    std::unique_ptr<ControlPanel> panel_;

    FakeEngine& engine() { return video_.player; }

  private slots:
    void init() {
        playlist_.clear();
        engine().calls.clear();
        engine().position = 0;
        engine().failAll = false;
        messages_.clear();
        panel_ = std::make_unique<ControlPanel>(playlist_, title_, video_, messages_);
    }
    void cleanup() { panel_.reset(); }

    void transportButtonsSitWhereTheLayoutSays_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<int>("left");
        QTest::newRow("open") << 0 << "打开单个媒体文件" << 375;
        QTest::newRow("play") << 1 << "播放" << 690;
        QTest::newRow("stop") << 2 << "停止" << 1320;
        QTest::newRow("pause") << 3 << "暂停播放" << 1020;
        QTest::newRow("next") << 4 << "下一首" << 1935;
        QTest::newRow("previous") << 5 << "前一首" << 1620;
    }
    void transportButtonsSitWhereTheLayoutSays() {
        QFETCH(int, index);
        QFETCH(QString, tooltip);
        QFETCH(int, left);
        auto* button = panel_->findChild<ImageButton*>(QStringLiteral("CtrlImage_%1").arg(index));
        QVERIFY(button);
        QCOMPARE(button, panel_->CtrlImage[index]);
        QCOMPARE(button->property("Index").toInt(), index);
        QCOMPARE(button->toolTip(), tooltip);
        QCOMPARE(button->geometry(), QRect(left / 15, 91, 16, 13));
    }

    void controlsAreNamedAndPlaced() {
        QCOMPARE(panel_->objectName(), QStringLiteral("frm"));
        QCOMPARE(panel_->size(), QSize(291, 118));
        for (const char* name :
             {"Slider1", "lbltime", "lbltimes", "Picture1", "lblsongname", "ctlfrm", "HScroll1",
              "HScroll2", "lblsound", "Check1", "help", "playvcd", "songtime", "timscrollsongname"})
            QVERIFY2(panel_->findChild<QObject*>(QString::fromLatin1(name)), name);
        QCOMPARE(panel_->Picture1->geometry(), QRect(23, 10, 124, 25));
        QCOMPARE(panel_->ctlfrm->geometry(), QRect(169, 7, 110, 103));
        QCOMPARE(panel_->ctlfrm->title(), QStringLiteral("控制中心"));
        QCOMPARE(panel_->Check1->geometry().topLeft(), QPoint(59, 68));
        QCOMPARE(panel_->Check1->text(), QStringLiteral("静音"));
        QCOMPARE(panel_->help->geometry(), QRect(17, 55, 20, 21));
        QCOMPARE(panel_->help->toolTip(), QStringLiteral("帮助文件"));
        QCOMPARE(panel_->playvcd->geometry(), QRect(15, 19, 20, 21));
        QCOMPARE(panel_->playvcd->toolTip(), QStringLiteral("播放VCD文件"));
        QCOMPARE(panel_->lbltime->text(), QStringLiteral("播放进度："));
        QCOMPARE(panel_->lbltimes->text(), QStringLiteral("00:00"));
        QCOMPARE(panel_->lblsound->text(), QString());
        QCOMPARE(panel_->HScroll1->minimum(), 0);
        QCOMPARE(panel_->HScroll1->maximum(), 2500);
        QCOMPARE(panel_->HScroll2->minimum(), -5000);
        QCOMPARE(panel_->HScroll2->maximum(), 5000);
        for (QScrollBar* bar : {panel_->HScroll1, panel_->HScroll2}) {
            QCOMPARE(bar->singleStep(), 5);
            QCOMPARE(bar->pageStep(), 50);
            QCOMPARE(bar->value(), 0);
        }
        // The longest text of the shared sound label fits it.
        const QString widest = QStringLiteral("均衡:100 % 左声道 ");
        QVERIFY(panel_->lblsound->fontMetrics().horizontalAdvance(widest.trimmed()) <=
                panel_->lblsound->width());
    }

    // The time ticks while the position can move, the title when it moves
    // a pixel, and nothing while nobody can see the panel.
    void timersRunOnlyWhileTheyCanChangeTheScreen() {
        panel_->followEngine(engine());
        QVERIFY(!panel_->songtime->isActive() && !panel_->timscrollsongname->isActive());
        panel_->show();
        QTRY_VERIFY(panel_->timscrollsongname->isActive());
        QVERIFY(panel_->timscrollsongname->interval() <= 45);
        const struct {
            std::function<bool()> change;
            bool ticking;
        } steps[] = {{[&] { return engine().play(); }, true},
                     {[&] { return engine().pause(); }, false},
                     {[&] { return engine().play(); }, true},
                     {[&] { return engine().stop(); }, false}};
        for (const auto& step : steps) {
            QVERIFY(step.change());
            QCOMPARE(panel_->songtime->isActive(), step.ticking);
        }
        // A jump while stopped shows at once.
        engine().position = 42;
        emit engine().positionJumped();
        QCOMPARE(panel_->lbltimes->text(), QStringLiteral("0:42"));
        engine().play();
        panel_->hide();
        QTRY_VERIFY(!panel_->songtime->isActive() && !panel_->timscrollsongname->isActive());
    }

    void aPressShowsThePressedLookUntilRelease() {
        for (int i = 0; i < ControlPanel::TransportButtons; ++i) {
            ImageButton* button = panel_->CtrlImage[i];
            QCOMPARE(lookOf(button), panel_->CtrlImageBase[i].cacheKey());
            QVERIFY(panel_->CtrlImageBase[i].toImage() != panel_->CtrlSwapImage[i].toImage());
            QTest::mousePress(button, Qt::RightButton);
            QCOMPARE(lookOf(button), panel_->CtrlSwapImage[i].cacheKey());
            // Released outside: no click, but the normal look returns.
            QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(-5, -5));
            QCOMPARE(lookOf(button), panel_->CtrlImageBase[i].cacheKey());
        }
        QVERIFY(engine().calls.isEmpty());
        QVERIFY(messages_.shown.isEmpty());
    }

    void picturesAreDrawnForDenseScreens() {
        const QPixmap normal = TransportPictures::transportButton(1, false, 2.0);
        QCOMPARE(normal.size(), QSize(32, 26));
        QCOMPARE(normal.deviceIndependentSize(), QSizeF(16, 13));
        QCOMPARE(TransportPictures::helpButton(2.0).deviceIndependentSize(), QSizeF(20, 21));
        QCOMPARE(TransportPictures::vcdButton(1.0).size(), QSize(20, 21));
        // Every button has a glyph of its own.
        QSet<QByteArray> looks;
        for (int i = 0; i < ControlPanel::TransportButtons; ++i) {
            const QImage image = TransportPictures::transportButton(i, false, 1.0).toImage();
            looks.insert(
                QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
        }
        QCOMPARE(looks.size(), ControlPanel::TransportButtons);
    }

    void theCommandRunsOnTheClick() {
        QTest::mouseClick(panel_->CtrlImage[3], Qt::LeftButton);
        QCOMPARE(engine().calls, QStringList{"Pause"});
        QTest::mouseClick(panel_->CtrlImage[2], Qt::LeftButton);
        QCOMPARE(messages_.shown, QStringList{"提示……|没有媒体文件"});
        QCOMPARE(messages_.icons, QList{QMessageBox::Warning});
    }

    void openingAFileAppendsIt() {
        QStringList answers{QStringLiteral("/music/one.mp3"), QString()};
        panel_->openFileDialog = [&] { return answers.takeFirst(); };
        panel_->CtrlImage_Click(0);
        panel_->CtrlImage_Click(0); // cancelled
        QCOMPARE(playlist_.lstsong.entries(), QStringList{"one.mp3"});
        QCOMPARE(playlist_.temlst.entries(), QStringList{"/music/one.mp3"});
        QVERIFY(engine().calls.isEmpty());
    }

    // The three filters first, then every media file and every file; any
    // letter case; a GBK-named file is listed by its Chinese text and
    // chosen by its own bytes.
    void theOpenDialogOffersItsFiltersInAnyLetterCase() {
        QTemporaryDir dir;
        const QByteArray gbk = "\xD6\xD0\xCE\xC4.mp3";
        for (const QByteArray& name :
             {QByteArray("a.mp3"), QByteArray("B.MP3"), QByteArray("c.Mp3"), QByteArray("d.txt"),
              QByteArray("e.WMA"), QByteArray("f.mkv"), gbk})
            QVERIFY(::close(::creat((QFile::encodeName(dir.path()) + '/' + name).constData(),
                                    0600)) == 0);
        FileChooser dialog(FolderBrowser::Shows::FoldersAndFiles);
        ControlPanel::setUpOpenDialog(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("打开单个媒体文件"));
        QCOMPARE(dialog.nameFilters(),
                 (QStringList{"音频文件 (*.MP3 *.WAV *.MID *.RMI *.MIDI *.AU)",
                              "视频文件 (*.MPEG *.AVI *.RM)", "微软媒体文件 (*.wma)",
                              "所有媒体文件 (*.mp3 *.mp2 *.wav *.flac *.ape *.ogg *.oga *.opus "
                              "*.m4a *.aac *.wma *.mka *.wv *.mid *.midi *.rmi *.au *.mp4 *.m4v "
                              "*.mkv *.webm *.avi *.mpg *.mpeg *.ts *.m2ts *.mts *.vob *.mov *.flv "
                              "*.rm *.rmvb *.wmv *.asf *.ogv *.3gp)",
                              "所有文件 (*)"}));
        QVERIFY(dialog.setFolder(dir.path()));
        QCOMPARE(dialog.shownNames(), (QStringList{"a.mp3", "B.MP3", "c.Mp3", "中文.mp3"}));
        dialog.selectNameFilter(dialog.nameFilters().at(2));
        QCOMPARE(dialog.shownNames(), QStringList{"e.WMA"});
        dialog.selectNameFilter(dialog.nameFilters().at(3));
        QCOMPARE(dialog.shownNames().size(), 6);
        dialog.selectNameFilter(dialog.nameFilters().at(4));
        QCOMPARE(dialog.shownNames().size(), 7);
        auto* list = dialog.findChild<QListWidget*>();
        list->setCurrentItem(
            list->findItems(QStringLiteral("中文.mp3"), Qt::MatchExactly).value(0));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(StringToLocalName(dialog.chosenPath()), QFile::encodeName(dir.path()) + '/' + gbk);
    }

    void startUpVolumeRunsTheChangeHandler() {
        panel_->HScroll1->setValue(1700);
        QCOMPARE(engine().volume, -800);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("音量：68 %"));
    }

    void draggingUsesTheScrollTextsUntilRelease() {
        QScrollBar* volume = panel_->HScroll1;
        volume->setSliderDown(true);
        volume->setValue(250);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("音量： 10 %"));
        QCOMPARE(engine().volume, -2250);
        volume->setSliderDown(false);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("音量：10 %"));

        QScrollBar* balance = panel_->HScroll2;
        balance->setSliderDown(true);
        balance->setValue(2000);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("立体声"));
        balance->setValue(-3000);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("均衡:60 % 左声道 "));
        balance->setValue(2000);
        balance->setSliderDown(false);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("均衡:40 % 右声道 "));
        QCOMPARE(engine().balanceValue, 2000);
    }

    void balanceAtTheThresholdKeepsTheTextButSetsTheEngine() {
        panel_->HScroll1->setValue(100);
        panel_->HScroll2->setValue(500);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("音量：4 %"));
        QCOMPARE(engine().balanceValue, 500);
        panel_->HScroll2->setValue(505);
        QCOMPARE(panel_->lblsound->text(), QStringLiteral("均衡:10.1 % 右声道 "));
    }

    void theTimerFollowsThePositionWithoutSeeking() {
        panel_->followEngine(engine());
        panel_->show();
        playlist_.append(QStringLiteral("a"), QStringLiteral("/a.mp3"));
        playlist_.select(0);
        engine().length = 100.4;
        panel_->transport->playSelected();
        QCOMPARE(panel_->Slider1->maximum(), 100);
        engine().calls.clear();
        engine().position = 65.5;
        QTRY_COMPARE(panel_->lbltimes->text(), QStringLiteral("1:06"));
        QCOMPARE(panel_->Slider1->value(), 66);
        // Beyond the range the bar stays at its end; the time goes on.
        engine().position = 130;
        panel_->songtime_Timer();
        QCOMPARE(panel_->Slider1->value(), 100);
        QCOMPARE(panel_->lbltimes->text(), QStringLiteral("2:10"));
        // A failing engine ends the tick: everything keeps its value.
        engine().failAll = true;
        engine().position = 5;
        panel_->songtime_Timer();
        QCOMPARE(panel_->lbltimes->text(), QStringLiteral("2:10"));
        QVERIFY(!engine().calls.join(' ').contains(QStringLiteral("CurrentPosition")));
    }

    void movingTheSeekBarSeeks() {
        panel_->Slider1->setMaximum(200);
        engine().calls.clear();
        panel_->Slider1->setValue(30);
        QCOMPARE(engine().calls, QStringList{"CurrentPosition 30"});
        // A left click in the groove jumps there at once.
        engine().calls.clear();
        panel_->Slider1->resize(200, 20);
        QTest::mouseClick(panel_->Slider1, Qt::LeftButton, {}, QPoint(150, 10));
        QVERIFY2(std::abs(engine().position - 150) < 10, qPrintable(engine().calls.join(", ")));
    }

    void theMuteBoxMutes() {
        panel_->Check1->click();
        QVERIFY(engine().muted);
        panel_->Check1->click();
        QVERIFY(!engine().muted);
        QCOMPARE(engine().calls, (QStringList{"Mute true", "Mute false"}));
    }

    void hoverOutlinesOneButtonAtATime() {
        ImageButton* help = panel_->help;
        ImageButton* vcd = panel_->playvcd;
        QVERIFY(!help->isOutlined() && !vcd->isOutlined());
        moveMouseOver(help);
        QVERIFY(help->isOutlined() && !vcd->isOutlined());
        moveMouseOver(panel_->Check1); // other controls leave the outline
        QVERIFY(help->isOutlined());
        moveMouseOver(vcd);
        QVERIFY(!help->isOutlined() && vcd->isOutlined());
        moveMouseOver(panel_->ctlfrm);
        QVERIFY(!help->isOutlined() && !vcd->isOutlined());
    }

    void helpAndVcdReportTheirClicks() {
        QSignalSpy help(panel_.get(), &ControlPanel::helpClicked);
        QSignalSpy vcd(panel_.get(), &ControlPanel::playvcdClicked);
        QTest::mouseClick(panel_->help, Qt::LeftButton);
        QTest::mouseClick(panel_->playvcd, Qt::LeftButton);
        QCOMPARE(help.count(), 1);
        QCOMPARE(vcd.count(), 1);
    }

    void theTitleLabelFollowsTheScroller() {
        title_.setText(QStringLiteral("一首很长的歌的名字"));
        TitleLabel* label = panel_->lblsongname;
        QCOMPARE(label->text(), title_.text());
        QVERIFY(label->textWidth() > 0);
        QCOMPARE(title_.width(), Twips::fromPx(label->textWidth()));
        panel_->timscrollsongname_Timer();
        QCOMPARE(label->textLeft(), Twips::toPx(title_.left()));
        QCOMPARE(label->geometry(), panel_->Picture1->rect());
    }
};

QTEST_MAIN(TestControlPanel)
#include "tst_control_panel.moc"
