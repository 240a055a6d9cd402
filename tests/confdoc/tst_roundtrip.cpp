// Round trips on whole files: Debian's own smb.conf files and hand-made tricky ones.
#include "configdocument.h"
#include "documentcontent.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void files_data();
    void files();
};

void TestRoundTrip::files_data()
{
    QTest::addColumn<QString>("input");
    // write(load(input)) must equal this file byte for byte.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("stable");

    // Debian's files need no normalisation at all: they come back unchanged.
    for (const char *path :
         {"/usr/share/samba/smb.conf", "/usr/share/doc/samba-common/examples/smb.conf.default"}) {
        const QString file = QString::fromLatin1(path);
        QTest::newRow(path) << file << file << true;
    }
    const QDir data(QStringLiteral(SHAREWARD_TEST_DATA));
    const QStringList inputs = data.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name);
    QVERIFY(inputs.size() >= 8);
    for (const QString &name : inputs) {
        const QString input = data.filePath(name);
        QString expected = input;
        expected.replace(QLatin1String(".conf"), QLatin1String(".expected"));
        // Blocks opened by '{' may be renamed or merged when read again.
        const bool stable = !readFile(input).contains('{');
        QTest::newRow(qPrintable(name)) << input << expected << stable;
    }
}

void TestRoundTrip::files()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(bool, stable);

    const QByteArray original = readFile(input);
    QVERIFY2(!original.isEmpty(), qPrintable(input));
    QVERIFY2(QFile::exists(expected), qPrintable(expected));

    ConfigDocument first;
    loadDocument(first, original.toStdString());
    const std::string written = writeDocument(first);
    QCOMPARE(QByteArray::fromStdString(written), readFile(expected));

    if (stable) {
        ConfigDocument second;
        loadDocument(second, written);
        const auto firstContent = documentContent(first);
        const auto secondContent = documentContent(second);
        QCOMPARE(secondContent.size(), firstContent.size());
        for (std::size_t i = 0; i < firstContent.size(); ++i)
            QCOMPARE(QByteArray::fromStdString(secondContent[i]), QByteArray::fromStdString(firstContent[i]));
    }
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
