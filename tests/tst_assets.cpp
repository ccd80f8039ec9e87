// The pictures compiled into the program: each one there with its size, and
// the tab pictures told apart by their colour.

#include <QImage>
#include <QtTest>

class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("hue");  // the tab discs' colour; -1 for the others
        const std::pair<const char *, int> fixed[] = {{"accueil", 32}, {"accueil16", 16}, {"miseajour", 32},
                                                      {"miseajour16", 16}};
        for (auto [name, size] : fixed)
            QTest::newRow(name) << QString::fromLatin1(name) << size << -1;
        QTest::newRow("background") << "fond" << 0 << -1;
        QTest::newRow("banner") << "banniere" << 0 << -1;
        const int hues[] = {0, -1, 120, 220, -1, -1};  // red cross, green question, blue information
        for (int i = 1; i <= 6; ++i) {
            QTest::addRow("image%d", i) << QStringLiteral("image%1").arg(i) << 16 << hues[i - 1];
            QTest::addRow("image%d_32", i) << QStringLiteral("image%1_32").arg(i) << 32 << hues[i - 1];
        }
        for (int s : {16, 32, 48, 64, 128, 256})
            QTest::addRow("icon %d", s) << QStringLiteral("ombrelune-%1").arg(s) << s << -1;
    }
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, hue);
        const QImage img(QStringLiteral(":/images/%1.png").arg(name));
        QCOMPARE(img.size(), size ? QSize(size, size) : name == QLatin1String("fond") ? QSize(539, 440) : QSize(600, 60));
        if (!name.startsWith(QLatin1String("image")))
            return;
        // Tab pictures stand on transparency and, for the discs, show their colour.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        if (hue < 0)
            return;
        int inHue = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor c = img.pixelColor(x, y);
                const int d = std::abs(c.hsvHue() - hue);
                inHue += c.alpha() > 200 && c.hsvSaturation() > 90 && std::min(d, 360 - d) < 25;
            }
        QVERIFY2(inHue > size * size / 3, qPrintable(QString::number(inHue)));
    }

};

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
