// The service account creation dialogs driven by object names: the form, the name
// validator, the desktop settings button, and every outcome of useradd and groupadd, with
// stand-ins and, in a private mount namespace, with the real programs.
#include "accountcommand.h"
#include "accountdialogsupport.h"
#include "boxdriver.h"
#include "creategroupdialog.h"
#include "createuserdialog.h"
#include "localserveraccounts.h"
#include "systemprograms.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>

using namespace AccountDialogSupport;

namespace {

enum Kind { User, Group };

QString createdName(QDialog *dialog)
{
    if (auto *user = qobject_cast<CreateUserDialog *>(dialog))
        return user->createdName();
    return qobject_cast<CreateGroupDialog *>(dialog)->createdName();
}

// True when /etc is the tmpfs copy made by tests/system/accounts/sandbox.sh.
bool inAccountSandbox()
{
    const QByteArray root = qgetenv("SHAREWARD_SANDBOX");
    struct stat etcStatus = {};
    struct stat rootStatus = {};
    return !root.isEmpty() && stat("/etc", &etcStatus) == 0 && stat(root.constData(), &rootStatus) == 0
        && etcStatus.st_dev == rootStatus.st_dev;
}

struct Lookup
{
    int exitCode = -1;
    QStringList fields;
};

// getent's exit code is 2 for a name it does not know.
Lookup getent(const QString &database, const QString &name)
{
    QProcess process;
    process.start(QStringLiteral("getent"), {database, name});
    process.waitForFinished();
    return {process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput().trimmed()).split(QLatin1Char(':'))};
}

// The account databases useradd and groupadd write.
const char *const accountFiles[] = {"/etc/passwd",  "/etc/group",  "/etc/shadow",
                                    "/etc/gshadow", "/etc/subuid", "/etc/subgid"};

QMap<QString, QByteArray> accountChecksums()
{
    QMap<QString, QByteArray> sums;
    for (const char *path : accountFiles) {
        const QString name = QLatin1String(path);
        if (QFileInfo::exists(name))
            sums.insert(name, QCryptographicHash::hash(readFile(name), QCryptographicHash::Sha256).toHex());
    }
    return sums;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestCreateAccountDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void form_data();
    void form();
    void defaults();
    void validator_data();
    void validator();
    void okEnabling_data();
    void okEnabling();
    void cancel_data();
    void cancel();
    void policyButtonVisibility_data();
    void policyButtonVisibility();
    void policyButtonRunsSettings();
    void success_data();
    void success();
    void failure_data();
    void failure();
    void hangingProgramTimesOut();

    // The real useradd and groupadd, in a private mount namespace.
    void realCreation();
    void realCreationInSandbox_data();
    void realCreationInSandbox();

private:
    QString fake(const char *name) const { return m_fakeDir->filePath(QLatin1String(name)); }
    // The server's accounts with program as useradd and groupadd, kept until the next call.
    ServerAccounts &accounts(const QString &program)
    {
        m_accounts = std::make_unique<LocalServerAccounts>(SambaAccountStore(), program, program);
        return *m_accounts;
    }
    std::unique_ptr<QDialog> makeDialog(Kind kind, const QString &program, const QString &settingsProgram)
    {
        if (kind == User)
            return std::make_unique<CreateUserDialog>(nullptr, accounts(program), settingsProgram);
        return std::make_unique<CreateGroupDialog>(nullptr, accounts(program));
    }

    std::unique_ptr<QTemporaryDir> m_fakeDir;
    std::unique_ptr<LocalServerAccounts> m_accounts;
    QByteArray m_path;
};

void TestCreateAccountDialogs::initTestCase()
{
    m_path = qgetenv("PATH");
}

void TestCreateAccountDialogs::init()
{
    m_fakeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_fakeDir->isValid());
    QVERIFY(writeFile(fake("useradd"), fakeAccountProgram, true));
    QVERIFY(writeFile(fake("groupadd"), fakeAccountProgram, true));
    QVERIFY(writeFile(fake("systemsettings"), fakeSettingsProgram, true));
}

void TestCreateAccountDialogs::cleanup()
{
    qputenv("PATH", m_path);
}

void TestCreateAccountDialogs::form_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("warning");

    QTest::newRow("user") << User
                          << QStringLiteral(
                                 "Please note that a service user will be created.\nTo log in, set a "
                                 "password in the desktop's user account settings.");
    QTest::newRow("group") << Group << QStringLiteral("Please note that a service group will be created.");
}

