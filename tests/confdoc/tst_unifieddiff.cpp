// The diffs the review, the history and shareward-cli show, against GNU diff -u on the same
// texts: an administrator reads them as diff output, and patch(1) must take them.
#include "processrun.h"
#include "testfiles.h"
#include "unifieddiff.h"

#include <QTemporaryDir>
#include <QtTest>

class TestUnifiedDiff : public QObject
{
    Q_OBJECT

private slots:
    void sameAsDiff_data();
    void sameAsDiff();
};

void TestUnifiedDiff::sameAsDiff_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray ten = "one\ntwo\nthree\nfour\nfive\nsix\nseven\neight\nnine\nten\n";
    QByteArray twenty = ten + QByteArray(ten).replace("\n", "2\n");
    QTest::newRow("equal") << ten << ten;
    QTest::newRow("one line changed") << ten << QByteArray(ten).replace("five", "FIVE");
    QTest::newRow("changes six lines apart share a hunk")
        << ten << QByteArray(ten).replace("two", "TWO").replace("nine", "NINE");
    QTest::newRow("changes far apart get two hunks")
        << twenty << QByteArray(twenty).replace("one\n", "ONE\n").replace("ten2", "TEN2");
    QTest::newRow("lines added and removed")
        << ten << QByteArray(ten).replace("three\n", "").replace("seven\n", "seven\nseven and a half\n");
    QTest::newRow("last line loses its line feed") << ten << ten.left(ten.size() - 1);
    QTest::newRow("last line gains its line feed") << ten.left(ten.size() - 1) << ten;
    QTest::newRow("CRLF kept") << QByteArray(ten).replace("\n", "\r\n")
                               << QByteArray(ten).replace("\n", "\r\n").replace("six", "SIX");
    QTest::newRow("from nothing") << QByteArray() << ten;
    QTest::newRow("to nothing") << ten << QByteArray();
    const QByteArray sample = readFile(smbConfCorpus().value(0));
    QTest::newRow("a real smb.conf, a share added in the middle")
        << sample << QByteArray(sample).insert(sample.size() / 2, "[added]\n   path = /srv/added\n");
}

void TestUnifiedDiff::sameAsDiff()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("before")), before));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("after")), after));
    const ProcessRun diff =
        runProcess(QStringLiteral("diff"),
                   {QStringLiteral("-u"), QStringLiteral("--label"), QStringLiteral("old"),
                    QStringLiteral("--label"), QStringLiteral("new"), dir.filePath(QStringLiteral("before")),
                    dir.filePath(QStringLiteral("after"))});
    QVERIFY(diff.exitCode == 0 || diff.exitCode == 1);
    const std::string ours = unifiedDiff(before.toStdString(), after.toStdString(), "old", "new");
    QCOMPARE(QByteArray::fromStdString(ours), diff.out);
}

QTEST_GUILESS_MAIN(TestUnifiedDiff)
#include "tst_unifieddiff.moc"
