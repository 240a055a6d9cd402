#pragma once

#include "boxdriver.h"
#include "mainwindow.h"
#include "widgetlookup.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStringList>

#include <memory>

// The main window as the end-to-end drivers run it inside the namespaces of
// privateserver.sh: smb.conf, the settings and the stand-in systemctl come from the
// variables its run_driver sets; testparm and pdbedit are the real ones. Every box is
// answered by the BoxDriver and remembered.
class PrivateServerWindow
{
public:
    static QString variable(const char *name) { return qEnvironmentVariable(name); }

    // Opens the window and loads as at start-up; returns what went wrong, or nothing. The
    // paths come from the script only: run anywhere else, a save would write the machine's
    // smb.conf.
    QString open(const QString &applicationName)
    {
        configPath = variable("SHAREWARD_PRIVATE_CONFIG");
        srv = variable("SHAREWARD_PRIVATE_SRV");
        const QString settingsPath = variable("SHAREWARD_PRIVATE_SETTINGS");
        const QString systemctl = variable("SHAREWARD_PRIVATE_SYSTEMCTL");
        if (configPath.isEmpty() || srv.isEmpty() || settingsPath.isEmpty() || systemctl.isEmpty())
            return QStringLiteral("run by a script on privateserver.sh, which prepares the namespaces and "
                                  "sets SHAREWARD_PRIVATE_*");

        useTestSettings(settingsPath, applicationName);

        MainWindow::Environment environment;
        environment.configPath = configPath;
        environment.systemctl = systemctl;
        // Beside the settings, in the script's private directory: not the machine's /run.
        environment.lockDirectory = settingsPath + QStringLiteral("-locks");
        environment.historyDirectory = settingsPath + QStringLiteral("-history");
        // The drivers save through the Save command directly; the review has tests of its own.
        MainWindow::setReviewsChanges(false);
        boxes = std::make_unique<BoxDriver>();
        window = std::make_unique<MainWindow>(environment);
        window->show();
        window->initialLoad();
        if (boxes->seen() != 0)
            return QStringLiteral("boxes at start-up\n") + describeBoxes(0);
        return QString();
    }

    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }

    // The boxes from the given count on, one line each.
    QString describeBoxes(int from) const
    {
        QStringList lines;
        for (int index = from; index < boxes->boxes.size(); ++index)
            lines << QStringLiteral("box \"%1\": %2 %3")
                         .arg(boxes->boxes[index].title, boxes->boxes[index].text,
                              boxes->boxes[index].details);
        return lines.join(QLatin1Char('\n'));
    }

    // The Save command, which must show no box and leave nothing to save; returns what went
    // wrong, or nothing.
    QString save()
    {
        QAction *command = action("actionSave");
        if (!command->isEnabled())
            return QStringLiteral("actionSave is disabled");
        const int boxesBefore = boxes->seen();
        command->trigger();
        if (boxes->seen() != boxesBefore)
            return QStringLiteral("the save showed boxes\n") + describeBoxes(boxesBefore);
        if (window->isModified())
            return QStringLiteral("the window still has changes to save");
        return QString();
    }

    QString savedConfig() const
    {
        QFile file(configPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString configPath;
    QString srv;
    std::unique_ptr<BoxDriver> boxes;
    std::unique_ptr<MainWindow> window;
};
