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

namespace {

// An smb.conf of many plain shares, each under a comment line, as large installations have.
QByteArray manyShares(int count)
{
    QByteArray text = "[global]\n   workgroup = WORKGROUP\n\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "# Share number " + n + "\n[share" + n + "]\n   path = /srv/share" + n
            + "\n   read only = no\n\n";
    }
    return text;
}

} // namespace

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
    QTest::newRow("first line changed") << ten << QByteArray(ten).replace("one", "ONE");
    QTest::newRow("last line changed") << ten << QByteArray(ten).replace("ten", "TEN");
    QTest::newRow("line added at the start") << ten << "zero\n" + ten;
    QTest::newRow("line added at the end") << ten << ten + "eleven\n";
    QTest::newRow("every line changed") << ten << ten.toUpper();
    QTest::newRow("one line, changed") << QByteArray("a\n") << QByteArray("b\n");
    QTest::newRow("one line, losing its line feed") << QByteArray("a\n") << QByteArray("a");
    QTest::newRow("one line without line feed, changed") << QByteArray("a") << QByteArray("b");
    QTest::newRow("last line without line feed on one side, middle changed")
        << ten.left(ten.size() - 1) << QByteArray(ten).replace("five", "FIVE");
    QTest::newRow("last line without line feed on both sides, middle changed")
        << ten.left(ten.size() - 1) << QByteArray(ten).replace("five", "FIVE").chopped(1);
    QTest::newRow("last line without line feed, changed")
        << ten.left(ten.size() - 1) << ten.left(ten.size() - 2);
    // The common start and end overlap: which equal line changed is diff's choice.
    QTest::newRow("a line of two equal ones removed") << QByteArray("a\na\n") << QByteArray("a\n");
    QTest::newRow("an equal line added") << QByteArray("a\n") << QByteArray("a\na\n");
    QTest::newRow("two equal lines added between equal ones")
        << QByteArray("a\nb\na\nb\n") << QByteArray("a\nb\na\nb\na\nb\n");
    QTest::newRow("blank line added among blank lines")
        << QByteArray("[a]\n\n\n[b]\n") << QByteArray("[a]\n\n\n\n[b]\n");
    // diff moves the added line to the last of the blank ones: its context comes from the
    // lines both texts end with.
    const QByteArray blanks = QByteArray(ten).replace("five\n", "five\n\n\n\n\n\n");
    QTest::newRow("blank line added among five")
        << blanks << QByteArray(blanks).replace("five\n", "five\n\n");
    // The bytes both texts end with start inside a line ("a\n" of "xa\n").
    QTest::newRow("identical end starting inside a line")
        << QByteArray("a\nxa\nxa\nxa\n") << QByteArray("xa\na\nxa\nxa\nxa\nxa\n");
    // Equal lines let a change sit in more than one place: it goes where diff puts it.
    QTest::newRow("header replaced by a blank line beside another")
        << QByteArray("[b]\n\n") << QByteArray("\n\n");
    QTest::newRow("changes seven lines apart get two hunks")
        << twenty << QByteArray(twenty).replace("two\n", "TWO\n").replace("ten\n", "TEN\n");
    const QByteArray shares = manyShares(10000);
    QTest::newRow("10000 shares, one path changed")
        << shares << QByteArray(shares).replace("/srv/share5000\n", "/srv/elsewhere\n");
    QTest::newRow("10000 shares, one share added before the last")
        << shares
        << QByteArray(shares).replace("# Share number 9999\n",
                                      "[new]\n   path = /srv/new\n\n# Share number 9999\n");
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
