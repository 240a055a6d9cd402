#pragma once

#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class ConfigDocument;
class ConfigTables;

// What differs between two texts of smb.conf as Samba reads them: shares added, removed,
// renamed and changed, and the [global] parameters changed. Comments, blank lines, layout and
// the spelling of keys do not count; a key set to another value does, and so does one added
// or removed.
class ConfigChanges
{
public:
    static ConfigChanges between(const std::string &before, const std::string &after);
    // The same, on the text before already read: only the sections owning lines between the
    // bytes both texts begin and end with are compared, and only their lines of after are read.
    static ConfigChanges between(const ConfigDocument &before, const ConfigTables &beforeTables,
                                 std::string_view after);

    bool isEmpty() const;
    // One line, for the history: "share team added; workgroup changed; share old removed".
    // Global parameters are named by their canonical key; at most a few of each kind are named
    // before "and N more".
    QString summary() const;
    // The changed [global] parameters that Samba takes up only when smbd or nmbd restart,
    // by their canonical keys; empty when a reload-config is enough.
    QStringList restartParameters() const;
    bool needsRestart() const { return !restartParameters().isEmpty(); }
    // Whether key (any spelling) takes effect only when the services restart.
    static bool needsRestart(const QString &key);

    QStringList addedShares;
    QStringList removedShares;
    QList<QPair<QString, QString>> renamedShares; // old name, new name
    QStringList changedShares;
    QStringList changedGlobals; // canonical keys, in the order of the file after the change
};
