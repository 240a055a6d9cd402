#include "startupwatcher.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QTableView>

namespace {

QString environmentPath(const char *name)
{
    return qEnvironmentVariable(name);
}

// Which of the icons Shareward may give its window this one is: the desktop theme's Samba
// icon, the drawn fallback, or neither.
QString iconKind(const QIcon &icon)
{
    if (icon.isNull())
        return QStringLiteral("none");
    const int size = 48;
    const QImage image = icon.pixmap(size).toImage();
    const QIcon theme = QIcon::fromTheme(QStringLiteral("samba"));
    if (!theme.isNull() && theme.pixmap(size).toImage() == image)
        return QStringLiteral("theme");
    if (QIcon(QStringLiteral(":/images/fileshare.png")).pixmap(size).toImage() == image)
        return QStringLiteral("fallback");
    return QStringLiteral("other");
}

// One field of a report line: tabs and line breaks would split it.
QString field(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

} // namespace

StartupWatcher::StartupWatcher(const QString &reportPath, QObject *parent)
    : QObject(parent)
    , m_reportPath(reportPath)
    , m_screenshotPath(environmentPath("SHAREWARD_WATCH_SCREENSHOT"))
    , m_stopPath(environmentPath("SHAREWARD_WATCH_STOP"))
    , m_minimize(!qEnvironmentVariableIsEmpty("SHAREWARD_WATCH_MINIMIZE"))
{
    // Only the event loops of the program run this: the ones of its message boxes and its
    // main loop.
    connect(&m_timer, &QTimer::timeout, this, &StartupWatcher::poll);
    m_timer.start(20);
}

void StartupWatcher::install()
{
    const QString report = environmentPath("SHAREWARD_WATCH_REPORT");
    if (report.isEmpty() || !QCoreApplication::instance())
        return;
    new StartupWatcher(report, QCoreApplication::instance());
}

void StartupWatcher::poll()
{
    // The application is still being constructed when the watcher is made; by the first
    // tick it is whole, and a single-instance application has its message signal.
    if (!m_listening)
        listenForMessages();

    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
        closeBox(box);

    if (!m_window) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *widget : windows) {
            auto *window = qobject_cast<QMainWindow *>(widget);
            if (window && window->isVisible()) {
                noteWindow(window);
                break;
            }
        }
    }

    if (!m_stopping && !m_stopPath.isEmpty() && QFile::exists(m_stopPath)) {
        m_stopping = true;
        write({QStringLiteral("stopping")});
        QApplication::closeAllWindows();
    }
}

void StartupWatcher::listenForMessages()
{
    m_listening = true;
    QObject *application = QCoreApplication::instance();
    // The program's own copy of the single-instance class is not this library's to name, so
    // the signal is found by its signature.
    if (application->metaObject()->indexOfSignal("messageReceived(QString)") < 0)
        return;
    connect(application, SIGNAL(messageReceived(QString)), this, SLOT(noteMessage(QString)));
}

void StartupWatcher::closeBox(QMessageBox *box)
{
    if (box == m_lastBox)
        return;
    m_lastBox = box;
    write({QStringLiteral("box"), box->windowTitle(), box->text()});
    box->close();
}

void StartupWatcher::noteWindow(QMainWindow *window)
{
    m_window = window;
    write({QStringLiteral("shown"), window->windowTitle()});
    write({QStringLiteral("icon"), iconKind(window->windowIcon())});
    noteTable(window, QStringLiteral("tableViewShares"));
    noteTable(window, QStringLiteral("tableViewPrinters"));
    if (!m_screenshotPath.isEmpty()) {
        const QPixmap picture = window->grab();
        const bool saved = picture.save(m_screenshotPath, "PNG");
        write({QStringLiteral("screenshot"), saved ? m_screenshotPath : QStringLiteral("failed"),
               QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height())});
    }
    if (m_minimize) {
        window->showMinimized();
        write({QStringLiteral("minimized"), windowState()});
    }
}

void StartupWatcher::noteTable(QMainWindow *window, const QString &name)
{
    auto *view = window->findChild<QTableView *>(name);
    if (!view || !view->model()) {
        write({QStringLiteral("missing"), name});
        return;
    }
    QStringList fields{QStringLiteral("table"), name};
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        fields << model->index(row, 0).data(Qt::DisplayRole).toString();
    write(fields);
}

void StartupWatcher::noteMessage(const QString &message)
{
    // The single-instance application has brought its window back before it says so.
    write({QStringLiteral("message"), message, windowState()});
}

QString StartupWatcher::windowState() const
{
    if (!m_window)
        return QStringLiteral("nowindow");
    if (!m_window->isVisible())
        return QStringLiteral("hidden");
    return m_window->isMinimized() ? QStringLiteral("minimized") : QStringLiteral("normal");
}

void StartupWatcher::write(const QStringList &fields)
{
    QStringList line;
    for (const QString &text : fields)
        line << field(text);
    QFile file(m_reportPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    file.write(line.join(QLatin1Char('\t')).toUtf8() + '\n');
}
