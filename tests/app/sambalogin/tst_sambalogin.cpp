// The window's part of the Samba login test, run by sambalogin.sh inside its namespaces: bob
// made a Samba user and alice given a new password through the users and the user dialog,
// as an administrator types them, then saved with the real testparm, pdbedit and smbpasswd,
// watched by strace. sambalogin.sh then logs in to the real smbd with these passwords.
#include "../privateserverwindow.h"
#include "modaldriver.h"
#include "sambaaccountstore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>

namespace {

// How strace -xx shows a string: every byte as \xNN.
QByteArray hexString(const QByteArray &bytes)
{
    QByteArray result;
    for (const char byte : bytes)
        result += "\\x" + QByteArray(1, byte).toHex();
    return result;
}

// The lines of a strace -xx log that hold the text, with their strings made readable again;
// of a program's environment only the variables that hold it.
QString tracedLinesWith(const QByteArray &log, const QByteArray &text)
{
    QStringList found;
    for (const QByteArray &line : log.split('\n')) {
        QByteArray readable;
        for (int at = 0; at < line.size(); ++at) {
            if (line.mid(at, 2) == "\\x" && at + 4 <= line.size()) {
                readable += QByteArray::fromHex(line.mid(at + 2, 2));
                at += 3;
            } else {
                readable += line.at(at);
            }
        }
        if (!readable.contains(text))
            continue;
        // The program and its arguments; of the environment, only what holds the text.
        const int environment = readable.indexOf("], [");
        if (environment < 0) {
            found << QString::fromUtf8(readable);
            continue;
        }
        found << QString::fromUtf8(readable.left(environment + 1));
        for (const QByteArray &variable : readable.mid(environment + 4).split(',')) {
            if (variable.contains(text))
                found << QStringLiteral("  in its environment: ") + QString::fromUtf8(variable.trimmed());
        }
    }
    return found.join(QLatin1Char('\n'));
}

// Arguments as strace -xx shows them inside an execve line, from the first one after the
// program on: "\x2d\x74", "\x2d\x61", ...
QByteArray tracedArguments(const QStringList &arguments)
{
    QByteArrayList quoted;
    for (const QString &argument : arguments)
        quoted << '"' + hexString(argument.toUtf8()) + '"';
    return quoted.join(", ");
}

// Follows the programs this process starts with strace from start() to stop(): their
// arguments and environments, as strace -xx shows them, land in the log.
class ExecTrace
{
public:
    ~ExecTrace() { stop(); }

    // Returns what went wrong, or nothing once every thread of this process is traced.
    QString start(const QString &log)
    {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            return QStringLiteral("no strace in PATH");
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(strace,
                        {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-v"),
                         QStringLiteral("-xx"), QStringLiteral("-s"), QStringLiteral("4096"),
                         QStringLiteral("-e"), QStringLiteral("trace=execve"), QStringLiteral("-e"),
                         QStringLiteral("signal=none"), QStringLiteral("-o"), log, QStringLiteral("-p"),
                         QString::number(QCoreApplication::applicationPid())});
        if (!m_process.waitForStarted(10000))
            return QStringLiteral("strace did not start: ") + m_process.errorString();
        QElapsedTimer clock;
        clock.start();
        while (!allThreadsTraced()) {
            if (m_process.state() == QProcess::NotRunning || clock.elapsed() > 10000)
                return QStringLiteral("strace did not attach: ")
                    + QString::fromLocal8Bit(m_process.readAll());
            QTest::qSleep(10);
        }
        return QString();
    }

    // Detaches strace; returns what went wrong, or nothing once no thread is traced.
    QString stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return QString();
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
            return QStringLiteral("strace did not end on SIGTERM");
        }
        return tracedThreads() == 0 ? QString() : QStringLiteral("threads still traced after strace ended");
    }

private:
    static int tracedThreads()
    {
        int traced = 0;
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile status(tasks.filePath(task + QStringLiteral("/status")));
            if (!status.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("TracerPid:") && line.mid(10).trimmed() != "0")
                    ++traced;
            }
        }
        return traced;
    }

    static bool allThreadsTraced()
    {
        return tracedThreads()
            == QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    }

    QProcess m_process;
};

// Types the text into the emptied field, one key press each, as a keyboard with these
// characters on its keys would: QTest::keyClicks() passes on Latin-1 characters only.
QString type(QLineEdit *edit, const QString &text)
{
    edit->clear();
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(character.toUpper().unicode()), QString(character),
                            Qt::NoModifier);
    if (edit->text() != text)
        return QStringLiteral("%1 holds \"%2\" after typing \"%3\"")
            .arg(edit->objectName(), edit->text(), text);
    return QString();
}

template<typename T>
T *child(QWidget *dialog, const char *name, QString *error)
{
    T *found = dialog->findChild<T *>(QLatin1String(name));
    if (!found && error->isEmpty())
        *error = QStringLiteral("%1 has no %2").arg(dialog->objectName(), QLatin1String(name));
    return found;
}

