// RemoteServer against the real shareward-cli serve: whether its connection holds, as the
// window's list of servers shows it, and that it goes on after the backend is started again.
#include "remoteserver.h"
#include "serverfiles.h"
#include "testbackend.h"

#include <QTemporaryDir>
#include <QtTest>

class TestRemoteServer : public QObject
{
    Q_OBJECT

private slots:
    void connectionLostAndRegained();
};

void TestRemoteServer::connectionLostAndRegained()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    TestBackend backend(directory.path());
    RemoteServer server(QStringLiteral("this computer"));
    server.open(backend.launch());
    QVERIFY(!server.connectionLost());
    QVERIFY(server.files().directoryMode(directory.path()) >= 0);

    QVERIFY(backend.kill());
    // Found out by the next request, which fails with the sentence.
    QVERIFY_EXCEPTION_THROWN(server.files().directoryMode(directory.path()), BackendConnection::Failure);
    QVERIFY(server.connectionLost());

    server.open(backend.launch());
    QVERIFY(!server.connectionLost());
    QVERIFY(server.files().directoryMode(directory.path()) >= 0);
}

QTEST_GUILESS_MAIN(TestRemoteServer)
#include "tst_remoteserver.moc"
