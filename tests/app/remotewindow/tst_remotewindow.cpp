// The real window as a desktop user, with three servers in one window: this computer (srv1,
// whose backend pkexec starts) and srv2 and srv3 through ssh, each a machine of its own
// (remotewindow.sh prepares them and runs this suite as uid 65534 inside srv1). Every
// server is opened through Startup::openBackend, as the program opens it.
#include "boxdriver.h"
#include "connectionscontroller.h"
#include "modaldriver.h"
#include "serverpage.h"
#include "sharemodel.h"
#include "startup.h"
#include "usersdialog.h"
#include "widgetlookup.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <unistd.h>

namespace {

const uid_t desktopUser = 65534;

QString fixtureDirectory()
{
    return qEnvironmentVariable("SHAREWARD_SSH_DIR");
}

// srvK's smb.conf, as the fixture keeps it; srv1 is this computer.
QString configOf(int server)
{
    return fixtureDirectory() + QStringLiteral("/srv%1/etc/samba/smb.conf").arg(server);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray sha256(const QString &path)
{
    return QCryptographicHash::hash(read(path), QCryptographicHash::Sha256).toHex();
}

ServerAddress addressOf(int server)
{
    if (server == 1)
        return ServerAddress();
    QString problem;
    return ServerAddress::parse(QStringLiteral("srv%1").arg(server), &problem).value_or(ServerAddress());
}

// Asks root, outside this process's rights, through remotewindow.sh's FIFOs.
QStringList askRoot(const QByteArray &request)
{
    const QString probe = qEnvironmentVariable("SHAREWARD_ROOT_PROBE");
    QFile ask(probe + QStringLiteral("/ask"));
    if (!ask.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {};
    ask.write(request + '\n');
    ask.close();
    QFile answer(probe + QStringLiteral("/answer"));
    if (!answer.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(answer.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The backends running on srvK, as "PID UID EUID".
QStringList backendsOn(int server)
{
    QStringList found;
    const QString prefix = QStringLiteral("srv%1 ").arg(server);
    for (const QString &line : askRoot("backends")) {
        if (line.startsWith(prefix))
            found << line.mid(prefix.size());
    }
    return found;
}

// Kills this process's ssh clients of srvK, as a dropped connection ends them; returns how
// many.
int killSshTo(int server)
{
    int killed = 0;
    const QByteArray host = "srv" + QByteArray::number(server);
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        if (read(QStringLiteral("/proc/%1/comm").arg(pid)) != "ssh\n")
            continue;
        const QList<QByteArray> arguments = read(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0');
        if (arguments.contains(host) && ::kill(pid, SIGKILL) == 0)
            ++killed;
    }
    return killed;
}

// The temporary files a save leaves beside srvK's smb.conf while it runs.
QStringList temporaryFilesOf(int server)
{
    return QFileInfo(configOf(server)).dir().entryList({QStringLiteral("smb.conf.shareward-*")}, QDir::Files);
}

QStringList column(QTableView *view, int column)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, column).data().toString();
    return result;
}

Share shareOn(const QString &name)
{
    Share share(name);
    share.setName(name);
    share.setPath(QStringLiteral("/srv/data"));
    share.setComment(QStringLiteral("Added by the window"));
    return share;
}

QStringList boxTexts(const BoxDriver &boxes)
{
    QStringList result;
    for (const BoxDriver::Box &box : boxes.boxes)
        result << box.text + QLatin1Char(' ') + box.informative + QLatin1Char(' ') + box.details;
    return result;
}

} // namespace

class TestRemoteWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void runsAsTheDesktopUser();
    void saveLandsOnItsServer_data();
    void saveLandsOnItsServer();
    void historyRestores_data();
    void historyRestores();
    void connectionsAreLive_data();
    void connectionsAreLive();
    void usersAreTheServers_data();
    void usersAreTheServers();
    void changedHostKeyIsRefused();
    void connectionKilledDuringSave();

private:
    // The row of srvK in the window's list.
    int rowOf(int server) const;
    ServerPage *pageOf(int server) const;
    // Adds srvK again, through the window's Connect path, and waits for its load.
    ServerPage *open(int server);
    void serverTable();

    QTemporaryDir m_settings;
    QString m_sshConfig;
    std::unique_ptr<MainWindow> m_window;
    // smb.conf of each server before the save of saveLandsOnItsServer.
    QMap<int, QByteArray> m_beforeSave;
};

void TestRemoteWindow::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_remotewindow"));
    QVERIFY2(!fixtureDirectory().isEmpty(), "run by remotewindow.sh under sshservers.sh");
    m_sshConfig = qEnvironmentVariable("SHAREWARD_SSH_CONFIG");
    MainWindow::setReviewsChanges(false);
    const QString sshConfig = m_sshConfig;
    m_window = std::make_unique<MainWindow>(MainWindow::Opener(
        [sshConfig](const ServerAddress &address) { return Startup::openBackend(address, sshConfig); }));
    m_window->show();
    for (int server = 1; server <= 3; ++server)
        QVERIFY(open(server));
    QCOMPARE(m_window->servers().size(), 3);
}

void TestRemoteWindow::cleanupTestCase()
{
    m_window.reset();
}

int TestRemoteWindow::rowOf(int server) const
{
    return m_window->servers().indexOf(addressOf(server));
}

ServerPage *TestRemoteWindow::pageOf(int server) const
{
    return m_window->page(rowOf(server));
}

ServerPage *TestRemoteWindow::open(int server)
{
    m_window->openServer(addressOf(server));
    const int row = rowOf(server);
    ServerPage *page = m_window->page(row);
    if (!page) {
        qWarning("srv%d: %s", server, qPrintable(m_window->failureOf(row)));
        return nullptr;
    }
    return page->waitForBackgroundLoad() ? page : nullptr;
}

// The window is the desktop user's; each server's backend is root's, on that server.
void TestRemoteWindow::runsAsTheDesktopUser()
{
    QCOMPARE(::getuid(), desktopUser);
    QCOMPARE(::geteuid(), desktopUser);
    for (int server = 1; server <= 3; ++server) {
        const QStringList backends = backendsOn(server);
        QVERIFY2(!backends.isEmpty(), qPrintable(QStringLiteral("no backend runs on srv%1").arg(server)));
        for (const QString &backend : backends) {
            const QStringList fields = backend.split(QLatin1Char(' '));
            QCOMPARE(fields.size(), 3);
            QCOMPARE(fields.at(1), QStringLiteral("0"));
            QCOMPARE(fields.at(2), QStringLiteral("0"));
        }
    }
}

void TestRemoteWindow::serverTable()
{
    QTest::addColumn<int>("server");
    QTest::newRow("this computer (srv1, pkexec)") << 1;
    QTest::newRow("srv2 (ssh)") << 2;
    QTest::newRow("srv3 (ssh)") << 3;
}

void TestRemoteWindow::saveLandsOnItsServer_data()
{
    serverTable();
}

// A share added and saved lands in its own server's smb.conf, and nowhere else.
void TestRemoteWindow::saveLandsOnItsServer()
{
    QFETCH(int, server);
    m_window->setCurrentServer(rowOf(server));
    ServerPage *page = pageOf(server);
    QVERIFY(page);
    QMap<int, QByteArray> before;
    for (int other = 1; other <= 3; ++other)
        before[other] = sha256(configOf(other));
    m_beforeSave[server] = read(configOf(server));

    const QString name = QStringLiteral("added%1").arg(server);
    page->shareModel()->addShare(shareOn(name));
    page->setModified();
    BoxDriver boxes;
    QVERIFY(page->saveAll());
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxTexts(boxes).join(QLatin1Char('\n'))));
    QVERIFY(!page->isModified());

    const QByteArray after = read(configOf(server));
    QVERIFY2(after.contains("\n[" + name.toUtf8() + "]\n"), after.constData());
    QVERIFY(after.startsWith(m_beforeSave[server]));
    for (int other = 1; other <= 3; ++other) {
        if (other != server)
            QCOMPARE(sha256(configOf(other)), before[other]);
    }
}

