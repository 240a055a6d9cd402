#pragma once

// Helpers shared by the tests of the account dialogs: widgets by object name, the lists and
// combo boxes of the forms, stand-ins for useradd, groupadd and the desktop settings, and an
// icon theme of known names.
#include "widgetlookup.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QtTest>

namespace AccountDialogSupport {

// Stand-in for useradd and groupadd: records its arguments, reads its standard input to the
// end (which must not be a pipe left open) and answers as the files beside it say: "message"
// goes to the error output, "code" is the exit code or "crash".
inline const char fakeAccountProgram[] = R"(#!/bin/bash
ulimit -c 0
dir=${0%/*}
printf '%s|' "$@" >"$dir/arguments"
cat >/dev/null
if [[ -f $dir/message ]]; then cat "$dir/message" >&2; fi
code=0
if [[ -f $dir/code ]]; then code=$(<"$dir/code"); fi
if [[ $code == crash ]]; then kill -s SEGV $$; fi
exit "$code"
)";

// Stand-in for the desktop settings: records its arguments.
inline const char fakeSettingsProgram[] = R"(#!/bin/bash
dir=${0%/*}
printf '%s|' "$@" >"$dir/settings-arguments"
)";

inline void cancel(QWidget *dialog)
{
    cancelButton(*dialog)->click();
}

inline QStringList names(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The list of the users dialog's form, which the groups dialog shares.
inline QListWidget *list(QWidget &dialog)
{
    return child<QListWidget>(dialog, "listWidgetSambaUsers");
}

inline void select(QWidget &dialog, const QString &name)
{
    const QList<QListWidgetItem *> found = list(dialog)->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        qFatal("not listed once: %s", qPrintable(name));
    list(dialog)->setCurrentItem(found.first());
}

// Right-clicks the list at a point of its viewport: over the named item, or below the items.
inline void requestContextMenu(QWidget &dialog, const QString &over)
{
    QListWidget *widget = list(dialog);
    QPoint position(5, widget->viewport()->height() - 3);
    if (!over.isEmpty())
        position = widget->visualItemRect(widget->findItems(over, Qt::MatchExactly).first()).center();
    QVERIFY(bool(widget->itemAt(position)) == !over.isEmpty());
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->viewport()->mapToGlobal(position));
    QApplication::sendEvent(widget->viewport(), &event);
}

inline bool writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    file.close();
    return !executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes the icon theme "shareward-test" under directory, holding the given action icons, and
// "shareward-bare" holding none, and selects the first. Icons of a theme keep their names.
inline bool installIconThemes(const QString &directory, const QStringList &icons)
{
    const QByteArray index = "[Icon Theme]\nName=%1\nDirectories=16x16/actions\n\n"
                             "[16x16/actions]\nSize=16\nType=Fixed\n";
    for (const QString &theme : {QStringLiteral("shareward-test"), QStringLiteral("shareward-bare")}) {
        const QString actions = directory + QLatin1Char('/') + theme + QStringLiteral("/16x16/actions");
        if (!QDir().mkpath(actions)
            || !writeFile(directory + QLatin1Char('/') + theme + QStringLiteral("/index.theme"),
                          QByteArray(index).replace("%1", theme.toUtf8())))
            return false;
        if (theme != QLatin1String("shareward-test"))
            continue;
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::darkGreen);
        for (const QString &icon : icons) {
            if (!image.save(actions + QLatin1Char('/') + icon + QStringLiteral(".png")))
                return false;
        }
    }
    QIcon::setThemeSearchPaths({directory});
    QIcon::setThemeName(QStringLiteral("shareward-test"));
    return true;
}

} // namespace AccountDialogSupport
