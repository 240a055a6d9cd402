#pragma once

#include "optionmodule.h"

// Samba's fruit module: Apple SMB extensions for macOS clients, and Time Machine backups
// (vfs_fruit(8)). It works together with catia and streams_xattr.
class Fruit : public OptionModule
{
public:
    Fruit();

    static const QString TimeMachine; // "time machine"
    static const QString TimeMachineMaxSize; // "time machine max size", e.g. "1T"
    static const QString Metadata; // "metadata": "stream" or "netatalk"
    static const QString Model; // "model": the icon Finder shows
    static const QString PosixRename; // "posix_rename"
    static const QString VetoAppleDouble; // "veto_appledouble"
    static const QString NfsAces; // "nfs_aces"
    static const QString WipeIntentionallyLeftBlankRfork; // "wipe_intentionally_left_blank_rfork"
    static const QString DeleteEmptyAdfiles; // "delete_empty_adfiles"

    // The modules macOS clients need, in the order vfs_fruit(8) requires.
    static QStringList appleModules(); // catia fruit streams_xattr
};
