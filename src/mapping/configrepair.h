#pragma once

#include "configdocument.h"
#include "systemprograms.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

class ConfigHistory;

// The repairs the start-up offers when testparm rejects smb.conf. A repair is planned
// first, so the administrator can be told every line it changes before accepting it, and
// applied only to the file it was planned on. It edits only the lines it names, keeps
// every other byte, and installs the result only after testparm no longer makes the
// complaint it repairs.
class ConfigRepair
{
    Q_DECLARE_TR_FUNCTIONS(ConfigRepair)

public:
    enum Kind {
        // "Ignoring invalid value '...' for parameter 'security'": the lines that give the
        // security parameter a value Samba rejects are removed.
        InvalidSecurity,
        // "Invalid idmap range for domain *!": the default domain gets a backend when it has
        // none and a free range of 5000 IDs from 3000 on when its range is missing or malformed.
        DefaultIdmapRange,
    };

    // One line the repair removes, adds or changes; values as Samba reads them.
    struct Change
    {
        int line = 0; // the line number in smb.conf, 0 for a new line
        QString section; // as the file names it
        QString key; // as written
        QString oldValue; // null for a new line
        QString newValue; // null for a removed line

        bool operator==(const Change &other) const
        {
            return line == other.line && section == other.section && key == other.key
                && oldValue.isNull() == other.oldValue.isNull() && oldValue == other.oldValue
                && newValue.isNull() == other.newValue.isNull() && newValue == other.newValue;
        }
    };

    ConfigRepair(const QString &path, const QString &testparmProgram = SystemPrograms::testparm());

    // Whether testparm's output makes the complaint a repair is for.
    static bool complains(Kind kind, const QString &output);

    // Reads smb.conf and works out the edits. False when it cannot be read or the repair
    // finds nothing to change there; errorString() says which.
    bool plan(Kind kind);
    const QList<Change> &changes() const { return m_changes; }
    // The range the default domain is given, "3000-7999"; empty when it keeps its own.
    QString defaultRange() const { return m_range; }

    // Installs the planned text when smb.conf is still the file planned on and testparm no
    // longer makes the complaint, through the same install as a save: under the lock, judged
    // by testparm, the version it replaces recorded in history first (unless history is
    // nullptr), as made by program. On failure smb.conf is left as it was.
    bool apply(ConfigHistory *history = nullptr, const QString &program = QString());
    QString errorString() const { return m_error; }
    // Why the history could not record the repair, which was made nonetheless; or empty.
    QString historyError() const { return m_historyError; }

private:
    bool planSecurity();
    bool planIdmapRange();
    bool fail(const QString &message);
    int lineNumber(std::size_t line) const;

    QString m_path;
    QString m_testparmProgram;
    Kind m_kind = InvalidSecurity;
    ConfigDocument m_document;
    QList<Change> m_changes;
    QString m_range;
    QString m_error;
    QString m_historyError;
};
