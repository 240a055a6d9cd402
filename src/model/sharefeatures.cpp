#include "sharefeatures.h"

#include "fruit.h"
#include "recyclebin.h"
#include "shadowcopy.h"
#include "share.h"

#include <QList>
#include <QPair>

#include <memory>

namespace {

const QString Recycle = QStringLiteral("recycle");
const QString FruitName = QStringLiteral("fruit");
const QString ShadowCopyName = QStringLiteral("shadow_copy2");
const QString SnapperName = QStringLiteral("snapper");

// A copy of the stored module to edit, or a new one: stored modules are shared by copies of
// the record and never changed. A stored module of that name that is not of the type (made
// bare by hand) gives a new one.
template<class Module>
std::shared_ptr<Module> editable(const Share &share, const QString &name)
{
    if (const auto stored = std::dynamic_pointer_cast<Module>(share.vfsModule(name)))
        return std::make_shared<Module>(*stored);
    return std::make_shared<Module>();
}

// Stores an edited module unless it says what the stored one says, which then stays shared.
template<class Module>
void store(Share &share, const std::shared_ptr<Module> &edited)
{
    const auto stored = std::dynamic_pointer_cast<Module>(share.vfsModule(edited->name()));
    if (!stored || !(*stored == *edited))
        share.addVfsModule(edited);
}

// Sets an option unless it already says the same.
void setIfOther(OptionModule &module, const QString &key, const QString &value)
{
    if (module.option(key) != value)
        module.setOption(key, value);
}

using Options = QList<QPair<QString, QString>>;

// zfs-auto-snapshot names its snapshots zfs-auto-snap_LABEL-YYYY-MM-DD-HHMM, in local time
// unless told --utc. vfs_shadow_copy2(8): shadow:snapprefix is a basic regular expression
// a snapshot's name must match (here: its start, whatever the label), shadow:delimiter marks
// where the time begins ("-20" of the year), and the name from there on is read with
// shadow:format.
const QString zfsPrefix = QStringLiteral(
    "^zfs-auto-snap_\\(frequent\\)\\{0,1\\}\\(hourly\\)\\{0,1\\}\\(daily\\)\\{0,1\\}\\(monthly\\)\\{0,1\\}");

const Options &zfsOptions()
{
    static const Options options{
        {ShadowCopy::SnapDir, QStringLiteral(".zfs/snapshot")},
        {ShadowCopy::Format, QStringLiteral("-%Y-%m-%d-%H%M")},
        {ShadowCopy::SnapPrefix, zfsPrefix},
        {ShadowCopy::DelimiterPrefix, QStringLiteral("-20")},
        {ShadowCopy::Sort, QStringLiteral("desc")},
        {ShadowCopy::LocalTime, QStringLiteral("yes")},
    };
    return options;
}

// Whether the module's option says what a preset sets, in any spelling Samba reads alike.
bool says(const ShadowCopy &module, const QString &key, const QString &value)
{
    if (key == ShadowCopy::LocalTime) {
        const bool wanted = value == QLatin1String("yes");
        return module.flag(key, !wanted) == wanted;
    }
    return module.option(key) == value;
}

bool isZfs(const ShadowCopy &module)
{
    for (const auto &[key, value] : zfsOptions()) {
        if (!says(module, key, value))
            return false;
    }
    return true;
}

} // namespace

namespace ShareFeatures {

bool recycleBin(const Share &share)
{
    return share.hasVfsModule(Recycle);
}

void setRecycleBin(Share &share, bool on)
{
    if (!on) {
        share.removeVfsModule(Recycle);
        return;
    }
    if (recycleBin(share))
        return; // on already: its options stay as they are
    auto bin = std::make_shared<RecycleBin>();
    bin->setOption(RecycleBin::Repository, RecycleBin::suggestedRepository());
    bin->setFlag(RecycleBin::KeepTree, true);
    share.addVfsModule(bin);
}

bool appleClients(const Share &share)
{
    for (const QString &name : Fruit::appleModules()) {
        if (!share.hasVfsModule(name))
            return false;
    }
    return true;
}

void setAppleClients(Share &share, bool on)
{
    if (on == appleClients(share))
        return; // a lone streams_xattr or catia of other uses stays when off
    for (const QString &name : Fruit::appleModules()) {
        if (!on)
            share.removeVfsModule(name);
        else if (!share.hasVfsModule(name))
            share.addVfsModule(VFSModule::create(name));
    }
}

bool timeMachine(const Share &share)
{
    const auto fruit = std::dynamic_pointer_cast<Fruit>(share.vfsModule(FruitName));
    return appleClients(share) && fruit && fruit->flag(Fruit::TimeMachine, false);
}

void setTimeMachine(Share &share, bool on, const QString &maxSize)
{
    if (on)
        setAppleClients(share, true);
    else if (!share.hasVfsModule(FruitName))
        return;
    auto fruit = editable<Fruit>(share, FruitName);
    if (on) {
        // A "True" or "1" already there stays as written.
        if (!fruit->flag(Fruit::TimeMachine, false))
            fruit->setFlag(Fruit::TimeMachine, true);
        setIfOther(*fruit, Fruit::TimeMachineMaxSize, maxSize.isEmpty() ? QString() : maxSize);
    } else {
        fruit->setOption(Fruit::TimeMachine, QString());
        fruit->setOption(Fruit::TimeMachineMaxSize, QString());
    }
    store(share, fruit);
}

PreviousVersions previousVersions(const Share &share)
{
    const auto shadow = std::dynamic_pointer_cast<ShadowCopy>(share.vfsModule(ShadowCopyName));
    if (!shadow) {
        if (share.hasVfsModule(ShadowCopyName))
            return PreviousVersions::Custom;
        return share.hasVfsModule(SnapperName) ? PreviousVersions::Snapper : PreviousVersions::None;
    }
    return isZfs(*shadow) ? PreviousVersions::Zfs : PreviousVersions::Custom;
}

void setPreviousVersions(Share &share, PreviousVersions preset, const QString &snapDir, const QString &format)
{
    const PreviousVersions current = previousVersions(share);
    if (preset == PreviousVersions::None || preset == PreviousVersions::Snapper) {
        share.removeVfsModule(ShadowCopyName);
        if (preset == PreviousVersions::None)
            share.removeVfsModule(SnapperName);
        else if (!share.hasVfsModule(SnapperName))
            share.addVfsModule(VFSModule::create(SnapperName));
        return;
    }
    share.removeVfsModule(SnapperName);
    if (preset == current && preset == PreviousVersions::Zfs)
        return;
    auto shadow = editable<ShadowCopy>(share, ShadowCopyName);
    if (preset == PreviousVersions::Zfs) {
        for (const auto &[key, value] : zfsOptions()) {
            if (!says(*shadow, key, value))
                shadow->setOption(key, value);
        }
    } else {
        // Leaving the ZFS preset takes away what only it needs; the administrator's own
        // options stay.
        if (current == PreviousVersions::Zfs) {
            for (const auto &option : zfsOptions()) {
                if (option.first != ShadowCopy::SnapDir && option.first != ShadowCopy::Format)
                    shadow->setOption(option.first, QString());
            }
        }
        // Empty: Samba's default (.snapshots, @GMT-%Y.%m.%d-%H.%M.%S).
        setIfOther(*shadow, ShadowCopy::SnapDir, snapDir.isEmpty() ? QString() : snapDir);
        setIfOther(*shadow, ShadowCopy::Format, format.isEmpty() ? QString() : format);
    }
    store(share, shadow);
}

} // namespace ShareFeatures
