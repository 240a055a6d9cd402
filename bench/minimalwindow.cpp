// The floor of any Qt Widgets window: an empty QMainWindow, shown. It prints "exposed" once
// the window system has mapped and exposed it, and quits; the start-up bench times that
// against the program's own window on the same display.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QWindow>

#include <cstdio>

namespace {

// Waits for the window's first expose event, which follows its mapping.
class ExposeWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed() && !m_seen) {
            m_seen = true;
            std::printf("exposed\n");
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    // The native window exists from here on, so the watch sees its first expose.
    window.winId();
    ExposeWatch watch;
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return application.exec();
}
