#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A list parameter of smb.conf (valid users, write list, vfs objects...) as Samba reads and
// as the file writes it: blanks, commas and semicolons separate the entries; double quotes
// keep separators inside an entry and are not part of it (@"DOMAIN\Domain Users").
class SambaList
{
public:
    struct Entry
    {
        QString value; // as Samba reads it
        QString written; // as the line spells it, quotes and all
    };
    static QList<Entry> entries(const QString &text);
    // The values of the entries, in their order.
    static QStringList split(const QString &text);
    // The values as a line in the style of existing, the list's line as it is: its separator
    // between entries (a blank when it has none), and its spelling of the entries it holds.
    // An entry holding a separator is put in quotes.
    static QString join(const QStringList &values, const QString &existing = QString());
};