// Chooses the user in the user dialog, types the password and its confirmation, and clicks
// Ok, which must close the dialog; a failed step rejects it.
void fillUserDialog(QWidget *dialog, const QString &name, const QString &password, QString *error)
{
    auto *names = child<QComboBox>(dialog, "comboBoxUserName", error);
    auto *entry = child<QLineEdit>(dialog, "lineEditPassword", error);
    auto *confirmation = child<QLineEdit>(dialog, "lineEditPasswordConfirmation", error);
    auto *buttons = child<QDialogButtonBox>(dialog, "buttonBox", error);
    if (error->isEmpty()) {
        const int index = names->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0)
            *error = QStringLiteral("the user dialog does not offer %1: %2")
                         .arg(name, items(names).join(QStringLiteral(", ")));
        else
            names->setCurrentIndex(index);
    }
    if (error->isEmpty())
        *error = type(entry, password);
    if (error->isEmpty())
        *error = type(confirmation, password);
    if (error->isEmpty()) {
        QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
        if (!ok->isEnabled())
            *error = QStringLiteral("Ok is disabled in the user dialog for %1").arg(name);
        else
            ok->click();
        if (error->isEmpty() && dialog->isVisible())
            *error = QStringLiteral("the user dialog for %1 did not take Ok").arg(name);
    }
    if (!error->isEmpty() && dialog->isVisible())
        static_cast<QDialog *>(dialog)->reject();
}

// The "User SID:" line of "pdbedit -Lv NAME".
QByteArray sidLine(const QString &name)
{
    QProcess pdbedit;
    pdbedit.start(SambaAccountStore::defaultPdbeditProgram(), {QStringLiteral("-Lv"), name});
    pdbedit.waitForFinished(30000);
    for (const QByteArray &line : pdbedit.readAllStandardOutput().split('\n')) {
        if (line.startsWith("User SID:"))
            return line;
    }
    return QByteArray();
}

} // namespace

class TestSambaLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void setPasswordsThroughDialogs();
    void saveLeavesPasswordsOffCommandLines();
    void pdbeditListsBoth();

private:
    MainWindow *window() const { return m_server.window.get(); }

    PrivateServerWindow m_server;
    QString m_bobPassword;
    QString m_alicePassword;
    QString m_aliceOldPassword;
    QByteArray m_aliceSid;
    // Each step builds on the ones before it.
    bool m_failed = false;
};

void TestSambaLogin::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QFile passwords(PrivateServerWindow::variable("SAMBALOGIN_PASSWORDS"));
    QVERIFY2(passwords.open(QIODevice::ReadOnly), "run by sambalogin.sh, which sets SAMBALOGIN_PASSWORDS");
    for (const QByteArray &line : passwords.readAll().split('\n')) {
        const int colon = line.indexOf(':');
        const QString password = QString::fromUtf8(line.mid(colon + 1));
        if (line.startsWith("bob:"))
            m_bobPassword = password;
        else if (line.startsWith("alice:"))
            m_alicePassword = password;
        else if (line.startsWith("alice-old:"))
            m_aliceOldPassword = password;
    }
    QVERIFY(!m_bobPassword.isEmpty() && !m_alicePassword.isEmpty() && !m_aliceOldPassword.isEmpty());
    // The point of the test: characters beyond Latin-1 among them.
    QVERIFY(std::any_of(m_bobPassword.cbegin(), m_bobPassword.cend(),
                        [](QChar c) { return c.unicode() > 0xff; }));

    const QString error = m_server.open(QStringLiteral("tst_sambalogin"));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(window()->currentSettings().users().keys(), QStringList{QStringLiteral("alice")});
    QVERIFY2(window()->serviceUsers().contains(QStringLiteral("bob")),
             "bob, with a uid below 2500, is not among the service users");
    m_aliceSid = sidLine(QStringLiteral("alice"));
    QVERIFY(!m_aliceSid.isEmpty());
}

void TestSambaLogin::init()
{
    if (m_failed)
        QSKIP("an earlier step failed");
}

void TestSambaLogin::cleanup()
{
    m_failed = m_failed || QTest::currentTestFailed();
}

