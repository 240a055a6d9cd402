#include "sharecommand.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "argumentscan.h"
#include "audit.h"
#include "commandlinetool.h"
#include "configmapper.h"
#include "configvalues.h"
#include "fruit.h"
#include "fullaudit.h"
#include "recordjson.h"
#include "recordoption.h"
#include "recyclebin.h"
#include "samballist.h"
#include "shadowcopy.h"
#include "sharefeatures.h"
#include "shareoptions.h"
#include "sharerules.h"
#include "standardshares.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

namespace {

QStringList listOf(const QString &value)
{
    QStringList names;
    for (const QString &name : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    }
    return names;
}

// "KEY=VALUE" of an option that sets a module's options; an empty value unsets the key.
QString splitModuleOption(const char *option, const QString &text, QString &key, QString &value)
{
    if (!splitParameter(text, key, value).isEmpty())
        return QStringLiteral("%1 takes KEY=VALUE, not '%2'").arg(QLatin1String(option), text);
    if (value.isEmpty())
        value = QString(); // null: unset
    return QString();
}

// Sets one option of the share's module of that type and name, as a new module: stored
// ones are shared by copies of the record. False when the share has no such module.
template<class Module>
bool setModuleOption(Share &share, const QString &name, const QString &key, const QString &value)
{
    const auto stored = std::dynamic_pointer_cast<Module>(share.vfsModule(name));
    if (!stored)
        return false;
    auto changed = std::make_shared<Module>(*stored);
    changed->setOption(key, value);
    share.addVfsModule(changed);
    return true;
}

bool parsePreviousVersions(const QString &value, ShareFeatures::PreviousVersions &preset)
{
    using ShareFeatures::PreviousVersions;
    static const QMap<QString, PreviousVersions> presets{
        {QStringLiteral("none"), PreviousVersions::None},
        {QStringLiteral("snapper"), PreviousVersions::Snapper},
        {QStringLiteral("zfs"), PreviousVersions::Zfs},
        {QStringLiteral("custom"), PreviousVersions::Custom},
    };
    const auto found = presets.find(value);
    if (found == presets.end())
        return false;
    preset = *found;
    return true;
}

const std::vector<RecordOption<Share>> &shareOptions()
{
    static const std::vector<RecordOption<Share>> options{
        {"--path", "DIR", "the shared directory (%U and other substitutions allowed)",
         [](Share &share, const QString &value) {
             // A share of a disk not mounted now keeps its path.
             const bool unchanged = !share.originalName().isEmpty() && value == share.path();
             share.setPath(value);
             return unchanged ? QString() : ShareRules::directoryProblem(value);
         }},
        {"--comment", "TEXT", "the description clients see",
         [](Share &share, const QString &value) {
             share.setComment(value);
             return QString();
         }},
        {"--read-only", nullptr, "clients may only read",
         [](Share &share, const QString &) {
             share.setReadOnly(true);
             return QString();
         }},
        {"--writable", nullptr, "clients may write",
         [](Share &share, const QString &) {
             share.setReadOnly(false);
             return QString();
         }},
        {"--guest", "ok|only|no", "guests allowed, guests only, or no guests",
         [](Share &share, const QString &value) {
             if (value != QLatin1String("ok") && value != QLatin1String("only")
                 && value != QLatin1String("no"))
                 return QStringLiteral("--guest takes ok, only or no, not '%1'").arg(value);
             share.setGuestOk(value != QLatin1String("no"));
             share.setGuestOnly(value == QLatin1String("only"));
             return QString();
         }},
        {"--valid-users", "LIST", "the only users and @groups admitted, comma-separated (empty: all)",
         [](Share &share, const QString &value) {
             share.setValidUsers(listOf(value));
             return QString();
         }},
        {"--write-list", "LIST", "users and @groups who may write even to a read-only share, comma-separated",
         [](Share &share, const QString &value) {
             // As given: plain names are users, @names groups.
             const QStringList names = listOf(value);
             if (names.isEmpty())
                 share.unsetOtherParameter(QStringLiteral("write list"));
             else
                 share.setOtherParameter(QStringLiteral("write list"), SambaList::join(names));
             return QString();
         }},
        {"--browseable", "yes|no", "whether clients see the share in lists",
         [](Share &share, const QString &value) {
             bool flag = true;
             const QString problem = parseYesNo(value, flag);
             share.setBrowseable(flag);
             return problem;
         }},
        {"--printable", "yes|no", "whether the share is a printer",
         [](Share &share, const QString &value) {
             bool flag = false;
             const QString problem = parseYesNo(value, flag);
             share.setPrintable(flag);
             return problem;
         }},
        {"--create-mask", "MODE", "the octal mask of new files, such as 0644 (empty: Samba's default)",
         [](Share &share, const QString &value) {
             static const QRegularExpression octal(QStringLiteral("^0?[0-7]{3,4}$"));
             share.setCreateMask(value);
             return value.isEmpty() || octal.match(value).hasMatch()
                 ? QString()
                 : QStringLiteral("--create-mask takes an octal mode such as 0644, not '%1'").arg(value);
         }},
        {"--audit", "none|simple|full|simple,full", "the audit modules of the share",
         [](Share &share, const QString &value) {
             const QStringList kinds = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
             for (const QString &kind : kinds) {
                 if (kind != QLatin1String("none") && kind != QLatin1String("simple")
                     && kind != QLatin1String("full"))
                     return QStringLiteral("--audit takes none, simple, full or simple,full, not '%1'")
                         .arg(value);
             }
             // A module kept keeps its settings; one added gets the dialog's defaults.
             const bool simple = kinds.contains(QLatin1String("simple"));
             const bool full = kinds.contains(QLatin1String("full"));
             if (!simple)
                 share.removeVfsModule(QStringLiteral("audit"));
             else if (!share.hasVfsModule(QStringLiteral("audit")))
                 share.addVfsModule(std::make_shared<Audit>());
             if (!full)
                 share.removeVfsModule(QStringLiteral("full_audit"));
             else if (!share.hasVfsModule(QStringLiteral("full_audit")))
                 share.addVfsModule(std::make_shared<FullAudit>());
             return QString();
         }},
        {"--audit-operations", "LIST",
         "what full audit logs, on success and on failure: operation names, all or none, comma-separated",
         [](Share &share, const QString &value) {
             const std::shared_ptr<VFSModule> module = share.vfsModule(QStringLiteral("full_audit"));
             const auto full = std::dynamic_pointer_cast<FullAudit>(module);
             if (!full)
                 return QStringLiteral("--audit-operations needs full audit (--audit full)");
             // Stored modules are shared by copies of the record: a changed one is a new one.
             auto changed = std::make_shared<FullAudit>(*full);
             const VfsOperationSet operations = parseOperationSet(listOf(value).join(QLatin1Char(' ')));
             changed->setSuccessOperations(operations);
             changed->setFailureOperations(operations);
             share.addVfsModule(changed);
             return QString();
         }},
        {"--acl-module", "none|xattr|tdb",
         "where Windows ACLs are kept: Samba's default, acl_xattr or acl_tdb",
         [](Share &share, const QString &value) {
             if (value != QLatin1String("none") && value != QLatin1String("xattr")
                 && value != QLatin1String("tdb"))
                 return QStringLiteral("--acl-module takes none, xattr or tdb, not '%1'").arg(value);
             const QString wanted =
                 value == QLatin1String("none") ? QString() : QStringLiteral("acl_") + value;
             for (const QString &name : {QStringLiteral("acl_xattr"), QStringLiteral("acl_tdb")}) {
                 if (name != wanted)
                     share.removeVfsModule(name);
             }
             if (!wanted.isEmpty() && !share.hasVfsModule(wanted)) {
                 share.addVfsModule(wanted == QLatin1String("acl_xattr")
                                        ? std::shared_ptr<VFSModule>(std::make_shared<ACLXAttr>())
                                        : std::make_shared<ACLTDB>());
                 share.setAclByDefault(false);
             }
             return QString();
         }},
        {"--acl", "FLAG=yes|no", "one of the nine ACL settings, such as inherit-acls=yes (repeatable)",
         [](Share &share, const QString &value) {
             QString flag;
             QString text;
             const int equals = value.indexOf(QLatin1Char('='));
             flag = value.left(equals).trimmed().replace(QLatin1Char('-'), QLatin1Char(' '));
             text = value.mid(equals + 1).trimmed();
             bool on = false;
             if (equals < 0 || !parseYesNo(text, on).isEmpty())
                 return QStringLiteral("--acl takes FLAG=yes|no, not '%1'").arg(value);
             for (const ShareOptions::AclOption &option : ShareOptions::aclOptions()) {
                 if (flag != QLatin1String(option.key))
                     continue;
                 if (share.aclByDefault()) {
                     // The other eight keep the values they have now, written out with this one.
                     share.setAclByDefault(false);
                 }
                 (share.*option.set)(on);
                 return QString();
             }
             QStringList flags;
             for (const ShareOptions::AclOption &option : ShareOptions::aclOptions())
                 flags << QString::fromLatin1(option.key).replace(QLatin1Char(' '), QLatin1Char('-'));
             return QStringLiteral("unknown ACL setting '%1'; the settings are %2")
                 .arg(value, flags.join(QStringLiteral(", ")));
         }},
        {"--recycle-bin", "yes|no", "deleted files go to a recycle bin, .recycle/USER with their folders",
         [](Share &share, const QString &value) {
             bool on = false;
             const QString problem = parseYesNo(value, on);
             if (problem.isEmpty())
                 ShareFeatures::setRecycleBin(share, on);
             return problem;
         }},
        {"--recycle-param", "KEY=VALUE",
         "an option of the recycle bin, recycle:KEY (repeatable; an empty VALUE unsets it)",
         [](Share &share, const QString &value) {
             QString key;
             QString text;
             if (const QString problem = splitModuleOption("--recycle-param", value, key, text);
                 !problem.isEmpty())
                 return problem;
             if (!setModuleOption<RecycleBin>(share, QStringLiteral("recycle"), key, text))
                 return QStringLiteral("--recycle-param needs a recycle bin (--recycle-bin yes)");
             return QString();
         }},
        {"--apple-clients", "yes|no", "Apple SMB extensions for macOS clients (catia, fruit, streams_xattr)",
         [](Share &share, const QString &value) {
             bool on = false;
             const QString problem = parseYesNo(value, on);
             if (problem.isEmpty())
                 ShareFeatures::setAppleClients(share, on);
             return problem;
         }},
        {"--time-machine", "yes|no", "a Time Machine backup target for Macs; yes turns on Apple clients too",
         [](Share &share, const QString &value) {
             bool on = false;
             const QString problem = parseYesNo(value, on);
             if (!problem.isEmpty())
                 return problem;
             // The size set already stays.
             const auto fruit = std::dynamic_pointer_cast<Fruit>(share.vfsModule(QStringLiteral("fruit")));
             ShareFeatures::setTimeMachine(share, on,
                                           fruit ? fruit->option(Fruit::TimeMachineMaxSize) : QString());
             return QString();
         }},
        {"--time-machine-max-size", "SIZE",
         "the disk size Time Machine sees, such as 500G (K, M, G, T or P; empty: the disk's)",
         [](Share &share, const QString &value) {
             // vfs_fruit reads it as Samba reads sizes: digits and one optional unit.
             static const QRegularExpression size(QStringLiteral("^[0-9]+[KMGTP]?$"),
                                                  QRegularExpression::CaseInsensitiveOption);
             if (!value.isEmpty() && !size.match(value).hasMatch())
                 return QStringLiteral("--time-machine-max-size takes digits and an optional unit K, M, G, T "
                                       "or P, such as 500G, not '%1'")
                     .arg(value);
             if (!ShareFeatures::timeMachine(share))
                 return QStringLiteral("--time-machine-max-size needs Time Machine (--time-machine yes)");
             ShareFeatures::setTimeMachine(share, true, value);
             return QString();
         }},
        {"--previous-versions", "none|snapper|zfs|custom",
         "previous versions from snapshots (custom: of --snapshot-param snapdir and format)",
         [](Share &share, const QString &value) {
             using ShareFeatures::PreviousVersions;
             PreviousVersions preset = PreviousVersions::None;
             if (!parsePreviousVersions(value, preset))
                 return QStringLiteral("--previous-versions takes none, snapper, zfs or custom, not '%1'")
                     .arg(value);
             // A custom share keeps its snapshot directory and format; the ZFS preset's are no
             // custom ones and go (see finishOptions).
             QString snapDir;
             QString format;
             const auto shadow =
                 std::dynamic_pointer_cast<ShadowCopy>(share.vfsModule(QStringLiteral("shadow_copy2")));
             if (shadow && ShareFeatures::previousVersions(share) == PreviousVersions::Custom) {
                 snapDir = shadow->option(ShadowCopy::SnapDir);
                 format = shadow->option(ShadowCopy::Format);
             }
             ShareFeatures::setPreviousVersions(share, preset, snapDir, format);
             return QString();
         }},
        {"--snapshot-param", "KEY=VALUE",
         "an option of the snapshots' shadow_copy2, shadow:KEY (repeatable; an empty VALUE unsets it)",
         [](Share &share, const QString &value) {
             QString key;
             QString text;
             if (const QString problem = splitModuleOption("--snapshot-param", value, key, text);
                 !problem.isEmpty())
                 return problem;
             if (!setModuleOption<ShadowCopy>(share, QStringLiteral("shadow_copy2"), key, text))
                 return QStringLiteral(
                     "--snapshot-param needs previous versions from shadow_copy2 (--previous-versions zfs or "
                     "custom)");
             return QString();
         }},
        {"--set-directory-permissions", nullptr,
         "after the save, gives the directory mode 0555 (read-only) or 1777 (writable: everyone may "
         "add files, only a file's owner may remove or rename it)",
         [](Share &share, const QString &) {
             // Decided from the access once every option is applied: see finishOptions.
             share.setSetDirectoryPermissions(true);
             return QString();
         }},
        {"--param", "KEY=VALUE", "any other smb.conf parameter of the share (repeatable)",
         [](Share &share, const QString &value) {
             QString key;
             QString text;
             if (const QString problem = splitParameter(value, key, text); !problem.isEmpty())
                 return problem;
             if (const QString problem = parameterNameProblem(key); !problem.isEmpty())
                 return problem;
             share.setOtherParameter(key, text);
             return QString();
         }},
        {"--unset", "KEY", "removes a parameter from the share, in every spelling",
         [](Share &share, const QString &value) {
             share.unsetOtherParameter(value.trimmed());
             return QString();
         }},
    };
    return options;
}

// The options of arguments[from...], each with its value when it takes one.
QList<QStringList> givenOptions(const QStringList &arguments, int from)
{
    QList<QStringList> given;
    for (int i = from; i < arguments.size(); ++i) {
        int count = 1;
        for (const RecordOption<Share> &option : shareOptions()) {
            if (arguments.at(i) == QLatin1String(option.name) && option.value && i + 1 < arguments.size())
                count = 2;
        }
        given << arguments.mid(i, count);
        i += count - 1;
    }
    return given;
}

// The value last given to an option of the command's; null when it is not given.
QString givenValue(const QList<QStringList> &given, const QString &option)
{
    QString value;
    for (const QStringList &words : given) {
        if (words.first() == option)
            value = words.value(1, QStringLiteral(""));
    }
    return value;
}

bool givesYes(const QList<QStringList> &given, const QString &option, bool yes)
{
    const QString value = givenValue(given, option);
    bool on = !yes;
    return !value.isNull() && parseYesNo(value, on).isEmpty() && on == yes;
}

// The switches of the share's features go first, each with its value, so that their options
// may stand before them: "--recycle-param versions=yes --recycle-bin yes" is a recycle bin
// that keeps versions.
QStringList switchesFirst(const QStringList &arguments, int from)
{
    static const QStringList switches{QStringLiteral("--recycle-bin"), QStringLiteral("--apple-clients"),
                                      QStringLiteral("--time-machine"),
                                      QStringLiteral("--previous-versions")};
    QStringList first = arguments.mid(0, from);
    QStringList rest;
    for (const QStringList &words : givenOptions(arguments, from))
        (switches.contains(words.first()) ? first : rest) << words;
    return first + rest;
}

// What is judged once every option is applied: the directory mode follows the share's final
// access, as the dialog's box does, and the features asked for must be whole.
QString finishOptions(Share &share, const QStringList &arguments)
{
    const QList<QStringList> given = givenOptions(arguments, 1);
    if (!givenValue(given, QStringLiteral("--set-directory-permissions")).isNull())
        share.setDirectoryModeChange(share.readOnly() ? Share::MakeReadOnly : Share::MakeWritable);
    if (givesYes(given, QStringLiteral("--time-machine"), true)
        && givesYes(given, QStringLiteral("--apple-clients"), false))
        return QStringLiteral("--time-machine yes needs the Apple clients that --apple-clients no turns off");
    if (givenValue(given, QStringLiteral("--previous-versions")) == QLatin1String("custom")) {
        // Samba's defaults would be .snapshots and @GMT-...: custom names both.
        const auto shadow =
            std::dynamic_pointer_cast<ShadowCopy>(share.vfsModule(QStringLiteral("shadow_copy2")));
        if (!shadow || shadow->option(ShadowCopy::SnapDir).isEmpty()
            || shadow->option(ShadowCopy::Format).isEmpty())
            return QStringLiteral("--previous-versions custom needs --snapshot-param snapdir=DIR and "
                                  "--snapshot-param format=FORMAT");
    }
    return QString();
}

// Samba compares share names without regard to case.
// The share of that name Samba serves: a definition shadowed by the registry's comes second.
int indexOf(const QList<Share> &shares, const QString &name)
{
    int found = -1;
    for (int i = 0; i < shares.size(); ++i) {
        if (shares.at(i).name().compare(name.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        if (!shares.at(i).shadowed())
            return i;
        if (found < 0)
            found = i;
    }
    return found;
}

// The names of the shares in the list but except, and of those not loaded.
QSet<QString> otherNames(const QList<Share> &shares, const Share *except, const QSet<QString> &notLoaded)
{
    QSet<QString> names = notLoaded;
    for (const Share &share : shares) {
        if (&share != except)
            names.insert(share.name().trimmed().toLower());
    }
    return names;
}

QString unknown(const QString &name)
{
    return QStringLiteral("unknown share '%1'").arg(name);
}

// share add and set: NAME, given once, before or among the options or after "--", and the
// options each with its value next to it; a usage problem, or nothing.
QString nameAndOptions(const QStringList &arguments, QString &name, QStringList &options)
{
    const QStringList values = ShareCommand::valueOptions();
    QList<ArgumentScan::Item> items;
    if (const QString problem = ArgumentScan::scan(arguments, values, items); !problem.isEmpty())
        return problem;
    const QStringList operands = ArgumentScan::operands(items);
    if (operands.size() != 1)
        return operands.isEmpty()
            ? QStringLiteral("the share's NAME is missing")
            : QStringLiteral("one share NAME, not '%1'").arg(operands.join(QStringLiteral("' '")));
    name = operands.first();
    QList<ArgumentScan::Item> given;
    for (const ArgumentScan::Item &item : items) {
        if (!item.option.isEmpty())
            given << item;
    }
    options = QStringList{name} + ArgumentScan::join(given, values);
    return QString();
}

// show, remove, rename and move: count NAMEs, before, among or after the options or after
// "--", and the options given of those allowed (a switch with an empty value); a usage
// problem, or nothing.
QString namesAndOptions(const QStringList &arguments, int count, const QStringList &allowed,
                        QStringList &names, QMap<QString, QString> &options)
{
    QList<ArgumentScan::Item> items;
    if (const QString problem = ArgumentScan::scan(arguments, ShareCommand::valueOptions(), items);
        !problem.isEmpty())
        return problem;
    for (const ArgumentScan::Item &item : items) {
        if (item.option.isEmpty())
            names << item.value;
        else if (!allowed.contains(item.option) || options.contains(item.option))
            return QStringLiteral("unexpected option '%1'").arg(item.option);
        else
            options.insert(item.option, item.value.isNull() ? QStringLiteral("") : item.value);
    }
    if (names.size() != count)
        return QStringLiteral("%1 share NAME%2 expected, not '%3'")
            .arg(count)
            .arg(count == 1 ? QString() : QStringLiteral("s"))
            .arg(names.join(QStringLiteral("' '")));
    return QString();
}

} // namespace

ShareCommand::ShareCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

QStringList ShareCommand::valueOptions()
{
    return valueOptionNames(shareOptions()) << QStringLiteral("--to");
}

int ShareCommand::usage(int code)
{
    std::ostream &stream = m_tool.out();
    stream
        << "usage: shareward-cli [--config FILE] [--dry-run] share COMMAND\n\n"
           "  share list [--registry|--file] [--json]\n"
           "                                      the shares: name, path, comment, access, guests, printer;\n"
           "                                      where Samba's registry configuration is used, also where\n"
           "                                      each is stored (smb.conf, registry) and whether it is\n"
           "                                      shadowed by the registry's share of that name\n"
           "  share show NAME [--json]            one share's settings\n"
           "  share add NAME --path DIR [OPTION...]\n"
           "  share set NAME OPTION...\n"
           "  share remove NAME\n"
           "  share rename NAME NEWNAME\n"
           "  share move NAME --to registry|file  move a share with all its parameters between smb.conf\n"
           "                                      and Samba's registry configuration\n\n"
           "options:\n"
        << optionHelp(shareOptions());
    return code;
}

int ShareCommand::run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("help"))
        return usage(CommandLineTool::Success);
    if (command == QLatin1String("list"))
        return list(rest);
    if (command == QLatin1String("show"))
        return show(rest);
    if (command == QLatin1String("add"))
        return add(rest);
    if (command == QLatin1String("set"))
        return set(rest);
    if (command == QLatin1String("remove"))
        return remove(rest);
    if (command == QLatin1String("rename"))
        return rename(rest);
    if (command == QLatin1String("move"))
        return move(rest);
    m_tool.fail(CommandLineTool::UsageError, QStringLiteral("unknown share command '%1'").arg(command));
    return usage(CommandLineTool::UsageError);
}

