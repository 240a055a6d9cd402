// RemoteServerAccounts against the real backend, shareward-cli serve, in the account sandbox
// of sandbox.sh: for the same accounts, the same edits and the same failing programs, it gives
// what LocalServerAccounts gives in this process, and changes Samba's databases the same way.
// A backend that is gone, or dies during a request, gives a failure with a sentence at once.
#include "accountsandbox.h"
#include "backendconnection.h"
#include "localserveraccounts.h"
#include "processrun.h"
#include "remoteserveraccounts.h"
#include "sambaaccountstore.h"
#include "testbackend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <future>
#include <memory>
#include <vector>

char *toString(const SambaAccountFailure &failure)
{
    return qstrdup(qPrintable(QString::number(int(failure.operation())) + QLatin1Char(' ') + failure.text()));
}

namespace {

const QString baselinePassword = QStringLiteral("Anfang 1");

// A listing as one comparable text.
using Listing = std::function<QStringList(ServerAccounts &)>;

QStringList keys(const SambaUserMap &users)
{
    return users.keys();
}

QStringList keys(const SambaGroupMap &groups)
{
    return groups.keys();
}

const QMap<QString, Listing> &listingsByName()
{
    static const QMap<QString, Listing> all{
        {QStringLiteral("systemUsers"),
         [](ServerAccounts &a) {
             return a.systemAccounts().users;
         }},
        {QStringLiteral("systemGroups"),
         [](ServerAccounts &a) {
             return a.systemAccounts().groups;
         }},
        {QStringLiteral("guests"),
         [](ServerAccounts &a) {
             return a.systemAccounts().guests;
         }},
        {QStringLiteral("regularUsers"),
         [](ServerAccounts &a) {
             return a.regularAccounts().users;
         }},
        {QStringLiteral("regularGroups"),
         [](ServerAccounts &a) {
             return a.regularAccounts().groups;
         }},
        {QStringLiteral("domainUsers"),
         [](ServerAccounts &a) {
             return a.domainUsers();
         }},
        {QStringLiteral("domainGroups"),
         [](ServerAccounts &a) {
             return a.domainGroups();
         }},
        {QStringLiteral("sambaUsers"),
         [](ServerAccounts &a) {
             return keys(a.sambaUsers());
         }},
        {QStringLiteral("sambaGroups"),
         [](ServerAccounts &a) {
             return keys(a.sambaGroups());
         }},
    };
    return all;
}

ProcessRun runChecked(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ProcessRun run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Edits as the dialogs make them: "+name:password" adds (or maps), "=name:password" sets a
// new password, "-name" removes.
SambaUserMap editedUsers(SambaUserMap users, const QStringList &edits)
{
    for (const QString &edit : edits) {
        const QString name = edit.mid(1).section(QLatin1Char(':'), 0, 0);
        if (edit.startsWith(QLatin1Char('-'))) {
            users.remove(name);
            continue;
        }
        SambaUser user(name);
        user.setPassword(edit.section(QLatin1Char(':'), 1));
        users.insert(name, user);
    }
    return users;
}

SambaGroupMap editedGroups(SambaGroupMap groups, const QStringList &edits)
{
    for (const QString &edit : edits) {
        const QString name = edit.mid(1);
        if (edit.startsWith(QLatin1Char('-')))
            groups.remove(name);
        else
            groups.insert(name, SambaGroup(name));
        groups[name].setChanged(true);
        if (edit.startsWith(QLatin1Char('-')))
            groups.remove(name);
    }
    return groups;
}

} // namespace

class TestRemoteServerAccounts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listings_data();
    void listings();
    void listingFailures_data();
    void listingFailures();
    void saves_data();
    void saves();
    void creations_data();
    void creations();
    void malformedRequests_data();
    void malformedRequests();
    void lostBackend_data();
    void lostBackend();
    void callsFromSeveralThreads();

private:
    void openBackend();
    // A stand-in for program, until the test ends.
    void standIn(const char *program, const QByteArray &script);
    // Samba's accounts as the tests start them: swalice with baselinePassword, swstaff mapped.
    void baseline();
    // Samba's users with their NT hashes and its group mappings, as one text.
    QStringList sambaState();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestBackend> m_backend;
    std::unique_ptr<RemoteServerAccounts> m_remote;
    QList<QByteArray> m_variables;
};

