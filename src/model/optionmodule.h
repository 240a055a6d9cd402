#pragma once

#include "vfsmodule.h"

#include <QMap>
#include <QString>
#include <QStringList>

// A VFS module whose options are lines "PREFIX:KEY = VALUE" of the share (PREFIX is the
// module's name, but "shadow" for shadow_copy2): the keys the dialogs know and any other the
// file holds, every one kept and written back. A key is stored as the module names it
// (RecycleBin::Repository ...) when it is one of those, in any spelling Samba takes for it
// (case and blanks do not count), otherwise as first given; two spellings of one key are
// one option.
class OptionModule : public VFSModule
{
public:
    explicit OptionModule(const QString &name);
    ~OptionModule() override;

    // The word before the colon of the module's options.
    QString optionPrefix() const { return m_prefix; }

    // The value of PREFIX:key as written; null when the share does not set it.
    QString option(const QString &key) const { return m_options.value(key); }
    // Sets PREFIX:key; a null value unsets it.
    void setOption(const QString &key, const QString &value);
    const QMap<QString, QString> &options() const { return m_options; }

    // A yes/no option as Samba reads a boolean (yes/no, true/false, on/off, 1/0, any case,
    // blanks around it ignored); fallback when it is unset or no boolean.
    bool flag(const QString &key, bool fallback) const;
    // Writes "yes" or "no".
    void setFlag(const QString &key, bool value);

    bool operator==(const OptionModule &other) const
    {
        return name() == other.name() && m_options == other.m_options;
    }

protected:
    // A module whose options are prefix:KEY, with the keys it knows in their spelling.
    OptionModule(const QString &name, const QString &prefix, const QStringList &knownKeys);

private:
    // The spelling a key is stored under: a known key's, or one already stored.
    QString storedKey(const QString &key) const;

    QString m_prefix;
    QStringList m_knownKeys;
    QMap<QString, QString> m_options;
};
