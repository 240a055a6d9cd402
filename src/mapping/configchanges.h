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
    // The same, on documents already read: only the sections owning lines between the lines
    // both texts begin and end with are compared.
    static ConfigChanges between(const ConfigDocument &beforeDocument, const ConfigTables &beforeTables,
                                 const ConfigDocument &afterDocument, const ConfigTables &afterTables);

    // A comparison in two steps, so that the two texts of a large file need not be read at
    // once: scan() keeps what the text before says of the sections an edit may have touched,
    // finish() compares that with the text after, once it is read.
    class Scan
    {
    public:
        Scan();
        ~Scan();
        Scan(Scan &&) noexcept;

        struct Section;
        struct Globals;

    private:
        friend class ConfigChanges;
        void read(const ConfigDocument &document, const ConfigTables &tables, std::vector<Section> &shares,
                  Globals &globals) const;

        bool m_same = false;
        bool m_all = false; // every section is compared
        std::unordered_set<std::string> m_touched;
        std::vector<Section> m_shares;
        std::unique_ptr<Globals> m_globals;
    };
    static Scan scan(const ConfigDocument &before, const ConfigTables &beforeTables, std::string_view after);
    static ConfigChanges finish(const Scan &scan, const ConfigDocument &after,
                                const ConfigTables &afterTables);

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
