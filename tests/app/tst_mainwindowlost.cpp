// A server whose backend is killed at a chosen moment, reached as the window reaches it: the
// page says the connection was lost, keeps the edits and offers Reconnect; after it, the page
// says what became of a save whose answer never came, and a save lands.
#include "remoteserver.h"
#include "serverpage.h"
#include "systemprograms.h"
#include "testbackend.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <memory>

namespace {

// testparm, or when the file "kill" exists while a save is judged, a killer of the backend
// that judges it; when "kill" says "installed", the file judged is put in place of smb.conf
// first, as though the backend died after installing it. When "refuse" exists, every file
// but smb.conf is refused.
const QByteArray killingChecker = "for last do :; done\n"
                                  "if [ -f @DIR@/kill ] && [ \"$last\" != @DIR@/smb.conf ]; then\n"
                                  "  grep -qx installed @DIR@/kill && cat \"$last\" > @DIR@/smb.conf\n"
                                  "  kill -9 \"$(cat @DIR@/backend.pid)\"\n"
                                  "  exit 1\n"
                                  "fi\n"
                                  "if [ -f @DIR@/refuse ] && [ \"$last\" != @DIR@/smb.conf ]; then\n"
                                  "  echo 'Unknown parameter encountered: \"refused\"' >&2\n"
                                  "  exit 1\n"
                                  "fi\n"
                                  "exec /usr/bin/testparm \"$@\"\n";

// The programs the backend runs in place of the system's: the sandbox's fakes.
const char *const standIns[] = {"systemctl",  "pdbedit",   "wbinfo", "smbpasswd", "net",
                                "smbcontrol", "smbstatus", "smbd",   "testparm"};

Share newShare(Sandbox &sandbox, const QString &name)
{
    Share share;
    share.setName(name);
    share.setPath(sandbox.path(QStringLiteral("data")));
    return share;
}

} // namespace

class TestMainWindowLost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void lostAndReconnected_data();
    void lostAndReconnected();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowLost::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowlost"));
    MainWindow::setReviewsChanges(false);
}

void TestMainWindowLost::cleanup()
{
    for (const char *program : standIns)
        qunsetenv(SystemPrograms::variable(program).constData());
    qunsetenv("SHAREWARD_RUN_DIRECTORY");
}

void TestMainWindowLost::lostAndReconnected_data()
{
    QTest::addColumn<QString>("moment");
    // What the page says after Reconnect; empty: nothing.
    QTest::addColumn<QString>("verdict");
    // Whether the edit is still to be saved after Reconnect.
    QTest::addColumn<bool>("unsaved");

    QTest::newRow("before the save") << "before" << QString() << true;
    QTest::newRow("during the save, not installed") << "kill"
                                                    << "which was not installed" << true;
    QTest::newRow("during the save, installed") << "installed"
                                                << "which was installed" << false;
    QTest::newRow("during the save, then changed by another program") << "changed"
                                                                      << "changed by another program" << true;
    QTest::newRow("during the save, installed, a share renamed") << "installed renamed"
                                                                 << "which was installed" << false;
    QTest::newRow("during the save, then changed so that testparm refuses the edits")
        << "changed refused"
        << "changed by another program" << true;
    QTest::newRow("before the share dialog's listing") << "listing" << QString() << true;
    QTest::newRow("before the history is read") << "history" << QString() << true;
    QTest::newRow("before Check config") << "check" << QString() << true;
    QTest::newRow("during the Connections tab's refresh") << "refresh" << QString() << true;
}

