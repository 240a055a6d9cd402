#pragma once

#include <QSet>
#include <QString>

// What makes a share name or directory acceptable, for every way of editing shares. Each
// check gives the administrator's message, or nothing when all is well.
class ShareRules
{
public:
    // A name with '[', ']' or a control character would write lines of its own, and one with
    // '*' reads as every share to smbcontrol's close-share; "global" and "globals" (any case,
    // any blanks) are Samba's server-wide settings; existing holds the lower-cased names of
    // the other shares.
    static QString nameProblem(const QString &name, const QSet<QString> &existing);
    // [printers] must be printable, as testparm says: a problem, or nothing.
    static QString printersProblem(const QString &name, bool printable);
    // The directory must exist; for a path Samba completes per connection (%U...), the
    // part before the first '%'.
    static QString directoryProblem(const QString &path);
    static bool dependsOnConnection(const QString &path) { return path.contains(QLatin1Char('%')); }
};
