#include "sharecommand.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "commandlinetool.h"
#include "configvalues.h"
#include "fullaudit.h"
#include "recordjson.h"
#include "recordoption.h"
#include "shareoptions.h"
#include "sharerules.h"

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
                 share.setOtherParameter(QStringLiteral("write list"), names.join(QLatin1Char(' ')));
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
        {"--set-directory-permissions", nullptr,
         "after the save, gives the directory mode 0555 (read-only) or 0777 (writable)",
         [](Share &share, const QString &) {
             // Decided from the access once every option is applied: see finishOptions.
             share.setSetDirectoryPermissions(true);
             return QString();
         }},
        {"--param", "KEY=VALUE", "any other smb.conf parameter of the share (repeatable)",
         [](Share &share, const QString &value) {
             QString key;
             QString text;
             const QString problem = splitParameter(value, key, text);
             if (problem.isEmpty())
                 share.setOtherParameter(key, text);
             return problem;
         }},
        {"--unset", "KEY", "removes a parameter from the share, in every spelling",
         [](Share &share, const QString &value) {
             share.unsetOtherParameter(value.trimmed());
             return QString();
         }},
    };
    return options;
}

// The directory mode follows the share's final access, as the dialog's box does.
void finishOptions(Share &share, bool setDirectoryPermissions)
{
    if (setDirectoryPermissions)
        share.setDirectoryModeChange(share.readOnly() ? Share::MakeReadOnly : Share::MakeWritable);
}

bool asksDirectoryPermissions(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--set-directory-permissions"));
}

// Samba compares share names without regard to case.
int indexOf(const QList<Share> &shares, const QString &name)
{
    for (int i = 0; i < shares.size(); ++i) {
        if (shares.at(i).name().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QSet<QString> otherNames(const QList<Share> &shares, const Share *except)
{
    QSet<QString> names;
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

} // namespace

ShareCommand::ShareCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

int ShareCommand::usage(int code)
{
    std::ostream &stream = m_tool.out();
    stream
        << "usage: shareward-cli [--config FILE] [--dry-run] share COMMAND\n\n"
           "  share list [--json]                 the shares: name, path, comment, access, guests, printer\n"
           "  share show NAME [--json]            one share's settings\n"
           "  share add NAME --path DIR [OPTION...]\n"
           "  share set NAME OPTION...\n"
           "  share remove NAME\n"
           "  share rename NAME NEWNAME\n\n"
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
    m_tool.fail(CommandLineTool::UsageError, QStringLiteral("unknown share command '%1'").arg(command));
    return usage(CommandLineTool::UsageError);
}

int ShareCommand::list(const QStringList &arguments)
{
    const bool json = arguments == QStringList{QStringLiteral("--json")};
    if (!arguments.isEmpty() && !json)
        return usage(CommandLineTool::UsageError);
    return m_tool.read([this, json](const SambaSettings &, const QList<Share> &shares) {
        std::ostream &out = m_tool.out();
        if (json) {
            QJsonArray array;
            for (const Share &share : shares)
                array.append(RecordJson::share(share));
            out << QJsonDocument(array).toJson().toStdString();
            return int(CommandLineTool::Success);
        }
        for (const Share &share : shares) {
            const QString guests = share.guestOnly() ? QStringLiteral("guests-only")
                : share.guestOk()                    ? QStringLiteral("guests")
                                                     : QStringLiteral("no-guests");
            out << QStringList{share.name(),
                               share.path(),
                               share.comment(),
                               share.readOnly() ? QStringLiteral("read-only") : QStringLiteral("writable"),
                               guests,
                               share.printable() ? QStringLiteral("printer") : QStringLiteral("share")}
                       .join(QLatin1Char('\t'))
                       .toStdString()
                << '\n';
        }
        return int(CommandLineTool::Success);
    });
}

int ShareCommand::show(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.size() > 2
        || (arguments.size() == 2 && arguments.at(1) != QLatin1String("--json")))
        return usage(CommandLineTool::UsageError);
    const QString name = arguments.first();
    const bool json = arguments.size() == 2;
    return m_tool.read([this, name, json](const SambaSettings &, const QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return m_tool.fail(CommandLineTool::Failure, unknown(name));
        const QJsonObject object = RecordJson::share(shares.at(index));
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

int ShareCommand::add(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(CommandLineTool::UsageError);
    const QString name = arguments.first().trimmed();
    std::vector<std::function<QString(Share &)>> changes;
    const QString problem = parseOptions(shareOptions(), arguments, 1, changes);
    if (!problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    return m_tool.edit([&](SambaSettings &, QList<Share> &shares) {
        if (const QString refused = ShareRules::nameProblem(name, otherNames(shares, nullptr));
            !refused.isEmpty())
            return refused;
        Share share;
        share.setName(name);
        for (const auto &change : changes) {
            if (const QString refused = change(share); !refused.isEmpty())
                return refused;
        }
        finishOptions(share, asksDirectoryPermissions(arguments));
        // [homes] needs no path: each user gets his home.
        if (name.toLower() != QLatin1String("homes") && share.path().isEmpty())
            return QStringLiteral("share add needs --path DIR");
        shares.append(share);
        return QString();
    });
}

int ShareCommand::set(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usage(CommandLineTool::UsageError);
    const QString name = arguments.first();
    std::vector<std::function<QString(Share &)>> changes;
    const QString problem = parseOptions(shareOptions(), arguments, 1, changes);
    if (!problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    return m_tool.edit([&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        for (const auto &change : changes) {
            if (const QString refused = change(shares[index]); !refused.isEmpty())
                return refused;
        }
        finishOptions(shares[index], asksDirectoryPermissions(arguments));
        return QString();
    });
}

int ShareCommand::remove(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return usage(CommandLineTool::UsageError);
    const QString name = arguments.first();
    return m_tool.edit([&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        shares.removeAt(index);
        return QString();
    });
}

int ShareCommand::rename(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return usage(CommandLineTool::UsageError);
    const QString name = arguments.at(0);
    const QString newName = arguments.at(1).trimmed();
    return m_tool.edit([&](SambaSettings &, QList<Share> &shares) {
        const int index = indexOf(shares, name);
        if (index < 0)
            return unknown(name);
        Share *share = &shares[index];
        if (const QString refused = ShareRules::nameProblem(newName, otherNames(shares, share));
            !refused.isEmpty())
            return refused;
        share->setName(newName);
        return QString();
    });
}
