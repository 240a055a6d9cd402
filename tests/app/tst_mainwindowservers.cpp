// Several servers in one window: each page keeps its own configuration, the shell's title,
// status bar and actions follow the page shown, and Quit, Disconnect and a failed connection
// treat each server on its own.
#include "boxdriver.h"
#include "connectdialog.h"
#include "localconfigsession.h"
#include "rememberedservers.h"
#include "serverpage.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>

#include <map>
#include <stdexcept>

namespace {

const char *const otherConfig = "[global]\n"
                                "   workgroup = OTHERGROUP\n"
                                "[projects]\n"
                                "   path = @DIR@/data\n";

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

ServerAddress address(const QString &text)
{
    QString problem;
    const std::optional<ServerAddress> parsed = ServerAddress::parse(text, &problem);
    return parsed.value_or(ServerAddress());
}

// A server whose connection breaks when the test says so.
class LosableServer : public LocalServer
{
public:
    LosableServer(const Programs &programs, const bool &lost)
        : LocalServer(programs)
        , m_lost(lost)
    {
    }
    bool connectionLost() const override { return m_lost; }

private:
    const bool &m_lost;
};

// A configuration whose backend is gone: every request fails.
class LostSession : public LocalConfigSession
{
public:
    using LocalConfigSession::LocalConfigSession;
    TestParmResult check() override { throw std::runtime_error(sentence); }
    void setHistoryKeep(int) override { throw std::runtime_error(sentence); }

    static constexpr const char *sentence = "The backend on files ended during the conversation.";
};

// A server whose connection breaks as soon as it is opened.
class LostAtOnceServer : public LocalServer
{
public:
    explicit LostAtOnceServer(const Programs &programs)
        : LocalServer(programs)
        , m_session(LocalConfigSession::Environment{programs.configPath, programs.testparm, programs.net,
                                                    programs.lockDirectory, programs.historyDirectory,
                                                    programs.historyProgram})
    {
    }
    ConfigSession &config() override { return m_session; }

private:
    LostSession m_session;
};

// Two servers on their own sandboxes: this computer and "files"; opening "broken" fails
// until a test allows it.
class TwoServers
{
public:
    TwoServers()
    {
        m_other.writeConfig(otherConfig);
        MainWindow::setReviewsChanges(false);
    }

    MainWindow::Opener opener()
    {
        return [this](const ServerAddress &server) -> std::unique_ptr<Server> {
            ++opened;
            if (server.text() == QLatin1String("broken") && !reachable)
                throw std::runtime_error("ssh: Could not resolve hostname broken: Name or service not known");
            if (lostAtOnce && !server.isLocal())
                return std::make_unique<LostAtOnceServer>(m_other.environment());
            return std::make_unique<LosableServer>(
                server.isLocal() ? local.environment() : m_other.environment(), lost);
        };
    }

    // The window with both servers open and loaded.
    void open(MainWindow &window)
    {
        window.openServer(ServerAddress());
        window.openServer(address(QStringLiteral("files")));
        for (int row = 0; row < 2; ++row) {
            QVERIFY(window.page(row));
            QVERIFY(window.page(row)->waitForBackgroundLoad());
        }
    }

    Sandbox &other() { return m_other; }

    Sandbox local;
    int opened = 0;
    bool reachable = false;
    bool lost = false;
    bool lostAtOnce = false;

private:
    Sandbox m_other;
};

QWidget *shownPage(MainWindow &window)
{
    return window.findChild<QStackedWidget *>(QStringLiteral("serverPages"))->currentWidget();
}

// The label of the status bar's fields that is shown, by name.
QString shownField(MainWindow &window, const QString &name)
{
    for (QLabel *label : window.statusBar()->findChildren<QLabel *>(name)) {
        if (label->isVisibleTo(&window))
            return label->text();
    }
    return QString();
}

QStringList shownShares(MainWindow &window)
{
    auto *view = shownPage(window)->findChild<QTableView *>(QStringLiteral("tableViewShares"));
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        names << view->model()->index(row, ShareModel::NameColumn).data().toString();
    return names;
}

// Works the modal dialog of type T once it opens.
template<typename T>
class DialogDriver : public QObject
{
public:
    explicit DialogDriver(std::function<void(T &)> work)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, work] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || opened)
                return;
            opened = true;
            work(*dialog);
        });
        m_timer.start(5);
    }

    bool opened = false;