void TestMainWindowLost::lostAndReconnected()
{
    QFETCH(QString, moment);
    QFETCH(QString, verdict);
    QFETCH(bool, unsaved);

    Sandbox sandbox;
    sandbox.useChecker(killingChecker);
    const QString directory = QFileInfo(sandbox.configPath()).absolutePath();
    for (const char *program : standIns)
        qputenv(SystemPrograms::variable(program).constData(),
                QFile::encodeName(sandbox.path(QLatin1String(program))));
    qputenv("SHAREWARD_RUN_DIRECTORY", QFile::encodeName(sandbox.path(QStringLiteral("run"))));
    TestBackend backend(directory);
    auto server = std::make_unique<RemoteServer>(QStringLiteral("files"));
    server->open(backend.launch());
    MainWindow window(std::move(server));
    window.initialLoad();
    ServerPage *page = window.currentPage();
    QVERIFY(page);
    QVERIFY(page->isConnected());
    QVERIFY(page->connectionMessage().isEmpty());
    const QByteArray before = sandbox.config();

    window.shareModel()->addShare(newShare(sandbox, QStringLiteral("lostshare")));
    window.setModified();
    if (moment.endsWith(QLatin1String(" renamed"))) {
        moment.chop(int(qstrlen(" renamed")));
        int row = 0;
        while (row < window.shareModel()->shares().size()
               && window.shareModel()->shares().at(row).name() != QLatin1String("data"))
            ++row;
        QVERIFY(row < window.shareModel()->shares().size());
        Share renamed = window.shareModel()->shares().at(row);
        renamed.setName(QStringLiteral("renamed"));
        window.shareModel()->updateShare(window.shareModel()->index(row, 0), renamed);
    }
    if (moment == QLatin1String("refresh")) {
        QVERIFY(backend.kill());
        auto *tabs = page->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        tabs->setCurrentWidget(page->findChild<QWidget *>(QStringLiteral("tabConnections")));
        QTRY_VERIFY(!page->connectionMessage().isEmpty());
    } else if (moment == QLatin1String("before") || moment == QLatin1String("listing")
               || moment == QLatin1String("history") || moment == QLatin1String("check")) {
        QVERIFY(backend.kill());
        if (moment == QLatin1String("listing"))
            window.addShare();
        else if (moment == QLatin1String("history"))
            page->historyAction()->trigger();
        else if (moment == QLatin1String("check"))
            action(window, "actionCheckConfig")->trigger();
        else
            QVERIFY(!window.saveAll());
    } else {
        sandbox.write(QStringLiteral("kill"),
                      moment == QLatin1String("installed") ? "installed\n" : "kill\n");
        QVERIFY(!window.saveAll());
        QFile::remove(sandbox.path(QStringLiteral("kill")));
        if (moment.startsWith(QLatin1String("changed")))
            sandbox.append(QStringLiteral("smb.conf"), "   # changed by hand\n");
        if (moment == QLatin1String("changed refused"))
            sandbox.write(QStringLiteral("refuse"), QByteArray());
    }

    // Said once on the page, the edit kept, what needs the server disabled.
    QVERIFY(!page->isConnected());
    QVERIFY2(page->connectionMessage().startsWith(QLatin1String("Connection lost: ")),
             qPrintable(page->connectionMessage()));
    QVERIFY(page->reconnectAction()->isEnabled());
    // The list of servers says it below the server's name, with the sentence.
    QListWidgetItem *entry = window.findChild<QListWidget *>(QStringLiteral("serverList"))->item(0);
    QCOMPARE(entry->text().section(QLatin1Char('\n'), 1), QStringLiteral("Connection lost"));
    QCOMPARE(entry->toolTip(), page->connectionMessage());
    QVERIFY(page->findChild<QPushButton *>(QStringLiteral("reconnectButton"))->isVisibleTo(page));
    QVERIFY(window.isModified());
    QVERIFY(window.shareModel()->shareNames().contains(QStringLiteral("lostshare")));
    QVERIFY(!action(window, "actionSave")->isEnabled());
    QVERIFY(!action(window, "actionAddShare")->isEnabled());
    QVERIFY(!page->historyAction()->isEnabled());
    for (QAction *move : page->registryActions())
        QVERIFY(!move->isEnabled());
    if (moment != QLatin1String("installed") && !moment.startsWith(QLatin1String("changed")))
        QCOMPARE(sandbox.config(), before);

    page->reconnectAction()->trigger();
    QVERIFY(page->isConnected());
    QVERIFY(!page->reconnectAction()->isEnabled());
    QCOMPARE(entry->text().section(QLatin1Char('\n'), 1), QStringLiteral("Connected"));
    if (verdict.isEmpty())
        QVERIFY2(page->connectionMessage().isEmpty(), qPrintable(page->connectionMessage()));
    else
        QVERIFY2(page->connectionMessage().contains(verdict), qPrintable(page->connectionMessage()));
    QCOMPARE(window.isModified(), unsaved);
    QVERIFY(window.shareModel()->shareNames().contains(QStringLiteral("lostshare")));
    QCOMPARE(action(window, "actionSave")->isEnabled(), unsaved);
    QVERIFY(action(window, "actionAddShare")->isEnabled());
    QVERIFY(page->historyAction()->isEnabled());
    if (moment.startsWith(QLatin1String("changed")))
        return;

    // A save after Reconnect lands, with what was edited before and after the loss.
    window.shareModel()->addShare(newShare(sandbox, QStringLiteral("latershare")));
    window.setModified();
    QVERIFY(window.saveAll());
    QVERIFY(!window.isModified());
    QVERIFY2(page->connectionMessage().isEmpty(), qPrintable(page->connectionMessage()));
    QVERIFY(sandbox.config().contains("[lostshare]"));
    QVERIFY(sandbox.config().contains("[latershare]"));
    QVERIFY(sandbox.config().startsWith(before.left(before.indexOf("[data]"))));
}

QTEST_MAIN(TestMainWindowLost)
#include "tst_mainwindowlost.moc"
