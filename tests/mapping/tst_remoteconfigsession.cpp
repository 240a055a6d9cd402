// The configuration session through the real backend, shareward-cli serve in a process of its
// own on the test's smb.conf, history and private registry: for each method the remote session
// gives what the local one gives in the same situation and leaves the same files, its refusals
// arriving as the same exceptions; a request of the wrong shape is refused with the field named;
// a backend killed during a save leaves the old or the new smb.conf whole and the save is never
// taken for done without its answer; and a backend started again takes a save of the records
// loaded before only while the configuration is still the one they came from.
#include "backendconnection.h"
#include "configfailure.h"
#include "globalshare.h"
#include "localconfigsession.h"
#include "recordcodec.h"
#include "recyclebin.h"
#include "registrystore.h"
#include "remoteconfigsession.h"

#include "childprocesses.h"
#include "configsessionresults.h"
#include "privateregistry.h"
#include "testfiles.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <signal.h>

using namespace ConfigSessionResults;

namespace {

const QString cli = QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli");
const QString thisComputer = QStringLiteral("this computer");

// A description with the names of testparm's temporary files, which every save draws anew,
// put alike.
QString withoutTemporaryNames(QString text)
{
    static const QRegularExpression temporary(QStringLiteral("smb\\.conf\\.shareward-\\w+"));
    return text.replace(temporary, QStringLiteral("smb.conf.shareward-XXXXXX"));
}

// What a row does with a session, described.
using Script = std::function<QString(ConfigSession &)>;

// What call gives, or the exception it throws by its type, with what it carries.
QString attempt(const std::function<QString()> &call)
{
    try {
        return call();
    } catch (const ConfigMapper::Refusal &refusal) {
        return QStringLiteral("Refusal: ") + describe(refusal.verdict) + QLatin1Char('\n')
            + QString::fromUtf8(refusal.what());
    } catch (const ConfigChangedError &changed) {
        return QStringLiteral("ConfigChangedError: ") + QString::fromUtf8(changed.what());
    } catch (const RegistryNotRestoredError &notRestored) {
        return QStringLiteral("RegistryNotRestoredError: ") + QString::fromUtf8(notRestored.what());
    } catch (const std::runtime_error &error) {
        return QStringLiteral("runtime_error: ") + QString::fromUtf8(error.what());
    }
}

Share *shareNamed(QList<Share> &shares, const QString &name)
{
    for (Share &share : shares) {
        if (share.name() == name)
            return &share;
    }
    qFatal("no share %s", qPrintable(name));
}

// Loads, edits the records and saves them.
QString loadEditSave(ConfigSession &session, const std::function<void(SambaSettings &, QList<Share> &)> &edit)
{
    ConfigSession::Loaded loaded = session.load();
    edit(loaded.settings, loaded.shares);
    return attempt(
        [&] { return describe(session.save(loaded.settings, loaded.shares, loaded.state.fingerprint)); });
}

void comment(QList<Share> &shares, const QString &name, const QString &text)
{
    shareNamed(shares, name)->setComment(text);
}

const QString fileShares = QStringLiteral("\tworkgroup = TEAM\n[data]\n\tpath = /srv/data\n\tcomment = old\n"
                                          "[projects]\n\tpath = /srv/projects\n\tread only = no\n");
const QString included = QStringLiteral("\tinclude = registry\n");
const QByteArray registryShares = "[global]\n\tserver string = from the registry\n\n[r]\n\tpath = /srv/r\n"
                                  "\tcomment = in registry\n\n";

} // namespace

Q_DECLARE_METATYPE(Script)

class TestRemoteConfigSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sameAsLocal_data();
    void sameAsLocal();
    void badRequests_data();
    void badRequests();
    void killedDuringSave_data();
    void killedDuringSave();
    void saveAfterReconnect_data();
    void saveAfterReconnect();
    void threadsTakeTurns();
    void earlyAnswers_data();
    void earlyAnswers();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // Writes smb.conf ("[global]", the private directories, then fileText) and makes the
    // registry hold registryText; removes the history and the locks.
    bool prepare(const QString &fileText, const QByteArray &registryText);
    LocalConfigSession::Environment environment() const;
    // The backend on this test's smb.conf and history, with net and testparm of the test.
    void open(BackendConnection &connection);
    // smb.conf's bytes and the registry as net lists it.
    QString files() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    PrivateRegistry m_registry;
    QString m_net;
    QString m_testparm;
};