private:
    QTimer m_timer;
};

QString entryText(MainWindow &window, int row)
{
    return window.findChild<QListWidget *>(QStringLiteral("serverList"))->item(row)->text();
}

} // namespace

class TestMainWindowServers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void saveTouchesOneServer();
    void switchingFollowsThePage();
    void quitAsksPerServer_data();
    void quitAsksPerServer();
    void disconnectAsks_data();
    void disconnectAsks();
    void disconnectKeepsTheOthers();
    void serversAreRemembered();
    void lostConnectionIsShown();
    void connectOpensTheServer();
    void lostWhileOpened();
    void historyKeepIsEveryServers();
    void failedOpenCanBeRetried();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowServers::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowservers"));
}

void TestMainWindowServers::init()
{
    RememberedServers::save({});
}

// A save writes its own server's smb.conf and leaves the other's file and edits alone.
void TestMainWindowServers::saveTouchesOneServer()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    const QByteArray otherBefore = sha256(servers.other().config());
    const QByteArray localBefore = sha256(servers.local.config());

    window.setCurrentServer(1);
    window.currentSettings().global()->setWorkgroup(QStringLiteral("EDITED"));
    window.setModified();
    window.setCurrentServer(0);
    QVERIFY(!window.isModified());
    Share share(QStringLiteral("added"));
    share.setName(QStringLiteral("added"));
    share.setPath(servers.local.path(QStringLiteral("data")));
    window.shareModel()->addShare(share);
    window.setModified();
    QVERIFY(action(window, "actionSave")->isEnabled());
    action(window, "actionSave")->trigger();

    QVERIFY(!window.isModified());
    QVERIFY(sha256(servers.local.config()) != localBefore);
    QVERIFY(servers.local.config().contains("[added]"));
    QCOMPARE(sha256(servers.other().config()), otherBefore);
    QVERIFY(window.page(1)->isModified());
    QCOMPARE(window.page(1)->currentSettings().global()->workgroup(), QStringLiteral("EDITED"));
    QVERIFY(entryText(window, 1).contains(QLatin1String(" *")));
    QVERIFY(!entryText(window, 0).contains(QLatin1String(" *")));
}

// The page, the title, the status bar and the actions follow the server chosen.
void TestMainWindowServers::switchingFollowsThePage()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    window.show();
    window.page(1)->setModified();
    const QString files = address(QStringLiteral("files")).displayName();

    window.setCurrentServer(0);
    QVERIFY(shownShares(window).contains(QStringLiteral("data")));
    QVERIFY(!shownShares(window).contains(QStringLiteral("projects")));
    QCOMPARE(window.windowTitle(), QStringLiteral("This computer[*] \u2014 Shareward"));
    QVERIFY(!window.isWindowModified());
    QVERIFY(!action(window, "actionSave")->isEnabled());
    QCOMPARE(shownField(window, QStringLiteral("labelServer")), QStringLiteral("This computer"));
    QCOMPARE(shownField(window, QStringLiteral("labelConfig")), servers.local.configPath());
    QVERIFY(entryText(window, 0).startsWith(QLatin1String("This computer\n")));
    QVERIFY(entryText(window, 0).endsWith(QLatin1String("Connected")));

    window.setCurrentServer(1);
    QCOMPARE(shownShares(window), QStringList{QStringLiteral("projects")});
    QCOMPARE(window.windowTitle(), files + QStringLiteral("[*] \u2014 Shareward"));
    QVERIFY(window.isWindowModified());
    QVERIFY(action(window, "actionSave")->isEnabled());
    QCOMPARE(shownField(window, QStringLiteral("labelServer")), files);
    QCOMPARE(shownField(window, QStringLiteral("labelConfig")),
             servers.other().configPath() + QStringLiteral(" (modified)"));
    QVERIFY(entryText(window, 1).startsWith(files + QStringLiteral(" *\n")));
    // The server's own history and registry commands are in the menus, once.
    QCOMPARE(window.findChildren<QAction *>(QStringLiteral("actionHistory")).size(), 2);
    int inMenus = 0;
    for (QWidget *widget : window.page(1)->historyAction()->associatedWidgets())
        inMenus += qobject_cast<QMenu *>(widget) ? 1 : 0;
    QCOMPARE(inMenus, 1);
    for (QWidget *widget : window.page(0)->historyAction()->associatedWidgets())
        QVERIFY(!qobject_cast<QMenu *>(widget));
}

