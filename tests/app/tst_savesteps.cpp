// The save steps on share records and share directories.
#include "globalshare.h"
#include "savesteps.h"
#include "share.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class TestSaveSteps : public QObject
{
    Q_OBJECT

private slots:
    void dropOldGuestAccount_data();
    void dropOldGuestAccount();
    void directoryPermissions_data();
    void directoryPermissions();
    void directoryPermissionFailures();
};

void TestSaveSteps::dropOldGuestAccount_data()
{
    const QString none = GlobalShare::noGuestAccount();
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    const QStringList users{QStringLiteral("alice"), QStringLiteral("guest"), QStringLiteral("nobody"),
                            QStringLiteral("Guest"), QStringLiteral("guest")};
    QTest::newRow("guest account dropped")
        << none << QStringLiteral("guest") << users
        << QStringList{QStringLiteral("alice"), QStringLiteral("nobody"), QStringLiteral("Guest")};
    QTest::newRow("none before, none now") << none << QString() << users << users;
    QTest::newRow("unchanged") << QStringLiteral("guest") << QStringLiteral("guest") << users << users;
    QTest::newRow("nothing saved") << QStringLiteral("guest") << QString() << users << users;
    QTest::newRow("from none to a name drops nobody")
        << QStringLiteral("guest") << none << users
        << QStringList{QStringLiteral("alice"), QStringLiteral("guest"), QStringLiteral("Guest"),
                       QStringLiteral("guest")};
    QTest::newRow("from one name to another")
        << QStringLiteral("smbguest") << QStringLiteral("guest") << users
        << QStringList{QStringLiteral("alice"), QStringLiteral("nobody"), QStringLiteral("Guest")};
}

void TestSaveSteps::dropOldGuestAccount()
{
    QFETCH(QString, current);
    QFETCH(QString, saved);
    QFETCH(QStringList, before);
    QList<Share> shares{Share(QStringLiteral("a")), Share(QStringLiteral("b"))};
    for (Share &share : shares)
        share.setValidUsers(before);
    SaveSteps::dropOldGuestAccount(current, saved, shares);
    for (const Share &share : shares)
        QTEST(share.validUsers(), "after");
}

void TestSaveSteps::directoryPermissions_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("setPermissions");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("readWrite");
    QTest::addColumn<int>("after");
    QTest::newRow("read-only chosen") << 0755 << true << true << false << 0555;
    QTest::newRow("read/write chosen") << 0755 << true << false << true << 0777;
    QTest::newRow("earlier read-only undone") << 0555 << false << true << false << 0755;
    QTest::newRow("earlier read/write undone") << 0777 << false << false << true << 0755;
    QTest::newRow("chosen earlier, nothing now") << 0555 << true << false << false << 0555;
    QTest::newRow("0750 is the administrator's") << 0750 << false << true << false << 0750;
    QTest::newRow("0750 read/write") << 0750 << false << false << true << 0750;
    QTest::newRow("0700 untouched") << 0700 << false << false << false << 0700;
}

void TestSaveSteps::directoryPermissions()
{
    QFETCH(int, before);
    QFETCH(bool, setPermissions);
    QFETCH(bool, readOnly);
    QFETCH(bool, readWrite);
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("share"));
    QVERIFY(QDir().mkdir(path));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(before)) == 0);
    Share share(QStringLiteral("s"));
    share.setPath(path);
    share.setSetDirectoryPermissions(setPermissions);
    share.setReadOnly(readOnly);
    share.setReadWrite(readWrite);
    QVERIFY(SaveSteps::applyDirectoryPermissions({share}).isEmpty());
    QTEST(int(modeOf(path)), "after");
}

void TestSaveSteps::directoryPermissionFailures()
{
    QTemporaryDir root;
    const QString missing = root.filePath(QStringLiteral("missing"));
    const QString present = root.filePath(QStringLiteral("present"));
    QVERIFY(QDir().mkdir(present));
    Share first(QStringLiteral("a"));
    first.setPath(missing);
    first.setSetDirectoryPermissions(true);
    first.setReadOnly(true);
    Share second(QStringLiteral("b"));
    second.setPath(present);
    second.setSetDirectoryPermissions(true);
    second.setReadOnly(false);
    second.setReadWrite(true);
    // The failure is reported and the next share is still handled.
    QCOMPARE(SaveSteps::applyDirectoryPermissions({first, second}), QStringList{missing});
    QCOMPARE(int(modeOf(present)), 0777);
}

QTEST_GUILESS_MAIN(TestSaveSteps)
#include "tst_savesteps.moc"
