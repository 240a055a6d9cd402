#include "globalcommand.h"

#include "argumentscan.h"
#include "commandlinetool.h"
#include "configvalues.h"
#include "recordjson.h"
#include "recordoption.h"
#include "standardshares.h"

#include <QJsonDocument>

namespace {

// The authentication modes by their command-line names, in the order of SecurityMode.
const QStringList &securityNames()
{
    static const QStringList names{QStringLiteral("user"), QStringLiteral("kerberos-domain"),
                                   QStringLiteral("share"), QStringLiteral("domain"), QStringLiteral("ads")};
    return names;
}

const std::vector<RecordOption<SambaSettings>> &globalOptions()
{
    static const std::vector<RecordOption<SambaSettings>> options{
        {"--workgroup", "NAME", "the workgroup or NT domain name",
         [](SambaSettings &settings, const QString &value) {
             settings.global()->setWorkgroup(value);
             return QString();
         }},
        {"--server-string", "TEXT", "the server's description (--unset 'server string': Samba's default)",
         [](SambaSettings &settings, const QString &value) {
             // Empty is written as empty; only --unset removes the line.
             settings.global()->setServerString(value.isNull() ? QStringLiteral("") : value);
             return QString();
         }},
        {"--security", "MODE",
         "user, kerberos-domain, share, domain or ads; share is user-level security with unknown users "
         "mapped to the guest account (security = user, map to guest = Bad User), not Samba's removed "
         "security = share",
         [](SambaSettings &settings, const QString &value) {
             const int mode = securityNames().indexOf(value);
             if (mode < 0)
                 return QStringLiteral("--security takes %1, not '%2'")
                     .arg(securityNames().join(QStringLiteral(", ")), value);
             settings.setSecurity(static_cast<SambaSettings::SecurityMode>(mode));
             return QString();
         }},
        {"--realm", "REALM", "the Kerberos realm of kerberos-domain and ads (upper case)",
         [](SambaSettings &settings, const QString &value) {
             settings.global()->setRealm(value.toUpper());
             return QString();
         }},
        {"--kerberos-method", "METHOD",
         "default, secrets-only, system-keytab, dedicated-keytab or secrets-and-keytab",
         [](SambaSettings &settings, const QString &value) {
             const QString text = QString(value).replace(QLatin1Char('-'), QLatin1Char(' '));
             const SambaSettings::KerberosMethod method = SambaSettings::kerberosMethodFromText(text);
             if (method == SambaSettings::KerberosDefault && value != QLatin1String("default"))
                 return QStringLiteral("unknown Kerberos method '%1'").arg(value);
             settings.setKerberosMethod(method);
             return QString();
         }},
        {"--guest-account", "NAME|none", "the account guests act as",
         [](SambaSettings &settings, const QString &value) {
             settings.global()->setGuestAccount(value == QLatin1String("none") ? GlobalShare::noGuestAccount()
                                                                               : value.toLower());
             return QString();
         }},
        {"--encrypt-passwords", "yes",
         "removes the deprecated \"encrypt passwords = no\": Samba always expects encrypted passwords",
         [](SambaSettings &settings, const QString &value) {
             bool encrypt = true;
             if (const QString problem = parseYesNo(value, encrypt); !problem.isEmpty())
                 return problem;
             // Refused with testparm's words by the writer when it would write the line.
             settings.global()->setEncryptPasswords(encrypt);
             return QString();
         }},
        {"--param", "KEY=VALUE", "any other smb.conf parameter of [global] (repeatable)",
         [](SambaSettings &settings, const QString &value) {
             QString key;
             QString text;
             if (const QString problem = splitParameter(value, key, text); !problem.isEmpty())
                 return problem;
             if (const QString problem = parameterNameProblem(key); !problem.isEmpty())
                 return problem;
             settings.global()->setOtherParameter(key, text);
             return QString();
         }},
        {"--unset", "KEY", "removes a parameter from [global], in every spelling",
         [](SambaSettings &settings, const QString &value) {
             settings.global()->unsetOtherParameter(value.trimmed());
             return QString();
         }},
    };
    return options;
}

} // namespace

GlobalCommand::GlobalCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