void TestRemoteWindow::historyRestores_data()
{
    serverTable();
}

// The history of each server lists its own save, and a restore brings its old file back.
void TestRemoteWindow::historyRestores()
{
    QFETCH(int, server);
    QVERIFY(m_beforeSave.contains(server));
    m_window->setCurrentServer(rowOf(server));
    ServerPage *page = pageOf(server);
    QVERIFY(page);
    QMap<int, QByteArray> before;
    for (int other = 1; other <= 3; ++other)
        before[other] = sha256(configOf(other));

    ModalDriver driver;
    BoxDriver boxes({QStringLiteral("Yes")});
    QStringList summaries;
    driver.then(QStringLiteral("HistoryDialog"), [&](QWidget *dialog) {
        auto *tree = child<QTreeWidget>(*dialog, "treeVersions");
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            summaries << tree->topLevelItem(row)->text(4);
        if (tree->topLevelItemCount() >= 2) {
            tree->setCurrentItem(tree->topLevelItem(1));
            child<QPushButton>(*dialog, "pushButtonRestore")->click();
        }
        static_cast<QDialog *>(dialog)->reject();
    });
    page->historyAction()->trigger();

    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(summaries.size() >= 2, qPrintable(summaries.join(QLatin1Char('|'))));
    QCOMPARE(summaries.first(), QStringLiteral("share added%1 added").arg(server));
    QCOMPARE(boxes.seen(), 1);
    QVERIFY2(boxes.last().text.startsWith(QLatin1String("Restore version")), qPrintable(boxes.last().text));
    QCOMPARE(read(configOf(server)), m_beforeSave[server]);
    QVERIFY(!page->shareModel()->shareNames().contains(QStringLiteral("added%1").arg(server)));
    for (int other = 1; other <= 3; ++other) {
        if (other != server)
            QCOMPARE(sha256(configOf(other)), before[other]);
    }
}

