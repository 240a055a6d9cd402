#include "startup.h"

#include "configsession.h"
#include "qtsingleapplication.h"
#include "rememberedservers.h"
#include "remoteserver.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <future>

#include <unistd.h>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(QObject)
};

} // namespace

bool Startup::installTranslators(QCoreApplication &application, const QLocale &locale)
{
    Q_INIT_RESOURCE(translations);
    // Owned by the application, which uses them as long as it exists.
    auto *qt = new QTranslator(&application);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto *own = new QTranslator(&application);
    const bool found =
        own->load(locale, QStringLiteral("shareward"), QStringLiteral("_"), QStringLiteral(":/translations"));
    if (found)
        QCoreApplication::installTranslator(own);
    return found;
}

QString Startup::parseArguments(const QStringList &arguments, Arguments &parsed)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString name = argument;
        QString value;
        const int equals = argument.indexOf(QLatin1Char('='));
        const bool joined = argument.startsWith(QLatin1String("--")) && equals > 0;
        if (joined) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
        }
        if (name != QLatin1String("--connect") && name != QLatin1String("--ssh-config"))
            return Messages::tr("Unknown option %1.").arg(argument);
        if (!joined) {
            if (i + 1 >= arguments.size())
                return Messages::tr("%1 needs a value.").arg(name);
            value = arguments.at(++i);
        }
        if (name == QLatin1String("--ssh-config")) {
            parsed.sshConfig = value;
            continue;
        }
        QString problem;
        const std::optional<ServerAddress> address = ServerAddress::parse(value, &problem);
        if (!address)
            return Messages::tr("--connect %1: %2").arg(value, problem);
        if (!parsed.servers.contains(*address))
            parsed.servers << *address;
    }
    return QString();
}

std::unique_ptr<Server> Startup::openBackend(const ServerAddress &address, const QString &sshConfig)
{
    auto server = std::make_unique<RemoteServer>(address.displayName());
    server->open(address.launch(::geteuid(), sshConfig));
    return server;
}

int Startup::qtArgumentCount(int argc, bool underPkexec)
{
    return underPkexec ? std::min(argc, 1) : argc;
}

int Startup::run(int &argc, char **argv, const Options &options)
{
    Q_INIT_RESOURCE(resources);
    // The window draws nothing with OpenGL. Without the X11 GL integration its native window
    // is made without loading libGL and Mesa first, which takes longer than the rest of the
    // window. A choice made in the environment stays.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // Qt keeps a reference to the count: it lives as long as the application object.
    int qtArgc = qtArgumentCount(argc, qEnvironmentVariableIsSet("PKEXEC_UID"));
    QtSingleApplication application(qtArgc, argv, true);
    // Before any text is made, the refusals' boxes included.
    installTranslators(application, QLocale::system());
    // Wayland desktops match the window with its menu entry and icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.shareward.Shareward"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version()));

    Arguments arguments;
    if (const QString problem = parseArguments(application.arguments().mid(1), arguments);
        !problem.isEmpty()) {
        std::fprintf(stderr,
                     "shareward: %s\nusage: shareward [--connect local|[ssh://][USER@]HOST[:PORT]]... "
                     "[--ssh-config FILE]\n",
                     qPrintable(problem));
        return 2;
    }
    if (application.isRunning()) {
        if (!application.lockError().isEmpty()) {
            QMessageBox::critical(
                nullptr, Messages::tr("Shareward"),
                Messages::tr("Can't tell whether Shareward already runs: %1").arg(application.lockError()),
                QMessageBox::Ok);
        } else if (!application.sendMessage(QStringLiteral("raise"), 5000)) {
            const qint64 running = application.runningProcess();
            QMessageBox::critical(
                nullptr, Messages::tr("Shareward"),
                Messages::tr("Shareward already runs (process %1), but it does not answer. Switch to its "
                             "window, or end it and start Shareward again.")
                    .arg(running > 0 ? QString::number(running) : Messages::tr("unknown")),
                QMessageBox::Ok);
        }
        return 1;
    }

    // The servers asked for, else those shown last, else this machine.
    QList<ServerAddress> servers = arguments.servers;
    if (servers.isEmpty())
        servers = RememberedServers::load();
    if (servers.isEmpty())
        servers << ServerAddress();
    const QString sshConfig = arguments.sshConfig;
    const MainWindow::Opener open = options.openServer
        ? options.openServer
        : MainWindow::Opener([sshConfig](const ServerAddress &address) { return openBackend(address, sshConfig); });
    // The first server is reached before the window is built. When it is the only one and
    // cannot be reached (the administrator's password not given), the start ends saying why.
    std::unique_ptr<Server> server;
    try {
        server = open(servers.first());
    } catch (const std::exception &error) {
        if (servers.size() == 1) {
            QMessageBox::critical(nullptr, Messages::tr("Shareward"), QString::fromUtf8(error.what()),
                                  QMessageBox::Ok);
            return 1;
        }
    }
    // testparm on smb.conf takes most of the start-up. The backend starts it when it is asked
    // for the load, and answers testparm's verdict asked right after from that: the verdict is
    // asked for once the load is in, while smb.conf is read into the window and its native
    // window made, so that show() only maps it. What the first screen does not need is read
    // after it is shown.
    std::future<TestParmResult> check;
    if (server)
        check = std::async(std::launch::deferred, [&config = server->config()] { return config.check(); });
    // Declared after the application object, so destroyed before it.
    MainWindow window(open);
    bool loaded = false;
    if (server) {
        window.addServer(servers.first(), std::move(server));
        window.winId();
        try {
            loaded = window.loadFirstScreen(std::move(check));
        } catch (const std::exception &error) {
            QMessageBox::critical(nullptr, Messages::tr("Error"), QString::fromUtf8(error.what()),
                                  QMessageBox::Ok);
            return -1;
        }
    } else {
        // Shown with the reason and Try Again.
        window.openServer(servers.first());
    }
    window.show();
    if (loaded)
        window.startBackgroundLoad();
    // The others once the window is there, each loaded when it answers.
    for (const ServerAddress &other : servers.mid(1))
        window.openServer(other);
    window.setCurrentServer(0);
    application.setActivationWindow(&window, true);
    application.setWindowIcon(
        QIcon::fromTheme(QStringLiteral("samba"), QIcon(QStringLiteral(":/images/fileshare.png"))));
    if (options.shown)
        options.shown(window);
    return application.exec();
}
