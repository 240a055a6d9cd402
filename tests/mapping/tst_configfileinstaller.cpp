// What the installer replaces and what it refuses: only a regular file with one name, and
// the new file keeps the old one's ACLs and extended attributes.
#include "configfileinstaller.h"
#include "processrun.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

class TestConfigFileInstaller : public QObject
{
    Q_OBJECT

private slots:
    void refusedTargets_data();
    void refusedTargets();
    void readRefusesAtOnce_data();
    void readRefusesAtOnce();
    void keepsAttributes();
    void holds_data();
    void holds();
    void installNeedsTheTextOnDisk_data();
    void installNeedsTheTextOnDisk();
    void removesOnlyAbandoned();
};

namespace {

// Makes what the path names, in a test directory: "fifo", "device" (a character device,
// like /dev/null), "directory", "hardlink" (a file with a second name).
bool make(const QString &kind, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(name.constData(), 0644) == 0;
    if (kind == QLatin1String("device"))
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (kind == QLatin1String("directory"))
        return ::mkdir(name.constData(), 0755) == 0;
    return writeFile(path, "[global]\n")
        && (kind != QLatin1String("hardlink")
            || ::link(name.constData(), QByteArray(name + ".other").constData()) == 0);
}

mode_t typeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

} // namespace

void TestConfigFileInstaller::refusedTargets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<QString>("message");
    QTest::newRow("fifo") << "fifo" << false << "is not a regular file";
    QTest::newRow("link to a fifo") << "fifo" << true << "is not a regular file";
    QTest::newRow("link to a device") << "device" << true << "is not a regular file";
    QTest::newRow("directory") << "directory" << false << "is not a regular file";
    QTest::newRow("second hard link") << "hardlink" << false << "has 2 hard links";
    QTest::newRow("link to a file with two names") << "hardlink" << true << "has 2 hard links";
}

// Nothing is replaced, and nothing is left beside the target.
void TestConfigFileInstaller::refusedTargets()
{
    QFETCH(QString, kind);
    QFETCH(bool, throughLink);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    if (!make(kind, target))
        QSKIP(qPrintable(
            QStringLiteral("cannot make a %1 here (%2)").arg(kind, QString::fromLocal8Bit(strerror(errno)))));
    const QString config = throughLink ? dir.filePath(QStringLiteral("smb.conf")) : target;
    if (throughLink)
        QVERIFY(QFile::link(target, config));
    const QStringList before =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    const mode_t type = typeOf(target);

    ConfigFileInstaller installer(config);
    QVERIFY(!installer.open());
    QVERIFY2(installer.errorString().contains(message), qPrintable(installer.errorString()));
    QVERIFY2(installer.errorString().contains(target), qPrintable(installer.errorString()));
    QCOMPARE(typeOf(target), type);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
}

void TestConfigFileInstaller::readRefusesAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("fifo without a writer") << "fifo";
    QTest::newRow("device") << "device";
    QTest::newRow("directory") << "directory";
}

// A FIFO is not waited on, and an endless device is not read until memory runs out.
void TestConfigFileInstaller::readRefusesAtOnce()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    if (!make(kind, path))
        QSKIP(qPrintable(QStringLiteral("cannot make a %1 here").arg(kind)));
    std::string bytes;
    QString error;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!ConfigFileInstaller::readFile(
        kind == QLatin1String("device") ? QStringLiteral("/dev/zero") : path, bytes, error));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(error,
             kind == QLatin1String("directory") ? QStringLiteral("Is a directory")
                                                : QStringLiteral("Not a regular file"));
}

