// Whole files written back exactly as read: real smb.conf files, the hand-made tricky
// ones, and every input of the fuzzer's corpus.
#include "configdocument.h"
#include "documentcontent.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

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
    const QStringList corpus = smbConfCorpus();
    QVERIFY2(corpus.size() >= smbConfCorpusMinimum(), qPrintable(corpus.join(QLatin1Char(' '))));
    for (const QString &file : corpus)
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
    const QDir fuzz(QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/fuzz/corpus"));
    const QStringList inputs = fuzz.entryList(QDir::Files, QDir::Name);
    QVERIFY(inputs.size() > 100);
    for (const QString &name : inputs)
        QTest::newRow(qPrintable(QStringLiteral("fuzz/") + name)) << fuzz.filePath(name);
}

void TestRoundTrip::files()
{
    QFETCH(QString, input);
    QFile file(input);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(input));
    const QByteArray original = file.readAll();

    ConfigDocument document;
    loadDocument(document, original.toStdString());
    QCOMPARE(QString::fromStdString(tilingFault(document)), QString());
    QCOMPARE(QByteArray::fromStdString(writeDocument(document)), original);
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