void TestRemoteServerAccounts::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("the backend and the account sandbox need root");
    if (!inAccountSandbox())
        QSKIP("needs the account sandbox (mount namespaces): Samba's databases are changed");
    const QList<QStringList> commands{
        {QStringLiteral("/usr/sbin/groupadd"), QStringLiteral("-g"), QStringLiteral("2600"),
         QStringLiteral("swstaff")},
        {QStringLiteral("/usr/sbin/groupadd"), QStringLiteral("-g"), QStringLiteral("2601"),
         QStringLiteral("swteam")},
        {QStringLiteral("/usr/sbin/groupadd"), QStringLiteral("-g"), QStringLiteral("2400"),
         QStringLiteral("swsysgrp")},
    };
    for (const QStringList &command : commands)
        QCOMPARE(runChecked(command.first(), command.mid(1)).exitCode, 0);
    const QList<QPair<const char *, const char *>> users{
        {"swalice", "2501"}, {"swbob", "2502"}, {"swsys", "2401"}};
    for (const auto &user : users) {
        const ProcessRun run = runChecked(
            QStringLiteral("/usr/sbin/useradd"),
            {QStringLiteral("-M"), QStringLiteral("-N"), QStringLiteral("-g"), QStringLiteral("swstaff"),
             QStringLiteral("-u"), QString::fromLatin1(user.second), QString::fromLatin1(user.first)});
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
}

void TestRemoteServerAccounts::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_backend = std::make_unique<TestBackend>(m_dir->path());
    baseline();
}

void TestRemoteServerAccounts::cleanup()
{
    m_remote.reset();
    m_backend.reset();
    for (const QByteArray &variable : qAsConst(m_variables))
        qunsetenv(variable.constData());
    m_variables.clear();
}

void TestRemoteServerAccounts::openBackend()
{
    m_remote = std::make_unique<RemoteServerAccounts>(m_backend->open());
}

void TestRemoteServerAccounts::standIn(const char *program, const QByteArray &script)
{
    const QByteArray variable = m_backend->standIn(program, script);
    QVERIFY(!variable.isEmpty());
    m_variables << variable;
}

void TestRemoteServerAccounts::baseline()
{
    for (const QString &user : sambaState().filter(QStringLiteral(":")))
        runChecked(QStringLiteral("/usr/bin/pdbedit"),
                   {QStringLiteral("-x"), QStringLiteral("--"), user.section(QLatin1Char(':'), 0, 0)});
    const SambaGroupMap groups = SambaAccountStore().loadSambaGroups();
    for (const QString &group : groups.keys())
        runChecked(
            QStringLiteral("/usr/bin/net"),
            {QStringLiteral("groupmap"), QStringLiteral("delete"), QStringLiteral("ntgroup=") + group});
    LocalServerAccounts local;
    SambaUserMap users = editedUsers({}, {QStringLiteral("+swalice:") + baselinePassword});
    QCOMPARE(local.saveSambaUsers(users, {}), SambaAccountFailures());
    SambaGroupMap mapped = editedGroups({}, {QStringLiteral("+swstaff")});
    QCOMPARE(local.saveSambaGroups(mapped, {}), SambaAccountFailures());
    QCOMPARE(sambaState().size(), 2);
}

QStringList TestRemoteServerAccounts::sambaState()
{
    // "NAME:UID:LMHASH:NTHASH:[FLAGS]:LCT-...:"; the time of the last change differs.
    QStringList state;
    const ProcessRun users =
        runChecked(QStringLiteral("/usr/bin/pdbedit"), {QStringLiteral("-L"), QStringLiteral("-w")});
    for (const QByteArray &line : users.out.split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() >= 4)
            state << QString::fromUtf8(fields.at(0) + ':' + fields.at(3));
    }
    for (const QString &group : SambaAccountStore().loadSambaGroups().keys())
        state << QStringLiteral("group ") + group;
    return state;
}

void TestRemoteServerAccounts::listings_data()
{
    QTest::addColumn<QString>("listing");
    // One name the listing must hold; none: it must be empty.
    QTest::addColumn<QString>("member");
    QTest::newRow("system users") << "systemUsers"
                                  << "swsys";
    QTest::newRow("system groups") << "systemGroups"
                                   << "swsysgrp";
    QTest::newRow("guest accounts") << "guests"
                                    << "nobody";
    QTest::newRow("regular users") << "regularUsers"
                                   << "swbob";
    QTest::newRow("regular groups") << "regularGroups"
                                    << "swteam";
    // No winbindd answers in the sandbox.
    QTest::newRow("domain users") << "domainUsers" << QString();
    QTest::newRow("domain groups") << "domainGroups" << QString();
    QTest::newRow("Samba users") << "sambaUsers"
                                 << "swalice";
    QTest::newRow("Samba groups") << "sambaGroups"
                                  << "swstaff";
}