void TestCreateAccountDialogs::form()
{
    QFETCH(Kind, kind);
    QFETCH(QString, warning);

    const auto dialog = makeDialog(kind, fake("useradd"), fake("systemsettings"));
    QCOMPARE(dialog->objectName(), QStringLiteral("CreateUserDialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Create user"));
    QCOMPARE(child<QLabel>(*dialog, "labelName")->text(), QStringLiteral("Name:"));
    QCOMPARE(child<QLineEdit>(*dialog, "lineEditName")->text(), QString());
    auto *label = child<QLabel>(*dialog, "labelWarning");
    QCOMPARE(label->text(), warning);
    QVERIFY(!label->isEnabled());
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
    QCOMPARE(label->frameShadow(), QFrame::Sunken);
    QCOMPARE(child<QPushButton>(*dialog, "policyButton")->text(), QStringLiteral("User Accounts"));
    auto *ok = child<QPushButton>(*dialog, "okPushButton");
    QCOMPARE(ok->text(), QStringLiteral("Yes"));
    QVERIFY(!ok->isEnabled());
    QCOMPARE(child<QPushButton>(*dialog, "cancelPushButton")->text(), QStringLiteral("Cancel"));
    QCOMPARE(createdName(dialog.get()), QString());
}

void TestCreateAccountDialogs::defaults()
{
    // Debian's, never one found through PATH.
    qputenv("PATH", QFile::encodeName(m_fakeDir->path()));
    QCOMPARE(SystemPrograms::useradd(), QStringLiteral("/usr/sbin/useradd"));
    QCOMPARE(SystemPrograms::groupadd(), QStringLiteral("/usr/sbin/groupadd"));
    // The desktop settings are found through PATH, and none is offered where PATH has none.
    qputenv("PATH", QFile::encodeName(m_fakeDir->path()));
    QCOMPARE(CreateUserDialog::defaultSettingsProgram(), fake("systemsettings"));
    QVERIFY(QFile::remove(fake("systemsettings")));
    QCOMPARE(CreateUserDialog::defaultSettingsProgram(), QString());
    CreateUserDialog dialog(nullptr, accounts(fake("useradd")));
    dialog.show();
    QVERIFY(!child<QPushButton>(dialog, "policyButton")->isVisible());
}

void TestCreateAccountDialogs::validator_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    const QString longest = QStringLiteral("a") + QString(31, QLatin1Char('9'));
    const QList<QPair<Kind, const char *>> kinds = {{User, "user"}, {Group, "group"}};
    for (const auto &kind : kinds) {
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", kind.second, name) << kind.first;
        };
        row("upper-case first letter") << QStringLiteral("Bob") << QStringLiteral("ob");
        row("digit first") << QStringLiteral("1bob") << QStringLiteral("bob");
        row("dash first") << QStringLiteral("-bob") << QStringLiteral("bob");
        row("upper-case later") << QStringLiteral("boB") << QStringLiteral("bo");
        row("blank and dot") << QStringLiteral("bo b.x") << QStringLiteral("bobx");
        row("digits, underscore, dash") << QStringLiteral("svc_backup-2") << QStringLiteral("svc_backup-2");
        row("32 characters") << longest << longest;
        row("33rd character") << longest + QStringLiteral("z") << longest;
    }
}

void TestCreateAccountDialogs::validator()
{
    QFETCH(Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    const auto dialog = makeDialog(kind, fake("useradd"), fake("systemsettings"));
    auto *edit = child<QLineEdit>(*dialog, "lineEditName");
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), expected);
}

void TestCreateAccountDialogs::okEnabling_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("user") << User;
    QTest::newRow("group") << Group;
}

void TestCreateAccountDialogs::okEnabling()
{
    QFETCH(Kind, kind);

    const auto dialog = makeDialog(kind, fake("useradd"), fake("systemsettings"));
    auto *edit = child<QLineEdit>(*dialog, "lineEditName");
    auto *ok = child<QPushButton>(*dialog, "okPushButton");
    QTest::keyClicks(edit, QStringLiteral("bob"));
    QVERIFY(ok->isEnabled());
    QTest::keyClick(edit, Qt::Key_Backspace);
    QVERIFY(ok->isEnabled());
    edit->clear();
    QVERIFY(!ok->isEnabled());
    // A refused first letter leaves the field empty, and Yes disabled.
    QTest::keyClicks(edit, QStringLiteral("B"));
    QVERIFY(!ok->isEnabled());
}

