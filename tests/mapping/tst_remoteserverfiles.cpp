// RemoteServerFiles against the real backend, shareward-cli serve: for the same directories,
// the same requests and the same smbd, it gives what LocalServerFiles gives in this process and
// changes the modes the same way. A backend that is gone gives a failure with a sentence.
#include "backendprotocol.h"
#include "localserverfiles.h"
#include "remoteserverfiles.h"
#include "testbackend.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

QString text(const VfsModuleInventory &inventory)
{
    return QStringLiteral("%1 %2 %3")
        .arg(inventory.known())
        .arg(inventory.modulesDirectory(), inventory.modules().join(QLatin1Char(',')));
}

int modeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestRemoteServerFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void vfsModules_data();
    void vfsModules();
    void directoryFacts_data();
    void directoryFacts();
    void modes_data();
    void modes();
    void malformedRequest();
    void lostBackend_data();
    void lostBackend();

private:
    // A directory, file or link under root named name, as a row describes it.
    void make(const QString &root, const QString &name, const QString &kind, int mode);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestBackend> m_backend;
    std::unique_ptr<RemoteServerFiles> m_remote;
    QByteArray m_variable;
};

void TestRemoteServerFiles::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("the backend runs as root");
}

void TestRemoteServerFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_backend = std::make_unique<TestBackend>(m_dir->path());
}

void TestRemoteServerFiles::cleanup()
{
    m_remote.reset();
    m_backend.reset();
    if (!m_variable.isEmpty())
        qunsetenv(m_variable.constData());
    m_variable.clear();
}

void TestRemoteServerFiles::make(const QString &root, const QString &name, const QString &kind, int mode)
{
    const QString path = root + QLatin1Char('/') + name;
    QVERIFY(QDir().mkpath(root));
    if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(path));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    } else if (kind == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("link")) {
        make(root, name + QStringLiteral(".target"), QStringLiteral("directory"), mode);
        QVERIFY(QFile::link(path + QStringLiteral(".target"), path));
    }
}

void TestRemoteServerFiles::vfsModules_data()
{
    QTest::addColumn<QByteArray>("smbd");
    QTest::addColumn<bool>("known");
    // The machine's smbd.
    QTest::newRow("smbd -b") << QByteArray() << true;
    QTest::newRow("smbd fails") << QByteArray("echo 'smbd: broken' >&2; exit 1") << false;
    // A module directory of the test's own, with one module beside the built-in ones.
    QTest::newRow("another module directory")
        << QByteArray("printf 'Builtin modules:\\n   vfs_default\\nMODULESDIR: %s\\n' \"${0%/*}/modules\"")
        << true;
}

void TestRemoteServerFiles::vfsModules()
{
    QFETCH(QByteArray, smbd);
    QFETCH(bool, known);
    if (!smbd.isEmpty()) {
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("modules/vfs"))));
        QFile module(m_dir->filePath(QStringLiteral("modules/vfs/sw_test.so")));
        QVERIFY(module.open(QIODevice::WriteOnly));
        m_variable = m_backend->standIn("smbd", smbd);
        QVERIFY(!m_variable.isEmpty());
    }
    m_remote = std::make_unique<RemoteServerFiles>(m_backend->open());
    LocalServerFiles local;
    const VfsModuleInventory here = local.vfsModules();
    const VfsModuleInventory there = m_remote->vfsModules();
    QCOMPARE(text(there), text(here));
    QCOMPARE(there.known(), known);
    if (smbd.startsWith("printf"))
        QCOMPARE(there.modules(), (QStringList{QStringLiteral("default"), QStringLiteral("sw_test")}));
}

