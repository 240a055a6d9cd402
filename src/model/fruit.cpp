#include "fruit.h"

const QString Fruit::TimeMachine = QStringLiteral("time machine");
const QString Fruit::TimeMachineMaxSize = QStringLiteral("time machine max size");
const QString Fruit::Metadata = QStringLiteral("metadata");
const QString Fruit::Model = QStringLiteral("model");
const QString Fruit::PosixRename = QStringLiteral("posix_rename");
const QString Fruit::VetoAppleDouble = QStringLiteral("veto_appledouble");
const QString Fruit::NfsAces = QStringLiteral("nfs_aces");
const QString Fruit::WipeIntentionallyLeftBlankRfork = QStringLiteral("wipe_intentionally_left_blank_rfork");
const QString Fruit::DeleteEmptyAdfiles = QStringLiteral("delete_empty_adfiles");

Fruit::Fruit()
    : OptionModule(QStringLiteral("fruit"), QStringLiteral("fruit"),
                   {TimeMachine, TimeMachineMaxSize, Metadata, Model, PosixRename, VetoAppleDouble, NfsAces,
                    WipeIntentionallyLeftBlankRfork, DeleteEmptyAdfiles})
{
}

QStringList Fruit::appleModules()
{
    return {QStringLiteral("catia"), QStringLiteral("fruit"), QStringLiteral("streams_xattr")};
}
