// The window's Connections tab and status bar against the sandbox's fake smbstatus, which
// prints the JSON a test writes, and its fake smbcontrol, which logs what it is told.
#include "boxdriver.h"
#include "connectionscontroller.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace {

// smbstatus --json for alice (smbd process 4001, a file open in data) and bob (4002), both
// in data; either may be left out.
QByteArray statusJson(bool alice, bool bob)
{
    const char *const aliceSession =
        R"("11": {"server_id": {"pid": "4001"}, "username": "alice", "groupname": "staff",
                  "remote_machine": "pc1", "hostname": "ipv4:192.0.2.5:50000", "session_dialect": "SMB3_11"})";
    const char *const bobSession =
        R"("12": {"server_id": {"pid": "4002"}, "username": "bob", "groupname": "staff",
                  "remote_machine": "192.0.2.9", "hostname": "ipv4:192.0.2.9:50001", "session_dialect": "SMB3_11"})";
    const char *const aliceTcon =
        R"("110": {"service": "data", "server_id": {"pid": "4001"}, "session_id": "11",
                  "machine": "pc1", "connected_at": "2026-01-05T10:00:00.000000+00:00"})";
    const char *const bobTcon =
        R"("120": {"service": "data", "server_id": {"pid": "4002"}, "session_id": "12",
                  "machine": "192.0.2.9", "connected_at": "2026-01-05T11:00:00.000000+00:00"})";
    const char *const aliceFile =
        R"("@DIR@/data/report.odt": {"opens": {"4001/1": {"server_id": {"pid": "4001"},
                  "uid": 0, "access_mask": {"hex": "0x3"}, "oplock": {"text": "BATCH"}}}})";
    QByteArrayList sessions;
    QByteArrayList tcons;
    if (alice) {
        sessions << aliceSession;
        tcons << aliceTcon;
    }
    if (bob) {
        sessions << bobSession;
        tcons << bobTcon;
    }
    return "{\"sessions\": {" + sessions.join(", ") + "}, \"tcons\": {" + tcons.join(", ")
        + "}, \"open_files\": {" + (alice ? aliceFile : "") + "}}";
}

ConnectionsController *controller(MainWindow &window)
{
    auto *found = window.findChild<ConnectionsController *>();
    if (!found)
        qFatal("no connections controller");
    return found;
}

// Refreshes through the window's action once no read runs; false when no read came back.
bool refreshed(MainWindow &window)
{
    ConnectionsController *connections = controller(window);
    if (!QTest::qWaitFor([connections] { return !connections->isRefreshing(); }))
        return false;
    QSignalSpy spy(connections, &ConnectionsController::refreshed);
    action(window, "actionRefresh")->trigger();
    return spy.wait(5000);
}

QString label(MainWindow &window, const char *name)
{
    return child<QLabel>(window, name)->text();
}

QStringList cells(MainWindow &window, const char *table, int row)
{
    const QAbstractItemModel *model = child<QTableView>(window, table)->model();
    QStringList result;
    for (int column = 0; column < model->columnCount(); ++column)
        result << model->index(row, column).data().toString();
    return result;
}

int runs(const Sandbox &sandbox, const QString &line)
{
    return sandbox.log().count(line);
}

} // namespace

class TestMainWindowConnections : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { MainWindow::setReviewsChanges(false); }
    void tabShowsRecords();
    void smbdNotRunning();
    void smbdStoppedLooksIdle();
    void refreshOnF5();
    void timerOnlyWhileShown();
    void disconnectOnOtherClusterNode();
    void commands_data();
    void commands();
    void deleteShareInUse_data();
    void deleteShareInUse();
    void configState();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowConnections::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowconnections"));
}