int ShareCommand::list(const QStringList &arguments)
{
    bool json = false;
    int only = -1; // a Share::StoredIn, or every share
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--json") && !json)
            json = true;
        else if (argument == QLatin1String("--registry") && only < 0)
            only = Share::StoredInRegistry;
        else if (argument == QLatin1String("--file") && only < 0)
            only = Share::StoredInFile;
        else
            return usage(CommandLineTool::UsageError);
    }
    return m_tool.read([this, json, only](const SambaSettings &, const QList<Share> &shares) {
        std::ostream &out = m_tool.out();
        const bool registry = m_tool.registryInUse();
        QJsonArray array;
        for (const Share &share : shares) {
            if (only >= 0 && share.storedIn() != only)
                continue;
            if (json) {
                array.append(shareJson(share));
                continue;
            }
            const QString guests = share.guestOnly() ? QStringLiteral("guests-only")
                : share.guestOk()                    ? QStringLiteral("guests")
                                                     : QStringLiteral("no-guests");
            QStringList fields{
                share.name(),    share.path(),
                share.comment(), share.readOnly() ? QStringLiteral("read-only") : QStringLiteral("writable"),
                guests,          share.printable() ? QStringLiteral("printer") : QStringLiteral("share")};
            if (registry)
                fields << RecordJson::storedInText(share)
                        + (share.shadowed() ? QStringLiteral(",shadowed") : QString());
            out << fields.join(QLatin1Char('\t')).toStdString() << '\n';
        }
        if (json)
            out << QJsonDocument(array).toJson().toStdString();
        return int(CommandLineTool::Success);
    });
}