void TestRemoteConfigSession::init()
{
    if (QStandardPaths::findExecutable(QStringLiteral("net")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty())
        QSKIP("Samba's net and testparm are not installed");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_registry.directory = m_dir->path();
    m_net = m_registry.program(QStringLiteral("net"));
    m_testparm = m_registry.program(QStringLiteral("testparm"));
    QVERIFY(!m_net.isEmpty() && !m_testparm.isEmpty());
    qputenv("SHAREWARD_RUN_DIRECTORY", QFile::encodeName(path(QStringLiteral("run"))));
}

void TestRemoteConfigSession::cleanup()
{
    for (const char *variable :
         {"SHAREWARD_RUN_DIRECTORY", "SHAREWARD_PROGRAM_NET", "SHAREWARD_PROGRAM_TESTPARM"})
        qunsetenv(variable);
}

bool TestRemoteConfigSession::prepare(const QString &fileText, const QByteArray &registryText)
{
    QDir(path(QStringLiteral("history"))).removeRecursively();
    QDir(path(QStringLiteral("run"))).removeRecursively();
    if (!m_registry.writeConfig(fileText) || m_registry.net({QStringLiteral("drop")}).exitCode != 0)
        return false;
    if (registryText.isEmpty())
        return true;
    return writeFile(path(QStringLiteral("import.conf")), registryText)
        && m_registry.net({QStringLiteral("import"), path(QStringLiteral("import.conf"))}).exitCode == 0;
}

LocalConfigSession::Environment TestRemoteConfigSession::environment() const
{
    LocalConfigSession::Environment environment;
    environment.configPath = m_registry.config();
    environment.testparm = m_testparm;
    environment.net = m_net;
    environment.lockDirectory = path(QStringLiteral("run"));
    environment.historyDirectory = path(QStringLiteral("history"));
    return environment;
}

void TestRemoteConfigSession::open(BackendConnection &connection)
{
    qputenv("SHAREWARD_PROGRAM_NET", QFile::encodeName(m_net));
    qputenv("SHAREWARD_PROGRAM_TESTPARM", QFile::encodeName(m_testparm));
    BackendConnection::Launch launch;
    launch.program = cli;
    launch.arguments =
        QStringList{QStringLiteral("--config"), m_registry.config(), QStringLiteral("--history-dir"),
                    path(QStringLiteral("history")), QStringLiteral("serve")};
    connection.open(launch);
}

QString TestRemoteConfigSession::files() const
{
    return QStringLiteral("--- smb.conf ---\n") + QString::fromUtf8(readFile(m_registry.config()))
        + QStringLiteral("--- registry ---\n") + QString::fromUtf8(m_registry.list());
}

void TestRemoteConfigSession::sameAsLocal_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<QByteArray>("registryText");
    // The call net fails, every time, to have a change of the registry fail; or none.
    QTest::addColumn<QString>("failingNet");
    QTest::addColumn<Script>("script");
    // A part of what the local session gives: the row's situation is the one it names.
    QTest::addColumn<QString>("expected");

    const auto add = [](const char *name, const QString &fileText, const Script &script, const char *expected,
                        const QByteArray &registryText = QByteArray(),
                        const QString &failingNet = QString()) {
        QTest::newRow(name) << fileText << registryText << failingNet << script
                            << QString::fromUtf8(expected);
    };

    add(
        "load", fileShares, [](ConfigSession &s) -> QString { return describe(s.load()); },
        "share:\n\"data\"");
    add(
        "check", fileShares, [](ConfigSession &s) -> QString { return describe(s.check()); }, "verdict 0");
    add(
        "check, testparm complains", QStringLiteral("\tsecurity = bogus\n"),
        [](ConfigSession &s) -> QString { return describe(s.check()); }, "verdict 2");
    add(
        "preview an edit", fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded loaded = s.load();
            comment(loaded.shares, QStringLiteral("data"), QStringLiteral("new"));
            return attempt([&] {
                return describe(s.preview(loaded.settings, loaded.shares, loaded.state.fingerprint));
            });
        },
        "comment = new");
    add(
        "preview with the fingerprint of another load", fileShares,
        [](ConfigSession &s) -> QString {
            const ConfigSession::Loaded loaded = s.load();
            return attempt(
                [&] { return describe(s.preview(loaded.settings, loaded.shares, QStringLiteral("0000"))); });
        },
        "ConfigChangedError: ");
    add(
        "save an edit, and again from the saved fingerprint", fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded loaded = s.load();
            comment(loaded.shares, QStringLiteral("data"), QStringLiteral("first"));
            const ConfigSession::Saved saved =
                s.save(loaded.settings, loaded.shares, loaded.state.fingerprint);
            QList<Share> shares = saved.shares;
            shareNamed(shares, QStringLiteral("data"))->setName(QStringLiteral("renamed"));
            loaded.settings.global()->setWorkgroup(QStringLiteral("OTHER"));
            Share added;
            added.setName(QStringLiteral("new"));
            added.setPath(QStringLiteral("/srv/new"));
            shares.append(added);
            return describe(saved)
                + attempt([&] { return describe(s.save(loaded.settings, shares, saved.fingerprint)); });
        },
        "added \"new\"; removed ; renamed \"data->renamed\"");
    add(
        "save refused by testparm", QStringLiteral("\tsecurity = bogus\n") + fileShares.mid(18),
        [](ConfigSession &s) -> QString {
            return loadEditSave(s, [](SambaSettings &, QList<Share> &shares) {
                comment(shares, QStringLiteral("data"), QStringLiteral("new"));
            });
        },
        "Refusal: verdict 2");
    add(
        "save that changes nothing", fileShares,
        [](ConfigSession &s) -> QString { return loadEditSave(s, [](SambaSettings &, QList<Share> &) {}); },
        "installed 0");
    add(
        "save with the fingerprint of an earlier load", fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded earlier = s.load();
            const ConfigSession::Saved saved =
                s.save(earlier.settings, earlier.shares, earlier.state.fingerprint);
            comment(earlier.shares, QStringLiteral("data"), QStringLiteral("first"));
            s.save(earlier.settings, earlier.shares, earlier.state.fingerprint);
            s.load();
            return attempt([&] {
                return describe(s.save(earlier.settings, earlier.shares, earlier.state.fingerprint));
            });
        },
        "ConfigChangedError: ");
    add(
        "modules added", fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded loaded = s.load();
            shareNamed(loaded.shares, QStringLiteral("data"))->addVfsModule(std::make_shared<RecycleBin>());
            return s.modulesAdded(loaded.settings, loaded.shares).join(QLatin1Char(','));
        },
        "recycle");
    add(
        "history: versions, diffs and a version restored", fileShares,
        [](ConfigSession &s) -> QString {
            QString said = loadEditSave(s, [](SambaSettings &, QList<Share> &shares) {
                comment(shares, QStringLiteral("data"), QStringLiteral("first"));
            });
            said += loadEditSave(s, [](SambaSettings &, QList<Share> &shares) {
                comment(shares, QStringLiteral("data"), QStringLiteral("second"));
            });
            s.load();
            const QList<ConfigHistory::Version> versions = s.versions();
            said += describe(versions, false);
            for (const ConfigHistory::Version &version : versions) {
                said += s.versionDiff(version.number, false) + s.versionDiff(version.number, true);
            }
            said += attempt([&] { return describe(s.restoreVersion(versions.last().number)); });
            said += attempt([&] { return s.versionDiff(999, false); });
            return said + describe(s.load());
        },
        "version 1 of");
    add(
        "restore bytes as smb.conf", fileShares,
        [](ConfigSession &s) -> QString {
            s.load();
            const std::string text = "[global]\n\tworkgroup = RESTORED\n[only]\n\tpath = /srv/only\n";
            const QString restored =
                attempt([&] { return describe(s.restore(text, QStringLiteral("from a file"))); });
            return restored + describe(s.versions(), false);
        },
        "with \"shareward\": \"from a file\"");
    add(
        "the history keeps one version", fileShares,
        [](ConfigSession &s) -> QString {
            s.setHistoryKeep(1);
            for (const char *text : {"one", "two", "three"}) {
                loadEditSave(s, [text](SambaSettings &, QList<Share> &shares) {
                    comment(shares, QStringLiteral("data"), QString::fromLatin1(text));
                });
            }
            return describe(s.versions(), false);
        },
        "version 4 of");
    add(
        "an outside change recorded", fileShares,
        [](ConfigSession &s) -> QString {
            loadEditSave(s, [](SambaSettings &, QList<Share> &shares) {
                comment(shares, QStringLiteral("data"), QStringLiteral("ours"));
            });
            QFile file(s.load().state.path);
            file.open(QIODevice::Append);
            file.write("[elsewhere]\n\tpath = /srv/elsewhere\n");
            file.close();
            s.load();
            s.recordOutsideChange();
            return describe(s.versions(), false);
        },
        "changed outside Shareward");
    add(
        "repair an invalid security", QStringLiteral("\tsecurity = share\n") + fileShares,
        [](ConfigSession &s) -> QString {
            const ConfigSession::RepairPlan plan = s.planRepair(ConfigRepair::InvalidSecurity);
            const QString repaired =
                attempt([&] { return s.repair(ConfigRepair::InvalidSecurity, plan.changes); });
            return describe(plan) + repaired + describe(s.versions(), false);
        },
        "possible 1");
    add(
        "repair other changes than shown", QStringLiteral("\tsecurity = share\n") + fileShares,
        [](ConfigSession &s) -> QString {
            QList<ConfigRepair::Change> planned = s.planRepair(ConfigRepair::InvalidSecurity).changes;
            planned.first().line += 1;
            return attempt([&] { return s.repair(ConfigRepair::InvalidSecurity, planned); });
        },
        "ConfigChangedError: ");
    add(
        "repair the default idmap range",
        QStringLiteral("\tworkgroup = X\n\trealm = X.COM\n\tsecurity = ads\n"),
        [](ConfigSession &s) -> QString {
            const ConfigSession::RepairPlan plan = s.planRepair(ConfigRepair::DefaultIdmapRange);
            return describe(plan)
                + attempt([&] { return s.repair(ConfigRepair::DefaultIdmapRange, plan.changes); });
        },
        "defaultRange \"3000-7999\"");
    add(
        "nothing to repair", fileShares,
        [](ConfigSession &s) -> QString { return describe(s.planRepair(ConfigRepair::InvalidSecurity)); },
        "possible 0");

    // Samba's registry, in the test's own directory.
    add(
        "registry: load its shares", included + fileShares,
        [](ConfigSession &s) -> QString { return describe(s.load()); }, "registryUse 2, loaded 1",
        registryShares);
    add(
        "registry: preview and save an edit of a registry share", included + fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded loaded = s.load();
            comment(loaded.shares, QStringLiteral("r"), QStringLiteral("edited"));
            comment(loaded.shares, QStringLiteral("data"), QStringLiteral("edited"));
            const QString previewed =
                describe(s.preview(loaded.settings, loaded.shares, loaded.state.fingerprint));
            return previewed + attempt([&] {
                       return describe(s.save(loaded.settings, loaded.shares, loaded.state.fingerprint));
                   });
        },
        "registryChanged 1", registryShares);
    add(
        "registry: move a share there", included + fileShares,
        [](ConfigSession &s) -> QString {
            s.load();
            const ConfigMapper::Transfer transfer =
                s.moveShare(QStringLiteral("data"), Share::StoredInRegistry);
            return describe(transfer) + attempt([&] { return describe(s.applyTransfer(transfer)); });
        },
        "summary \"", registryShares);
    add(
        "registry: move a share back to smb.conf", included + fileShares,
        [](ConfigSession &s) -> QString {
            s.load();
            const ConfigMapper::Transfer transfer = s.moveShare(QStringLiteral("r"), Share::StoredInFile);
            return describe(transfer) + attempt([&] { return describe(s.applyTransfer(transfer)); });
        },
        "installed 1", registryShares);
    add(
        "registry: a move it cannot make", included + fileShares,
        [](ConfigSession &s) -> QString {
            s.load();
            return attempt(
                [&] { return describe(s.moveShare(QStringLiteral("nowhere"), Share::StoredInRegistry)); });
        },
        "runtime_error: ", registryShares);
    for (const auto unused : {ConfigMapper::UnusedRegistry::Keep, ConfigMapper::UnusedRegistry::Replace}) {
        const bool keep = unused == ConfigMapper::UnusedRegistry::Keep;
        add(
            keep ? "registry: store everything there, keeping what was unused"
                 : "registry: store everything there, replacing what was unused",
            fileShares,
            [unused](ConfigSession &s) -> QString {
                s.load();
                const ConfigMapper::Transfer transfer = s.storeAllInRegistry(unused);
                const QString applied = attempt([&] { return describe(s.applyTransfer(transfer)); });
                return describe(transfer) + applied + describe(s.versions(), false);
            },
            keep ? "[unused]" : "replaceRegistry 1", "[unused]\n\tpath = /srv/unused\n");
    }
    add(
        "registry: a version of it restored", included + fileShares,
        [](ConfigSession &s) -> QString {
            ConfigSession::Loaded loaded = s.load();
            comment(loaded.shares, QStringLiteral("r"), QStringLiteral("edited"));
            s.save(loaded.settings, loaded.shares, loaded.state.fingerprint);
            s.load();
            QString said;
            const QList<ConfigHistory::Version> versions = s.versions();
            for (const ConfigHistory::Version &version : versions)
                said += s.versionDiff(version.number, true);
            said += attempt([&] { return describe(s.restoreVersion(versions.last().number)); });
            return said + describe(s.load());
        },
        "comment = in registry", registryShares);
    add(
        "registry: not put back when its change fails", included + fileShares,
        [](ConfigSession &s) -> QString {
            s.load();
            return attempt([&] {
                return describe(s.applyTransfer(s.storeAllInRegistry(ConfigMapper::UnusedRegistry::Keep)));
            });
        },
        "RegistryNotRestoredError: ", registryShares, QStringLiteral("import"));
}

