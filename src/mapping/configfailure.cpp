#include "configfailure.h"

#include <QCoreApplication>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

} // namespace

QString ConfigChangedError::fileChangedText()
{
    return Messages::tr(
        "smb.conf was changed by another program after it was loaded. Reload it before saving.");
}

ConfigChangedError ConfigChangedError::fileChanged()
{
    return ConfigChangedError(fileChangedText().toStdString());
}

ConfigChangedError ConfigChangedError::registryChanged()
{
    return ConfigChangedError(Messages::tr("Samba's registry configuration was changed by another program "
                                           "after it was loaded. Reload it before saving.")
                                  .toStdString());
}

void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}
