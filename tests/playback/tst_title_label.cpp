#include "playback/title_label.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>

// The title drawn in pieces must look exactly as one piece of text would,
// wherever it stands in the strip, and a step that moves no pixel paints
// nothing.
class TestTitleLabel : public QObject {
    Q_OBJECT

    // The strip as the title label paints it.
    static QImage paint(TitleLabel& label) {
        QImage image(label.size(), QImage::Format_RGB32);
        label.render(&image);
        return image;
    }
    static QImage paintWhole(const QString& text, QSize size, int left, const QFont& font) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(left, QFontMetrics(font).ascent()), text);
        return image;
    }

  private slots:
    void piecesLookLikeTheWholeText_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("left");
        QTest::newRow("short, at the start") << 10 << 5;
        QTest::newRow("across a piece boundary") << 3 * TitleLabel::PieceLength << -1400;
        QTest::newRow("long, measured by characters")
            << TitleLabel::ShapedLength + 3 * TitleLabel::PieceLength << -300000;
    }
    void piecesLookLikeTheWholeText() {
        QFETCH(int, length);
        QFETCH(int, left);
        QWidget strip;
        strip.resize(124, 25);
        QPalette colours;
        colours.setColor(QPalette::Window, Qt::black);
        colours.setColor(QPalette::WindowText, Qt::white);
        strip.setPalette(colours);
        TitleLabel label(&strip);
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u'a' + i % 26);
        label.setText(text);
        label.setTextPosition(left, 0);
        QVERIFY(std::abs(label.textWidth() - QFontMetricsF(label.font()).horizontalAdvance(text)) <=
                1 + length / TitleLabel::PieceLength);
        const QImage drawn = paint(label);
        const QImage whole = paintWhole(text, label.size(), left, label.font());
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                differing += qGray(drawn.pixel(x, y)) / 128 != qGray(whole.pixel(x, y)) / 128;
        QVERIFY2(differing < drawn.width() * drawn.height() / 50,
                 qPrintable(QString::number(differing)));
        QVERIFY(differing < drawn.width() * drawn.height()); // something was drawn at all
    }

    void stepsThatMoveNoPixelPaintNothing() {
        QWidget strip;
        strip.resize(124, 25);
        TitleLabel label(&strip);
        label.setText(QStringLiteral("title"));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        int paints = 0;
        struct Counter : QObject {
            int& count;
            explicit Counter(int& c) : count(c) {}
            bool eventFilter(QObject*, QEvent* event) override {
                count += event->type() == QEvent::Paint;
                return false;
            }
        } counter(paints);
        label.installEventFilter(&counter);
        label.setTextPosition(10, 3);
        QTRY_COMPARE(paints, 1);
        label.setTextPosition(10, 3);
        label.setText(QStringLiteral("title"));
        QTest::qWait(50);
        QCOMPARE(paints, 1);
    }
};

QTEST_MAIN(TestTitleLabel)
#include "tst_title_label.moc"