void TestRemoteServerAccounts::listings()
{
    QFETCH(QString, listing);
    QFETCH(QString, member);
    openBackend();
    LocalServerAccounts local;
    const QStringList here = listingsByName().value(listing)(local);
    const QStringList there = listingsByName().value(listing)(*m_remote);
    QCOMPARE(there, here);
    if (member.isEmpty())
        QCOMPARE(there, QStringList());
    else
        QVERIFY2(there.contains(member), qPrintable(there.join(QLatin1Char(' '))));
}

void TestRemoteServerAccounts::listingFailures_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QByteArray>("program");
    QTest::newRow("Samba users") << "sambaUsers" << QByteArray("pdbedit");
    QTest::newRow("Samba groups") << "sambaGroups" << QByteArray("net");
}

void TestRemoteServerAccounts::listingFailures()
{
    QFETCH(QString, listing);
    QFETCH(QByteArray, program);
    standIn(program.constData(), "echo 'passdb.tdb is damaged' >&2; exit 1");
    openBackend();
    LocalServerAccounts local;
    QString here;
    try {
        listingsByName().value(listing)(local);
        QFAIL("the local listing did not fail");
    } catch (const std::runtime_error &error) {
        here = QString::fromStdString(error.what());
    }
    try {
        listingsByName().value(listing)(*m_remote);
        QFAIL("the remote listing did not fail");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.kind(), BackendConnection::Failure::Refused);
        QCOMPARE(failure.message(), here);
    }
    QVERIFY(!here.isEmpty());
}

void TestRemoteServerAccounts::saves_data()
{
    QTest::addColumn<bool>("groups");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<int>("failureCount");
    QTest::addColumn<QStringList>("accounts");

    const auto list = [](const char *text) {
        return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    };
    QTest::newRow("add a user") << false << list("+swbob:N\u00e9u \"2\"") << 0 << list("swalice|swbob");
    QTest::newRow("new password") << false << list("=swalice:Zweites 3") << 0 << list("swalice");
    QTest::newRow("remove a user") << false << list("-swalice") << 0 << QStringList();
    QTest::newRow("add and remove") << false << list("-swalice|+swbob:b") << 0 << list("swbob");
    QTest::newRow("no Unix account") << false << list("+swghost:x") << 1 << list("swalice");
    QTest::newRow("password with a line break") << false << list("+swbob:a\nb") << 1 << list("swalice");
    QTest::newRow("nothing changed") << false << QStringList() << 0 << list("swalice");
    QTest::newRow("map a group") << true << list("+swteam") << 0 << list("swstaff|swteam");
    QTest::newRow("unmap a group") << true << list("-swstaff") << 0 << QStringList();
    QTest::newRow("no Unix group") << true << list("+swnogroup") << 1 << list("swstaff");
}

void TestRemoteServerAccounts::saves()
{
    QFETCH(bool, groups);
    QFETCH(QStringList, edits);
    QFETCH(int, failureCount);
    QFETCH(QStringList, accounts);

    openBackend();
    LocalServerAccounts local;
    SambaAccountFailures failures[2];
    QStringList states[2];
    ServerAccounts *const sides[2] = {&local, m_remote.get()};
    for (int side = 0; side < 2; ++side) {
        baseline();
        if (groups) {
            const SambaGroupMap saved = local.sambaGroups();
            SambaGroupMap current = editedGroups(saved, edits);
            failures[side] = sides[side]->saveSambaGroups(current, saved);
            QCOMPARE(keys(current), keys(editedGroups(saved, edits)));
            for (const SambaGroup &group : qAsConst(current))
                QVERIFY(!group.changed());
            QCOMPARE(keys(local.sambaGroups()), accounts);
        } else {
            const SambaUserMap saved = local.sambaUsers();
            SambaUserMap current = editedUsers(saved, edits);
            failures[side] = sides[side]->saveSambaUsers(current, saved);
            // The records keep no password, written or not.
            for (const SambaUser &user : qAsConst(current))
                QVERIFY(user.password().isEmpty() && !user.changed());
            QCOMPARE(keys(local.sambaUsers()), accounts);
        }
        states[side] = sambaState();
    }
    QCOMPARE(failures[1], failures[0]);
    QCOMPARE(failures[1].size(), failureCount);
    // The same NT hashes: the passwords arrived as typed.
    QCOMPARE(states[1], states[0]);
    for (const SambaAccountFailure &failure : failures[1])
        QVERIFY2(!failure.message().contains(QStringLiteral("a\nb")), qPrintable(failure.text()));
}

