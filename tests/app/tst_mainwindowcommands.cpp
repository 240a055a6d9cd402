// The window against a real smb.conf and the real testparm: start-up loading and its
// repairs, the save sequence, the service commands and the questions before closing.
// systemctl, pdbedit, smbpasswd, net and wbinfo are fakes that log what they are asked
// into one file, so the order of the steps can be checked.
#include "boxdriver.h"
#include "globalshare.h"
#include "mainwindow.h"
#include "share.h"
#include "sharemodel.h"
#include "usersdialog.h"
#include "vfsmodule.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "localserveraccounts.h"
#include "localserverfiles.h"

#include <stdexcept>

#include <sys/stat.h>

namespace {

int rows(MainWindow &window, const char *view)
{
    return window.findChild<QTableView *>(QLatin1String(view))->model()->rowCount();
}

// The start-up's way to load: testparm first, the first screen, the window shown, the rest.
bool startUp(MainWindow &window, const MainWindow::Environment &environment)
{
    const bool loaded = window.loadFirstScreen(MainWindow::startCheck(environment));
    window.show();
    if (loaded)
        window.startBackgroundLoad();
    return loaded;
}

// Has a fake program sleep a second first when called with these arguments ("-L", "-b").
void slowDown(Sandbox &sandbox, const QString &program, const QByteArray &arguments)
{
    QByteArray script = sandbox.read(program);
    script.insert(script.indexOf('\n') + 1, "[ \"$*\" = '" + arguments + "' ] && sleep 1\n");
    sandbox.write(program, script);
}

// The Samba users the users dialog lists once it opens; with remove, it deletes the first
// and takes Ok.
QStringList listedUsers(MainWindow &window, bool remove)
{
    QStringList listed;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<UsersDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        reader.stop();
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("listWidgetSambaUsers"));
        for (int row = 0; row < list->count(); ++row)
            listed << list->item(row)->text();
        if (!remove || listed.isEmpty()) {
            dialog->reject();
            return;
        }
        list->setCurrentRow(0);
        BoxDriver confirm({QStringLiteral("OK")});
        dialog->findChild<QPushButton *>(QStringLiteral("pushButtonDeleteUser"))->click();
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    reader.start(5);
    action(window, "actionSambaUsers")->trigger();
    return listed;
}

} // namespace

class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void initialLoad_data();
    void initialLoad();
    void startupFailure_data();
    void startupFailure();
    void repairOffer_data();
    void repairOffer();
    void limitNote_data();
    void limitNote();
    void saveSequence();
    void saveRefusedKeepsEverything();
    void saveRefusedByTestparmSaysWhy();
    void slowCheckKeepsWindowResponsive();
    void accountFailuresAreShown();
    void services_data();
    void services();
    void startWithUnsavedChanges_data();
    void startWithUnsavedChanges();
    void quitAndClose_data();
    void quitAndClose();
    void userCandidates();
    void deferredLoad_data();
    void deferredLoad();
    void usersDialogWaits();
    void saveWaitsForModules();
    void deferredListingFails();
    void deferredReadLost_data();
    void deferredReadLost();
    void firstScreenRefused_data();
    void firstScreenRefused();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowCommands::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowcommands"));
    // Saves here go straight on; the review before a save has a suite of its own.
    MainWindow::setReviewsChanges(false);
}

void TestMainWindowCommands::initialLoad_data()
{
    QTest::addColumn<bool>("smbdActive");
    QTest::newRow("smbd running") << true;
    QTest::newRow("smbd stopped") << false;
}