// Mode, owner, a POSIX ACL and user and trusted attributes go to the new file.
void TestConfigFileInstaller::keepsAttributes()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, "[global]\n"));
    const QByteArray name = QFile::encodeName(config);
    if (::setxattr(name.constData(), "user.shareward", "kept", 4, 0) != 0)
        QSKIP("this file system has no user extended attributes");
    QVERIFY(::chmod(name.constData(), 0640) == 0);
    const ProcessRun acl =
        runProcess(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:nobody:r"), config});
    if (acl.exitCode != 0)
        QSKIP(qPrintable(QStringLiteral("no POSIX ACLs here: ") + QString::fromUtf8(acl.err)));
    auto attributes = [&name] {
        QStringList found;
        for (const char *key : {"user.shareward", "system.posix_acl_access"}) {
            char value[512];
            const ssize_t size = ::getxattr(name.constData(), key, value, sizeof value);
            found << QString::fromLatin1(key) + QLatin1Char('=')
                    + QString::fromLatin1(QByteArray(value, size > 0 ? int(size) : 0).toHex());
        }
        struct stat info;
        ::stat(name.constData(), &info);
        found << QString::number(info.st_mode & 07777, 8);
        return found;
    };
    const QStringList before = attributes();

    ConfigFileInstaller installer(config);
    QVERIFY2(installer.open() && installer.write("[global]\nworkgroup = W\n") && installer.install(),
             qPrintable(installer.errorString()));
    QCOMPARE(readFile(config), QByteArray("[global]\nworkgroup = W\n"));
    QCOMPARE(attributes(), before);
    const ProcessRun shown = runProcess(QStringLiteral("getfacl"), {QStringLiteral("-c"), config});
    QVERIFY2(shown.out.contains("user:nobody:r--"), shown.out.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
}

void TestConfigFileInstaller::holds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("same");
    const QByteArray large = QByteArray(200000, 'x') + "\n";
    QTest::newRow("equal") << QByteArray("[global]\n") << QByteArray("[global]\n") << true;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
    QTest::newRow("file longer") << QByteArray("[global]\n") << QByteArray("[global]") << false;
    QTest::newRow("file shorter") << QByteArray("[global]") << QByteArray("[global]\n") << false;
    QTest::newRow("larger than a read, equal") << large << large << true;
    QTest::newRow("larger than a read, last byte differs")
        << large << QByteArray(large).replace(200000, 1, "y") << false;
    QTest::newRow("larger than a read, differs in the second read")
        << large << QByteArray(large).replace(70000, 1, "y") << false;
}

// Whether smb.conf is still the file loaded, told without reading it whole into memory.
void TestConfigFileInstaller::holds()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, same);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(path, file));
    bool found = !same;
    QString error;
    QVERIFY(ConfigFileInstaller::holds(path, bytes.toStdString(), found, error));
    QCOMPARE(found, same);
    QVERIFY(!ConfigFileInstaller::holds(dir.path(), bytes.toStdString(), found, error));
    QCOMPARE(error, QStringLiteral("Is a directory"));
}

void TestConfigFileInstaller::installNeedsTheTextOnDisk_data()
{
    QTest::addColumn<bool>("writeData");
    QTest::addColumn<bool>("sync");
    QTest::addColumn<bool>("installs");
    QTest::newRow("written and synced") << true << true << true;
    QTest::newRow("written, not synced") << true << false << false;
    QTest::newRow("nothing written") << false << false << false;
}

// testparm reads the text while it goes to disk; a rename before it is there could leave an
// empty smb.conf after a crash.
void TestConfigFileInstaller::installNeedsTheTextOnDisk()
{
    QFETCH(bool, writeData);
    QFETCH(bool, sync);
    QFETCH(bool, installs);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, "[global]\n"));
    ConfigFileInstaller installer(config);
    QVERIFY(installer.open());
    if (writeData)
        QVERIFY(installer.writeData("[global]\nworkgroup = W\n"));
    if (sync)
        QVERIFY(installer.sync());
    QCOMPARE(installer.install(), installs);
    QCOMPARE(readFile(config), QByteArray(installs ? "[global]\nworkgroup = W\n" : "[global]\n"));
    installer.discard();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
}

QTEST_GUILESS_MAIN(TestConfigFileInstaller)
#include "tst_configfileinstaller.moc"

// What killed saves left is removed; the temporary file of a living installer, files of other
// names and a link named like ours are not.
void TestConfigFileInstaller::removesOnlyAbandoned()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(path, "[global]\n"));
    const QStringList abandoned{QStringLiteral("smb.conf.shareward-AbC123"),
                                QStringLiteral("smb.conf.shareward-zzzzzz")};
    const QStringList others{QStringLiteral("smb.conf.shareward-short"), QStringLiteral("smb.conf.bak"),
                             QStringLiteral("other.conf.shareward-AbC123")};
    for (const QString &name : abandoned + others)
        QVERIFY(writeFile(dir.filePath(name), "[global]\n"));
    QVERIFY(QFile::link(path, dir.filePath(QStringLiteral("smb.conf.shareward-LiNk00"))));
    ConfigFileInstaller living(path);
    QVERIFY2(living.open() && living.write("[global]\nworkgroup = LIVING\n"),
             qPrintable(living.errorString()));

    QCOMPARE(ConfigFileInstaller::removeAbandoned(path), abandoned.size());
    QStringList expected = others
        + QStringList{QStringLiteral("smb.conf"), QStringLiteral("smb.conf.shareward-LiNk00"),
                      QFileInfo(living.temporaryPath()).fileName()};
    expected.sort();
    QStringList actual =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    actual.sort();
    QCOMPARE(actual, expected);
    QVERIFY2(living.install(), qPrintable(living.errorString()));
    QCOMPARE(readFile(path), QByteArray("[global]\nworkgroup = LIVING\n"));
}
