#include "platform/gb18030.h"
#include "platform/settings_store.h"
#include "tips/tip_dialog.h"
#include "tips/tip_store.h"
#include "tips/tips_manager.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The executable's name. Not "sonvela": the store matches application names
// without regard to case, and these tests tell the title's value apart.
const QString App = QStringLiteral("player");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestTips : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString program_;
    QString config_;

    QString tipsFile() const { return program_ + QStringLiteral("/File.Lwo"); }
    void writeTips(const QStringList& lines) {
        writeFile(tipsFile(), Gb18030::encode(lines.join(QStringLiteral("\r\n")) + "\r\n"));
    }
    QString setting(const QString& app, const QString& section, const QString& key) const {
        return SettingsStore(config_).read(app, section, key, QStringLiteral("<absent>"));
    }
    static void closeDialog(TipsManager& manager) {
        QVERIFY(manager.dialog());
        manager.dialog()->cmdOK->click();
        QTRY_VERIFY(!manager.dialog());
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        program_ = dir_.path() + QStringLiteral("/program");
        config_ = dir_.path() + QStringLiteral("/config");
        QDir().mkpath(program_);
        QDir().mkpath(config_);
    }

    // ---- the tips file and the store

    void splitLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tips");
        QTest::newRow("empty file") << "" << QStringList{};
        QTest::newRow("final line end adds nothing") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("last line without end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty lines are tips") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("one empty line") << "\r\n" << QStringList{""};
        QTest::newRow("trailing empty line") << "a\r\n\r\n" << QStringList{"a", ""};
        QTest::newRow("bare LF and CR") << "a\nb\rc" << QStringList{"a", "b", "c"};
        QTest::newRow("spaces kept") << "  x  \r\n" << QStringList{"  x  "};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, tips);
        QCOMPARE(SplitTipLines(text), tips);
    }

    void loadReadsGb18030AndGrows() {
        writeTips({"双击播放", "静音𠀀"}); // a four-byte GB18030 character too
        TipStore store;
        QVERIFY(store.LoadTips(tipsFile()));
        QCOMPARE(store.tips(), (QStringList{"双击播放", "静音𠀀"}));
        QVERIFY(store.LoadTips(tipsFile()));
        QCOMPARE(store.tips(), (QStringList{"双击播放", "静音𠀀", "双击播放", "静音𠀀"}));
        QVERIFY(store.TipIndex() >= 1 && store.TipIndex() <= 4);
        QCOMPARE(*store.currentTip(), store.tips().at(store.TipIndex() - 1));
    }

    void unreadableTipsFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "File.Lwo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("hidden") << ".File.Lwo";
        QTest::newRow("empty path") << "";
    }
    void unreadableTipsFiles() {
        QFETCH(QString, name);
        QDir().mkpath(program_ + "/folder");
        writeFile(program_ + "/.File.Lwo", "hidden\r\n");
        TipStore store;
        QVERIFY(!store.LoadTips(name.isEmpty() ? QString() : program_ + "/" + name));
        QCOMPARE(store.count(), 0);
        QVERIFY(!store.currentTip());
    }

    void emptyFileIsReadButHasNoTip() {
        writeFile(tipsFile(), {});
        TipStore store;
        QVERIFY(store.LoadTips(tipsFile()));
        QCOMPARE(store.TipIndex(), 1);
        QVERIFY(!store.currentTip());
    }

    void drawsAreUniform() {
        TipStore store;
        writeTips({"a", "b", "c", "d"});
        QVERIFY(store.LoadTips(tipsFile()));
        store.seed(12345);
        QList<int> hits(5, 0);
        const int draws = 8000;
        for (int i = 0; i < draws; ++i) {
            store.PickRandomTip();
            QVERIFY(store.TipIndex() >= 1 && store.TipIndex() <= 4);
            ++hits[store.TipIndex()];
        }
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(hits[n] > draws / 4 * 0.9 && hits[n] < draws / 4 * 1.1,
                     qPrintable(QString::number(hits[n])));
    }

    void notFoundText() {
        QCOMPARE(TipsNotFoundText(),
                 QStringLiteral("File.Lwo 文件未找到？\r\n\r\n使用记事本，创建一个名为 File.Lwo "
                                "的文本文件，其中每行一个技巧。 然后，放在应用程序所在目录下。"));
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("fraction") << "1234.5" << 1234.5;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("absent") << "" << 0.0;
        QTest::newRow("leading spaces, trailing junk") << "  42px" << 42.0;
        QTest::newRow("negative") << "-150" << -150.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("exponent without digits") << "7e" << 7.0;
        QTest::newRow("sign alone") << "- 5" << 0.0;
        QTest::newRow("overflow") << "1e999" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void twipsText() {
        QCOMPARE(TwipsText(1234.5), QStringLiteral("1234.5"));
        QCOMPARE(TwipsText(4500), QStringLiteral("4500"));
        QCOMPARE(TwipsText(0), QStringLiteral("0"));
        QCOMPARE(TwipsText(-150), QStringLiteral("-150"));
    }

    // ---- the dialog through its manager

    void firstOpening() {
        writeTips({"one tip"});
        SettingsStore settings(config_);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        TipDialog* dialog = manager.dialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::NonModal);
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dialog->size(), QSize(289, 256));
        QCOMPARE(dialog->pos(), QPoint(0, 0));
        QVERIFY(dialog->chktip->isChecked());
        // The box and its caption show whole, inside their panel.
        QVERIFY(dialog->chktip->height() >= dialog->chktip->sizeHint().height());
        QVERIFY(dialog->chktip->geometry().bottom() < dialog->Picture1->contentsRect().bottom());
        QCOMPARE(setting(App, "Options", "Show Tips at startup"), QStringLiteral("1"));
        QCOMPARE(dialog->lblTipText->text(), QStringLiteral("one tip"));
        dialog->cmdNextTip->click();
        QCOMPARE(dialog->lblTipText->text(), QStringLiteral("one tip"));
    }

    void storeGrowsAcrossOpeningsAndOneDialogOnly() {
        writeTips({"a", "b", "c"});
        SettingsStore settings(config_);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        TipDialog* first = manager.dialog();
        const QString shown = first->lblTipText->text();
        manager.openTips();
        QCOMPARE(manager.dialog(), first);
        QCOMPARE(first->lblTipText->text(), shown);
        QCOMPARE(manager.store().count(), 3);
        closeDialog(manager);
        manager.openTips();
        QVERIFY(manager.dialog());
        QCOMPARE(manager.store().tips(), (QStringList{"a", "b", "c", "a", "b", "c"}));
    }

    void positionAndChoiceSurviveARestart() {
        writeTips({"a"});
        {
            SettingsStore settings(config_);
            TipsManager manager(settings, App, program_);
            manager.openTips();
            manager.dialog()->move(100, 50);
            manager.dialog()->chktip->click();
            QCOMPARE(setting(App, "Options", "Show Tips at Startup"), QStringLiteral("0"));
            closeDialog(manager);
            QCOMPARE(setting(App, "Tip", "Left"), QStringLiteral("1500"));
            QCOMPARE(setting(App, "Tip", "Top"), QStringLiteral("750"));
            QCOMPARE(setting("Sonvela", "Options", "Show Tips at Startup"), QStringLiteral("0"));
            QCOMPARE(setting(App, "Options", "Show Tips at Startup"), QStringLiteral("0"));
        }
        SettingsStore settings(config_);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        QCOMPARE(manager.dialog()->pos(), QPoint(100, 50));
        // Opening checks the box again, and that is stored at once.
        QCOMPARE(setting(App, "Options", "Show Tips at Startup"), QStringLiteral("1"));
        closeDialog(manager);
        QCOMPARE(setting("Sonvela", "Options", "Show Tips at Startup"), QStringLiteral("1"));
    }

    void savedPositionIsReadLeniently_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("pixels");
        QTest::addColumn<QString>("savedLeft");
        QTest::addColumn<QString>("savedTop");
        QTest::newRow("fraction and letters") << "1234.5"
                                              << "letters" << QPoint(82, 0) << "1234.5"
                                              << "0";
        QTest::newRow("off screen") << "-30000"
                                    << "90000px" << QPoint(-2000, 6000) << "-30000"
                                    << "90000";
    }
    void savedPositionIsReadLeniently() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, pixels);
        QFETCH(QString, savedLeft);
        QFETCH(QString, savedTop);
        SettingsStore settings(config_);
        settings.write(App, "Tip", "Left", left);
        settings.write(App, "Tip", "Top", top);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        QCOMPARE(manager.dialog()->pos(), pixels);
        // Not moved: the exact twips go back, not a pixel's rounding of them.
        closeDialog(manager);
        QCOMPARE(setting(App, "Tip", "Left"), savedLeft);
        QCOMPARE(setting(App, "Tip", "Top"), savedTop);
    }

    void showTipZeroClosesAtOnce_data() {
        QTest::addColumn<QString>("showTip");
        QTest::addColumn<bool>("opens");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("0.0") << " 0.0" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("not a number") << "zero" << true;
    }
    void showTipZeroClosesAtOnce() {
        QFETCH(QString, showTip);
        QFETCH(bool, opens);
        writeTips({"a"});
        SettingsStore settings(config_);
        settings.write(App, "startup", "showtip", showTip);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        QCOMPARE(manager.dialog() != nullptr, opens);
        if (opens)
            return;
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(manager.store().count(), 0);
        // The closing steps ran; the box had not been checked.
        QCOMPARE(setting(App, "Tip", "Left"), QStringLiteral("0"));
        QCOMPARE(setting("Sonvela", "Options", "Show Tips at Startup"), QStringLiteral("0"));
        QCOMPARE(setting(App, "Options", "Show Tips at Startup"), QStringLiteral("<absent>"));
    }

    void missingFileShowsTheNotFoundText() {
        SettingsStore settings(config_);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        QCOMPARE(manager.dialog()->lblTipText->text(), TipsNotFoundText());
        manager.dialog()->cmdNextTip->click();
        QCOMPARE(manager.dialog()->lblTipText->text(), TipsNotFoundText());
    }

    void keysClose_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void keysClose() {
        QFETCH(int, key);
        SettingsStore settings(config_);
        TipsManager manager(settings, App, program_);
        manager.openTips();
        QTest::keyClick(manager.dialog(), Qt::Key(key));
        QTRY_VERIFY(!manager.dialog());
        QCOMPARE(setting(App, "Tip", "Left"), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
