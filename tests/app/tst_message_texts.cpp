#include "app/qt_translations.h"
#include "shell/about_box.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QTest>

// The boxes the player shows: Qt's own texts in Chinese, room for the whole
// title, and a sensible place on the screen.
class TestMessageTexts : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(InstallQtTranslations(*qApp)); }

    void okButtonReadsChinese() {
        const auto box = BuildMessageBox(QMessageBox::Warning, "提示……", "x", nullptr);
        QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        const auto about = BuildAboutBox(nullptr);
        QCOMPARE(about->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    }

    void boxesAreWideEnoughForTheirTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("notice") << "提示……"
                                << "请先选定媒体文件，然后删除！";
        QTest::newRow("no choice") << "没有选择文件"
                                   << "请选择文件";
        QTest::newRow("short text") << "提示……"
                                    << "x";
        QTest::newRow("about") << "Sonvela"
                               << "";
    }
    void boxesAreWideEnoughForTheirTitle() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        const auto box = text.isEmpty()
                             ? BuildAboutBox(nullptr)
                             : BuildMessageBox(QMessageBox::Warning, title, text, nullptr);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        // The bold title plus room for a title bar's icon and three buttons,
        // each about as wide as the bar is high.
        QFont bold = box->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        const int bar = metrics.height() + 8;
        QVERIFY2(box->width() >= metrics.horizontalAdvance(title) + 4 * bar,
                 qPrintable(QString::number(box->width())));
    }

    // A box of a window not shown yet (the second start's warning) opens in
    // the middle of the screen; one of a shown window over that window.
    void boxesOpenCentred_data() {
        QTest::addColumn<bool>("parentShown");
        QTest::newRow("parent hidden") << false;
        QTest::newRow("parent shown") << true;
    }
    void boxesOpenCentred() {
        QFETCH(bool, parentShown);
        QWidget parent;
        parent.setGeometry(40, 40, 600, 500);
        if (parentShown) {
            parent.show();
            QVERIFY(QTest::qWaitForWindowExposed(&parent));
        }
        const auto box =
            BuildMessageBox(QMessageBox::Warning, "提示……", "程序已经运行，不能再装载！", &parent);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        const QPoint centre = parentShown
                                  ? parent.frameGeometry().center()
                                  : QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint off = box->frameGeometry().center() - centre;
        QVERIFY2(off.manhattanLength() <= 40,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
    }
};

QTEST_MAIN(TestMessageTexts)
#include "tst_message_texts.moc"