// Samba users → Add → bob with his password → Edit alice → her new password → Ok.
void TestSambaLogin::setPasswordsThroughDialogs()
{
    QString error;
    QStringList listed;
    ModalDriver driver;
    driver.then(QStringLiteral("UsersDialog"), [&](QWidget *dialog) {
        if (auto *add = child<QPushButton>(dialog, "pushButtonAddUser", &error))
            add->click();
    });
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *dialog) {
        fillUserDialog(dialog, QStringLiteral("bob"), m_bobPassword, &error);
    });
    driver.then(QStringLiteral("UsersDialog"), [&](QWidget *dialog) {
        auto *list = child<QListWidget>(dialog, "listWidgetSambaUsers", &error);
        auto *edit = child<QPushButton>(dialog, "pushButtonEditUser", &error);
        if (!error.isEmpty())
            return;
        listed = texts(list);
        const QList<QListWidgetItem *> alice =
            list->findItems(QStringLiteral("alice"), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (alice.size() != 1) {
            error = QStringLiteral("alice is not listed once: %1").arg(listed.join(QStringLiteral(", ")));
            return;
        }
        list->setCurrentItem(alice.first());
        if (!edit->isEnabled())
            error = QStringLiteral("pushButtonEditUser is disabled with alice selected");
        else
            edit->click();
    });
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *dialog) {
        auto *names = child<QComboBox>(dialog, "comboBoxUserName", &error);
        if (error.isEmpty() && items(names) != QStringList{QStringLiteral("alice")})
            error = QStringLiteral("editing alice offers %1").arg(items(names).join(QStringLiteral(", ")));
        if (!error.isEmpty()) {
            static_cast<QDialog *>(dialog)->reject();
            return;
        }
        fillUserDialog(dialog, QStringLiteral("alice"), m_alicePassword, &error);
    });
    driver.then(QStringLiteral("UsersDialog"), [&](QWidget *dialog) {
        auto *buttons = child<QDialogButtonBox>(dialog, "buttonBox", &error);
        if (error.isEmpty() && buttons->button(QDialogButtonBox::Ok)->isEnabled())
            buttons->button(QDialogButtonBox::Ok)->click();
        else
            static_cast<QDialog *>(dialog)->reject();
    });

    QAction *command = m_server.action("actionSambaUsers");
    QVERIFY(command && command->isEnabled());
    command->trigger();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(driver.stray, 0);
    QVERIFY2(m_server.boxes->seen() == 0, qPrintable(m_server.describeBoxes(0)));
    QCOMPARE(listed, (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));

    // The window holds the passwords exactly as typed, to be written at the save.
    const SambaUserMap users = window()->currentSettings().users();
    QCOMPARE(users.keys(), (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
    QCOMPARE(users.value(QStringLiteral("bob")).password(), m_bobPassword);
    QVERIFY(users.value(QStringLiteral("bob")).changed());
    QCOMPARE(users.value(QStringLiteral("alice")).password(), m_alicePassword);
    QVERIFY(users.value(QStringLiteral("alice")).changed());
    QVERIFY(window()->isModified());
}

// The save hands pdbedit and smbpasswd the passwords on their standard input only: under
// strace, the programs the window starts show none in their arguments or environment.
// Written, the passwords are gone from the window.
void TestSambaLogin::saveLeavesPasswordsOffCommandLines()
{
    const QString log = PrivateServerWindow::variable("SAMBALOGIN_TRACE");
    ExecTrace trace;
    if (!log.isEmpty()) {
        const QString started = trace.start(log);
        QVERIFY2(started.isEmpty(), qPrintable(started));
    }
    const QString saved = m_server.save();
    const QString stopped = trace.stop();
    QVERIFY2(saved.isEmpty(), qPrintable(saved));
    QVERIFY2(stopped.isEmpty(), qPrintable(stopped));
    QVERIFY2(m_server.savedConfig().contains(QStringLiteral("\n[common]\n")),
             qPrintable(m_server.savedConfig()));
    for (const SambaUser &user : window()->currentSettings().users())
        QCOMPARE(user, SambaUser(user.name()));
    if (log.isEmpty())
        QSKIP("strace cannot trace here: the save ran unwatched");

    QFile file(log);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(log));
    const QByteArray traced = file.readAll();
    for (const QString &password : {m_bobPassword, m_alicePassword, m_aliceOldPassword}) {
        QVERIFY2(!traced.contains(hexString(password.toUtf8())) && !traced.contains(password.toUtf8()),
                 qPrintable(QStringLiteral("a password is in the arguments or environment of a program:\n")
                            + tracedLinesWith(traced, password.toUtf8())));
    }
    // And the trace did see the save: bob added, alice's password set in place.
    const QList<QPair<QString, QStringList>> writes{
        {SambaAccountStore::defaultPdbeditProgram(),
         {QStringLiteral("-t"), QStringLiteral("-a"), QStringLiteral("--"), QStringLiteral("bob")}},
        {SambaAccountStore::defaultSmbpasswdProgram(),
         {QStringLiteral("-s"), QStringLiteral("--"), QStringLiteral("alice")}},
    };
    for (const auto &write : writes) {
        QVERIFY2(traced.contains(hexString(write.first.toUtf8()))
                     && traced.contains(tracedArguments(write.second)),
                 qPrintable(QStringLiteral("no %1 %2 in the trace %3")
                                .arg(write.first, write.second.join(QLatin1Char(' ')), log)));
    }
    const QStringList readded{QStringLiteral("-t"), QStringLiteral("-a"), QStringLiteral("--"),
                              QStringLiteral("alice")};
    QVERIFY2(!traced.contains(tracedArguments(readded)), "alice was added again");
}

// pdbedit lists both accounts after the save; alice's new password left her SID as it was.
void TestSambaLogin::pdbeditListsBoth()
{
    const SambaUserMap users = SambaAccountStore().loadSambaUsers();
    QCOMPARE(users.keys(), (QStringList{QStringLiteral("alice"), QStringLiteral("bob")}));
    QCOMPARE(sidLine(QStringLiteral("alice")), m_aliceSid);
}

QTEST_MAIN(TestSambaLogin)
#include "tst_sambalogin.moc"