void TestMainWindowServers::quitAsksPerServer_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("localSaved");
    QTest::newRow("exit both") << QStringList{QStringLiteral("Exit"), QStringLiteral("Exit")} << 2 << true
                               << false;
    QTest::newRow("cancel on the second")
        << QStringList{QStringLiteral("Exit"), QStringLiteral("Cancel")} << 2 << false << false;
    QTest::newRow("cancel on the first") << QStringList{QStringLiteral("Cancel")} << 1 << false << false;
    QTest::newRow("save the first, exit the second")
        << QStringList{QStringLiteral("Save and Exit"), QStringLiteral("Exit")} << 2 << true << true;
}

// Quit asks about each server with unsaved changes, naming it; Cancel keeps the window.
void TestMainWindowServers::quitAsksPerServer()
{
    QFETCH(QStringList, answers);
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    window.show();
    for (int row = 0; row < 2; ++row) {
        window.page(row)->currentSettings().global()->setWorkgroup(QStringLiteral("EDITED"));
        window.page(row)->setModified();
    }
    const QByteArray localBefore = servers.local.config();
    const QByteArray otherBefore = servers.other().config();

    BoxDriver driver(answers);
    action(window, "actionQuit")->trigger();

    QTEST(driver.seen(), "asked");
    QVERIFY(!driver.unanswered);
    QVERIFY(driver.boxes.first().informative.contains(QLatin1String("This computer")));
    if (driver.seen() > 1)
        QVERIFY(driver.boxes.at(1).informative.contains(address(QStringLiteral("files")).displayName()));
    QTEST(!window.isVisible(), "closed");
    QTEST(servers.local.config() != localBefore, "localSaved");
    QCOMPARE(servers.other().config(), otherBefore);
    QVERIFY(window.page(1)->isModified());
}

void TestMainWindowServers::disconnectAsks_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<bool>("saved");
    QTest::newRow("nothing changed") << false << QString() << 0 << true << false;
    QTest::newRow("cancel") << true << QStringLiteral("Cancel") << 1 << false << false;
    QTest::newRow("discard") << true << QStringLiteral("Discard") << 1 << true << false;
    QTest::newRow("save") << true << QStringLiteral("Save") << 1 << true << true;
}

// Disconnect asks to save the server's unsaved changes first, then forgets the server.
void TestMainWindowServers::disconnectAsks()
{
    QFETCH(bool, modified);
    QFETCH(QString, answer);
    QFETCH(bool, gone);
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    window.show();
    window.setCurrentServer(1);
    if (modified) {
        window.currentSettings().global()->setWorkgroup(QStringLiteral("EDITED"));
        window.setModified();
    }
    const QByteArray before = servers.other().config();

    BoxDriver driver(answer.isEmpty() ? QStringList() : QStringList{answer});
    QCOMPARE(window.disconnectServer(), gone);

    QTEST(driver.seen(), "asked");
    QVERIFY(!driver.unanswered);
    if (driver.seen()) {
        // In the order of the desktop's button layout.
        QStringList buttons = driver.last().buttons;
        buttons.sort();
        QCOMPARE(buttons,
                 (QStringList{QStringLiteral("Cancel"), QStringLiteral("Discard"), QStringLiteral("Save")}));
        QVERIFY(driver.last().text.contains(address(QStringLiteral("files")).displayName()));
    }
    QTEST(servers.other().config() != before, "saved");
    QCOMPARE(window.servers().size(), gone ? 1 : 2);
    QCOMPARE(RememberedServers::load().size(), gone ? 1 : 2);
    // The server's fields leave the status bar with it.
    QCOMPARE(window.statusBar()->findChildren<QLabel *>(QStringLiteral("labelServer")).size(), gone ? 1 : 2);
    QCOMPARE(window.statusBar()->findChildren<QLabel *>(QStringLiteral("labelSmbd")).size(), gone ? 1 : 2);
    if (gone) {
        QCOMPARE(window.windowTitle(), QStringLiteral("This computer[*] \u2014 Shareward"));
        QCOMPARE(shownField(window, QStringLiteral("labelServer")), QStringLiteral("This computer"));
        QVERIFY(shownShares(window).contains(QStringLiteral("data")));
        QCOMPARE(window.findChildren<QAction *>(QStringLiteral("actionHistory")).size(), 1);
    }
}