void TestMainWindowCommands::initialLoad()
{
    QFETCH(bool, smbdActive);
    Sandbox sandbox;
    sandbox.setSmbdActive(smbdActive);
    MainWindow window(sandbox.environment());
    BoxDriver driver;
    window.initialLoad();

    QCOMPARE(driver.seen(), 0);
    QCOMPARE(window.shareModel()->rowCount(), 2);
    QCOMPARE(rows(window, "tableViewShares"), 1);
    QCOMPARE(rows(window, "tableViewPrinters"), 1);
    QCOMPARE(window.currentSettings().global()->workgroup(), QStringLiteral("TESTGROUP"));
    QCOMPARE(window.currentSettings().users().keys(),
             (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
    QCOMPARE(window.currentSettings().groups().keys(), QStringList{QStringLiteral("admins")});
    QCOMPARE(window.savedSettings().users(), window.currentSettings().users());
    QVERIFY(window.savedSettings().global() != window.currentSettings().global());
    QCOMPARE(window.domainUsers(), (QStringList{QStringLiteral("DOM\\u1"), QStringLiteral("root")}));
    QCOMPARE(window.domainGroups(), QStringList{QStringLiteral("DOM\\g1")});
    QVERIFY(window.serviceUsers().contains(QStringLiteral("root")));
    QVERIFY(window.serviceGroups().contains(QStringLiteral("root")));
    QVERIFY(!window.isModified());
    QCOMPARE(action(window, "actionStart")->isEnabled(), !smbdActive);
    QCOMPARE(action(window, "actionStop")->isEnabled(), smbdActive);
    // The account listings and the service query run beside testparm, in any order.
    QStringList log = sandbox.log();
    log.sort();
    QCOMPARE(log,
             (QStringList{QStringLiteral("net groupmap list [3]"), QStringLiteral("pdbedit -L [3]"),
                          QStringLiteral("systemctl is-active smbd")}));
}

void TestMainWindowCommands::startupFailure_data()
{
    QTest::addColumn<QByteArray>("checker");
    QTest::addColumn<QByteArray>("pdbeditFails");
    QTest::addColumn<QString>("text");
    QTest::newRow("errors") << QByteArray("echo 'ERROR: bad line' >&2; exit 1\n") << QByteArray()
                            << QStringLiteral(
                                   "Failed to initialize application.\nSamba configuration file "
                                   "smb.conf contains errors.\ntestparm output is:\nERROR: bad line\n");
    QTest::newRow("checker crashes") << QByteArray("kill -SEGV $$\n") << QByteArray()
                                     << QStringLiteral("Failed to initialize application.\nFailed to run "
                                                       "testparm.\nProcess crashed");
    QTest::newRow("rlimit alone") << QByteArray("echo 'increasing rlimit_max (1024)' >&2; exit 1\n")
                                  << QByteArray()
                                  << QStringLiteral(
                                         "Failed to initialize application.\nSamba configuration file "
                                         "smb.conf contains errors.\ntestparm output is:\nincreasing "
                                         "rlimit_max (1024)\n");
    QTest::newRow("account listing fails")
        << QByteArray() << QByteArray("-L")
        << QStringLiteral(
               "Failed to initialize application.\nError occur during samba user extraction.\nCheck "
               "samba installation or access rights.");
    QTest::newRow("group listing fails")
        << QByteArray() << QByteArray("groupmap list")
        << QStringLiteral(
               "Failed to initialize application.\nError occur during samba group extraction.\nCheck "
               "samba installation or access rights.");
}

void TestMainWindowCommands::startupFailure()
{
    QFETCH(QByteArray, checker);
    QFETCH(QByteArray, pdbeditFails);
    Sandbox sandbox;
    MainWindow::Environment environment = sandbox.environment();
    if (!checker.isEmpty()) {
        sandbox.useChecker(checker);
        environment.testparm = sandbox.path(QStringLiteral("testparm"));
    }
    if (!pdbeditFails.isEmpty())
        sandbox.failFor(pdbeditFails);
    const QByteArray before = sandbox.config();
    MainWindow window(environment);
    BoxDriver driver({QStringLiteral("OK"), QStringLiteral("OK")});
    window.initialLoad();

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QCoreApplication::applicationName());
    QTEST(driver.last().text, "text");
    QCOMPARE(driver.last().icon, QMessageBox::Critical);
    QCOMPARE(window.shareModel()->rowCount(), 0);

    // Nothing was loaded, so a save must not write the empty document over smb.conf.
    window.setModified();
    QVERIFY(!window.saveAll());
    QCOMPARE(driver.seen(), 2);
    QCOMPARE(driver.last().text,
             QStringLiteral("Failed to save samba settings.\n\nsmb.conf could not be "
                            "loaded at start-up; nothing is written over it."));
    QCOMPARE(sandbox.config(), before);
    QVERIFY(window.isModified());
}

void TestMainWindowCommands::repairOffer_data()
{
    QTest::addColumn<QByteArray>("broken"); // lines put before "workgroup" in [global]
    QTest::addColumn<QByteArray>("repaired"); // what a repair leaves of them
    QTest::addColumn<QByteArray>("added"); // the lines a repair adds after "guest account"
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("question"); // the second box, when there is one

    const QStringList yes{QStringLiteral("Fix config"), QStringLiteral("Yes")};
    const QStringList no{QStringLiteral("Fix config"), QStringLiteral("No")};
    const QByteArray security = "   Security = share\n";
    const QString securityQuestion = QStringLiteral(
        "Fix config will change smb.conf as follows:\n"
        "- remove \"Security = share\" (line 3, [global])\n"
        "Samba then uses its default, \"security = user\": a user name and password are required to "
        "connect to the shares.\nNothing else in smb.conf changes. Would you like to continue?");
    QTest::newRow("security: fix and confirm")
        << security << QByteArray() << QByteArray() << yes << securityQuestion;
    QTest::newRow("security: fix, then no") << security << security << QByteArray() << no << securityQuestion;
    QTest::newRow("security: close") << security << security << QByteArray()
                                     << QStringList{QStringLiteral("Close")} << QString();

    // An AD member keeps its security setting: the default domain gets a range instead.
    const QByteArray member = "   realm = X.COM\n   security = ads\n";
    const QByteArray idmap = "   idmap config * : backend = tdb\n   idmap config * : range = 3000-7999\n";
    const QString idmapQuestion = QStringLiteral(
        "Fix config will change smb.conf as follows:\n- add \"idmap config * : backend = tdb\" to [global]\n"
        "- add \"idmap config * : range = 3000-7999\" to [global]\nUsers and groups of domains without an "
        "idmap range of their own are then given IDs from 3000-7999.\nNothing else in smb.conf changes. "
        "Would you like to continue?");
    QTest::newRow("idmap: fix and confirm") << member << member << idmap << yes << idmapQuestion;
    QTest::newRow("idmap: fix, then no") << member << member << QByteArray() << no << idmapQuestion;
}

void TestMainWindowCommands::repairOffer()
{
    QFETCH(QByteArray, broken);
    QFETCH(QByteArray, repaired);
    QFETCH(QByteArray, added);
    QFETCH(QStringList, answers);
    QFETCH(QString, question);
    Sandbox sandbox;
    const QByteArray base = sandbox.config();
    sandbox.writeConfig(QByteArray(base).replace("   workgroup", broken + "   workgroup"));
    MainWindow window(sandbox.environment());
    BoxDriver driver(answers);
    window.initialLoad();

    const bool fixed = answers.size() == 2 && answers.last() == QLatin1String("Yes");
    QCOMPARE(driver.seen(), answers.size());
    QVERIFY(!driver.unanswered);
    QStringList buttons = driver.boxes.first().buttons;
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("Close"), QStringLiteral("Fix config")}));
    QVERIFY(driver.boxes.first().text.startsWith(QLatin1String("Failed to initialize application.")));
    QVERIFY(driver.boxes.first().text.contains(QLatin1String("\n\nFix config ")));
    if (!question.isEmpty())
        QCOMPARE(driver.boxes.at(1).text, question);
    QByteArray expected = QByteArray(base).replace("   workgroup", repaired + "   workgroup");
    expected.replace("oldguest\n   ;", "oldguest\n" + added + "   ;");
    QCOMPARE(sandbox.config(), expected);
    QCOMPARE(window.shareModel()->rowCount(), fixed ? 2 : 0);
}

