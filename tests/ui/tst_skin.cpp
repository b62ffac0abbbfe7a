#include "ui/skin.h"

#include <QImage>
#include <QTest>

class TestSkin : public QObject {
    Q_OBJECT
  private slots:
    void picturesHaveTheirLogicalSizes() {
        QCOMPARE(Skin::StripPicture().deviceIndependentSize(), QSizeF(326, 17));
        QCOMPARE(Skin::AboutPicture().deviceIndependentSize(), QSizeF(12, 12));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Skin::b0(i).deviceIndependentSize(), QSizeF(17, 16));
            QCOMPARE(Skin::b1(i).deviceIndependentSize(), QSizeF(17, 16));
        }
        QVERIFY(Skin::b0(4).isNull());
        QVERIFY(Skin::b1(-1).isNull());
    }

    void buttonsAreDrawnWithExtraPixels() {
        // Shrunk to 12 by 12 by their controls, they need more than one
        // device pixel per logical pixel to stay smooth.
        QVERIFY(Skin::b0(0).devicePixelRatio() >= 2);
        QVERIFY(Skin::b0(0).width() >= 17 * 2);
    }

    void everyLookIsDistinct() {
        QList<QImage> looks;
        for (int i = 0; i < 4; ++i)
            looks << Skin::b0(i).toImage() << Skin::b1(i).toImage();
        for (int a = 0; a < looks.size(); ++a)
            for (int b = a + 1; b < looks.size(); ++b)
                QVERIFY2(looks[a] != looks[b], qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
    }

    void iconComesInTheUsualSizes() {
        const QIcon icon = Skin::ProgramIcon();
        for (int size : {16, 32, 48, 256})
            QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
        // Opaque in the middle, transparent in the corner.
        const QImage picture = icon.pixmap(64).toImage();
        QCOMPARE(qAlpha(picture.pixel(32, 32)), 255);
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
    }
};

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
