// Where the programs Shareward runs are found: Debian's absolute paths, a stand-in only through
// the environment variable of that program, never PATH.
#include "systemprograms.h"

#include <QFileInfo>
#include <QTest>

class TestSystemPrograms : public QObject
{
    Q_OBJECT

private slots:
    void debianPaths_data();
    void debianPaths();
    void standIns_data();
    void standIns();
};

void TestSystemPrograms::debianPaths_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("path");
    // As "dpkg -S" names them on Debian 12.
    QTest::newRow("testparm") << SystemPrograms::testparm() << "/usr/bin/testparm";
    QTest::newRow("smbd") << SystemPrograms::smbd() << "/usr/sbin/smbd";
    QTest::newRow("smbstatus") << SystemPrograms::smbstatus() << "/usr/bin/smbstatus";
    QTest::newRow("smbcontrol") << SystemPrograms::smbcontrol() << "/usr/bin/smbcontrol";
    QTest::newRow("net") << SystemPrograms::net() << "/usr/bin/net";
    QTest::newRow("pdbedit") << SystemPrograms::pdbedit() << "/usr/bin/pdbedit";
    QTest::newRow("smbpasswd") << SystemPrograms::smbpasswd() << "/usr/bin/smbpasswd";
    QTest::newRow("wbinfo") << SystemPrograms::wbinfo() << "/usr/bin/wbinfo";
    QTest::newRow("systemctl") << SystemPrograms::systemctl() << "/bin/systemctl";
    QTest::newRow("useradd") << SystemPrograms::useradd() << "/usr/sbin/useradd";
    QTest::newRow("groupadd") << SystemPrograms::groupadd() << "/usr/sbin/groupadd";
    QTest::newRow("ssh") << SystemPrograms::ssh() << "/usr/bin/ssh";
    QTest::newRow("pkexec") << SystemPrograms::pkexec() << "/usr/bin/pkexec";
    QTest::newRow("sudo") << SystemPrograms::sudo() << "/usr/bin/sudo";
}

void TestSystemPrograms::debianPaths()
{
    QFETCH(QString, program);
    QFETCH(QString, path);
    QCOMPARE(program, path);
    // Installed there by scripts/install-deps.sh, winbind's wbinfo included.
    QVERIFY2(QFileInfo(path).isExecutable(), qPrintable(path));
}

void TestSystemPrograms::standIns_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute stand-in") << QByteArray("/tmp/fakes/net") << "/tmp/fakes/net";
    QTest::newRow("bare name: PATH would find it") << QByteArray("net") << "/usr/bin/net";
    QTest::newRow("relative path") << QByteArray("fakes/net") << "/usr/bin/net";
    QTest::newRow("empty") << QByteArray() << "/usr/bin/net";
}

void TestSystemPrograms::standIns()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, expected);
    QCOMPARE(SystemPrograms::variable("net"), QByteArray("SHAREWARD_PROGRAM_NET"));
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", "/tmp/fakes");
    qputenv("SHAREWARD_PROGRAM_NET", value);
    const QString found = SystemPrograms::net();
    const QString other = SystemPrograms::pdbedit();
    qunsetenv("SHAREWARD_PROGRAM_NET");
    qputenv("PATH", searchPath);
    QCOMPARE(found, expected);
    QCOMPARE(other, QStringLiteral("/usr/bin/pdbedit"));
}

QTEST_GUILESS_MAIN(TestSystemPrograms)
#include "tst_systemprograms.moc"