void TestRemoteConfigSession::sameAsLocal()
{
    QFETCH(QString, fileText);
    QFETCH(QByteArray, registryText);
    QFETCH(QString, failingNet);
    QFETCH(Script, script);
    QFETCH(QString, expected);
    if (!failingNet.isEmpty()) {
        const QString net = m_net;
        m_net = path(QStringLiteral("failing/net"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("failing"))));
        QVERIFY(writeFailingCall(m_net, net, failingNet, 0));
    }

    QVERIFY(prepare(fileText, registryText));
    QString here;
    {
        LocalConfigSession local(environment());
        here = withoutTemporaryNames(attempt([&] { return script(local); }) + files());
    }
    QVERIFY2(here.contains(expected), qPrintable(here));

    QVERIFY(prepare(fileText, registryText));
    QFile::remove(path(QStringLiteral("failing/calls")));
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteConfigSession remote(connection);
    const QString there = withoutTemporaryNames(attempt([&] { return script(remote); }) + files());
    // The first line that differs, then the whole.
    const QStringList hereLines = here.split(QLatin1Char('\n')), thereLines = there.split(QLatin1Char('\n'));
    for (int i = 0; i < qMin(hereLines.size(), thereLines.size()); ++i)
        QCOMPARE(thereLines.at(i), hereLines.at(i));
    QCOMPARE(there, here);
    connection.close();
}