void TestRemoteServerFiles::directoryFacts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("problem");
    QTest::newRow("directory") << "directory"
                               << "data" << 0750 << false;
    QTest::newRow("set-group-ID directory") << "directory"
                                            << "data" << 02775 << false;
    QTest::newRow("link to a directory") << "link"
                                         << "data" << 0700 << false;
    QTest::newRow("file") << "file"
                          << "data" << -1 << true;
    QTest::newRow("missing") << "none"
                             << "data" << -1 << true;
    QTest::newRow("relative") << "none"
                              << "relative/data" << -1 << true;
    QTest::newRow("empty") << "none"
                           << "" << -1 << true;
    QTest::newRow("substitution below a directory") << "directory"
                                                    << "%U" << -1 << false;
}

void TestRemoteServerFiles::directoryFacts()
{
    QFETCH(QString, kind);
    QFETCH(QString, path);
    QFETCH(int, mode);
    QFETCH(bool, problem);
    const QString root = m_dir->filePath(QStringLiteral("srv"));
    QVERIFY(QDir().mkpath(root));
    if (kind != QLatin1String("none"))
        make(root, QStringLiteral("data"), kind, mode);
    QString full = path;
    if (path == QLatin1String("data") || path.startsWith(QLatin1Char('%')))
        full = root + QLatin1Char('/') + path;
    m_remote = std::make_unique<RemoteServerFiles>(m_backend->open());
    LocalServerFiles local;
    QCOMPARE(m_remote->directoryMode(full), local.directoryMode(full));
    if (!full.contains(QLatin1Char('%')))
        QCOMPARE(m_remote->directoryMode(full), mode);
    QCOMPARE(m_remote->directoryProblem(full), local.directoryProblem(full));
    QCOMPARE(!m_remote->directoryProblem(full).isEmpty(), problem);
}

void TestRemoteServerFiles::modes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("change");
    // The mode after the save; -1: the path is reported as not set.
    QTest::addColumn<int>("after");
    QTest::newRow("read only") << "directory" << 0755 << int(Share::MakeReadOnly) << 0555;
    QTest::newRow("writable") << "directory" << 0750 << int(Share::MakeWritable) << 01777;
    QTest::newRow("undo read only") << "directory" << 0555 << int(Share::UndoDirectoryMode) << 0755;
    QTest::newRow("undo keeps another mode") << "directory" << 0700 << int(Share::UndoDirectoryMode) << 0700;
    QTest::newRow("sticky, not made so here")
        << "directory" << 01777 << int(Share::UndoDirectoryMode) << 01777;
    QTest::newRow("set-group-ID") << "directory" << 02775 << int(Share::MakeReadOnly) << 02775;
    QTest::newRow("keep") << "directory" << 0755 << int(Share::KeepDirectoryMode) << 0755;
    QTest::newRow("missing") << "none" << 0 << int(Share::MakeReadOnly) << -1;
    QTest::newRow("a link") << "link" << 0755 << int(Share::MakeWritable) << -1;
    QTest::newRow("a file") << "file" << 0 << int(Share::MakeWritable) << -1;
}

void TestRemoteServerFiles::modes()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(int, change);
    QFETCH(int, after);
    m_remote = std::make_unique<RemoteServerFiles>(m_backend->open());
    LocalServerFiles local;
    ServerFiles *const sides[2] = {&local, m_remote.get()};
    QStringList planned[2];
    QStringList failed[2];
    int modes[2] = {0, 0};
    // Each side on its own twin of the directory, named alike below its root.
    for (int side = 0; side < 2; ++side) {
        const QString root = m_dir->filePath(side == 0 ? QStringLiteral("here") : QStringLiteral("there"));
        QVERIFY(QDir().mkpath(root));
        if (kind != QLatin1String("none"))
            make(root, QStringLiteral("data"), kind, mode);
        const QString path = root + QStringLiteral("/data");
        const int before = modeOf(path);
        const QList<SaveSteps::ModeRequest> requests{{path, Share::DirectoryModeChange(change)}};
        for (const SaveSteps::ModeChange &planning : sides[side]->plannedDirectoryModes(requests))
            planned[side] << QStringLiteral("%1 %2 %3")
                                 .arg(planning.path.mid(root.size()))
                                 .arg(planning.oldMode, 0, 8)
                                 .arg(planning.newMode, 0, 8);
        // Planning changes nothing.
        QCOMPARE(modeOf(path), before);
        for (const QString &path : sides[side]->setDirectoryModes(requests))
            failed[side] << path.mid(root.size());
        modes[side] = modeOf(path);
    }
    QCOMPARE(planned[1], planned[0]);
    QCOMPARE(failed[1], failed[0]);
    QCOMPARE(modes[1], modes[0]);
    if (after < 0) {
        QCOMPARE(failed[1], QStringList{QStringLiteral("/data")});
        QCOMPARE(planned[1], QStringList());
    } else {
        QCOMPARE(failed[1], QStringList());
        QCOMPARE(modes[1], after);
        QCOMPARE(planned[1].isEmpty(), after == mode);
    }
}