void TestCreateAccountDialogs::cancel_data()
{
    okEnabling_data();
}

void TestCreateAccountDialogs::cancel()
{
    QFETCH(Kind, kind);

    const auto dialog = makeDialog(kind, fake("useradd"), fake("systemsettings"));
    dialog->show();
    QTest::keyClicks(child<QLineEdit>(*dialog, "lineEditName"), QStringLiteral("bob"));
    child<QPushButton>(*dialog, "cancelPushButton")->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(createdName(dialog.get()), QString());
    QVERIFY(!QFileInfo::exists(fake("arguments"))); // nothing ran
}

void TestCreateAccountDialogs::policyButtonVisibility_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("shown");

    QTest::newRow("user, settings installed") << User << QStringLiteral("systemsettings") << true;
    QTest::newRow("user, settings missing") << User << QStringLiteral("missing") << false;
    QTest::newRow("user, settings not executable") << User << QStringLiteral("plain") << false;
    QTest::newRow("user, a directory") << User << QStringLiteral("directory") << false;
    QTest::newRow("group, settings installed") << Group << QStringLiteral("systemsettings") << false;
}

void TestCreateAccountDialogs::policyButtonVisibility()
{
    QFETCH(Kind, kind);
    QFETCH(QString, settings);
    QFETCH(bool, shown);

    QVERIFY(writeFile(fake("plain"), fakeSettingsProgram));
    QVERIFY(QDir(m_fakeDir->path()).mkdir(QStringLiteral("directory")));
    const auto dialog = makeDialog(kind, fake("useradd"), m_fakeDir->filePath(settings));
    dialog->show();
    QCOMPARE(child<QPushButton>(*dialog, "policyButton")->isVisible(), shown);
}

void TestCreateAccountDialogs::policyButtonRunsSettings()
{
    CreateUserDialog dialog(nullptr, accounts(fake("useradd")), fake("systemsettings"));
    dialog.show();
    child<QPushButton>(dialog, "policyButton")->click();
    QTRY_COMPARE(readFile(fake("settings-arguments")), QByteArray("kcm_users|"));
    // The settings are a side trip: the dialog stays, and nothing was created.
    QVERIFY(dialog.isVisible());
    QVERIFY(!QFileInfo::exists(fake("arguments")));
}

void TestCreateAccountDialogs::success_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("arguments");

    QTest::newRow("user") << User << QStringLiteral("bob") << QByteArray("-M|-N|--|bob|");
    QTest::newRow("group") << Group << QStringLiteral("staff") << QByteArray("--|staff|");
    // Warnings on the error output of a successful run are not shown.
    QTest::newRow("user, with a warning") << User << QStringLiteral("svc-1") << QByteArray("-M|-N|--|svc-1|");
}

void TestCreateAccountDialogs::success()
{
    QFETCH(Kind, kind);
    QFETCH(QString, name);
    QFETCH(QByteArray, arguments);

    QVERIFY(writeFile(fake("message"), "useradd: warning: something odd\n"));
    const QString program = fake(kind == User ? "useradd" : "groupadd");
    const auto dialog = makeDialog(kind, program, fake("systemsettings"));
    dialog->show();
    QTest::keyClicks(child<QLineEdit>(*dialog, "lineEditName"), name);
    BoxDriver driver;
    child<QPushButton>(*dialog, "okPushButton")->click();
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(createdName(dialog.get()), name);
    QCOMPARE(readFile(fake("arguments")), arguments);
}