void TestRemoteConfigSession::badRequests_data()
{
    QTest::addColumn<QJsonObject>("request");
    QTest::addColumn<QString>("message");

    const auto op = [](const char *name, const QJsonObject &fields = {}) {
        QJsonObject request = fields;
        request.insert(QStringLiteral("op"), QString::fromLatin1(name));
        return request;
    };
    const QJsonObject settings = RecordCodec::encode(SambaSettings());
    QTest::newRow("load with a file named")
        << op("config.load", {{QStringLiteral("config"), QStringLiteral("/etc/shadow")}})
        << "The field \"request.config\" is not known to this version of Shareward.";
    QTest::newRow("save without a fingerprint") << op(
        "config.save", {{QStringLiteral("settings"), settings}, {QStringLiteral("shares"), QJsonArray()}})
                                                << "The field \"request.fingerprint\" is missing.";
    QTest::newRow("save with a share of the wrong shape")
        << op("config.save",
              {{QStringLiteral("settings"), settings},
               {QStringLiteral("shares"), QJsonArray{QJsonObject{{QStringLiteral("readOnly"), QStringLiteral("yes")}}}},
               {QStringLiteral("fingerprint"), QString()}})
        << "The field \"request.shares[0].readOnly\" must be true or false.";
    QTest::newRow("preview without settings")
        << op("config.preview",
              {{QStringLiteral("shares"), QJsonArray()}, {QStringLiteral("fingerprint"), QString()}})
        << "The field \"request.settings\" is missing.";
    QTest::newRow("move a share elsewhere")
        << op("config.moveShare",
              {{QStringLiteral("name"), QStringLiteral("data")},
               {QStringLiteral("to"), QStringLiteral("ldap")}})
        << "The field \"request.to\" must be one of \"file\", \"registry\", not \"ldap\".";
    QTest::newRow("a version by its name")
        << op("config.versionDiff",
              {{QStringLiteral("number"), QStringLiteral("3")}, {QStringLiteral("againstCurrent"), true}})
        << "The field \"request.number\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("restore text that is no base64") << op(
        "config.restore",
        {{QStringLiteral("bytes64"), QStringLiteral("[global]")}, {QStringLiteral("summary"), QString()}})
                                                    << "The field \"request.bytes64\" must be base64 text.";
    QTest::newRow("a transfer without its texts")
        << op("config.applyTransfer", {{QStringLiteral("transfer"), QJsonObject()}})
        << "The field \"request.transfer.fileBefore64\" is missing.";
    QTest::newRow("repair with changes of the wrong shape")
        << op("config.repair",
              {{QStringLiteral("kind"), QStringLiteral("invalid-security")},
               {QStringLiteral("changes"), QJsonArray{QJsonObject{{QStringLiteral("line"), -2}}}}})
        << "The field \"request.changes[0].line\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("keep as a text")
        << op("config.setHistoryKeep", {{QStringLiteral("keep"), QStringLiteral("all")}})
        << "The field \"request.keep\" must be a whole number from 1 to 2147483647.";
}