void TestRemoteServerAccounts::creations_data()
{
    QTest::addColumn<bool>("group");
    QTest::addColumn<QString>("name");
    // Each side creates its own new account, named with a suffix.
    QTest::addColumn<bool>("bySide");
    QTest::addColumn<bool>("succeeded");
    QTest::newRow("new user") << false << "swsvc" << true << true;
    QTest::newRow("existing user") << false << "swalice" << false << false;
    QTest::newRow("user named like an option") << false << "-o" << false << false;
    QTest::newRow("new group") << true << "swsvcgrp" << true << true;
    QTest::newRow("existing group") << true << "swstaff" << false << false;
}

void TestRemoteServerAccounts::creations()
{
    QFETCH(bool, group);
    QFETCH(QString, name);
    QFETCH(bool, bySide);
    QFETCH(bool, succeeded);
    openBackend();
    LocalServerAccounts local;
    ServerAccounts *const sides[2] = {&local, m_remote.get()};
    ServerAccounts::Creation creations[2];
    for (int side = 0; side < 2; ++side) {
        const QString account = bySide ? name + QString::number(side) : name;
        creations[side] =
            group ? sides[side]->createServiceGroup(account) : sides[side]->createServiceUser(account);
        if (succeeded) {
            const ProcessRun run =
                runChecked(QStringLiteral("/usr/bin/getent"),
                           {group ? QStringLiteral("group") : QStringLiteral("passwd"), account});
            QCOMPARE(run.exitCode, 0);
        }
    }
    QCOMPARE(creations[0].succeeded, succeeded);
    QCOMPARE(creations[1].succeeded, creations[0].succeeded);
    QCOMPARE(creations[1].errorText, creations[0].errorText);
}

void TestRemoteServerAccounts::malformedRequests_data()
{
    QTest::addColumn<QJsonObject>("request");
    QTest::addColumn<QString>("message");
    const QJsonObject user{{QStringLiteral("name"), QStringLiteral("swbob")},
                           {QStringLiteral("password"), QStringLiteral("s3cr3t")},
                           {QStringLiteral("changed"), QStringLiteral("yes")}};
    QTest::newRow("password not quoted")
        << QJsonObject{{QStringLiteral("op"), QStringLiteral("accounts.saveSambaUsers")},
                       {QStringLiteral("current"), QJsonObject{{QStringLiteral("swbob"), user}}},
                       {QStringLiteral("saved"), QJsonObject()}}
        << R"(The field "request.current.swbob.changed" must be true or false.)";
    QTest::newRow("saved missing") << QJsonObject{{QStringLiteral("op"),
                                                   QStringLiteral("accounts.saveSambaGroups")},
                                                  {QStringLiteral("current"), QJsonObject()}}
                                   << R"(The field "request.saved" is missing.)";
    QTest::newRow("name a number") << QJsonObject{{QStringLiteral("op"),
                                                   QStringLiteral("accounts.createServiceUser")},
                                                  {QStringLiteral("name"), 7}}
                                   << R"(The field "request.name" must be a text.)";
    QTest::newRow("a field a listing does not take")
        << QJsonObject{{QStringLiteral("op"), QStringLiteral("accounts.sambaUsers")},
                       {QStringLiteral("pdbedit"), QStringLiteral("/tmp/x")}}
        << R"(The field "request.pdbedit" is not known to this version of Shareward.)";
}

void TestRemoteServerAccounts::malformedRequests()
{
    QFETCH(QJsonObject, request);
    QFETCH(QString, message);
    openBackend();
    try {
        m_backend->connection().request(request);
        QFAIL("not refused");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.kind(), BackendConnection::Failure::Refused);
        QCOMPARE(failure.code(), BackendProtocol::BadArgument);
        QCOMPARE(failure.message(), message);
    }
    // Nothing was written, and the backend goes on answering.
    QCOMPARE(keys(m_remote->sambaUsers()), QStringList{QStringLiteral("swalice")});
}

void TestRemoteServerAccounts::lostBackend_data()
{
    QTest::addColumn<QString>("call");
    // The backend dies while it answers (its pdbedit kills it), not before the call.
    QTest::addColumn<bool>("duringRequest");
    for (const QString &listing : listingsByName().keys())
        QTest::newRow(qPrintable(listing)) << listing << false;
    QTest::newRow("saveSambaUsers") << "saveSambaUsers" << false;
    QTest::newRow("saveSambaGroups") << "saveSambaGroups" << false;
    QTest::newRow("createServiceUser") << "createServiceUser" << false;
    QTest::newRow("createServiceGroup") << "createServiceGroup" << false;
    QTest::newRow("sambaUsers, during the request") << "sambaUsers" << true;
    QTest::newRow("saveSambaUsers, during the request") << "saveSambaUsers" << true;
}

