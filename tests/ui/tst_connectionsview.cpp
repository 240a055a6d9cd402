// The Connections tab's view with statuses given directly: its columns, sorting, the filter,
// the page shown when smbd does not run, and the two commands with their confirmations.
#include "boxdriver.h"
#include "connectionsview.h"
#include "widgetlookup.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

QDateTime at(int year, int month, int day, int hour)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

ServerSession session(const char *id, const char *pid, const char *user, const char *machine,
                      const char *address, const QDateTime &since)
{
    return {QLatin1String(id),
            QLatin1String(pid),
            QLatin1String(user),
            QStringLiteral("staff"),
            QLatin1String(machine),
            QLatin1String(address),
            QStringLiteral("SMB3_11"),
            QStringLiteral("-"),
            QStringLiteral("AES-128-GMAC"),
            since,
            QLatin1String(ServerSession::NonClusterVnn)};
}

ServerConnection connection(const char *share, const char *pid, const char *sessionId, const char *user,
                            const char *machine, const QDateTime &time)
{
    return {QLatin1String(share), QLatin1String(pid),     QLatin1String(sessionId),
            QLatin1String(user),  QLatin1String(machine), time};
}

OpenFile openFile(const QStringList &shares, const char *path, const char *pid, const char *user,
                  const char *access, const char *lease)
{
    return {shares,
            QLatin1String(path),
            QLatin1String(pid),
            QLatin1String(user),
            QLatin1String(access),
            QLatin1String(lease)};
}

// alice holds two sessions in process 2001 (one from her address alone), Bob one in 2002
// with two shares; the files under two shares are told apart by the process's connections.
ServerStatus sample()
{
    ServerStatus status;
    status.running = true;
    status.sessions = {session("101", "2001", "alice", "PC1", "192.0.2.5", at(2024, 1, 20, 10)),
                       session("102", "2001", "alice", "192.0.2.5", "192.0.2.5", QDateTime()),
                       session("103", "2002", "Bob", "LAPTOP", "192.0.2.9", at(2023, 12, 5, 9))};
    status.connections = {connection("data", "2001", "101", "alice", "PC1", at(2024, 1, 20, 10)),
                          connection("data", "2002", "103", "Bob", "LAPTOP", at(2023, 12, 5, 9)),
                          connection("home", "2002", "103", "Bob", "LAPTOP", at(2023, 12, 5, 11)),
                          connection("data", "2001", "102", "alice", "PC1", QDateTime())};
    const QString data = QStringLiteral("data");
    status.openFiles = {
        openFile({data}, "/srv/data/report.odt", "2001", "alice", "read/write", "RWH lease"),
        openFile({data, QStringLiteral("all")}, "/srv/data/bob.txt", "2002", "Bob", "read", ""),
        openFile({data, QStringLiteral("home")}, "/srv/both/x", "2002", "Bob", "read", "batch oplock")};
    return status;
}

QStringList headers(const QTableView *view)
{
    QStringList result;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        result << view->model()->headerData(column, Qt::Horizontal).toString();
    return result;
}

QStringList column(const QTableView *view, int column)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, column).data().toString();
    return result;
}

QStringList row(const QTableView *view, int row)
{
    QStringList result;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        result << view->model()->index(row, column).data().toString();
    return result;
}

} // namespace

class TestConnectionsView : public QObject
{
    Q_OBJECT

private slots:
    void columns();
    void sorting();
    void filter();
    void notRunning_data();
    void notRunning();
    void selectionSurvivesRefresh();
    void closeShareNeedsOneShare();
    void actions_data();
    void actions();
};

void TestConnectionsView::columns()
{
    ConnectionsView view;
    view.setStatus(sample());
    auto *sessions = child<QTableView>(view, "tableSessions");
    auto *connections = child<QTableView>(view, "tableConnections");
    auto *files = child<QTableView>(view, "tableOpenFiles");
    QCOMPARE(headers(sessions),
             QStringLiteral("User,Group,Machine,Address,Protocol,Encryption,Signing,"
                            "Connected since")
                 .split(QLatin1Char(',')));
    QCOMPARE(headers(connections), QStringLiteral("Share,User,Machine,Connected at").split(QLatin1Char(',')));
    QCOMPARE(headers(files), QStringLiteral("Share,Path,User,Access,Oplock/lease").split(QLatin1Char(',')));

    const QString since = QLocale().toString(at(2024, 1, 20, 10).toLocalTime(), QLocale::ShortFormat);
    QCOMPARE(row(sessions, 0),
             (QStringList{QStringLiteral("alice"), QStringLiteral("staff"), QStringLiteral("PC1"),
                          QStringLiteral("192.0.2.5"), QStringLiteral("SMB3_11"), QStringLiteral("-"),
                          QStringLiteral("AES-128-GMAC"), since}));
    QCOMPARE(row(connections, 0),
             (QStringList{QStringLiteral("data"), QStringLiteral("alice"), QStringLiteral("PC1"), since}));
    QCOMPARE(row(files, 1),
             (QStringList{QStringLiteral("data, all"), QStringLiteral("/srv/data/bob.txt"),
                          QStringLiteral("Bob"), QStringLiteral("read"), QString()}));
    // A time smbstatus did not give stays empty.
    QCOMPARE(row(sessions, 1).last(), QString());
}