QStringList GlobalCommand::valueOptions()
{
    return valueOptionNames(globalOptions()) << QStringLiteral("--share-printers");
}

int GlobalCommand::usage(int code)
{
    m_tool.out()
        << "usage: shareward-cli [--config FILE] [--dry-run] global COMMAND\n\n"
           "  global show [--json]    the server-wide settings\n"
           "  global set OPTION...\n\n"
           "options:\n"
        << optionHelp(globalOptions())
        << "  --share-printers yes|no           adds or removes [printers], the spooler's printers\n";
    return code;
}

int GlobalCommand::run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("help"))
        return usage(CommandLineTool::Success);
    if (command == QLatin1String("show"))
        return show(arguments.mid(1));
    if (command == QLatin1String("set"))
        return set(arguments.mid(1));
    m_tool.fail(CommandLineTool::UsageError, QStringLiteral("unknown global command '%1'").arg(command));
    return usage(CommandLineTool::UsageError);
}

int GlobalCommand::show(const QStringList &arguments)
{
    const bool json = arguments == QStringList{QStringLiteral("--json")};
    if (!arguments.isEmpty() && !json)
        return usage(CommandLineTool::UsageError);
    return m_tool.read([this, json](const SambaSettings &settings, const QList<Share> &) {
        QJsonObject object = RecordJson::global(*settings.global());
        object.insert(QStringLiteral("security"), securityNames().value(settings.security()));
        if (!settings.global()->hasGuestAccount())
            object.insert(QStringLiteral("guestAccount"), QStringLiteral("none"));
        if (json) {
            m_tool.out() << QJsonDocument(object).toJson().toStdString();
            return int(CommandLineTool::Success);
        }
        for (const char *key :
             {"workgroup", "serverString", "security", "realm", "guestAccount", "encryptPasswords"}) {
            m_tool.out() << key << ": " << RecordJson::text(object.value(QLatin1String(key))).toStdString()
                         << '\n';
        }
        return int(CommandLineTool::Success);
    });
}

int GlobalCommand::set(const QStringList &given)
{
    if (given.isEmpty())
        return usage(CommandLineTool::UsageError);
    const QStringList values = valueOptions();
    QList<ArgumentScan::Item> items;
    if (const QString problem = ArgumentScan::scan(given, values, items); !problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    if (const QStringList operands = ArgumentScan::operands(items); !operands.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("global set takes options only, not '%1'").arg(operands.first()));
    // --share-printers adds or removes [printers], as the server settings dialog does.
    QString sharePrinters;
    bool wantPrinters = false;
    QList<ArgumentScan::Item> options;
    for (const ArgumentScan::Item &item : items) {
        if (item.option != QLatin1String("--share-printers")) {
            options << item;
            continue;
        }
        sharePrinters = item.value;
        if (!parseYesNo(sharePrinters, wantPrinters).isEmpty())
            return m_tool.fail(CommandLineTool::Failure, QStringLiteral("--share-printers takes yes or no"));
    }
    const QStringList arguments = ArgumentScan::join(options, values);
    std::vector<std::function<QString(SambaSettings &)>> changes;
    const QString problem = parseOptions(globalOptions(), arguments, 0, changes);
    if (!problem.isEmpty())
        return m_tool.fail(CommandLineTool::UsageError, problem);
    return m_tool.edit([&](SambaSettings &settings, QList<Share> &shares) {
        if (!sharePrinters.isEmpty()) {
            int found = -1;
            for (int i = 0; i < shares.size() && found < 0; ++i) {
                if (shares.at(i).name().compare(StandardShares::printersName(), Qt::CaseInsensitive) == 0)
                    found = i;
            }
            if (wantPrinters && found < 0)
                shares.append(StandardShares::printers());
            else if (!wantPrinters && found >= 0)
                shares.removeAt(found);
        }
        for (const auto &change : changes) {
            if (const QString refused = change(settings); !refused.isEmpty())
                return refused;
        }
        const SambaSettings::SecurityMode mode = settings.security();
        if ((mode == SambaSettings::SecurityKerberosDomain || mode == SambaSettings::SecurityAds)
            && settings.global()->realm().trimmed().isEmpty())
            return QStringLiteral("this security mode needs --realm");
        return QString();
    });
}