void TestMainWindowConnections::tabShowsRecords()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, true));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    auto *tabs = child<QTabWidget>(window, "tabWidget");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(2), QStringLiteral("Connections"));
    QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("tabConnections"));
    QCOMPARE(label(window, "labelNmbd"), QStringLiteral("nmbd not checked"));

    QSignalSpy spy(controller(window), &ConnectionsController::refreshed);
    tabs->setCurrentIndex(2);
    QVERIFY(spy.wait(5000));
    QCOMPARE(cells(window, "tableSessions", 0).mid(0, 5),
             (QStringList{QStringLiteral("alice"), QStringLiteral("staff"), QStringLiteral("pc1"),
                          QStringLiteral("192.0.2.5"), QStringLiteral("SMB3_11")}));
    QCOMPARE(cells(window, "tableSessions", 1).first(), QStringLiteral("bob"));
    QCOMPARE(cells(window, "tableConnections", 1).mid(0, 3),
             (QStringList{QStringLiteral("data"), QStringLiteral("bob"), QStringLiteral("192.0.2.9")}));
    // The share is told from the window's share paths.
    QCOMPARE(cells(window, "tableOpenFiles", 0),
             (QStringList{QStringLiteral("data"), sandbox.path(QStringLiteral("data/report.odt")),
                          QStringLiteral("root"), QStringLiteral("read/write"), QStringLiteral("BATCH")}));
    QCOMPARE(label(window, "labelSmbd"), QStringLiteral("smbd running"));
    QCOMPARE(label(window, "labelNmbd"), QStringLiteral("nmbd running"));
    QCOMPARE(label(window, "labelSessions"), QStringLiteral("2 sessions"));
    // No share is selected while the tab is shown.
    QVERIFY(!action(window, "actionDeleteShare")->isEnabled());
}

void TestMainWindowConnections::smbdNotRunning()
{
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    window.initialLoad();
    window.show();
    child<QTabWidget>(window, "tabWidget")->setCurrentIndex(2);
    QVERIFY(refreshed(window));
    auto *notRunning = child<QLabel>(window, "labelNotRunning");
    QVERIFY(notRunning->isVisible());
    QVERIFY(!child<QTableView>(window, "tableSessions")->isVisible());
    QCOMPARE(notRunning->text(),
             QStringLiteral("smbd is not running: %1/lock/locking.tdb not initialised")
                 .arg(QFileInfo(sandbox.configPath()).path()));
    QCOMPARE(label(window, "labelSmbd"), QStringLiteral("smbd stopped"));
    QCOMPARE(label(window, "labelSessions"), QStringLiteral("no sessions"));
}

// After smbd stopped, smbstatus reports an idle server; systemd's word shows it stopped.
void TestMainWindowConnections::smbdStoppedLooksIdle()
{
    Sandbox sandbox;
    sandbox.setServerStatus(statusJson(false, false));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    window.show();
    child<QTabWidget>(window, "tabWidget")->setCurrentIndex(2);
    QVERIFY(refreshed(window));
    QVERIFY(child<QLabel>(window, "labelNotRunning")->isVisible());
    QCOMPARE(child<QLabel>(window, "labelNotRunning")->text(),
             QStringLiteral("smbd is not running: systemd reports it stopped"));
    QCOMPARE(label(window, "labelSessions"), QStringLiteral("no sessions"));
}

// F5 reads again from any tab, without the timer.
void TestMainWindowConnections::refreshOnF5()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, false));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(action(window, "actionRefresh")->shortcut(), QKeySequence(QKeySequence::Refresh));
    QSignalSpy spy(controller(window), &ConnectionsController::refreshed);
    QTest::keyClick(&window, Qt::Key_F5);
    QVERIFY(spy.wait(5000));
    QCOMPARE(label(window, "labelSessions"), QStringLiteral("1 session"));
    sandbox.setServerStatus(statusJson(true, true));
    QTest::keyClick(&window, Qt::Key_F5);
    QVERIFY(spy.wait(5000));
    QCOMPARE(label(window, "labelSessions"), QStringLiteral("2 sessions"));
    QCOMPARE(runs(sandbox, QStringLiteral("smbstatus --json")), 2);
    QCOMPARE(child<QTableView>(window, "tableSessions")->model()->rowCount(), 2);
}