QJsonObject ShareCommand::shareJson(const Share &share) const
{
    // Where smb.conf leads Samba to the registry, where each share is kept matters.
    return RecordJson::share(share, m_tool.registryInUse());
}

int ShareCommand::move(const QStringList &arguments)
{
    QStringList names;
    QMap<QString, QString> options;
    if (const QString problem = namesAndOptions(arguments, 1, {QStringLiteral("--to")}, names, options);
        !problem.isEmpty()) {
        m_tool.fail(CommandLineTool::UsageError, problem);
        return usage(CommandLineTool::UsageError);
    }
    const QString where = options.value(QStringLiteral("--to"));
    if (where != QLatin1String("registry") && where != QLatin1String("file"))
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("--to takes registry or file, not '%1'").arg(where));
    const Share::StoredIn to =
        where == QLatin1String("registry") ? Share::StoredInRegistry : Share::StoredInFile;
    const QString name = names.first();
    return m_tool.transfer([&name, to](ConfigMapper &mapper) { return mapper.moveShare(name, to); });
}

int ShareCommand::show(const QStringList &arguments)
{
    QStringList names;
    QMap<QString, QString> options;
    if (const QString problem = namesAndOptions(arguments, 1, {QStringLiteral("--json")}, names, options);
        !problem.isEmpty()) {
        m_tool.fail(CommandLineTool::UsageError, problem);
        return usage(CommandLineTool::UsageError);
    }
    const QString name = names.first();
    const bool json = options.contains(QStringLiteral("--json"));
    return m_tool.read([this, name, json](const SambaSettings &, const QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return m_tool.fail(CommandLineTool::Failure, unknown(name));
        const QJsonObject object = shareJson(shares.at(index));
        if (json) {
            m_tool.out() << QJsonDocument(object).toJson().toStdString();
            return int(CommandLineTool::Success);
        }
        for (auto it = object.begin(); it != object.end(); ++it)
            m_tool.out() << it.key().toStdString() << ": " << RecordJson::text(it.value()).toStdString()
                         << '\n';
        return int(CommandLineTool::Success);
    });
}