// Refused before the session is asked: smb.conf stays as it is.
void TestRemoteConfigSession::badRequests()
{
    QFETCH(QJsonObject, request);
    QFETCH(QString, message);
    QVERIFY(prepare(fileShares, QByteArray()));
    const QByteArray file = readFile(m_registry.config());
    BackendConnection connection(thisComputer);
    open(connection);
    try {
        connection.request(request);
        QFAIL("not refused");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.kind(), BackendConnection::Failure::Refused);
        QCOMPARE(failure.code(), QStringLiteral("bad-argument"));
        QCOMPARE(failure.message(), message);
    }
    // The backend goes on answering.
    RemoteConfigSession remote(connection);
    QCOMPARE(remote.load().shares.size(), 2);
    QCOMPARE(readFile(m_registry.config()), file);
    connection.close();
}

void TestRemoteConfigSession::killedDuringSave_data()
{
    // How long after testparm starts the backend is killed; -1: while testparm still judges.
    QTest::addColumn<int>("afterMs");
    QTest::newRow("while testparm judges") << -1;
    for (const int ms : {0, 5, 20, 50, 100, 200, 400})
        QTest::addRow("%d ms after testparm started", ms) << ms;
}

// The backend is killed at a point of a save: smb.conf is the old file or the new one, whole,
// and the save is reported done only when its answer came, which then says so.
void TestRemoteConfigSession::killedDuringSave()
{
    QFETCH(int, afterMs);
    QVERIFY(prepare(fileShares, QByteArray()));
    const QByteArray old = readFile(m_registry.config());
    // testparm that says when it starts, and with "hang" there never ends.
    const QString started = path(QStringLiteral("started"));
    const QString real = m_testparm;
    m_testparm = path(QStringLiteral("marking-testparm"));
    QVERIFY(writeFile(m_testparm,
                      QStringLiteral("#!/bin/sh\n[ -e '%1' ] || exit 0\necho $$ >>'%2'\n"
                                     "[ -e '%3' ] && exec sleep 60\nexec '%4' \"$@\"\n")
                          .arg(path(QStringLiteral("armed")), started, path(QStringLiteral("hang")), real)
                          .toUtf8()));
    QVERIFY(QFile::setPermissions(m_testparm, QFile::ReadOwner | QFile::ExeOwner));
    // The new file, as a local save writes it.
    QByteArray saved;
    {
        m_testparm = real;
        LocalConfigSession local(environment());
        ConfigSession::Loaded loaded = local.load();
        comment(loaded.shares, QStringLiteral("data"), QStringLiteral("new"));
        local.save(loaded.settings, loaded.shares, loaded.state.fingerprint);
        saved = readFile(m_registry.config());
        m_testparm = path(QStringLiteral("marking-testparm"));
    }
    QVERIFY(prepare(fileShares, QByteArray()));
    QVERIFY(saved != old);

    BackendConnection connection(thisComputer);
    open(connection);
    const QList<pid_t> backend = childrenNamed("shareward-cli");
    QCOMPARE(backend.size(), 1);
    RemoteConfigSession remote(connection);
    ConfigSession::Loaded loaded = remote.load();
    comment(loaded.shares, QStringLiteral("data"), QStringLiteral("new"));
    QVERIFY(writeFile(path(QStringLiteral("armed")), QByteArray()));
    if (afterMs < 0)
        QVERIFY(writeFile(path(QStringLiteral("hang")), QByteArray()));
    const pid_t backendPid = backend.first();
    std::thread killer([started, backendPid, afterMs] {
        for (int i = 0; i < 1000 && !QFile::exists(started); ++i)
            QThread::msleep(5);
        QThread::msleep(qMax(afterMs, 0));
        ::kill(backendPid, SIGKILL);
    });
    const QString result = attempt([&] {
        remote.save(loaded.settings, loaded.shares, loaded.state.fingerprint);
        return QStringLiteral("saved");
    });
    killer.join();
    for (const QByteArray &pid : readFile(started).split('\n')) {
        if (!pid.isEmpty() && afterMs < 0)
            ::kill(pid.toInt(), SIGKILL);
    }
    const QByteArray now = readFile(m_registry.config());
    if (result == QLatin1String("saved")) {
        QCOMPARE(now, saved);
    } else {
        QVERIFY2(now == old || now == saved, now.constData());
        QVERIFY2(result.startsWith(QLatin1String("runtime_error: The connection to this computer was lost."))
                     && result.contains(QLatin1String("Whether the change was made")),
                 qPrintable(result));
    }
    if (afterMs < 0)
        QCOMPARE(now, old);
    // What a killed save left beside smb.conf goes with the next one.
    QFile::remove(path(QStringLiteral("hang")));
    BackendConnection again(thisComputer);
    open(again);
    RemoteConfigSession next(again);
    loaded = next.load();
    comment(loaded.shares, QStringLiteral("data"), QStringLiteral("after"));
    QVERIFY(next.save(loaded.settings, loaded.shares, loaded.state.fingerprint).outcome.installed);
    QVERIFY(readFile(m_registry.config()).contains("comment = after\n"));
    QStringList left =
        QDir(m_dir->path()).entryList({QStringLiteral("smb.conf*")}, QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{QStringLiteral("smb.conf")});
    again.close();
}