void TestRemoteServerFiles::malformedRequest()
{
    // A change no share dialog asks for is refused; nothing changes.
    const QString path = m_dir->filePath(QStringLiteral("data"));
    make(m_dir->path(), QStringLiteral("data"), QStringLiteral("directory"), 0755);
    BackendConnection &connection = m_backend->open();
    const QJsonObject request{{QStringLiteral("op"), QStringLiteral("files.setDirectoryModes")},
                              {QStringLiteral("requests"),
                               QJsonArray{QJsonObject{{QStringLiteral("path"), path},
                                                      {QStringLiteral("change"), QStringLiteral("4755")}}}}};
    try {
        connection.request(request);
        QFAIL("not refused");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.code(), BackendProtocol::BadArgument);
        QVERIFY2(failure.message().startsWith(
                     QStringLiteral("The field \"request.requests[0].change\" must be one of")),
                 qPrintable(failure.message()));
    }
    QCOMPARE(modeOf(path), 0755);
}

void TestRemoteServerFiles::lostBackend_data()
{
    QTest::addColumn<QString>("call");
    for (const char *call :
         {"vfsModules", "directoryMode", "directoryProblem", "plannedDirectoryModes", "setDirectoryModes"})
        QTest::newRow(call) << QString::fromLatin1(call);
}

void TestRemoteServerFiles::lostBackend()
{
    QFETCH(QString, call);
    m_remote = std::make_unique<RemoteServerFiles>(m_backend->open());
    QVERIFY(m_backend->kill());
    const QString lost = QStringLiteral("The connection to this computer was lost.");
    const QList<SaveSteps::ModeRequest> requests{{m_dir->path(), Share::MakeReadOnly}};
    QElapsedTimer clock;
    clock.start();
    if (call == QLatin1String("directoryProblem")) {
        // The share dialog shows it as the directory's problem.
        QVERIFY2(m_remote->directoryProblem(m_dir->path()).startsWith(lost),
                 qPrintable(m_remote->directoryProblem(m_dir->path())));
    } else {
        try {
            if (call == QLatin1String("vfsModules"))
                m_remote->vfsModules();
            else if (call == QLatin1String("directoryMode"))
                m_remote->directoryMode(m_dir->path());
            else if (call == QLatin1String("plannedDirectoryModes"))
                m_remote->plannedDirectoryModes(requests);
            else
                m_remote->setDirectoryModes(requests);
            QFAIL("no failure");
        } catch (const BackendConnection::Failure &failure) {
            QCOMPARE(failure.kind(), BackendConnection::Failure::Lost);
            QVERIFY2(failure.message().startsWith(lost), qPrintable(failure.message()));
        }
    }
    QVERIFY(clock.elapsed() < 20000);
    QCOMPARE(modeOf(m_dir->path()), 0700);
}

QTEST_GUILESS_MAIN(TestRemoteServerFiles)
#include "tst_remoteserverfiles.moc"