void TestMainWindowCommands::limitNote_data()
{
    QTest::addColumn<QByteArray>("global"); // lines put before "workgroup" in [global]
    QTest::addColumn<int>("boxes");
    QTest::newRow("AD member without an idmap range")
        << QByteArray("   realm = X.COM\n   security = ads\n") << 1;
    QTest::newRow("nothing else wrong") << QByteArray() << 0;
}

void TestMainWindowCommands::limitNote()
{
    QFETCH(QByteArray, global);
    QFETCH(int, boxes);
    Sandbox sandbox;
    const QByteArray before = QByteArray(sandbox.config()).replace("   workgroup", global + "   workgroup");
    sandbox.writeConfig(before);
    // The real testparm at the usual soft limit of 1024 open files.
    sandbox.useChecker("ulimit -n 1024 && exec testparm \"$@\"\n");
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    MainWindow window(environment);
    BoxDriver driver({QStringLiteral("Close")});
    window.initialLoad();

    QCOMPARE(driver.seen(), boxes);
    if (boxes > 0) {
        // The repair the error needs is offered; the note is shown as information.
        const QString text = driver.last().text;
        QVERIFY(text.contains(QLatin1String("ERROR: Invalid idmap range for domain *!")));
        QVERIFY(text.contains(QLatin1String("to minimum Windows limit (16384)")));
        QVERIFY(text.contains(QLatin1String("is information, not an error")));
        QVERIFY(text.endsWith(
            QLatin1String("Fix config gives the default idmap domain * a valid ID range in the "
                          "[global] section of smb.conf; the server stays a member of its domain.")));
    }
    QCOMPARE(sandbox.config(), before);
    QCOMPARE(window.shareModel()->rowCount(), boxes > 0 ? 0 : 2);
}

void TestMainWindowCommands::saveSequence()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    makeChanges(sandbox, window);
    window.findChild<QTableView *>(QStringLiteral("tableViewShares"))->selectRow(0);
    QVERIFY(action(window, "actionEditShare")->isEnabled());
    sandbox.clearLog();

    BoxDriver driver;
    action(window, "actionSave")->trigger();

    QCOMPARE(driver.seen(), 0);
    // smb.conf first (four sections when the accounts are written), then users, groups
    // and the reload.
    QCOMPARE(sandbox.log(),
             (QStringList{
                 QStringLiteral("smbpasswd -s bob [4] n\u00e9u/n\u00e9u"),
                 QStringLiteral("pdbedit -t -a carol [4] pässwörd/pässwörd"),
                 QStringLiteral("pdbedit -x alice [4]"),
                 QStringLiteral("net groupmap add ntgroup=staff unixgroup=staff type=domain [4]"),
                 QStringLiteral("net groupmap delete ntgroup=admins [4]"),
                 // The guest account takes effect without a restart: clients stay connected.
                 QStringLiteral("systemctl is-active nmbd"),
                 QStringLiteral("smbcontrol smbd reload-config"),
                 QStringLiteral("smbcontrol nmbd reload-config"),
                 QStringLiteral("systemctl is-active smbd"),
                 QStringLiteral("systemctl is-active nmbd"),
             }));
    // Written, the passwords are gone from memory.
    for (const SambaUserMap &users : {window.currentSettings().users(), window.savedSettings().users()}) {
        for (const SambaUser &user : users)
            QCOMPARE(user, SambaUser(user.name()));
    }
    QCOMPARE(window.savedSettings().groups().keys(), QStringList{QStringLiteral("staff")});
    const QByteArray config = sandbox.config();
    QVERIFY(config.startsWith("# Shareward test server\n[global]\n"));
    QVERIFY(config.contains("   ; a hand-written comment\n"));
    QVERIFY(config.contains("[newshare]"));
    QVERIFY(config.contains("guest account = newguest"));
    QVERIFY2(!config.contains("oldguest"), config.constData()); // gone from valid users too
    QCOMPARE(modeOf(sandbox.path(QStringLiteral("ro"))), mode_t(0555));
    // The printers' spool directory was not asked about and keeps its sticky mode.
    QCOMPARE(modeOf(sandbox.path(QStringLiteral("spool"))), mode_t(01777));

    QVERIFY(!window.isModified());
    QVERIFY(!action(window, "actionEditShare")->isEnabled());
    QVERIFY(!action(window, "actionDeleteShare")->isEnabled());
    QCOMPARE(window.savedSettings().users().keys(),
             (QStringList{QStringLiteral("bob"), QStringLiteral("carol")}));
    QCOMPARE(window.savedSettings().global()->guestAccount(), QStringLiteral("newguest"));
    QVERIFY(window.savedSettings().global() != window.currentSettings().global());

    // Saved twice, the file stays as it is.
    window.setModified();
    sandbox.clearLog();
    action(window, "actionSave")->trigger();
    QCOMPARE(sandbox.config(), config);
    QCOMPARE(driver.seen(), 0);
}

