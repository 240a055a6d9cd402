#pragma once

// Finding the widgets of a form by object name, reading lists, and keeping a suite's
// QSettings away from the administrator's.

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QWidget>

// The child of that object name; a missing one ends the suite, as the form is wrong.
template<typename T>
T *child(QWidget &parent, const char *name)
{
    T *widget = parent.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

inline QPushButton *okButton(QWidget &dialog)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok);
}

inline QPushButton *cancelButton(QWidget &dialog)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel);
}

inline QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

inline QStringList items(const QComboBox *combo)
{
    QStringList result;
    for (int index = 0; index < combo->count(); ++index)
        result << combo->itemText(index);
    return result;
}

// Window sizes and reminders go to INI files below directory, under this suite's name.
inline void useTestSettings(const QString &directory, const QString &applicationName)
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, directory);
    QCoreApplication::setOrganizationName(QStringLiteral("shareward-test"));
    QCoreApplication::setApplicationName(applicationName);
}
