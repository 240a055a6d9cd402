// The save steps on share records and share directories.
#include "globalshare.h"
#include "linkfreedirectory.h"
#include "savesteps.h"
#include "share.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

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
    void writableMadeHereIsChangedBack();
    void linksAreNotFollowed_data();
    void linksAreNotFollowed();
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
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("after");
    QTest::newRow("read-only asked") << 0755 << int(Share::MakeReadOnly) << 0555;
    // Everyone writes: the sticky bit keeps each one's files from the others.
    QTest::newRow("read/write asked") << 0755 << int(Share::MakeWritable) << 01777;
    QTest::newRow("read/write asked of an older 0777") << 0777 << int(Share::MakeWritable) << 01777;
    QTest::newRow("read-only undone") << 0555 << int(Share::UndoDirectoryMode) << 0755;
    QTest::newRow("older read/write undone") << 0777 << int(Share::UndoDirectoryMode) << 0755;
    QTest::newRow("undo leaves the administrator's mode") << 0750 << int(Share::UndoDirectoryMode) << 0750;
    // Nothing asked: no mode changes, not even one this tool would set.
    QTest::newRow("0777 not asked about") << 0777 << int(Share::KeepDirectoryMode) << 0777;
    QTest::newRow("0555 not asked about") << 0555 << int(Share::KeepDirectoryMode) << 0555;
    // /var/tmp (1777) is no 0777; set-ID directories keep their bits too.
    QTest::newRow("sticky directory, read-only asked") << 01777 << int(Share::MakeReadOnly) << 01777;
    QTest::newRow("sticky directory, undo asked") << 01777 << int(Share::UndoDirectoryMode) << 01777;
    QTest::newRow("set-group-ID directory") << 02775 << int(Share::MakeWritable) << 02775;
    QTest::newRow("set-user-ID directory") << 04755 << int(Share::MakeReadOnly) << 04755;
}

void TestSaveSteps::directoryPermissions()
{
    QFETCH(int, before);
    QFETCH(int, change);
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("share"));
    QVERIFY(QDir().mkdir(path));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(before)) == 0);
    QList<Share> shares{Share(QStringLiteral("s"))};
    shares[0].setPath(path);
    shares[0].setDirectoryModeChange(static_cast<Share::DirectoryModeChange>(change));
    // The plan shown before a save names exactly the change the save then makes.
    const QList<SaveSteps::ModeChange> plan = SaveSteps::plannedDirectoryModes(shares);
    QFETCH(int, after);
    QCOMPARE(plan.size(), after == before ? 0 : 1);
    if (!plan.isEmpty()) {
        QCOMPARE(plan.first().path, path);
        QCOMPARE(plan.first().oldMode, before);
        QCOMPARE(plan.first().newMode, after);
    }
    QVERIFY(SaveSteps::applyDirectoryPermissions(shares).isEmpty());
    QCOMPARE(int(modeOf(path)), after);
    // Done once: the next save asks nothing.
    QCOMPARE(shares[0].directoryModeChange(), Share::KeepDirectoryMode);
}

void TestSaveSteps::directoryPermissionFailures()
{
    QTemporaryDir root;
    const QString missing = root.filePath(QStringLiteral("missing"));
    const QString present = root.filePath(QStringLiteral("present"));
    QVERIFY(QDir().mkdir(present));
    QList<Share> shares{Share(QStringLiteral("a")), Share(QStringLiteral("b"))};
    shares[0].setPath(missing);
    shares[0].setDirectoryModeChange(Share::MakeReadOnly);
    shares[1].setPath(present);
    shares[1].setDirectoryModeChange(Share::MakeWritable);
    // A missing directory is not planned; the save reports it.
    QCOMPARE(SaveSteps::plannedDirectoryModes(shares).size(), 1);
    // The failure is reported and the next share is still handled.
    QCOMPARE(SaveSteps::applyDirectoryPermissions(shares), QStringList{missing});
    QCOMPARE(int(modeOf(present)), 01777);
}

