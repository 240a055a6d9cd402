// A program for the single-instance tests: the first instance reports the messages it
// gets; a later one reports that one runs and hands it its first argument.
#include "qtsingleapplication.h"

#include <QWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv, true);
    const QString message = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("raise");
    if (app.isRunning()) {
        const bool sent = app.sendMessage(message, 2000);
        if (sent)
            std::printf("running sent\n");
        else
            std::printf("running failed %lld\n", static_cast<long long>(app.runningProcess()));
        return 1;
    }
    QWidget window;
    window.showMinimized();
    app.setActivationWindow(&window, true);
    QObject::connect(&app, &QtSingleApplication::messageReceived, &app, [&](const QString &received) {
        std::printf("message %s %s\n", qPrintable(received),
                    window.windowState() & Qt::WindowMinimized ? "minimized" : "raised");
        std::fflush(stdout);
        if (received == QLatin1String("quit"))
            app.quit();
    });
    std::printf("primary\n");
    std::fflush(stdout);
    return app.exec();
}