void TestCreateAccountDialogs::failure_data()
{
    QTest::addColumn<Kind>("kind");
    // "fake": the stand-in; "missing": an absolute path to nothing; "path": the default
    // name, with PATH holding no such program.
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("message");
    // Empty: no box.
    QTest::addColumn<QString>("text");

    const QString fakeUseradd = QStringLiteral("<fake>/useradd");
    const QString fakeGroupadd = QStringLiteral("<fake>/groupadd");
    QTest::newRow("user exists") << User << QStringLiteral("fake") << QByteArray("9")
                                 << QByteArray("useradd: user 'bob' already exists\n")
                                 << QStringLiteral("User 'bob' already exists\n");
    QTest::newRow("group exists") << Group << QStringLiteral("fake") << QByteArray("9")
                                  << QByteArray("groupadd: group 'bob' already exists\n")
                                  << QStringLiteral("Group 'bob' already exists\n");
    QTest::newRow("every prefix removed")
        << User << QStringLiteral("fake") << QByteArray("1")
        << QByteArray("useradd: warning: cannot lock /etc/passwd; try again later.\n")
        << QStringLiteral("Cannot lock /etc/passwd; try again later.\n");
    QTest::newRow("failure without a word")
        << User << QStringLiteral("fake") << QByteArray("1") << QByteArray() << QString();
    QTest::newRow("useradd stand-in missing")
        << User << QStringLiteral("environment") << QByteArray() << QByteArray()
        << QStringLiteral("Failed to start: <fake>/empty/useradd: <start error>");
    QTest::newRow("groupadd stand-in missing")
        << Group << QStringLiteral("environment") << QByteArray() << QByteArray()
        << QStringLiteral("Failed to start: <fake>/empty/groupadd: <start error>");
    QTest::newRow("missing program") << User << QStringLiteral("missing") << QByteArray() << QByteArray()
                                     << QStringLiteral("Failed to start: <missing>: <start error>");
    QTest::newRow("useradd crashes") << User << QStringLiteral("fake") << QByteArray("crash")
                                     << QByteArray("useradd: about to crash\n")
                                     << fakeUseradd + QStringLiteral(" crashed");
    QTest::newRow("groupadd crashes") << Group << QStringLiteral("fake") << QByteArray("crash")
                                      << QByteArray() << fakeGroupadd + QStringLiteral(" crashed");
}

void TestCreateAccountDialogs::failure()
{
    QFETCH(Kind, kind);
    QFETCH(QString, program);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, message);
    QFETCH(QString, text);

    const QString missing = m_fakeDir->filePath(QStringLiteral("missing/useradd"));
    // The words of the system for a program that cannot be started.
    text.replace(QStringLiteral("<start error>"), QString::fromLocal8Bit(std::strerror(ENOENT)));
    text.replace(QStringLiteral("<missing>"), missing);
    text.replace(QStringLiteral("<fake>"), m_fakeDir->path());

    QString used = fake(kind == User ? "useradd" : "groupadd");
    if (program == QLatin1String("missing")) {
        used = missing;
    } else if (program == QLatin1String("environment")) {
        // The stand-in the environment names, absent: Debian's program is not used instead.
        const char *variable = kind == User ? "SHAREWARD_PROGRAM_USERADD" : "SHAREWARD_PROGRAM_GROUPADD";
        qputenv(variable,
                QFile::encodeName(m_fakeDir->filePath(kind == User ? QStringLiteral("empty/useradd")
                                                                   : QStringLiteral("empty/groupadd"))));
        used = kind == User ? SystemPrograms::useradd() : SystemPrograms::groupadd();
        qunsetenv(variable);
    }
    if (!code.isEmpty())
        QVERIFY(writeFile(fake("code"), code));
    if (!message.isEmpty())
        QVERIFY(writeFile(fake("message"), message));

    const auto dialog = makeDialog(kind, used, fake("systemsettings"));
    dialog->show();
    QTest::keyClicks(child<QLineEdit>(*dialog, "lineEditName"), QStringLiteral("bob"));
    BoxDriver driver({QStringLiteral("OK")});
    child<QPushButton>(*dialog, "okPushButton")->click();
    if (text.isEmpty()) {
        QCOMPARE(driver.seen(), 0);
    } else {
        QCOMPARE(driver.seen(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Error"));
        QCOMPARE(driver.last().icon, QMessageBox::Critical);
        QCOMPARE(driver.last().text, text);
        QCOMPARE(driver.last().buttons, QStringList{QStringLiteral("OK")});
    }
    // The dialog stays for another try.
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(createdName(dialog.get()), QString());
    QCOMPARE(child<QLineEdit>(*dialog, "lineEditName")->text(), QStringLiteral("bob"));
    if (program == QLatin1String("fake"))
        QCOMPARE(readFile(fake("arguments")), QByteArray(kind == User ? "-M|-N|--|bob|" : "--|bob|"));
}

void TestCreateAccountDialogs::hangingProgramTimesOut()
{
    QVERIFY(writeFile(fake("useradd"), "#!/bin/sh\nsleep 30\n", true));
    QWidget parent;
    BoxDriver driver({QStringLiteral("OK")});
    LocalServerAccounts accounts(SambaAccountStore(), fake("useradd"));
    accounts.setTimeLimit(300);
    QVERIFY(!AccountCommand::succeeded(&parent, accounts.createServiceUser(QStringLiteral("bob"))));
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().text, fake("useradd") + QStringLiteral(" did not finish within a second"));
}

