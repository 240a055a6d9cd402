// Lists of smb.conf as Samba reads them, each row checked against the real testparm, and
// written back in the style of the line they replace.
#include "processrun.h"
#include "samballist.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// "a|b|c" as a list, "" as none.
QStringList values(const char *joined)
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

class TestSambaList : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void join_data();
    void join();
};

void TestSambaList::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("blanks") << "alice  bob\tcarol" << values("alice|bob|carol");
    QTest::newRow("commas") << "PECULIO, DIRETOR, CHEFE" << values("PECULIO|DIRETOR|CHEFE");
    QTest::newRow("commas without blanks") << "a,b,,c," << values("a|b|c");
    QTest::newRow("semicolons and quotes") << "a;b \"c d\",e" << values("a|b|c d|e");
    QTest::newRow("quoted group") << "@\"DOMAIN\\Domain Users\", alice"
                                  << values("@DOMAIN\\Domain Users|alice");
    QTest::newRow("quotes inside a word") << "\"q r\"s t\"u\"" << values("q rs|tu");
    QTest::newRow("separators in quotes") << "\"a,b;c\" d" << values("a,b;c|d");
    QTest::newRow("leading and trailing separators") << " ;, alice ,; " << values("alice");
    QTest::newRow("variables") << "%S, @staff +unix &nis" << values("%S|@staff|+unix|&nis");
    QTest::newRow("non-ASCII") << "José,Zoë" << values("José|Zoë");
}

// The values, and what testparm prints for the same line: the values separated by blanks,
// in quotes where they hold one.
void TestSambaList::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, values);
    QCOMPARE(SambaList::split(text), values);

    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, "[s]\n\tpath = /tmp\n\tvalid users = " + text.toUtf8() + "\n"));
    const ProcessRun run = runProcess(QStringLiteral("testparm"),
                                      {QStringLiteral("-s"), QStringLiteral("--section-name=s"),
                                       QStringLiteral("--parameter-name=valid users"), config});
    QCOMPARE(run.exitCode, 0);
    QStringList printed;
    for (const QString &value : values)
        printed << (value.contains(QLatin1Char(' ')) ? QLatin1Char('"') + value + QLatin1Char('"') : value);
    QCOMPARE(QString::fromUtf8(run.out).trimmed(), printed.join(QLatin1Char(' ')));
}

void TestSambaList::join_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("line");
    const QStringList three = values("PECULIO|DIRETOR|FABIO");
    QTest::newRow("new list") << three << QString() << "PECULIO DIRETOR FABIO";
    QTest::newRow("commas stay commas") << three << "PECULIO, DIRETOR"
                                        << "PECULIO, DIRETOR, FABIO";
    QTest::newRow("bare commas") << three << "PECULIO,DIRETOR"
                                 << "PECULIO,DIRETOR,FABIO";
    QTest::newRow("semicolons") << three << "a;b"
                                << "PECULIO;DIRETOR;FABIO";
    QTest::newRow("one entry: blanks") << three << "PECULIO"
                                       << "PECULIO DIRETOR FABIO";
    QTest::newRow("a blank is quoted")
        << values("alice|@DOMAIN\\Domain Users") << QString() << "alice \"@DOMAIN\\Domain Users\"";
    QTest::newRow("an entry keeps its spelling")
        << values("@DOMAIN\\Domain Users|bob") << "@\"DOMAIN\\Domain Users\", alice"
        << "@\"DOMAIN\\Domain Users\", bob";
    QTest::newRow("a comma is quoted") << values("a,b|c") << QString() << "\"a,b\" c";
    QTest::newRow("empty") << QStringList() << "a, b" << QString();
}

// Read again, the line gives the values.
void TestSambaList::join()
{
    QFETCH(QStringList, values);
    QFETCH(QString, existing);
    const QString line = SambaList::join(values, existing);
    QTEST(line, "line");
    QCOMPARE(SambaList::split(line), values);
}

QTEST_GUILESS_MAIN(TestSambaList)
#include "tst_samballist.moc"