void TestMainWindowConnections::timerOnlyWhileShown()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, true));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    auto *timer = window.findChild<QTimer *>(QStringLiteral("connectionsRefreshTimer"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 5000);
    QVERIFY(!timer->isActive());
    auto *tabs = child<QTabWidget>(window, "tabWidget");
    tabs->setCurrentIndex(1);
    QVERIFY(!timer->isActive());

    tabs->setCurrentIndex(2);
    QVERIFY(timer->isActive());
    timer->setInterval(100);
    const QString read = QStringLiteral("smbstatus --json");
    QTRY_VERIFY(runs(sandbox, read) >= 3);
    tabs->setCurrentIndex(0);
    QVERIFY(!timer->isActive());
    QTRY_VERIFY(!controller(window)->isRefreshing());
    const int count = runs(sandbox, read);
    QTest::qWait(400);
    QCOMPARE(runs(sandbox, read), count);
}

// A session smbstatus lists on another node of a cluster is not ended by its process number here.
void TestMainWindowConnections::disconnectOnOtherClusterNode()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, true)
                                .replace(R"("11": {"server_id": {"pid": "4001"})",
                                         R"("11": {"server_id": {"pid": "4001", "vnn": "2"})"));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    child<QTabWidget>(window, "tabWidget")->setCurrentIndex(2);
    QVERIFY(refreshed(window));
    child<QTableView>(window, "tableSessions")->selectRow(0); // alice's
    sandbox.clearLog();

    BoxDriver boxes({QStringLiteral("Disconnect")});
    child<QPushButton>(window, "pushButtonDisconnect")->click();
    QTRY_COMPARE(boxes.seen(), 2);
    QCOMPARE(boxes.last().title, QStringLiteral("Error"));
    QCOMPARE(boxes.last().text,
             QStringLiteral("smbd process 4001 runs on cluster node 2. End it on that node."));
    QCOMPARE(sandbox.log().filter(QRegularExpression(QStringLiteral("^smbcontrol"))), QStringList());
}

void TestMainWindowConnections::commands_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("gone"); // whether the next read lacks alice
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::newRow("disconnect") << "tableSessions"
                                << "pushButtonDisconnect"
                                << "Disconnect" << true << "smbcontrol 4001 shutdown"
                                << "The clients of smbd process 4001 are disconnected.";
    QTest::newRow("disconnect, session stays") << "tableOpenFiles"
                                               << "pushButtonDisconnect"
                                               << "Disconnect" << false << "smbcontrol 4001 shutdown"
                                               << "smbd process 4001 still serves alice on pc1 (192.0.2.5).";
    QTest::newRow("disconnect cancelled") << "tableSessions"
                                          << "pushButtonDisconnect"
                                          << "Cancel" << false << QString() << QString();
    QTest::newRow("close share") << "tableConnections"
                                 << "pushButtonCloseShare"
                                 << "Close share" << true << "smbcontrol smbd close-share data"
                                 << "Still connected to the share data: bob on 192.0.2.9.";
    QTest::newRow("close share cancelled") << "tableConnections"
                                           << "pushButtonCloseShare"
                                           << "Cancel" << false << QString() << QString();
}

// A command runs smbcontrol after its box, reads again, and says whether it ended what it
// was meant to.
void TestMainWindowConnections::commands()
{
    QFETCH(QString, table);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(bool, gone);
    QFETCH(QString, command);
    QFETCH(QString, message);
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, true));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    child<QTabWidget>(window, "tabWidget")->setCurrentIndex(2);
    QVERIFY(refreshed(window));
    child<QTableView>(window, qPrintable(table))->selectRow(0); // alice's rows
    sandbox.clearLog();

    BoxDriver boxes({answer});
    child<QPushButton>(window, qPrintable(button))->click();
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(boxes.last().title,
             button.endsWith(QLatin1String("Disconnect")) ? QStringLiteral("Disconnect client")
                                                          : QStringLiteral("Close share"));
    if (gone)
        sandbox.setServerStatus(statusJson(false, true));
    const QStringList control = sandbox.log().filter(QRegularExpression(QStringLiteral("^smbcontrol")));
    QCOMPARE(control, command.isEmpty() ? QStringList() : QStringList{command});
    if (!message.isEmpty())
        QTRY_COMPARE(window.statusBar()->currentMessage(), message);
    QCOMPARE(boxes.seen(), 1);
}