void TestConnectionsView::sorting()
{
    ConnectionsView view;
    view.setStatus(sample());
    auto *sessions = child<QTableView>(view, "tableSessions");
    // Case does not count: alice, alice, Bob.
    QCOMPARE(column(sessions, 0),
             (QStringList{QStringLiteral("alice"), QStringLiteral("alice"), QStringLiteral("Bob")}));
    sessions->sortByColumn(0, Qt::DescendingOrder);
    QCOMPARE(column(sessions, 0).first(), QStringLiteral("Bob"));
    // Times sort as times, not as the locale writes them (20 Jan before 5 Dec); the unknown
    // one first.
    sessions->sortByColumn(7, Qt::AscendingOrder);
    QCOMPARE(column(sessions, 2),
             (QStringList{QStringLiteral("192.0.2.5"), QStringLiteral("LAPTOP"), QStringLiteral("PC1")}));
    auto *connections = child<QTableView>(view, "tableConnections");
    connections->sortByColumn(3, Qt::DescendingOrder);
    QCOMPARE(column(connections, 0),
             (QStringList{QStringLiteral("data"), QStringLiteral("home"), QStringLiteral("data"),
                          QStringLiteral("data")}));
    QCOMPARE(column(connections, 1).first(), QStringLiteral("alice"));
}

// One filter narrows all three tables, on any column and regardless of case.
void TestConnectionsView::filter()
{
    ConnectionsView view;
    view.setStatus(sample());
    auto *filter = child<QLineEdit>(view, "lineEditFilter");
    auto *sessions = child<QTableView>(view, "tableSessions");
    auto *connections = child<QTableView>(view, "tableConnections");
    auto *files = child<QTableView>(view, "tableOpenFiles");
    filter->setText(QStringLiteral("laptop"));
    QCOMPARE(column(sessions, 0), QStringList{QStringLiteral("Bob")});
    QCOMPARE(column(connections, 0), (QStringList{QStringLiteral("data"), QStringLiteral("home")}));
    QCOMPARE(files->model()->rowCount(), 0);
    filter->setText(QStringLiteral("REPORT"));
    QCOMPARE(sessions->model()->rowCount(), 0);
    QCOMPARE(column(files, 2), QStringList{QStringLiteral("alice")});
    filter->clear();
    QCOMPARE(sessions->model()->rowCount(), 3);
    QCOMPARE(files->model()->rowCount(), 3);
}

void TestConnectionsView::notRunning_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("not running") << QString() << QStringLiteral("smbd is not running: no one is connected.");
    QTest::newRow("smbstatus failed") << QStringLiteral("smbstatus did not finish within 10 seconds")
                                      << QStringLiteral("smbstatus did not finish within 10 seconds");
}

void TestConnectionsView::notRunning()
{
    QFETCH(QString, error);
    ConnectionsView view;
    view.show();
    auto *label = child<QLabel>(view, "labelNotRunning");
    auto *sessions = child<QTableView>(view, "tableSessions");
    view.setStatus(sample());
    QVERIFY(sessions->isVisible());
    QVERIFY(!label->isVisible());
    sessions->selectRow(0);
    QVERIFY(child<QPushButton>(view, "pushButtonDisconnect")->isEnabled());

    ServerStatus stopped;
    stopped.error = error;
    view.setStatus(stopped);
    QVERIFY(label->isVisible());
    QVERIFY(!sessions->isVisible());
    QTEST(label->text(), "text");
    QVERIFY(!child<QPushButton>(view, "pushButtonDisconnect")->isEnabled());
    QVERIFY(!child<QPushButton>(view, "pushButtonCloseShare")->isEnabled());
}

// A refresh keeps the row selected by what it is, wherever it moved; a row gone takes the
// selection with it.
void TestConnectionsView::selectionSurvivesRefresh()
{
    ConnectionsView view;
    ServerStatus status = sample();
    view.setStatus(status);
    auto *files = child<QTableView>(view, "tableOpenFiles");
    files->selectRow(1); // /srv/data/bob.txt
    QCOMPARE(view.selectedPid(), QStringLiteral("2002"));
    status.openFiles.prepend(openFile({}, "/srv/a", "2003", "carol", "read", ""));
    view.setStatus(status);
    QCOMPARE(files->selectionModel()->selectedRows().value(0).data().toString(), QStringLiteral("data, all"));
    QCOMPARE(view.selectedShare(), QStringLiteral("data"));
    status.openFiles.removeAt(2);
    view.setStatus(status);
    QCOMPARE(view.selectedPid(), QString());
    QVERIFY(!child<QPushButton>(view, "pushButtonDisconnect")->isEnabled());
}