// A directory made read/write here is changed back when asked; /var/tmp's kind is not.
void TestSaveSteps::writableMadeHereIsChangedBack()
{
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("share"));
    QVERIFY(QDir().mkdir(path));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0755) == 0);
    QList<Share> shares{Share(QStringLiteral("s"))};
    shares[0].setPath(path);
    const auto ask = [&shares](Share::DirectoryModeChange change) {
        shares[0].setDirectoryModeChange(change);
        return SaveSteps::applyDirectoryPermissions(shares);
    };
    QVERIFY(ask(Share::MakeWritable).isEmpty());
    QCOMPARE(int(modeOf(path)), 01777);
    QVERIFY(ask(Share::MakeReadOnly).isEmpty());
    QCOMPARE(int(modeOf(path)), 0555);
    QVERIFY(ask(Share::MakeWritable).isEmpty());
    QCOMPARE(int(modeOf(path)), 01777);
    QVERIFY(ask(Share::UndoDirectoryMode).isEmpty());
    QCOMPARE(int(modeOf(path)), 0755);
    // Made 1777 by somebody else: kept.
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 01777) == 0);
    QVERIFY(ask(Share::MakeReadOnly).isEmpty());
    QCOMPARE(int(modeOf(path)), 01777);
}

void TestSaveSteps::linksAreNotFollowed_data()
{
    QTest::addColumn<QString>("shared");
    QTest::addColumn<int>("method");
    for (const auto &[name, method] : {std::pair<const char *, int>{"openat2", LinkFreeDirectory::Automatic},
                                       {"walk", LinkFreeDirectory::ComponentWalk}}) {
        QTest::addRow("%s: the directory a link", name) << QStringLiteral("link") << method;
        QTest::addRow("%s: a link on the way", name) << QStringLiteral("link/inner") << method;
        QTest::addRow("%s: a plain path", name) << QStringLiteral("real/inner") << method;
    }
}

// A user who owns a share's directory may swap it, or a directory above it, for a link to
// /etc: no mode is changed through a link, and only the directory itself is opened.
void TestSaveSteps::linksAreNotFollowed()
{
    QFETCH(QString, shared);
    QFETCH(int, method);
    QTemporaryDir root;
    const QString base = QFileInfo(root.path()).canonicalFilePath() + QLatin1Char('/');
    QVERIFY(QDir().mkpath(base + QStringLiteral("victim/inner")));
    QVERIFY(QDir().mkpath(base + QStringLiteral("real/inner")));
    for (const char *directory : {"victim", "victim/inner", "real/inner"})
        QVERIFY(::chmod(QFile::encodeName(base + QLatin1String(directory)).constData(), 0750) == 0);
    QVERIFY(QFile::link(base + QStringLiteral("victim"), base + QStringLiteral("link")));
    const bool throughLink = shared.startsWith(QLatin1String("link"));

    const int fd = LinkFreeDirectory::open(base + shared, LinkFreeDirectory::Method(method));
    QCOMPARE(fd >= 0, !throughLink);
    if (fd >= 0)
        ::close(fd);
    else
        QVERIFY2(errno == ELOOP || errno == ENOTDIR, strerror(errno));

    QList<Share> shares{Share(QStringLiteral("s"))};
    shares[0].setPath(base + shared);
    shares[0].setDirectoryModeChange(Share::MakeWritable);
    QCOMPARE(SaveSteps::plannedDirectoryModes(shares).isEmpty(), throughLink);
    QCOMPARE(SaveSteps::applyDirectoryPermissions(shares),
             throughLink ? QStringList{base + shared} : QStringList());
    QCOMPARE(int(modeOf(base + QStringLiteral("victim"))), 0750);
    QCOMPARE(int(modeOf(base + QStringLiteral("victim/inner"))), 0750);
    QCOMPARE(int(modeOf(base + QStringLiteral("real/inner"))), throughLink ? 0750 : 01777);
}

QTEST_GUILESS_MAIN(TestSaveSteps)
#include "tst_savesteps.moc"
