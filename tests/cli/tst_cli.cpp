// The command-line tool as administrators run it: the real binary in a process.
#include "processrun.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

ProcessRun runCli(const QStringList &arguments)
{
    return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"), arguments);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void printRoundTrip_data();
    void printRoundTrip();
    void printFailures_data();
    void printFailures();
    void usageErrors_data();
    void usageErrors();
};

void TestCli::printRoundTrip_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("debian smb.conf") << QStringLiteral("/usr/share/samba/smb.conf")
                                     << QStringLiteral("/usr/share/samba/smb.conf");
    const QString data = QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/confdoc/data/");
    for (const char *name : {"crlf", "highbytes", "duplicates", "no-final-newline"}) {
        QTest::newRow(name) << data + QLatin1String(name) + QLatin1String(".conf")
                            << data + QLatin1String(name) + QLatin1String(".expected");
    }
}

void TestCli::printRoundTrip()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const ProcessRun result = runCli({QStringLiteral("print"), input});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, readFile(expected));
}

void TestCli::printFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/smb.conf") << QByteArray("No such file");
    QTest::newRow("directory") << QStringLiteral("/etc") << QByteArray("Is a directory");
    QTest::newRow("through a file") << QStringLiteral("/etc/hostname/smb.conf")
                                    << QByteArray("Not a directory");
    // Opens, but every read fails with an I/O error.
    QTest::newRow("read error") << QStringLiteral("/proc/self/mem") << QByteArray("Input/output error");
}

void TestCli::printFailures()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, reason);
    const ProcessRun result = runCli({QStringLiteral("print"), path});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err.count('\n'), 1);
    QVERIFY2(result.err.startsWith("shareward-cli: cannot read " + path.toUtf8()), result.err.constData());
    QVERIFY2(result.err.contains(reason), result.err.constData());
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no command") << QStringList() << 2;
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2;
    QTest::newRow("print without file") << QStringList{QStringLiteral("print")} << 2;
    QTest::newRow("print with two files")
        << QStringList{QStringLiteral("print"), QStringLiteral("a"), QStringLiteral("b")} << 2;
    QTest::newRow("help") << QStringList{QStringLiteral("help")} << 0;
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const ProcessRun result = runCli(arguments);
    QCOMPARE(result.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(result.out.contains("print FILE"));
    else
        QVERIFY(!result.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