// Runs realCreationInSandbox in tests/system/accounts/sandbox.sh, where /etc is a throwaway
// copy, and checks that the machine's own account databases did not change.
void TestCreateAccountDialogs::realCreation()
{
    if (inAccountSandbox() || qEnvironmentVariableIsSet("SHAREWARD_SANDBOX_UNAVAILABLE"))
        QSKIP("this is the run inside the sandbox");
    if (geteuid() != 0)
        QSKIP("needs root for the account sandbox");

    const QMap<QString, QByteArray> before = accountChecksums();
    QVERIFY(before.contains(QStringLiteral("/etc/passwd")));
    QVERIFY(before.contains(QStringLiteral("/etc/gshadow")));

    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/system/accounts/sandbox.sh"),
              {QCoreApplication::applicationFilePath(), QStringLiteral("realCreationInSandbox")});
    QVERIFY(run.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(run.readAll());

    // Whatever happened inside, the real databases are as they were.
    QCOMPARE(accountChecksums(), before);
    QCOMPARE(getent(QStringLiteral("passwd"), QStringLiteral("swservice")).exitCode, 2);
    QCOMPARE(getent(QStringLiteral("group"), QStringLiteral("swservices")).exitCode, 2);

    if (output.contains(QLatin1String("no private mount namespace here")))
        QSKIP("no private mount namespace here");
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QLatin1String("PASS   : TestCreateAccountDialogs::realCreationInSandbox(user)")),
             qPrintable(output));
    QVERIFY2(
        output.contains(QLatin1String("PASS   : TestCreateAccountDialogs::realCreationInSandbox(group)")),
        qPrintable(output));
}

void TestCreateAccountDialogs::realCreationInSandbox_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("exists");

    QTest::newRow("user") << User << QStringLiteral("swservice")
                          << QStringLiteral("User 'swservice' already exists\n");
    QTest::newRow("group") << Group << QStringLiteral("swservices")
                           << QStringLiteral("Group 'swservices' already exists\n");
}

void TestCreateAccountDialogs::realCreationInSandbox()
{
    if (!inAccountSandbox())
        QSKIP("changes accounts: runs only inside the account sandbox, started by realCreation");
    QFETCH(Kind, kind);
    QFETCH(QString, name);
    QFETCH(QString, exists);

    // The default programs: Debian's, whatever PATH holds.
    const QString database = kind == User ? QStringLiteral("passwd") : QStringLiteral("group");
    QCOMPARE(getent(database, name).exitCode, 2);

    const QString program = kind == User ? SystemPrograms::useradd() : SystemPrograms::groupadd();
    for (int round = 0; round < 2; ++round) {
        const auto dialog = makeDialog(kind, program, fake("systemsettings"));
        dialog->show();
        QTest::keyClicks(child<QLineEdit>(*dialog, "lineEditName"), name);
        BoxDriver driver({QStringLiteral("OK")});
        child<QPushButton>(*dialog, "okPushButton")->click();
        if (round == 0) {
            QVERIFY2(driver.seen() == 0, qPrintable(driver.seen() ? driver.last().text : QString()));
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QCOMPARE(createdName(dialog.get()), name);
        } else {
            // The same name again: the program's own words, without its prefix.
            QCOMPARE(driver.seen(), 1);
            QCOMPARE(driver.last().title, QStringLiteral("Error"));
            QCOMPARE(driver.last().text, exists);
            QVERIFY(dialog->isVisible());
            QCOMPARE(createdName(dialog.get()), QString());
        }
    }

    const Lookup account = getent(database, name);
    QCOMPARE(account.exitCode, 0);
    QCOMPARE(account.fields.value(0), name);
    if (kind == User) {
        // -M: no home directory; -N: no group of the user's name.
        QVERIFY(!account.fields.value(5).isEmpty());
        QVERIFY2(!QFileInfo::exists(account.fields.value(5)), qPrintable(account.fields.value(5)));
        QCOMPARE(getent(QStringLiteral("group"), name).exitCode, 2);
    }
}

QTEST_MAIN(TestCreateAccountDialogs)
#include "tst_createaccountdialogs.moc"
