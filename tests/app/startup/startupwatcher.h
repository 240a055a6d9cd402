#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QMainWindow;
class QMessageBox;

// Watches a starting Shareward from inside its process, for the start-up tests. It closes
// every message box the program shows, notes the main window once it is shown (its title,
// icon, the names in its two tables and a picture of it) and the messages a later instance
// hands over. Each event is one tab-separated line of the report file.
//
// It is driven by the environment:
//   SHAREWARD_WATCH_REPORT      the report file; without it nothing is watched
//   SHAREWARD_WATCH_SCREENSHOT  where to save a picture of the main window, as PNG
//   SHAREWARD_WATCH_MINIMIZE    non-empty: minimize the main window once it is shown
//   SHAREWARD_WATCH_STOP        a file whose appearance closes the windows
class StartupWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StartupWatcher(const QString &reportPath, QObject *parent = nullptr);

    // Starts watching the running application when the environment asks for it.
    static void install();

private slots:
    void noteMessage(const QString &message);

private:
    void poll();
    void listenForMessages();
    void closeBox(QMessageBox *box);
    void noteWindow(QMainWindow *window);
    void noteTable(QMainWindow *window, const QString &name);
    QString windowState() const;
    void write(const QStringList &fields);

    QString m_reportPath;
    QString m_screenshotPath;
    QString m_stopPath;
    bool m_minimize = false;
    bool m_listening = false;
    bool m_stopping = false;
    QTimer m_timer;
    QPointer<QMessageBox> m_lastBox;
    QPointer<QMainWindow> m_window;
};
