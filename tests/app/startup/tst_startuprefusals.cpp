// Shareward's start-up refusals, in real processes: a desktop user who does not authenticate
// for this machine's backend and an instance already running each end the start before the
// window, with the box and exit code that belong to them, and only the last one contacts the
// running instance.
#include "startupfixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

namespace {

// Debian's nobody, a user that exists on every machine and owns nothing.
const uid_t Nobody = 65534;

const char *const first = "first";

// How a run ended, with what the program and the guard reported, for failure messages.
QByteArray outcome(const StartupFixture &fixture, const QString &report, int exitCode)
{
    return QStringLiteral("exit code %1\nreport:\n%2guard:\n%3")
        .arg(exitCode)
        .arg(fixture.reportText(report), fixture.guardLog())
        .toUtf8();
}

} // namespace

class TestStartupRefusals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unprivilegedUser();
    void qtOptionsUnderPkexec();
    void secondInstance();

private:
    // Checks that a report holds exactly one box, with this title and text, and no window.
    void verifyOnlyBox(const StartupFixture &fixture, const QString &report, const QString &title,
                       const QString &text);
};

void TestStartupRefusals::initTestCase()
{
    if (geteuid() != 0)
        QSKIP("The start-up tests run programs as another user and need root.");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty(), "setpriv is missing");
}

void TestStartupRefusals::verifyOnlyBox(const StartupFixture &fixture, const QString &report,
                                        const QString &title, const QString &text)
{
    const QList<QStringList> boxes = fixture.events(report, QStringLiteral("box"));
    QVERIFY2(boxes.size() == 1, qPrintable(fixture.reportText(report)));
    QCOMPARE(boxes.first().value(1), title);
    QVERIFY2(boxes.first().value(2).contains(text), qPrintable(boxes.first().value(2)));
    // No window came up after the box.
    QVERIFY2(fixture.events(report, QStringLiteral("shown")).isEmpty(),
             qPrintable(fixture.reportText(report)));
}

void TestStartupRefusals::unprivilegedUser()
{
    StartupFixture fixture(Nobody);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));

    // The real program, run by that user: it asks pkexec for exactly the installed backend, and
    // says why it ends when the administrator dismisses the dialog.
    const int exitCode = fixture.run(StartupFixture::Shareward, QStringLiteral("refused"), {});
    QVERIFY2(exitCode == 1, outcome(fixture, QStringLiteral("refused"), exitCode).constData());
    verifyOnlyBox(
        fixture, QStringLiteral("refused"), QStringLiteral("Shareward"),
        QStringLiteral("Managing the Samba server on This computer needs an administrator's password; "
                       "the authentication was cancelled."));
    QCOMPARE(fixture.pkexecLog(), QStringLiteral(SHAREWARD_INSTALLED_CLI " serve\n"));
    QCOMPARE(fixture.guardLog(), QString());
}

// Under pkexec the arguments come from the user who started it: Qt gets none of them, so a
// -platform naming no plugin changes nothing (it ended the start in Qt before the backend).
void TestStartupRefusals::qtOptionsUnderPkexec()
{
    StartupFixture fixture(Nobody);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    const QStringList qtOptions{QStringLiteral("-platform"), QStringLiteral("nosuchplatform"),
                                QStringLiteral("-platformpluginpath"), QStringLiteral("/nonexistent")};
    const int exitCode = fixture.run(StartupFixture::Shareward, QStringLiteral("pkexec"), qtOptions,
                                     {QStringLiteral("PKEXEC_UID=1000")});
    QVERIFY2(exitCode == 1, outcome(fixture, QStringLiteral("pkexec"), exitCode).constData());
    verifyOnlyBox(fixture, QStringLiteral("pkexec"), QStringLiteral("Shareward"),
                  QStringLiteral("the authentication was cancelled."));
    QCOMPARE(fixture.guardLog(), QString());
}

void TestStartupRefusals::secondInstance()
{
    StartupFixture fixture;
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    // The first instance's window is minimized as soon as it is shown, so that raising it
    // can be seen.
    QProcess running;
    QVERIFY2(
        fixture.startFirst(running, QLatin1String(first), {}, {QStringLiteral("SHAREWARD_WATCH_MINIMIZE=1")}),
        qPrintable(fixture.reportText(QLatin1String(first))));
    // Reported just after "shown", which is all starting waits for.
    QVERIFY2(fixture.waitForEvent(QLatin1String(first), QStringLiteral("minimized")),
             qPrintable(fixture.reportText(QLatin1String(first))));
    const QList<QStringList> minimized = fixture.events(QLatin1String(first), QStringLiteral("minimized"));
    QCOMPARE(minimized.size(), 1);
    QCOMPARE(minimized.first().value(1), QStringLiteral("minimized"));

    // The real program, as root with the real checks: it hands over and ends, showing nothing.
    const int exitCode = fixture.run(StartupFixture::Shareward, QStringLiteral("second"), {});
    QVERIFY2(exitCode == 1, outcome(fixture, QStringLiteral("second"), exitCode).constData());
    QCOMPARE(fixture.reportText(QStringLiteral("second")), QString());

    QVERIFY2(fixture.waitForEvent(QLatin1String(first), QStringLiteral("message")),
             qPrintable(fixture.reportText(QLatin1String(first))));
    const QList<QStringList> messages = fixture.events(QLatin1String(first), QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    // The message, and the window back from the task bar by the time it is announced.
    QCOMPARE(messages.first(),
             QStringList({QStringLiteral("message"), QStringLiteral("raise"), QStringLiteral("normal")}));

    QCOMPARE(fixture.stopFirst(running, QLatin1String(first)), 0);
    QCOMPARE(fixture.guardLog(), QString());
}

QTEST_GUILESS_MAIN(TestStartupRefusals)
#include "tst_startuprefusals.moc"