// Disconnecting a server above another one shows the one that moves up in its place.
void TestMainWindowServers::disconnectKeepsTheOthers()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    window.show();
    window.setCurrentServer(0);

    QVERIFY(window.disconnectServer());

    QCOMPARE(window.servers(), QList<ServerAddress>{address(QStringLiteral("files"))});
    QCOMPARE(window.currentPage(), window.page(0));
    QCOMPARE(window.windowTitle(),
             QStringLiteral("%1[*] \u2014 Shareward").arg(address(QStringLiteral("files")).displayName()));
    QVERIFY(shownShares(window).contains(QStringLiteral("projects")));
    QCOMPARE(window.findChildren<QAction *>(QStringLiteral("actionHistory")).size(), 1);
}

// The servers shown are kept in the settings, in order, failed ones included.
void TestMainWindowServers::serversAreRemembered()
{
    const QList<ServerAddress> kept{ServerAddress(), address(QStringLiteral("admin@files:2222")),
                                    address(QStringLiteral("[fd00::5]:22"))};
    RememberedServers::save(kept);
    QCOMPARE(RememberedServers::load(), kept);
    QCOMPARE(QSettings().value(QStringLiteral("Servers/shown")).toStringList(),
             (QStringList{QStringLiteral("local"), QStringLiteral("admin@files:2222"),
                          QStringLiteral("[fd00::5]:22")}));
    // A text that names no server any more is left out.
    QSettings().setValue(QStringLiteral("Servers/shown"),
                         QStringList{QStringLiteral("-oProxyCommand=x"), QStringLiteral("files")});
    QCOMPARE(RememberedServers::load(), QList<ServerAddress>{address(QStringLiteral("files"))});

    RememberedServers::save({});
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    window.openServer(address(QStringLiteral("broken")));
    QCOMPARE(RememberedServers::load(),
             (QList<ServerAddress>{ServerAddress(), address(QStringLiteral("files")),
                                   address(QStringLiteral("broken"))}));
    // A server already shown is only chosen again.
    window.openServer(address(QStringLiteral("files")));
    QCOMPARE(window.servers().size(), 3);
    QCOMPARE(servers.opened, 3);
}

// A server whose backend ended is marked in the list.
void TestMainWindowServers::lostConnectionIsShown()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    QVERIFY(entryText(window, 1).endsWith(QLatin1String("\nConnected")));
    servers.lost = true;
    QTRY_COMPARE_WITH_TIMEOUT(entryText(window, 1).section(QLatin1Char('\n'), 1),
                              QStringLiteral("Connection lost"), 5000);
}

// File > Connect to a Server... opens the server named and shows it.
void TestMainWindowServers::connectOpensTheServer()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    window.openServer(ServerAddress());
    QVERIFY(window.page(0)->waitForBackgroundLoad());
    DialogDriver<ConnectDialog> driver([](ConnectDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("hostEdit"))->setText(QStringLiteral("files"));
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    QVERIFY(action(window, "actionConnect")->isEnabled());
    action(window, "actionConnect")->trigger();

    QVERIFY(driver.opened);
    QCOMPARE(window.servers(), (QList<ServerAddress>{ServerAddress(), address(QStringLiteral("files"))}));
    QCOMPARE(window.currentPage(), window.page(1));
    QVERIFY(window.waitForBackgroundLoad());
    QCOMPARE(shownShares(window), QStringList{QStringLiteral("projects")});
    QCOMPARE(RememberedServers::load(), window.servers());
}

