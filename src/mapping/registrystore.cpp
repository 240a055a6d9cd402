#include "registrystore.h"

#include "configfailure.h"
#include "configfileinstaller.h"
#include "registryconfig.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

QString decoded(const std::string &bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

RegistryStore::RegistryStore(const QString &netProgram, const QString &configPath)
    : m_net(netProgram, configPath)
    , m_configPath(configPath)
    , m_records(m_document)
{
}

RegistryStore::~RegistryStore() = default;

std::string RegistryStore::list() const
{
    const NetConf::Result result = m_net.list();
    if (!result.succeeded)
        fail(Messages::tr("Can't read Samba's registry configuration: %1").arg(result.errorText));
    return result.output.toStdString();
}

void RegistryStore::load()
{
    load(list());
}

void RegistryStore::load(std::string listed)
{
    m_text = std::move(listed);
    m_document.load(m_text);
}

void RegistryStore::checkUnchanged() const
{
    if (list() != m_text)
        throw ConfigChangedError::registryChanged();
}

void RegistryStore::apply(const std::string &after, bool replace, int keptVersion)
{
    QString failure;
    if (replace) {
        failure = replaceWith(after);
    } else {
        for (const RegistryConfig::Command &command : RegistryConfig::commandsBetween(m_text, after)) {
            NetConf::Result result;
            switch (command.kind) {
            case RegistryConfig::Command::SetParameter:
                result = m_net.setParameter(decoded(command.section), decoded(command.key),
                                            decoded(command.value));
                break;
            case RegistryConfig::Command::DeleteParameter:
                result = m_net.deleteParameter(decoded(command.section), decoded(command.key));
                break;
            case RegistryConfig::Command::DeleteShare:
                result = m_net.deleteShare(decoded(command.section));
                break;
            }
            if (!result.succeeded) {
                failure = result.errorText;
                break;
            }
        }
    }
    if (failure.isEmpty())
        return;
    putBackAndFail(Messages::tr("Samba's registry configuration could not be changed: %1").arg(failure),
                   keptVersion);
}

void RegistryStore::putBackAndFail(const QString &what, int keptVersion)
{
    const QString failure = replaceWith(m_text);
    if (failure.isEmpty())
        fail(what + QLatin1Char('\n') + Messages::tr("The registry was put back as it was."));
    QString said = what + QLatin1Char('\n')
        + Messages::tr("The registry could not be put back as it was: %1").arg(failure);
    if (keptVersion > 0)
        said += QLatin1Char(' ')
            + Messages::tr("Version %1 of the history holds it; restore that version.").arg(keptVersion);
    throw RegistryNotRestoredError(said.toStdString());
}

QString RegistryStore::replaceWith(const std::string &text)
{
    // net conf import reads a file; it is written beside smb.conf, where only root writes.
    // Import replaces the registry itself: a drop before it would only add a second moment
    // at which a cluster replicates an empty configuration.
    ConfigFileInstaller file(m_configPath);
    if (!file.open() || !file.write(text))
        return file.errorString();
    const NetConf::Result result = m_net.import(file.temporaryPath());
    file.discard();
    return result.succeeded ? QString() : result.errorText;
}