// A save testparm refuses says testparm's words in the box's text, its whole output in the
// details. The real testparm judges the new text with a line it cannot read added.
void TestMainWindowCommands::saveRefusedByTestparmSaysWhy()
{
    Sandbox sandbox;
    sandbox.useChecker(
        "for last; do :; done\n"
        "case \"$last\" in *.shareward-*) printf '\\tcreate mask = 99999\\n' >> \"$last\" ;; esac\n"
        "exec testparm \"$@\"\n");
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    MainWindow window(environment);
    window.initialLoad();
    makeChanges(sandbox, window);
    const QByteArray before = sandbox.config();

    BoxDriver driver;
    QVERIFY(!window.saveAll());
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().icon, QMessageBox::Critical);
    QCOMPARE(driver.last().text,
             QStringLiteral("Failed to save samba settings.\n\ntestparm refuses the new "
                            "configuration:\nInvalid octal number create mask\n"
                            "Error loading services."));
    QVERIFY2(driver.last().details.startsWith(QLatin1String("Load smb config files from ")),
             qPrintable(driver.last().details));
    QVERIFY(driver.last().details.contains(QLatin1String("Invalid octal number create mask")));
    QCOMPARE(sandbox.config(), before);
    QVERIFY(window.isModified());
}

// While a slow testparm judges the new text, the window keeps painting and says it is busy,
// and the save still goes through.
void TestMainWindowCommands::slowCheckKeepsWindowResponsive()
{
    Sandbox sandbox;
    sandbox.useChecker("exec testparm \"$@\"\n");
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    MainWindow window(environment);
    window.initialLoad();
    makeChanges(sandbox, window);
    sandbox.useChecker("sleep 1.5\nexec testparm \"$@\"\n");
    window.show();

    QStringList seen;
    QTimer probe;
    connect(&probe, &QTimer::timeout, &probe, [&seen] {
        QWidget *modal = QApplication::activeModalWidget();
        seen << (modal ? modal->objectName() : QString());
    });
    probe.start(100);
    BoxDriver driver;
    QElapsedTimer timer;
    timer.start();
    action(window, "actionSave")->trigger();
    probe.stop();

    QVERIFY(timer.elapsed() >= 1500);
    QCOMPARE(driver.seen(), 0);
    QVERIFY2(seen.size() >= 10, qPrintable(seen.join(QLatin1Char(','))));
    QVERIFY2(seen.contains(QStringLiteral("busyIndicator")), qPrintable(seen.join(QLatin1Char(','))));
    QVERIFY(!window.isModified());
    QVERIFY(sandbox.config().contains("[newshare]"));
    QVERIFY(!qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()));
}