void TestRemoteServerAccounts::lostBackend()
{
    QFETCH(QString, call);
    QFETCH(bool, duringRequest);
    if (duringRequest)
        standIn("pdbedit", "kill -KILL $PPID; sleep 30");
    openBackend();
    if (!duringRequest)
        QVERIFY(m_backend->kill());
    const QString lost = QStringLiteral("The connection to this computer was lost.");
    QElapsedTimer clock;
    clock.start();
    if (call == QLatin1String("saveSambaUsers")) {
        SambaUserMap saved{{QStringLiteral("swalice"), SambaUser(QStringLiteral("swalice"))},
                           {QStringLiteral("swold"), SambaUser(QStringLiteral("swold"))}};
        SambaUserMap current = editedUsers(
            saved, {QStringLiteral("-swold"), QStringLiteral("+swbob:b"), QStringLiteral("=swalice:n")});
        const SambaAccountFailures failures = m_remote->saveSambaUsers(current, saved);
        QCOMPARE(failures.size(), 3);
        QCOMPARE(failures.at(0),
                 SambaAccountFailure(QStringLiteral("swalice"), SambaAccountFailure::SetPassword,
                                     failures.at(0).message()));
        QCOMPARE(failures.at(1).operation(), SambaAccountFailure::AddUser);
        QCOMPARE(failures.at(2).operation(), SambaAccountFailure::DeleteUser);
        for (const SambaAccountFailure &failure : failures)
            QVERIFY2(failure.message().startsWith(lost), qPrintable(failure.text()));
        for (const SambaUser &user : qAsConst(current))
            QVERIFY(user.password().isEmpty());
    } else if (call == QLatin1String("saveSambaGroups")) {
        SambaGroupMap saved{{QStringLiteral("swstaff"), SambaGroup(QStringLiteral("swstaff"))}};
        SambaGroupMap current = editedGroups(saved, {QStringLiteral("-swstaff"), QStringLiteral("+swteam")});
        const SambaAccountFailures failures = m_remote->saveSambaGroups(current, saved);
        QCOMPARE(failures.size(), 2);
        QCOMPARE(failures.at(0).operation(), SambaAccountFailure::AddGroup);
        QCOMPARE(failures.at(1).operation(), SambaAccountFailure::DeleteGroup);
        QVERIFY2(failures.at(1).message().startsWith(lost), qPrintable(failures.at(1).text()));
    } else if (call.startsWith(QLatin1String("create"))) {
        const ServerAccounts::Creation creation = call == QLatin1String("createServiceUser")
            ? m_remote->createServiceUser(QStringLiteral("swlost"))
            : m_remote->createServiceGroup(QStringLiteral("swlost"));
        QVERIFY(!creation.succeeded);
        QVERIFY2(creation.errorText.startsWith(lost), qPrintable(creation.errorText));
    } else {
        try {
            listingsByName().value(call)(*m_remote);
            QFAIL("no failure");
        } catch (const BackendConnection::Failure &failure) {
            QCOMPARE(failure.kind(), BackendConnection::Failure::Lost);
            QVERIFY2(failure.message().startsWith(lost), qPrintable(failure.message()));
        }
    }
    QVERIFY2(clock.elapsed() < 20000, "the lost backend was waited for");
    // Later calls fail at once too.
    QVERIFY_EXCEPTION_THROWN(m_remote->sambaGroups(), BackendConnection::Failure);
}

void TestRemoteServerAccounts::callsFromSeveralThreads()
{
    // As the window's start reads every listing in a worker of its own: the calls take turns
    // on the one connection, and each gets its own answer.
    openBackend();
    LocalServerAccounts local;
    const QStringList names = listingsByName().keys();
    std::vector<std::future<QStringList>> answers;
    for (int round = 0; round < 3; ++round) {
        for (const QString &name : names)
            answers.push_back(std::async(std::launch::async,
                                         [this, name] { return listingsByName().value(name)(*m_remote); }));
    }
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const QString &name = names.at(int(i % std::size_t(names.size())));
        QCOMPARE(answers[i].get(), listingsByName().value(name)(local));
    }
}

int main(int argc, char *argv[])
{
    enterAccountSandbox(argc, argv);
    QCoreApplication app(argc, argv);
    TestRemoteServerAccounts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_remoteserveraccounts.moc"