// A server whose connection breaks while its page is made and loaded shows why, like one
// that could not be reached.
void TestMainWindowServers::lostWhileOpened()
{
    TwoServers servers;
    servers.lostAtOnce = true;
    MainWindow window(servers.opener());
    window.openServer(ServerAddress());
    window.openServer(address(QStringLiteral("files")));
    QCOMPARE(window.failureOf(1), QString::fromLatin1(LostSession::sentence));
    QVERIFY(!window.page(1));
    QVERIFY(entryText(window, 1).endsWith(QLatin1String("Not connected")));
    QVERIFY(window.page(0));
    QCOMPARE(window.findChildren<QAction *>(QStringLiteral("actionHistory")).size(), 1);
}

// How many versions the history keeps is the user's setting: set on one server, every
// server's history keeps that many.
void TestMainWindowServers::historyKeepIsEveryServers()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    servers.open(window);
    DialogDriver<QInputDialog> driver([](QInputDialog &dialog) {
        dialog.setIntValue(1);
        dialog.accept();
    });
    window.page(0)->keepAction()->trigger();
    QVERIFY(driver.opened);

    window.setCurrentServer(1);
    for (const char *workgroup : {"FIRST", "SECOND", "THIRD"}) {
        window.currentSettings().global()->setWorkgroup(QLatin1String(workgroup));
        window.setModified();
        QVERIFY(window.saveAll());
    }
    int kept = 0;
    for (const ConfigHistory::Version &version : window.page(1)->server().config().versions())
        kept += version.file == servers.other().configPath() ? 1 : 0;
    QCOMPARE(kept, 1);
}

// A server that cannot be reached shows why, and Try Again opens it once it can be.
void TestMainWindowServers::failedOpenCanBeRetried()
{
    TwoServers servers;
    MainWindow window(servers.opener());
    window.openServer(address(QStringLiteral("broken")));
    const QString sentence =
        QStringLiteral("ssh: Could not resolve hostname broken: Name or service not known");
    QCOMPARE(window.failureOf(0), sentence);
    QVERIFY(!window.page(0));
    QVERIFY(!window.currentPage());
    QVERIFY(entryText(window, 0).endsWith(QLatin1String("Not connected")));
    auto *label = shownPage(window)->findChild<QLabel *>(QStringLiteral("labelFailure"));
    QVERIFY(label);
    QVERIFY(label->text().contains(sentence));
    QVERIFY(!action(window, "actionSave")->isEnabled());
    QVERIFY(!action(window, "actionAddShare")->isEnabled());
    QVERIFY(action(window, "actionDisconnect")->isEnabled());

    auto *retry = shownPage(window)->findChild<QPushButton *>(QStringLiteral("pushButtonRetry"));
    QVERIFY(retry);
    retry->click();
    QCOMPARE(window.failureOf(0), sentence);
    QCOMPARE(servers.opened, 2);

    servers.reachable = true;
    shownPage(window)->findChild<QPushButton *>(QStringLiteral("pushButtonRetry"))->click();
    QVERIFY(window.failureOf(0).isEmpty());
    QVERIFY(window.page(0));
    QCOMPARE(window.currentPage(), window.page(0));
    QVERIFY(window.waitForBackgroundLoad());
    QTRY_VERIFY(entryText(window, 0).endsWith(QLatin1String("Connected")));
    QVERIFY(window.shareModel()->shareNames().contains(QStringLiteral("projects")));
    QVERIFY(action(window, "actionAddShare")->isEnabled());
}

QTEST_MAIN(TestMainWindowServers)
#include "tst_mainwindowservers.moc"