void TestRemoteConfigSession::saveAfterReconnect_data()
{
    // What changes on the server while the window has no backend.
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("saved");
    QTest::newRow("nothing") << QString() << true;
    QTest::newRow("smb.conf") << QStringLiteral("smb.conf") << false;
    QTest::newRow("the registry") << QStringLiteral("registry") << false;
    QTest::newRow("smb.conf, and back") << QStringLiteral("smb.conf and back") << true;
}

// The connection is lost after a load; a backend started again takes the save of the records
// loaded before only when the configuration is still the one they were read from.
void TestRemoteConfigSession::saveAfterReconnect()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, saved);
    QVERIFY(prepare(included + fileShares, registryShares));
    ConfigSession::Loaded loaded;
    {
        BackendConnection lost(thisComputer);
        open(lost);
        RemoteConfigSession remote(lost);
        loaded = remote.load();
        const QList<pid_t> backend = childrenNamed("shareward-cli");
        QCOMPARE(backend.size(), 1);
        ::kill(backend.first(), SIGKILL);
        const QString result = attempt([&] { return describe(remote.load()); });
        QVERIFY2(result.startsWith(QLatin1String("runtime_error: The connection to this computer was lost.")),
                 qPrintable(result));
    }
    const QByteArray file = readFile(m_registry.config());
    if (meanwhile.startsWith(QLatin1String("smb.conf")))
        QVERIFY(writeFile(m_registry.config(), file + "[elsewhere]\n\tpath = /srv/elsewhere\n"));
    if (meanwhile.endsWith(QLatin1String("and back")))
        QVERIFY(writeFile(m_registry.config(), file));
    if (meanwhile == QLatin1String("registry"))
        QCOMPARE(m_registry
                     .net({QStringLiteral("setparm"), QStringLiteral("r"), QStringLiteral("comment"),
                           QStringLiteral("changed elsewhere")})
                     .exitCode,
                 0);
    const QByteArray before = readFile(m_registry.config());
    const QByteArray registry = m_registry.list();

    comment(loaded.shares, QStringLiteral("data"), QStringLiteral("after the reconnect"));
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteConfigSession remote(connection);
    const QString result = attempt([&] {
        return describe(remote.save(loaded.settings, loaded.shares, loaded.state.fingerprint).outcome);
    });
    if (saved) {
        QVERIFY2(result.startsWith(QLatin1String("installed 1")), qPrintable(result));
        QCOMPARE(readFile(m_registry.config()),
                 QByteArray(before).replace("comment = old", "comment = after the reconnect"));
    } else {
        QVERIFY2(result.startsWith(QLatin1String("ConfigChangedError: ")), qPrintable(result));
        QCOMPARE(readFile(m_registry.config()), before);
    }
    QCOMPARE(m_registry.list(), registry);
    connection.close();
}