void TestMainWindowCommands::saveRefusedKeepsEverything()
{
    for (const QString &answer : {QStringLiteral("Cancel"), QStringLiteral("Reload")}) {
        Sandbox sandbox;
        sandbox.setSmbdActive(true);
        MainWindow window(sandbox.environment());
        window.initialLoad();
        makeChanges(sandbox, window);
        // Another editor changes smb.conf after it was loaded.
        sandbox.append(QStringLiteral("smb.conf"), "[edited]\n   path = /tmp\n");
        const QByteArray edited = sandbox.config();
        sandbox.clearLog();

        BoxDriver driver({answer});
        action(window, "actionSave")->trigger();

        QCOMPARE(driver.seen(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Warning"));
        QCOMPARE(driver.last().text, QStringLiteral("Failed to save samba settings."));
        QVERIFY(driver.last().buttons.contains(QStringLiteral("Reload")));
        QVERIFY(driver.last().buttons.contains(QStringLiteral("Cancel")));
        QVERIFY(driver.last().details.contains(QLatin1String("Reload it before saving")));
        QCOMPARE(sandbox.config(), edited);
        QCOMPARE(modeOf(sandbox.path(QStringLiteral("ro"))), mode_t(0700));
        if (answer == QLatin1String("Cancel")) {
            // Nothing written, no account touched, the edits still there to save later.
            QCOMPARE(sandbox.log(), QStringList());
            QVERIFY(window.isModified());
            QVERIFY(window.savedSettings().users().contains(QStringLiteral("alice")));
            QCOMPARE(window.savedSettings().global()->guestAccount(), QStringLiteral("oldguest"));
        } else {
            // The file as it is now: the other editor's share is there, the edits are gone.
            QVERIFY(!window.isModified());
            QCOMPARE(window.currentSettings().global()->guestAccount(), QStringLiteral("oldguest"));
            QStringList names;
            for (const Share &share : window.shareModel()->shares())
                names << share.name();
            QVERIFY2(names.contains(QStringLiteral("edited")) && !names.contains(QStringLiteral("newshare")),
                     qPrintable(names.join(QLatin1Char(' '))));
        }
    }
}

void TestMainWindowCommands::accountFailuresAreShown()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.failFor("-t -a carol");
    sandbox.failFor("-s bob");
    MainWindow window(sandbox.environment());
    window.initialLoad();
    makeChanges(sandbox, window);
    sandbox.clearLog();

    BoxDriver driver({QStringLiteral("OK")});
    QVERIFY(window.saveAll());

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Warning"));
    QVERIFY(driver.last().text.contains(QLatin1String("carol")));
    QVERIFY(driver.last().text.contains(QLatin1String("refused -t -a carol")));
    QVERIFY(driver.last().text.contains(
        QLatin1String("Can't set the password of Samba user bob: refused -s bob")));
    QVERIFY(!driver.last().text.contains(QLatin1String("pässwörd")));
    QVERIFY(!driver.last().text.contains(QStringLiteral("n\u00e9u")));
    QVERIFY(!window.isModified());
    QVERIFY(sandbox.log().contains(QStringLiteral("smbcontrol nmbd reload-config")));
}

void TestMainWindowCommands::services_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("smbdActive");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("startEnabled");

    QTest::newRow("start") << QStringLiteral("actionStart") << false << QByteArray() << QString()
                           << QStringList{QStringLiteral("systemctl start smbd"),
                                          QStringLiteral("systemctl start nmbd")}
                           << false;
    QTest::newRow("start, nmbd fails")
        << QStringLiteral("actionStart") << false << QByteArray("start nmbd")
        << QStringLiteral("Can't start nmbd service.\nCheck samba installation.")
        << QStringList{QStringLiteral("systemctl start smbd"), QStringLiteral("systemctl start nmbd")}
        << true;
    QTest::newRow("start, smbd fails")
        << QStringLiteral("actionStart") << false << QByteArray("start smbd")
        << QStringLiteral("Can't start smbd service.\nCheck samba installation.")
        << QStringList{QStringLiteral("systemctl start smbd")} << true;
    QTest::newRow("stop") << QStringLiteral("actionStop") << true << QByteArray() << QString()
                          << QStringList{QStringLiteral("systemctl stop smbd"),
                                         QStringLiteral("systemctl stop nmbd")}
                          << true;
    QTest::newRow("stop, smbd fails") << QStringLiteral("actionStop") << true << QByteArray("stop smbd")
                                      << QStringLiteral("Can't stop smbd service.\nCheck samba installation.")
                                      << QStringList{QStringLiteral("systemctl stop smbd")} << false;
    QTest::newRow("stop, nmbd fails")
        << QStringLiteral("actionStop") << true << QByteArray("stop nmbd")
        << QStringLiteral("Can't stop nmbd service.\nCheck samba installation.")
        << QStringList{QStringLiteral("systemctl stop smbd"), QStringLiteral("systemctl stop nmbd")} << false;
    QTest::newRow("restart while stopped")
        << QStringLiteral("restart") << false << QByteArray() << QString() << QStringList() << true;
    QTest::newRow("restart, nmbd fails")
        << QStringLiteral("restart") << true << QByteArray("restart nmbd")
        << QStringLiteral("Can't restart nmbd service.\nCheck samba installation or samba script.")
        << QStringList{QStringLiteral("systemctl restart smbd"), QStringLiteral("systemctl restart nmbd")}
        << false;
    QTest::newRow("restart, smbd fails")
        << QStringLiteral("restart") << true << QByteArray("restart smbd")
        << QStringLiteral("Can't restart smbd service.\nCheck samba installation.")
        << QStringList{QStringLiteral("systemctl restart smbd")} << false;
}

