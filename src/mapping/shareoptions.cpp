#include "shareoptions.h"

#include "acl.h"
#include "audit.h"
#include "configvalues.h"
#include "fullaudit.h"
#include "optionmodule.h"

const std::vector<ShareOptions::AclOption> &ShareOptions::aclOptions()
{
    static const std::vector<AclOption> options{
        {"nt acl support", &Share::ntAclSupport, &Share::setNtAclSupport},
        {"inherit acls", &Share::inheritAcls, &Share::setInheritAcls},
        {"map acl inherit", &Share::mapAclInherit, &Share::setMapAclInherit},
        {"dos filemode", &Share::dosFilemode, &Share::setDosFilemode},
        {"store dos attributes", &Share::storeDosAttributes, &Share::setStoreDosAttributes},
        {"acl allow execute always", &Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
        {"acl group control", &Share::aclGroupControl, &Share::setAclGroupControl},
        {"acl map full control", &Share::aclMapFullControl, &Share::setAclMapFullControl},
        {"force unknown acl user", &Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
    };
    return options;
}

std::vector<std::pair<std::string, std::string>> ShareOptions::moduleOptions(const VFSModule &module)
{
    auto text = [](const QString &value) {
        return ConfigValues::encode(value);
    };
    auto flag = [](bool value) {
        return std::string(value ? "true" : "false");
    };
    if (const auto *full = dynamic_cast<const FullAudit *>(&module)) {
        return {
            {"full_audit:prefix", text(full->prefix())},
            {"full_audit:success", text(formatOperationSet(full->successOperations()))},
            {"full_audit:failure", text(formatOperationSet(full->failureOperations()))},
            {"full_audit:facility", text(full->facility().name())},
            {"full_audit:priority", text(full->priority().name())},
            {"full_audit:syslog", flag(full->syslog())},
            {"full_audit:log_secdesc", flag(full->logSecDesc())},
        };
    }
    if (const auto *audit = dynamic_cast<const Audit *>(&module)) {
        return {
            {"audit:facility", text(audit->facility().name())},
            {"audit:priority", text(audit->priority().name())},
        };
    }
    if (const auto *acl = dynamic_cast<const ACL *>(&module)) {
        const std::string prefix = text(acl->name()) + ':';
        return {
            {prefix + "ignore system acls", flag(acl->ignoreSystemAcls())},
            {prefix + "default acl style", text(acl->defaultAclStyle())},
        };
    }
    if (const auto *options = dynamic_cast<const OptionModule *>(&module)) {
        // Every option it holds, known or not: one left out would be taken for removed.
        const QString prefix = options->optionPrefix() + QLatin1Char(':');
        std::vector<std::pair<std::string, std::string>> all;
        for (auto it = options->options().begin(); it != options->options().end(); ++it)
            all.emplace_back(text(prefix + it.key()), text(it.value()));
        return all;
    }
    return {};
}
