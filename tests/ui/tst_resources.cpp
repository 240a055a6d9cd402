// The fallback icons compiled into the program.
#include <QImage>
#include <QtTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void imagesLoad_data();
    void imagesLoad();
};

void TestResources::imagesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    for (const char *name : {"plus.png", "minus.png", "edit.png", "start.png", "stop.png", "filesave.png",
                             "configure.png", "users.png", "checkconfig.png", "groups.png"})
        QTest::newRow(name) << QStringLiteral(":/images/") + QLatin1String(name) << 32;
    QTest::newRow("close") << QStringLiteral(":/images/standardbutton-close-128.png") << 128;
    QTest::newRow("application") << QStringLiteral(":/images/fileshare.png") << 64;
    QTest::newRow("share") << QStringLiteral(":/share") << 32;
}

void TestResources::imagesLoad()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // Not blank: some pixel is opaque.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) == 255;
    }
    QVERIFY(drawn);
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