void TestMainWindowCommands::services()
{
    QFETCH(QString, command);
    QFETCH(bool, smbdActive);
    QFETCH(QByteArray, failing);
    QFETCH(QString, box);
    QFETCH(bool, startEnabled);
    Sandbox sandbox;
    sandbox.setSmbdActive(smbdActive);
    if (!failing.isEmpty())
        sandbox.failFor(failing);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    sandbox.clearLog();

    BoxDriver driver({QStringLiteral("OK")});
    if (command == QLatin1String("restart"))
        QCOMPARE(window.restartServices(), smbdActive && failing.isEmpty());
    else
        window.findChild<QAction *>(command)->trigger();

    QTEST(sandbox.log(), "log");
    QCOMPARE(driver.seen(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QCOMPARE(driver.last().title, QStringLiteral("Error"));
        QCOMPARE(driver.last().text, box);
        QCOMPARE(driver.last().icon, QMessageBox::Critical);
    }
    QCOMPARE(action(window, "actionStart")->isEnabled(), startEnabled);
    QCOMPARE(action(window, "actionStop")->isEnabled(), !startEnabled);
}

void TestMainWindowCommands::startWithUnsavedChanges_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("save first") << QStringLiteral("Yes");
    QTest::newRow("start on the old file") << QStringLiteral("No");
}

void TestMainWindowCommands::startWithUnsavedChanges()
{
    QFETCH(QString, answer);
    const bool save = answer == QLatin1String("Yes");
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    window.initialLoad();
    makeChanges(sandbox, window);
    const QByteArray before = sandbox.config();
    sandbox.clearLog();

    BoxDriver driver({answer});
    action(window, "actionStart")->trigger();

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Warning"));
    QCOMPARE(driver.last().text, QStringLiteral("There are changes in configuration. Save them?"));
    QCOMPARE(sandbox.config() == before, !save);
    QCOMPARE(window.isModified(), !save);
    const QStringList log = sandbox.log();
    QVERIFY(log.size() >= 2);
    QCOMPARE(log.mid(log.size() - 2),
             (QStringList{QStringLiteral("systemctl start smbd"), QStringLiteral("systemctl start nmbd")}));
    // The services were stopped, so the save restarted nothing.
    QCOMPARE(log.filter(QStringLiteral("restart")), QStringList());
    QCOMPARE(log.size() > 2, save);
    QVERIFY(!action(window, "actionStart")->isEnabled());
}

void TestMainWindowCommands::quitAndClose_data()
{
    QTest::addColumn<bool>("viaQuit");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");

    const QString question = QStringLiteral("Question");
    const QString exit = QStringLiteral("Exit");
    const QString cancel = QStringLiteral("Cancel");
    const QString saveAndExit = QStringLiteral("Save and Exit");
    for (bool viaQuit : {true, false}) {
        const char *how = viaQuit ? "quit" : "close";
        QTest::addRow("%s, nothing changed", how)
            << viaQuit << false << false << QStringList() << QStringList() << true << false;
        QTest::addRow("%s, exit", how)
            << viaQuit << true << false << QStringList{exit} << QStringList{question} << true << false;
        QTest::addRow("%s, cancel", how)
            << viaQuit << true << false << QStringList{cancel} << QStringList{question} << false << false;
        QTest::addRow("%s, save and exit", how)
            << viaQuit << true << false << QStringList{saveAndExit} << QStringList{question} << true << true;
    }
    // A failed save keeps the window open: after Quit the close asks again, and a close
    // does not throw the changes away.
    QTest::newRow("quit, save fails, then cancel")
        << true << true << true << QStringList{saveAndExit, QStringLiteral("Cancel"), cancel}
        << QStringList{question, QStringLiteral("Warning"), question} << false << false;
    QTest::newRow("quit, save fails, then exit")
        << true << true << true << QStringList{saveAndExit, QStringLiteral("Cancel"), exit}
        << QStringList{question, QStringLiteral("Warning"), question} << true << false;
    QTest::newRow("close, save fails")
        << false << true << true << QStringList{saveAndExit, QStringLiteral("Cancel")}
        << QStringList{question, QStringLiteral("Warning")} << false << false;
}

void TestMainWindowCommands::quitAndClose()
{
    QFETCH(bool, viaQuit);
    QFETCH(bool, modified);
    QFETCH(bool, saveFails);
    QFETCH(QStringList, answers);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    window.initialLoad();
    window.show();
    if (modified)
        makeChanges(sandbox, window);
    if (saveFails)
        sandbox.append(QStringLiteral("smb.conf"), "# edited elsewhere\n");
    const QByteArray before = sandbox.config();

    BoxDriver driver(answers);
    if (viaQuit)
        action(window, "actionQuit")->trigger();
    else
        window.close();

    QTEST(driver.titles(), "titles");
    QVERIFY(!driver.unanswered);
    if (!driver.boxes.isEmpty())
        QCOMPARE(driver.boxes.first().text,
                 viaQuit ? QStringLiteral("Some data has changed.\nAre you sure to save new data?")
                         : QStringLiteral("Some data has changed.\nDo you want to save changed data?"));
    QCOMPARE(window.isVisible(), !closed);
    QCOMPARE(sandbox.config() != before, saved);
    QCOMPARE(window.isModified(), modified && !saved);
}