void TestRemoteWindow::connectionsAreLive_data()
{
    serverTable();
}

// The Connections tab reads who is connected to that server's smbd: its own tester.
void TestRemoteWindow::connectionsAreLive()
{
    QFETCH(int, server);
    m_window->setCurrentServer(rowOf(server));
    ServerPage *page = pageOf(server);
    QVERIFY(page);
    auto *connections = page->findChild<ConnectionsController *>();
    QVERIFY(connections);
    auto *sessions = child<QTableView>(*page, "tableSessions");
    child<QTabWidget>(*page, "tabWidget")->setCurrentIndex(2);
    const QString tester = QStringLiteral("tester%1").arg(server);
    QTRY_VERIFY_WITH_TIMEOUT(column(sessions, 0).contains(tester) || !connections->isRefreshing(), 10000);
    if (!column(sessions, 0).contains(tester)) {
        QSignalSpy refreshed(connections, &ConnectionsController::refreshed);
        connections->refresh();
        QVERIFY(refreshed.wait(10000));
    }
    QCOMPARE(column(sessions, 0), QStringList{tester});
    child<QTabWidget>(*page, "tabWidget")->setCurrentIndex(0);
}

void TestRemoteWindow::usersAreTheServers_data()
{
    serverTable();
}

// The Samba users dialog lists the server's users, added there with pdbedit.
void TestRemoteWindow::usersAreTheServers()
{
    QFETCH(int, server);
    m_window->setCurrentServer(rowOf(server));
    QStringList listed;
    bool shown = false;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<UsersDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        reader.stop();
        shown = true;
        listed = texts(child<QListWidget>(*dialog, "listWidgetSambaUsers"));
        dialog->reject();
    });
    reader.start(5);
    m_window->findChild<QAction *>(QStringLiteral("actionSambaUsers"))->trigger();
    QVERIFY(shown);
    QCOMPARE(listed, QStringList{QStringLiteral("tester%1").arg(server)});
}

// srv3 answering with another host key is refused by ssh, and the window says ssh's words;
// nothing on srv3 changes. With its own key again it opens.
void TestRemoteWindow::changedHostKeyIsRefused()
{
    const QString knownHosts = qEnvironmentVariable("SHAREWARD_SSH_KNOWN_HOSTS");
    const QByteArray saved = read(knownHosts);
    QVERIFY(saved.contains("[127.0.0.1]:2203 "));
    const QByteArray srv3 = sha256(configOf(3));

    m_window->setCurrentServer(rowOf(3));
    QVERIFY(m_window->disconnectServer());
    QCOMPARE(rowOf(3), -1);

    const QString key = QDir(qEnvironmentVariable("TMPDIR")).filePath(QStringLiteral("otherkey"));
    QCOMPARE(QProcess::execute(QStringLiteral("ssh-keygen"),
                               {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                QStringLiteral("-N"), QString(), QStringLiteral("-f"), key}),
             0);
    const QList<QByteArray> otherKey = read(key + QStringLiteral(".pub")).split(' ');
    QByteArray changed;
    for (const QByteArray &line : saved.split('\n')) {
        if (line.startsWith("[127.0.0.1]:2203 "))
            changed += "[127.0.0.1]:2203 " + otherKey.value(0) + ' ' + otherKey.value(1) + '\n';
        else if (!line.isEmpty())
            changed += line + '\n';
    }
    {
        QFile file(knownHosts);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(changed);
    }
    m_window->openServer(addressOf(3));
    const int row = rowOf(3);
    QVERIFY(!m_window->page(row));
    QVERIFY2(m_window->failureOf(row).contains(QLatin1String("Host key verification failed")),
             qPrintable(m_window->failureOf(row)));
    QCOMPARE(sha256(configOf(3)), srv3);

    {
        QFile file(knownHosts);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(saved);
    }
    auto *retry = m_window->findChild<QStackedWidget *>(QStringLiteral("serverPages"))
                      ->widget(row)
                      ->findChild<QPushButton *>(QStringLiteral("pushButtonRetry"));
    QVERIFY(retry);
    retry->click();
    QVERIFY(m_window->page(row));
    QVERIFY(m_window->page(row)->waitForBackgroundLoad());
    QCOMPARE(sha256(configOf(3)), srv3);
}

