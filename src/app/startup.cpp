#include "startup.h"

#include "qtsingleapplication.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <algorithm>
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

bool Startup::defaultIsRoot()
{
    return geteuid() == 0;
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

    if (!(options.isRoot ? options.isRoot() : defaultIsRoot())) {
        QMessageBox::critical(
            nullptr, Messages::tr("Unprivileged user"),
            Messages::tr("You run the program under an unprivileged user, which means that you can "
                         "not change samba server configuration. Please run the program under the "
                         "root user."),
            QMessageBox::Ok);
        // Nothing was started: a failure for whoever started it (a script, a desktop entry).
        return 1;
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

    // testparm on smb.conf takes most of the start-up: it runs from here on, while the window
    // is built, smb.conf read into it and its native window made, so that show() only maps
    // it. What the first screen does not need is read after it is shown.
    std::future<TestParmResult> check = MainWindow::startCheck(options.environment);
    // Declared after the application object, so destroyed before it.
    MainWindow window(options.environment);
    window.winId();
    bool loaded = false;
    try {
        loaded = window.loadFirstScreen(std::move(check));
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, Messages::tr("Error"), QString::fromUtf8(error.what()),
                              QMessageBox::Ok);
        return -1;
    }
    window.show();
    if (loaded)
        window.startBackgroundLoad();
    application.setActivationWindow(&window, true);
    application.setWindowIcon(
        QIcon::fromTheme(QStringLiteral("samba"), QIcon(QStringLiteral(":/images/fileshare.png"))));
    if (options.shown)
        options.shown(window);
    return application.exec();
}