// The users dialog offers the system and the domain accounts, each name once.
void TestMainWindowCommands::userCandidates()
{
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    window.initialLoad();
    QStringList offered;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        if (auto *dialog = qobject_cast<UsersDialog *>(QApplication::activeModalWidget())) {
            offered = dialog->candidates();
            dialog->reject();
        }
    });
    reader.start(5);
    action(window, "actionSambaUsers")->trigger();
    QCOMPARE(offered.count(QStringLiteral("root")), 1);
    QVERIFY(offered.contains(QStringLiteral("DOM\\u1")));
    QVERIFY(std::is_sorted(offered.cbegin(), offered.cend()));
    QVERIFY(!window.isModified());
}

void TestMainWindowCommands::deferredLoad_data()
{
    initialLoad_data();
}

// At start-up the window needs testparm alone; the Samba programs run once it is shown.
void TestMainWindowCommands::deferredLoad()
{
    QFETCH(bool, smbdActive);
    Sandbox sandbox;
    sandbox.setSmbdActive(smbdActive);
    MainWindow window(sandbox.environment());
    BoxDriver driver;
    QSignalSpy loaded(&window, &MainWindow::backgroundLoaded);
    QVERIFY(window.loadFirstScreen(MainWindow::startCheck(sandbox.environment())));
    QCOMPARE(sandbox.log(), QStringList());
    QCOMPARE(window.shareModel()->rowCount(), 2);
    QVERIFY(window.currentSettings().users().isEmpty());

    window.show();
    window.startBackgroundLoad();
    QVERIFY(window.isBackgroundLoading());
    // Neither service command while smbd's state is unknown.
    QVERIFY(!action(window, "actionStart")->isEnabled());
    QVERIFY(!action(window, "actionStop")->isEnabled());
    QVERIFY(loaded.wait(10000));
    QVERIFY(!window.isBackgroundLoading());
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(window.currentSettings().users().keys(),
             (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
    QCOMPARE(window.savedSettings().users(), window.currentSettings().users());
    QCOMPARE(window.savedSettings().groups().keys(), QStringList{QStringLiteral("admins")});
    QCOMPARE(window.domainGroups(), QStringList{QStringLiteral("DOM\\g1")});
    QVERIFY(window.serviceUsers().contains(QStringLiteral("root")));
    QCOMPARE(action(window, "actionStart")->isEnabled(), !smbdActive);
    QCOMPARE(action(window, "actionStop")->isEnabled(), smbdActive);
    QStringList log = sandbox.log();
    log.sort();
    QCOMPARE(log,
             (QStringList{QStringLiteral("net groupmap list [3]"), QStringLiteral("pdbedit -L [3]"),
                          QStringLiteral("systemctl is-active smbd")}));
    QCOMPARE(loaded.count(), 1);
}

// The users dialog, opened before pdbedit answered, lists the users once it has; a deletion
// there is written by the next save.
void TestMainWindowCommands::usersDialogWaits()
{
    Sandbox sandbox;
    slowDown(sandbox, QStringLiteral("pdbedit"), "-L");
    MainWindow window(sandbox.environment());
    QVERIFY(startUp(window, sandbox.environment()));
    QVERIFY(window.isBackgroundLoading());

    QCOMPARE(listedUsers(window, true), (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
    QVERIFY(!window.isBackgroundLoading());
    QVERIFY(window.isModified());
    sandbox.clearLog();
    BoxDriver driver;
    QVERIFY(window.saveAll());
    QVERIFY2(sandbox.log().contains(QStringLiteral("pdbedit -x alice [3]")),
             qPrintable(sandbox.log().join(QLatin1Char('\n'))));
    QCOMPARE(window.savedSettings().users().keys(), QStringList{QStringLiteral("bob")});
    QCOMPARE(driver.seen(), 0);
}

// A save made before smbd -b answered still refuses a module this Samba lacks.
void TestMainWindowCommands::saveWaitsForModules()
{
    Sandbox sandbox;
    slowDown(sandbox, QStringLiteral("smbd"), "-b");
    MainWindow window(sandbox.environment());
    QVERIFY(startUp(window, sandbox.environment()));
    const QModelIndex index = window.shareModel()->index(0, 0);
    Share share = *window.shareModel()->share(index);
    share.addVfsModule(VFSModule::create(QStringLiteral("full_audit")));
    window.shareModel()->updateShare(index, share);
    window.setModified();
    const QByteArray before = sandbox.config();

    BoxDriver driver({QStringLiteral("Cancel")});
    QVERIFY(!window.saveAll());
    QCOMPARE(driver.seen(), 1);
    QVERIFY2(driver.last().text.startsWith(QLatin1String("The Samba modules full_audit are not installed")),
             qPrintable(driver.last().text));
    QCOMPARE(sandbox.config(), before);
    QVERIFY(window.isModified());
}

// A Samba listing that fails after the window came up leaves it as a failed start-up did:
// the error shown, nothing loaded, no save.
void TestMainWindowCommands::deferredListingFails()
{
    Sandbox sandbox;
    sandbox.failFor("-L");
    MainWindow window(sandbox.environment());
    BoxDriver driver({QStringLiteral("OK")});
    QSignalSpy loaded(&window, &MainWindow::backgroundLoaded);
    QVERIFY(startUp(window, sandbox.environment()));
    QCOMPARE(window.shareModel()->rowCount(), 2);
    QVERIFY(loaded.wait(10000));

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().text,
             QStringLiteral("Failed to initialize application.\nError occur during samba user extraction.\n"
                            "Check samba installation or access rights."));
    QCOMPARE(window.shareModel()->rowCount(), 0);
    const QByteArray before = sandbox.config();
    window.setModified();
    QVERIFY(!window.saveAll());
    QCOMPARE(driver.last().text,
             QStringLiteral("Failed to save samba settings.\n\nsmb.conf could not be "
                            "loaded at start-up; nothing is written over it."));
    QCOMPARE(sandbox.config(), before);
}

namespace {

const char lostSentence[] = "The connection to files was lost. Connection reset by peer";

// This machine's server, except that one of the reads made after the window came up fails as
// a server reached through its backend fails when the connection is lost.
class LosingServer : public Server
{
public:
    LosingServer(const MainWindow::Environment &environment, const QString &lost)
        : m_server(environment)
        , m_accounts(lost)
        , m_files(lost, environment.smbd)
    {
    }
    ConfigSession &config() override { return m_server.config(); }
    ServerServices &services() override { return m_server.services(); }
    ServerAccounts &accounts() override { return m_accounts; }
    ServerFiles &files() override { return m_files; }

private:
    struct Accounts : LocalServerAccounts
    {
        explicit Accounts(const QString &lost)
            : m_lost(lost)
        {
        }
        SystemAccounts systemAccounts() override
        {
            lose(QStringLiteral("system accounts"));
            return LocalServerAccounts::systemAccounts();
        }
        QStringList domainUsers() override
        {
            lose(QStringLiteral("domain users"));
            return QStringList();
        }
        QStringList domainGroups() override
        {
            lose(QStringLiteral("domain groups"));
            return QStringList();
        }
        SambaUserMap sambaUsers() override { return {}; }
        SambaGroupMap sambaGroups() override { return {}; }
        void lose(const QString &read) const
        {
            if (m_lost == read)
                throw std::runtime_error(lostSentence);
        }
        QString m_lost;
    };
    struct Files : LocalServerFiles
    {
        Files(const QString &lost, const QString &smbd)
            : LocalServerFiles(smbd)
            , m_lost(lost)
        {
        }
        VfsModuleInventory vfsModules() override
        {
            if (m_lost == QLatin1String("modules"))
                throw std::runtime_error(lostSentence);
            return LocalServerFiles::vfsModules();
        }
        QString m_lost;
    };
    LocalServer m_server;
    Accounts m_accounts;
    Files m_files;
};

} // namespace

void TestMainWindowCommands::deferredReadLost_data()
{
    QTest::addColumn<QString>("lost");
    for (const char *read : {"modules", "system accounts", "domain users", "domain groups"})
        QTest::newRow(read) << QString::fromLatin1(read);
}

// The connection lost while the window reads what its first screen did not need: the window
// says why, as for a failed listing, and goes on with nothing loaded instead of ending.
void TestMainWindowCommands::deferredReadLost()
{
    QFETCH(QString, lost);
    Sandbox sandbox;
    MainWindow window(std::make_unique<LosingServer>(sandbox.environment(), lost));
    BoxDriver driver({QStringLiteral("OK")});
    QSignalSpy loaded(&window, &MainWindow::backgroundLoaded);
    QVERIFY(startUp(window, sandbox.environment()));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().text,
             QStringLiteral("Failed to initialize application.\n") + QLatin1String(lostSentence));
    QCOMPARE(window.shareModel()->rowCount(), 0);
    window.setModified();
    QVERIFY(!window.saveAll());
}

void TestMainWindowCommands::firstScreenRefused_data()
{
    QTest::addColumn<QByteArray>("checker");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("text");
    QTest::newRow("testparm refuses") << QByteArray("echo 'ERROR: bad line' >&2; exit 1\n") << true
                                      << QStringLiteral("Samba configuration file smb.conf contains errors.");
    QTest::newRow("unreadable file") << QByteArray("exit 0\n") << false << QString();
}

// A refused or unreadable smb.conf stops the start-up before the window, with the box it
// always had, and runs none of the Samba programs.
void TestMainWindowCommands::firstScreenRefused()
{
    QFETCH(QByteArray, checker);
    QFETCH(bool, readable);
    QFETCH(QString, text);
    Sandbox sandbox;
    sandbox.useChecker(checker);
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    if (!readable)
        environment.configPath = sandbox.path(QStringLiteral("missing/smb.conf"));
    MainWindow window(environment);
    BoxDriver driver({QStringLiteral("OK")});
    QVERIFY(!window.loadFirstScreen(MainWindow::startCheck(environment)));

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().icon, QMessageBox::Critical);
    QVERIFY2(driver.last().text.startsWith(QLatin1String("Failed to initialize application.\n")),
             qPrintable(driver.last().text));
    QVERIFY2(driver.last().text.contains(text), qPrintable(driver.last().text));
    QCOMPARE(window.shareModel()->rowCount(), 0);
    QVERIFY(!window.isBackgroundLoading());
    window.startBackgroundLoad();
    QVERIFY(!window.isBackgroundLoading());
    QCOMPARE(sandbox.log(), QStringList());
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