// The ssh connection to srv2 killed while a save runs: the window says the save failed, keeps
// the edits, and srv2's smb.conf is the old or the new file, whole. Opened again, a save works.
void TestRemoteWindow::connectionKilledDuringSave()
{
    m_window->setCurrentServer(rowOf(2));
    ServerPage *page = pageOf(2);
    QVERIFY(page);
    const QByteArray before = read(configOf(2));
    const QByteArray others[] = {sha256(configOf(1)), sha256(configOf(3))};

    // Kills the connection once the save's temporary file is there: testparm judges it.
    std::atomic<bool> stop{false};
    std::atomic<int> killed{0};
    std::thread killer([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stop && std::chrono::steady_clock::now() < until) {
            if (!temporaryFilesOf(2).isEmpty()) {
                killed = killSshTo(2);
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    page->shareModel()->addShare(shareOn(QStringLiteral("killed")));
    page->setModified();
    auto boxes = std::make_unique<BoxDriver>();
    const bool saved = page->saveAll();
    stop = true;
    killer.join();
    const QStringList shown = boxTexts(*boxes);
    boxes.reset();

    QVERIFY2(killed > 0, "the save ended before its temporary file was seen");
    QVERIFY(!saved);
    // Said once, on the page, which offers Reconnect: no box.
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
    QVERIFY2(page->connectionMessage().startsWith(QLatin1String("Connection lost: ")),
             qPrintable(page->connectionMessage()));
    QVERIFY(page->reconnectAction()->isEnabled());
    qInfo("the window said: %s", qPrintable(page->connectionMessage().simplified()));
    QVERIFY(page->isModified());
    QVERIFY(page->shareModel()->shareNames().contains(QStringLiteral("killed")));
    // The list of servers says so too, below srv2's name.
    QListWidgetItem *entry = child<QListWidget>(*m_window, "serverList")->item(rowOf(2));
    QTRY_COMPARE_WITH_TIMEOUT(entry->text().section(QLatin1Char('\n'), 1), QStringLiteral("Connection lost"),
                              5000);

    // The backend finishes what it started, then ends with its input.
    QTRY_VERIFY_WITH_TIMEOUT(backendsOn(2).isEmpty(), 15000);
    const QByteArray after = read(configOf(2));
    QVERIFY2(after == before || (after.startsWith(before) && after.mid(before.size()).contains("[killed]\n")),
             after.constData());
    qInfo("srv2's smb.conf after the kill: the %s file", after == before ? "old" : "new");
    QVERIFY2(temporaryFilesOf(2).isEmpty(), qPrintable(temporaryFilesOf(2).join(QLatin1Char(' '))));
    QCOMPARE(sha256(configOf(1)), others[0]);
    QCOMPARE(sha256(configOf(3)), others[1]);

    // Reconnect, through ssh again, tells which file the save left.
    page->reconnectAction()->trigger();
    QVERIFY(page->isConnected());
    const QString verdict =
        after == before ? QStringLiteral("which was not installed") : QStringLiteral("which was installed");
    QVERIFY2(page->connectionMessage().contains(verdict), qPrintable(page->connectionMessage()));
    QCOMPARE(page->isModified(), after == before);
    page->shareModel()->addShare(shareOn(QStringLiteral("afterreconnect")));
    page->setModified();

    // Disconnect gives the edits up; opened again, srv2 saves.
    {
        BoxDriver discard({QStringLiteral("Discard")});
        QVERIFY(m_window->disconnectServer());
        QCOMPARE(discard.seen(), 1);
    }
    page = open(2);
    QVERIFY(page);
    m_window->setCurrentServer(rowOf(2));
    page->shareModel()->addShare(shareOn(QStringLiteral("reconnected")));
    page->setModified();
    BoxDriver none;
    QVERIFY(page->saveAll());
    QVERIFY2(none.boxes.isEmpty(), qPrintable(boxTexts(none).join(QLatin1Char('\n'))));
    QVERIFY(read(configOf(2)).contains("\n[reconnected]\n"));
}

QTEST_MAIN(TestRemoteWindow)
#include "tst_remotewindow.moc"