void TestMainWindowConnections::deleteShareInUse_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("control");
    QTest::newRow("in use") << 0
                            << QStringLiteral(
                                   "Are you sure to delete share: \"data\"?\nIt is in use by alice, bob, "
                                   "who are disconnected from it once the deletion is saved.")
                            << QStringList{QStringLiteral("smbcontrol smbd reload-config"),
                                           QStringLiteral("smbcontrol nmbd reload-config"),
                                           QStringLiteral("smbcontrol smbd close-share data")};
    QTest::newRow("not in use") << 1 << QStringLiteral("Are you sure to delete share: \"printers\"?")
                                << QStringList{QStringLiteral("smbcontrol smbd reload-config"),
                                               QStringLiteral("smbcontrol nmbd reload-config")};
}

// The question names who uses the share; the save that removes it has them disconnected
// after the services read the new smb.conf.
void TestMainWindowConnections::deleteShareInUse()
{
    QFETCH(int, tab);
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    sandbox.setServerStatus(statusJson(true, true));
    MainWindow window(sandbox.environment());
    window.initialLoad();
    QVERIFY(refreshed(window));
    child<QTabWidget>(window, "tabWidget")->setCurrentIndex(tab);
    child<QTableView>(window, tab == 0 ? "tableViewShares" : "tableViewPrinters")->selectRow(0);
    BoxDriver boxes({QStringLiteral("OK")});
    action(window, "actionDeleteShare")->trigger();
    QCOMPARE(boxes.seen(), 1);
    QTEST(boxes.last().text, "text");
    sandbox.clearLog();

    QVERIFY(window.saveAll());
    QTEST(sandbox.log().filter(QRegularExpression(QStringLiteral("^smbcontrol"))), "control");
    // Done once: the next save closes nothing.
    sandbox.clearLog();
    window.currentSettings().global()->setServerString(QStringLiteral("changed"));
    window.setModified();
    QVERIFY(window.saveAll());
    QCOMPARE(sandbox.log().filter(QStringLiteral("close-share")), QStringList());
}

// The status bar's smb.conf field says whether there are unsaved edits and whether another
// program changed the file since it was loaded; a rewrite of the same bytes is no change.
void TestMainWindowConnections::configState()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    const QString path = sandbox.configPath();
    QCOMPARE(label(window, "labelConfig"), path);
    QCOMPARE(label(window, "labelSmbd"), QStringLiteral("smbd running"));
    window.setModified();
    QCOMPARE(label(window, "labelConfig"), path + QStringLiteral(" (modified)"));

    const QByteArray loaded = sandbox.config();
    QTest::qWait(20); // a new modification time
    sandbox.write(QStringLiteral("smb.conf"), loaded);
    QVERIFY(refreshed(window));
    QCOMPARE(label(window, "labelConfig"), path + QStringLiteral(" (modified)"));
    sandbox.append(QStringLiteral("smb.conf"), "[other]\n   path = /tmp\n");
    QVERIFY(refreshed(window));
    QCOMPARE(label(window, "labelConfig"), path + QStringLiteral(" (modified, changed on disk)"));

    BoxDriver boxes({QStringLiteral("Reload")});
    QVERIFY(!window.saveAll());
    QCOMPARE(label(window, "labelConfig"), path);

    action(window, "actionStop")->trigger();
    QCOMPARE(label(window, "labelSmbd"), QStringLiteral("smbd stopped"));
    QCOMPARE(label(window, "labelNmbd"), QStringLiteral("nmbd stopped"));
}

QTEST_MAIN(TestMainWindowConnections)
#include "tst_mainwindowconnections.moc"
