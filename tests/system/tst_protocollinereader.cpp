// The lines of the backend protocol cut from a byte stream as it arrives in pieces, and lines
// longer than the limit dropped without being kept.
#include "protocollinereader.h"

#include <QTest>

class TestProtocolLineReader : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void hugeLineCostsNoMemory();
};

void TestProtocolLineReader::lines_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("piece"); // bytes fed at a time
    QTest::addColumn<QByteArrayList>("expected"); // "!" for a line too long
    const QByteArrayList two{"{\"a\":1}", "{\"b\":2}"};
    for (int piece : {1, 2, 3, 7, 100}) {
        QTest::addRow("two lines, pieces of %d", piece)
            << QByteArray("{\"a\":1}\n{\"b\":2}\n") << piece << two;
        QTest::addRow("unfinished last, pieces of %d", piece)
            << QByteArray("one\ntw") << piece << QByteArrayList{"one"};
        // The limit is 10 bytes: a line of 10 passes, one of 11 is dropped, the next is read.
        QTest::addRow("at the limit, pieces of %d", piece)
            << QByteArray("0123456789\n0123456789x\nok\n") << piece
            << QByteArrayList{"0123456789", "!", "ok"};
        QTest::addRow("empty lines, pieces of %d", piece)
            << QByteArray("\n\nx\n") << piece << QByteArrayList{"", "", "x"};
        QTest::addRow("two too long, pieces of %d", piece)
            << QByteArray("aaaaaaaaaaaaaaaaaaaa\nbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\nc\n") << piece
            << QByteArrayList{"!", "!", "c"};
    }
}

void TestProtocolLineReader::lines()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, piece);
    QFETCH(QByteArrayList, expected);
    ProtocolLineReader reader(10);
    QByteArrayList got;
    for (int at = 0; at < stream.size(); at += piece) {
        reader.feed(stream.mid(at, piece));
        while (std::optional<ProtocolLineReader::Line> line = reader.next())
            got << (line->tooLong ? QByteArray("!") : line->bytes);
    }
    QCOMPARE(got, expected);
}

void TestProtocolLineReader::hugeLineCostsNoMemory()
{
    // 100 MiB without a line break, in the pieces a pipe gives: never more than the limit kept.
    ProtocolLineReader reader(1024 * 1024);
    const QByteArray chunk(65536, 'x');
    qsizetype most = 0;
    for (int i = 0; i < 1600; ++i) {
        reader.feed(chunk);
        most = qMax(most, reader.pending());
        QVERIFY(!reader.next());
    }
    QVERIFY(reader.droppingLine());
    QVERIFY(most <= 1024 * 1024);
    reader.feed(QByteArray("tail\n{\"id\":1}\n"));
    std::optional<ProtocolLineReader::Line> line = reader.next();
    QVERIFY(line && line->tooLong);
    line = reader.next();
    QVERIFY(line && !line->tooLong);
    QCOMPARE(line->bytes, QByteArray("{\"id\":1}"));
}

QTEST_APPLESS_MAIN(TestProtocolLineReader)
#include "tst_protocollinereader.moc"
