// The command-line tool as administrators run it: the real binary in a process.
#include "processrun.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

ProcessRun runCli(const QStringList &arguments)
{
    return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"), arguments);
}

// A file in a style of its own: CRLF, TAB indentation, capitalised booleans.
const char editedFile[] = "[global]\r\n\tworkgroup = W\r\n\r\n[data]\r\n\tpath = /srv/data\r\n"
                          "\tcomment = Team data\r\n\tread only = Yes\r\n";

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void printRoundTrip_data();
    void printRoundTrip();
    void edits_data();
    void edits();
    void printFailures_data();
    void printFailures();
    void usageErrors_data();
    void usageErrors();
    void parallelEditsLoseNothing();
};

void TestCli::printRoundTrip_data()
{
    QTest::addColumn<QString>("input");
    for (const QString &file : smbConfCorpus())
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
}

// print writes back every byte read.
void TestCli::printRoundTrip()
{
    QFETCH(QString, input);
    const ProcessRun result = runCli({QStringLiteral("print"), input});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, readFile(input));
}

void TestCli::edits_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    // The file after the command; empty when it must stay as it was, untouched.
    QTest::addColumn<QByteArray>("expected");

    const QStringList share{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data")};
    QTest::newRow("share comment") << share
            + QStringList{QStringLiteral("--comment"), QStringLiteral("New text")}
                                   << 0 << QByteArray(editedFile).replace("Team data", "New text");
    QTest::newRow("share writable, name in another case")
        << QStringList{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("DATA"),
                       QStringLiteral("--writable")}
        << 0 << QByteArray(editedFile).replace("read only = Yes", "read only = No");
    QTest::newRow("share set to what it says")
        << share + QStringList{QStringLiteral("--comment"), QStringLiteral("Team data")} << 0 << QByteArray();
    QTest::newRow("global server string")
        << QStringList{QStringLiteral("global"), QStringLiteral("set"), QStringLiteral("--server-string"),
                       QStringLiteral("Files")}
        << 0
        << QByteArray(editedFile)
               .replace("\tworkgroup = W\r\n", "\tworkgroup = W\r\n\tserver string = Files\r\n");
    QTest::newRow("unknown share") << QStringList{
        QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("nope"), QStringLiteral("--comment"),
        QStringLiteral("x")} << 1 << QByteArray();
    QTest::newRow("unknown option") << share + QStringList{QStringLiteral("--colour"), QStringLiteral("red")}
                                    << 2 << QByteArray();
    QTest::newRow("option without value")
        << share + QStringList{QStringLiteral("--comment")} << 2 << QByteArray();
}

// Each edit changes exactly its line, in the line's own style; an edit that changes nothing
// and a refused one leave the file untouched, modification time included.
void TestCli::edits()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(editedFile) == qint64(qstrlen(editedFile)));
    file.close();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(before, QFileDevice::FileModificationTime));
    file.close();

    const ProcessRun result = runCli(QStringList{QStringLiteral("--config"), config} + command);
    QVERIFY2(result.exitCode == exitCode, result.err.constData());
    QCOMPARE(result.err.isEmpty(), exitCode == 0);
    if (expected.isEmpty()) {
        QCOMPARE(readFile(config), QByteArray(editedFile));
        QCOMPARE(QFileInfo(config).lastModified(), before);
    } else {
        QCOMPARE(readFile(config), expected);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
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
    // Refused at once, neither waited on nor read without end.
    QTest::newRow("endless device") << QStringLiteral("/dev/zero") << QByteArray("Not a regular file");
    QTest::newRow("fifo without a writer") << QStringLiteral("{fifo}") << QByteArray("Not a regular file");
}

void TestCli::printFailures()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    if (path == QLatin1String("{fifo}")) {
        path = dir.filePath(QStringLiteral("smb.conf"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    }
    // Every command that reads a file says the same.
    for (const char *command : {"print", "show", "save"}) {
        const ProcessRun result = runCli({QString::fromLatin1(command), path});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(result.err.count('\n'), 1);
        QVERIFY2(result.err.startsWith("shareward-cli: cannot read " + path.toUtf8()),
                 result.err.constData());
        QVERIFY2(result.err.contains(reason), result.err.constData());
    }
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

// Edits started together: each one either lands whole or fails saying why, none undoes
// another, and smb.conf is a complete text testparm accepts all the while.
void TestCli::parallelEditsLoseNothing()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QByteArray text = "[global]\n   workgroup = W\n";
    const int count = 8;
    for (int i = 0; i < count; ++i)
        text += "\n[share" + QByteArray::number(i) + "]\n   path = /srv/" + QByteArray::number(i) + "\n";
    QVERIFY(writeFile(config, text));

    std::vector<std::unique_ptr<QProcess>> editors;
    for (int i = 0; i < count; ++i) {
        editors.push_back(std::make_unique<QProcess>());
        editors.back()->setProcessEnvironment(testEnvironment());
        editors.back()->start(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                              {QStringLiteral("--config"), config, QStringLiteral("share"),
                               QStringLiteral("set"), QStringLiteral("share%1").arg(i),
                               QStringLiteral("--comment"), QStringLiteral("edit %1").arg(i)});
    }
    int landed = 0;
    for (int i = 0; i < count; ++i) {
        QProcess &editor = *editors[static_cast<std::size_t>(i)];
        QVERIFY(editor.waitForFinished(60000));
        const QByteArray err = editor.readAllStandardError();
        const bool present = readFile(config).contains("comment = edit " + QByteArray::number(i) + '\n');
        if (editor.exitCode() == 0) {
            QVERIFY2(present, qPrintable(QStringLiteral("edit %1 was lost").arg(i)));
            ++landed;
        } else {
            QCOMPARE(editor.exitCode(), 1);
            QVERIFY2(err.contains("changed by another program") || err.contains("Another save"),
                     err.constData());
            QVERIFY(!present);
        }
    }
    QVERIFY(landed >= 1);
    const ProcessRun check = runProcess(QStringLiteral("testparm"), {QStringLiteral("-s"), config});
    QVERIFY2(check.exitCode == 0, check.err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
