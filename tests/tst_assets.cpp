// The pictures compiled into the program: each one is there, has its size,
// and looks like what it stands for in the ways a test can tell.

#include <QDir>
#include <QImage>
#include <QSet>
#include <QtTest>

namespace {

QSet<QRgb> coloursOf(const QImage &img)
{
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y));
    return colours;
}

enum class Tint { Other, Red, Orange, Yellow, Green, Blue };

// Broad colour name of a clearly coloured, opaque pixel.
Tint tintOf(QRgb px)
{
    const QColor c = QColor::fromRgba(px);
    if (c.alpha() < 200 || c.hsvSaturation() < 90 || c.value() < 80)
        return Tint::Other;
    const int h = c.hsvHue();
    if (h < 18 || h >= 340)
        return Tint::Red;
    if (h < 40)
        return Tint::Orange;
    if (h < 65)
        return Tint::Yellow;
    if (h < 160)
        return Tint::Green;
    if (h >= 200 && h < 260)
        return Tint::Blue;
    return Tint::Other;
}

int countTint(const QImage &img, Tint t, QRect area = {})
{
    if (area.isNull())
        area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += tintOf(img.pixel(x, y)) == t;
    return n;
}

const QStringList kTabs = {"image1", "image2", "image3", "image4", "image5", "image6"};

}  // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void everyPictureLoads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("background") << ":/images/fond.png" << QSize(539, 440);
        QTest::newRow("banner") << ":/images/banniere.png" << QSize(600, 60);
        QTest::newRow("greeting icon") << ":/images/accueil.png" << QSize(32, 32);
        QTest::newRow("greeting icon 16") << ":/images/accueil16.png" << QSize(16, 16);
        QTest::newRow("update icon") << ":/images/miseajour.png" << QSize(32, 32);
        QTest::newRow("update icon 16") << ":/images/miseajour16.png" << QSize(16, 16);
        for (const QString &tab : kTabs) {
            QTest::addRow("%s", qPrintable(tab)) << QStringLiteral(":/images/%1.png").arg(tab) << QSize(16, 16);
            QTest::addRow("%s_32", qPrintable(tab)) << QStringLiteral(":/images/%1_32.png").arg(tab) << QSize(32, 32);
        }
        for (int s : {16, 32, 48, 64, 128, 256})
            QTest::addRow("application icon %d", s)
                << QStringLiteral(":/images/ombrelune-%1.png").arg(s) << QSize(s, s);
    }
    void everyPictureLoads()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        const QImage img(path);
        QVERIFY2(!img.isNull(), qPrintable(path));
        QCOMPARE(img.size(), size);
    }

    // Nothing missing, nothing left over from an older set.
    void noStrayPictures()
    {
        QStringList expected = {"fond.png", "banniere.png", "accueil.png", "accueil16.png",
                                "miseajour.png", "miseajour16.png"};
        for (const QString &tab : kTabs)
            expected << tab + ".png" << tab + "_32.png";
        for (int s : {16, 32, 48, 64, 128, 256})
            expected << QStringLiteral("ombrelune-%1.png").arg(s);
        QStringList found = QDir(":/images").entryList(QDir::Files);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    void backgroundIsPaleSixteenColourPaper()
    {
        const QImage img(":/images/fond.png");
        QVERIFY(!img.isNull());
        QCOMPARE(img.format(), QImage::Format_Indexed8);
        QVERIFY(img.colorCount() <= 16);
        QVERIFY(coloursOf(img).size() <= 16);

        int white = 0, pink = 0, green = 0, yellow = 0, dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.rgb() == qRgb(255, 255, 255)) {
                    ++white;
                    continue;
                }
                if (c.lightness() < 170)
                    ++dark;
                const int r = c.red(), g = c.green(), b = c.blue();
                if (r > g && b > g)
                    ++pink;
                else if (g > r && g > b)
                    ++green;
                else if (r > b && g > b)
                    ++yellow;
            }
        const int total = img.width() * img.height();
        QVERIFY2(white > total * 8 / 10, qPrintable(QString::number(white * 100.0 / total)));
        QCOMPARE(dark, 0);
        // Each tint shows, on more than a sprinkling of pixels.
        QVERIFY2(pink > 500, qPrintable(QString::number(pink)));
        QVERIFY2(green > 500, qPrintable(QString::number(green)));
        QVERIFY2(yellow > 500, qPrintable(QString::number(yellow)));
    }

    void bannerBlendsFourColoursOverAGreenStrip()
    {
        const QImage img(":/images/banniere.png");
        QVERIFY(!img.isNull());
        QVERIFY(coloursOf(img).size() <= 256);

        // The strip: the last rows are one and the same green.
        const QRgb strip = img.pixel(0, img.height() - 1);
        QCOMPARE(tintOf(strip), Tint::Green);
        for (int y = img.height() - 5; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QCOMPARE(img.pixel(x, y), strip);
        // The band above it is not plain, and holds all four colours.
        const QRect band(0, 0, img.width(), img.height() - 8);
        for (Tint t : {Tint::Orange, Tint::Green, Tint::Red, Tint::Yellow})
            QVERIFY2(countTint(img, t, band) > band.width() * band.height() / 50, qPrintable(QString::number(int(t))));
        const QImage bandImg = img.copy(band);
        QVERIFY(coloursOf(bandImg).size() > 40);
    }

    void tabPicturesStandOnTransparency_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &tab : kTabs) {
            QTest::addRow("%s", qPrintable(tab)) << QStringLiteral(":/images/%1.png").arg(tab);
            QTest::addRow("%s_32", qPrintable(tab)) << QStringLiteral(":/images/%1_32.png").arg(tab);
        }
    }
    void tabPicturesStandOnTransparency()
    {
        QFETCH(QString, path);
        const QImage img(path);
        QVERIFY(img.hasAlphaChannel());
        const int m = img.width() - 1;
        for (QPoint corner : {QPoint(0, 0), QPoint(m, 0), QPoint(0, m), QPoint(m, m)})
            QCOMPARE(qAlpha(img.pixel(corner)), 0);
        // ... and no trace of the old grey mask colour.
        for (int y = 0; y <= m; ++y)
            for (int x = 0; x <= m; ++x)
                QVERIFY(img.pixel(x, y) != qRgba(192, 192, 192, 255));
        // The subject itself is solid.
        int opaque = 0;
        for (int y = 0; y <= m; ++y)
            for (int x = 0; x <= m; ++x)
                opaque += qAlpha(img.pixel(x, y)) == 255;
        QVERIFY2(opaque > img.width() * img.height() / 4, qPrintable(QString::number(opaque)));
    }

    // The disc pictures are told apart by their colour and by the white sign
    // in their middle.
    void discsHaveTheirColourAndAWhiteSign_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("tint");
        for (const QString &suffix : {QString(), QStringLiteral("_32")}) {
            QTest::addRow("cross%s", qPrintable(suffix)) << ":/images/image1" + suffix + ".png" << int(Tint::Red);
            QTest::addRow("question%s", qPrintable(suffix)) << ":/images/image3" + suffix + ".png" << int(Tint::Green);
            QTest::addRow("info%s", qPrintable(suffix)) << ":/images/image4" + suffix + ".png" << int(Tint::Blue);
        }
    }
    void discsHaveTheirColourAndAWhiteSign()
    {
        QFETCH(QString, path);
        QFETCH(int, tint);
        const QImage img(path);
        const int n = img.width();
        QVERIFY(countTint(img, Tint(tint)) > n * n / 3);
        for (Tint other : {Tint::Red, Tint::Green, Tint::Blue})
            if (other != Tint(tint))
                QCOMPARE(countTint(img, other), 0);
        int white = 0;
        for (int y = n / 4; y < n * 3 / 4; ++y)
            for (int x = n / 4; x < n * 3 / 4; ++x)
                white += QColor(img.pixel(x, y)).lightness() > 235;
        QVERIFY2(white >= n * n / 24, qPrintable(QString::number(white)));
    }
};

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