void TestRemoteConfigSession::earlyAnswers_data()
{
    // The backend answers the load and testparm's verdict asked right after each other from one
    // run of both; whatever comes between, or smb.conf changed, gets answers of its own.
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("broken"); // smb.conf is made invalid after the first call
    const auto calls = [](const char *text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    QTest::newRow("load, check") << calls("load check") << false;
    QTest::newRow("check, load") << calls("check load") << false;
    QTest::newRow("load, versions, check") << calls("load versions check") << false;
    QTest::newRow("check, versions, load") << calls("check versions load") << false;
    QTest::newRow("load, check after a change") << calls("load check") << true;
    QTest::newRow("check, load after a change") << calls("check load") << true;
}

void TestRemoteConfigSession::earlyAnswers()
{
    QFETCH(QStringList, calls);
    QFETCH(bool, broken);
    QVERIFY(prepare(fileShares, QByteArray()));
    LocalConfigSession local(environment());
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteConfigSession remote(connection);
    QString verdict;
    QString loaded;
    for (int i = 0; i < calls.size(); ++i) {
        const QString &call = calls.at(i);
        if (call == QLatin1String("load"))
            loaded = describe(remote.load());
        else if (call == QLatin1String("check"))
            verdict = describe(remote.check());
        else
            remote.versions();
        if (i == 0 && broken)
            QVERIFY(writeFile(m_registry.config(), readFile(m_registry.config()) + "\tsecurity = nonsense\n"));
    }
    // What this machine's session says of smb.conf as it is now: the later answer is never one
    // made before the change.
    const bool loadLast = calls.last() == QLatin1String("load");
    QCOMPARE(loadLast ? loaded : verdict, loadLast ? describe(local.load()) : describe(local.check()));
    // A verdict asked before the change is of the file as it was.
    if (broken && calls.first() == QLatin1String("check"))
        QVERIFY(verdict != describe(local.check()));
    connection.close();
}

// The window checks smb.conf in a worker thread while it loads: each call gets its own answer.
void TestRemoteConfigSession::threadsTakeTurns()
{
    QVERIFY(prepare(included + fileShares, registryShares));
    LocalConfigSession local(environment());
    const QString verdict = describe(local.check());
    const QString loaded = describe(local.load());
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteConfigSession remote(connection);
    const int rounds = 3;
    QStringList verdicts[2];
    std::vector<std::thread> workers;
    for (QStringList &found : verdicts) {
        workers.emplace_back([&remote, &found] {
            for (int i = 0; i < rounds; ++i)
                found << describe(remote.check());
        });
    }
    QStringList loads;
    for (int i = 0; i < rounds; ++i)
        loads << describe(remote.load());
    for (std::thread &worker : workers)
        worker.join();
    for (const QStringList &found : verdicts)
        QCOMPARE(found, QStringList(QVector<QString>(rounds, verdict).toList()));
    QCOMPARE(loads, QStringList(QVector<QString>(rounds, loaded).toList()));
    connection.close();
}

QTEST_GUILESS_MAIN(TestRemoteConfigSession)

#include "tst_remoteconfigsession.moc"