int ShareCommand::add(const QStringList &given)
{
    if (given.isEmpty())
        return usage(CommandLineTool::UsageError);
    QString name;
    QStringList arguments;
    if (const QString problem = nameAndOptions(given, name, arguments); !problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    name = name.trimmed();
    std::vector<std::function<QString(Share &)>> changes;
    const QString problem = parseOptions(shareOptions(), switchesFirst(arguments, 1), 1, changes);
    if (!problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    return m_tool.editShare(name, [&](SambaSettings &, QList<Share> &shares) {
        if (const QString refused =
                ShareRules::nameProblem(name, otherNames(shares, nullptr, m_tool.otherShareNames()));
            !refused.isEmpty())
            return refused;
        // [printers] starts as Samba needs it: printable, and not listed itself.
        Share share = name.compare(StandardShares::printersName(), Qt::CaseInsensitive) == 0
            ? StandardShares::printers()
            : Share();
        share.setName(name);
        // Samba reads nothing else there.
        if (m_tool.registryUse() == RegistryConfig::Backend)
            share.setStoredIn(Share::StoredInRegistry);
        for (const auto &change : changes) {
            if (const QString refused = change(share); !refused.isEmpty())
                return refused;
        }
        if (const QString refused = finishOptions(share, arguments); !refused.isEmpty())
            return refused;
        if (const QString refused = ShareRules::printersProblem(name, share.printable()); !refused.isEmpty())
            return refused;
        // [homes] needs no path: each user gets his home.
        if (name.toLower() != QLatin1String("homes") && share.path().isEmpty())
            return QStringLiteral("share add needs --path DIR");
        shares.append(share);
        return QString();
    });
}

int ShareCommand::set(const QStringList &given)
{
    QString name;
    QStringList arguments;
    if (const QString problem = nameAndOptions(given, name, arguments); !problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    if (arguments.size() < 2)
        return usage(CommandLineTool::UsageError);
    std::vector<std::function<QString(Share &)>> changes;
    const QString problem = parseOptions(shareOptions(), switchesFirst(arguments, 1), 1, changes);
    if (!problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    return m_tool.editShare(name, [&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        Share &share = shares[index];
        const bool wasPrintable = share.printable();
        for (const auto &change : changes) {
            if (const QString refused = change(share); !refused.isEmpty())
                return refused;
        }
        // A [printers] the file already has as it is stays editable.
        const QString refused =
            wasPrintable ? ShareRules::printersProblem(share.name(), share.printable()) : QString();
        return refused.isEmpty() ? finishOptions(share, arguments) : refused;
    });
}

int ShareCommand::remove(const QStringList &arguments)
{
    QStringList names;
    QMap<QString, QString> options;
    if (const QString problem = namesAndOptions(arguments, 1, {}, names, options); !problem.isEmpty()) {
        m_tool.fail(CommandLineTool::UsageError, problem);
        return usage(CommandLineTool::UsageError);
    }
    const QString name = names.first();
    return m_tool.editShare(name, [&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        shares.removeAt(index);
        return QString();
    });
}

int ShareCommand::rename(const QStringList &arguments)
{
    QStringList names;
    QMap<QString, QString> options;
    if (const QString problem = namesAndOptions(arguments, 2, {}, names, options); !problem.isEmpty()) {
        m_tool.fail(CommandLineTool::UsageError, problem);
        return usage(CommandLineTool::UsageError);
    }
    const QString name = names.at(0);
    const QString newName = names.at(1).trimmed();
    return m_tool.editShare(name, [&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        Share *share = &shares[index];
        if (const QString refused =
                ShareRules::nameProblem(newName, otherNames(shares, share, m_tool.otherShareNames()));
            !refused.isEmpty())
            return refused;
        share->setName(newName);
        return QString();
    });
}