// A session names no share, nor does a file under two shares its process uses both of.
void TestConnectionsView::closeShareNeedsOneShare()
{
    ConnectionsView view;
    view.setStatus(sample());
    auto *close = child<QPushButton>(view, "pushButtonCloseShare");
    auto *disconnect = child<QPushButton>(view, "pushButtonDisconnect");
    QVERIFY(!close->isEnabled());
    QVERIFY(!disconnect->isEnabled());
    child<QTableView>(view, "tableSessions")->selectRow(2);
    QVERIFY(!close->isEnabled());
    QVERIFY(disconnect->isEnabled());
    auto *files = child<QTableView>(view, "tableOpenFiles");
    files->selectRow(2); // /srv/both/x
    QCOMPARE(view.selectedPid(), QStringLiteral("2002"));
    QVERIFY(!close->isEnabled());
    // One selected row in the tab: the session's went.
    QVERIFY(!child<QTableView>(view, "tableSessions")->selectionModel()->hasSelection());
    files->selectRow(0);
    QVERIFY(close->isEnabled());
    QCOMPARE(view.selectedShare(), QStringLiteral("data"));
}

void TestConnectionsView::actions_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("requested");

    const QString alice = QStringLiteral(
        "End the smbd process 2001? Its clients are disconnected, and what they have not saved in the files "
        "they hold open is lost; most clients connect again by themselves.\nThese sessions end:\n"
        "alice on PC1 (192.0.2.5)\nalice on 192.0.2.5");
    const QString data =
        QStringLiteral("Close the share \"data\" for everyone?\nThese users are disconnected "
                       "from it:\nalice on PC1\nBob on LAPTOP");
    QTest::newRow("session, disconnect") << "tableSessions" << 0 << "pushButtonDisconnect"
                                         << "Disconnect" << alice << "2001";
    QTest::newRow("session, cancelled") << "tableSessions" << 0 << "pushButtonDisconnect"
                                        << "Cancel" << alice << QString();
    QTest::newRow("connection, disconnect")
        << "tableConnections" << 3 << "pushButtonDisconnect"
        << "Disconnect"
        << QStringLiteral("End the smbd process 2002? Its clients are disconnected, and what they have not "
                          "saved in the files they hold open is lost; most clients connect again by "
                          "themselves.\nThese sessions end:\nBob on LAPTOP (192.0.2.9)")
        << "2002";
    QTest::newRow("connection, close share") << "tableConnections" << 0 << "pushButtonCloseShare"
                                             << "Close share" << data << "data";
    QTest::newRow("connection, close cancelled") << "tableConnections" << 0 << "pushButtonCloseShare"
                                                 << "Cancel" << data << QString();
    QTest::newRow("file under two shares, one used") << "tableOpenFiles" << 1 << "pushButtonCloseShare"
                                                     << "Close share" << data << "data";
    QTest::newRow("home") << "tableConnections" << 3 << "pushButtonCloseShare"
                          << "Close share"
                          << QStringLiteral("Close the share \"home\" for everyone?\nThese users are "
                                            "disconnected from it:\nBob on LAPTOP")
                          << "home";
}

// The selected row names the process or the share; the box names who is affected, and only
// its command button sends the request.
void TestConnectionsView::actions()
{
    QFETCH(QString, table);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QString, requested);
    ConnectionsView view;
    view.setStatus(sample());
    QSignalSpy disconnects(&view, &ConnectionsView::disconnectRequested);
    QSignalSpy closes(&view, &ConnectionsView::closeShareRequested);
    child<QTableView>(view, qPrintable(table))->selectRow(row);
    auto *push = child<QPushButton>(view, qPrintable(button));
    QVERIFY(push->isEnabled());

    BoxDriver boxes({answer});
    push->click();
    QCOMPARE(boxes.seen(), 1);
    QTEST(boxes.last().text, "text");
    QCOMPARE(boxes.last().buttons.size(), 2);
    QSignalSpy &spy = button == QLatin1String("pushButtonDisconnect") ? disconnects : closes;
    QCOMPARE(disconnects.count() + closes.count(), requested.isEmpty() ? 0 : 1);
    if (!requested.isEmpty())
        QCOMPARE(spy.takeFirst().value(0).toString(), requested);
}

QTEST_MAIN(TestConnectionsView)
#include "tst_connectionsview.moc"
