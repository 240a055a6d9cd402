#include "startuperror.h"

#include "configrepair.h"
#include "testparmresult.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
};

} // namespace

QString StartupError::checkFailure(const TestParmResult &result)
{
    switch (result.status) {
    case TestParmResult::Failed:
        return QStringList{Messages::tr("Failed to initialize application."),
                           Messages::tr("Failed to run testparm."), result.output}
            .join(QLatin1Char('\n'));
    case TestParmResult::Errors:
        return QStringList{Messages::tr("Failed to initialize application."),
                           Messages::tr("Samba configuration file smb.conf contains errors."),
                           Messages::tr("testparm output is:"), result.output}
            .join(QLatin1Char('\n'));
    default:
        return QString();
    }
}

QString StartupError::loadFailure(const std::exception &error)
{
    return Messages::tr("Failed to initialize application.") + QLatin1Char('\n')
        + QString::fromUtf8(error.what());
}

StartupError::Offer StartupError::offerFor(const QString &text)
{
    // testparm stops at an invalid security value, before it looks at idmap ranges.
    if (ConfigRepair::complains(ConfigRepair::InvalidSecurity, text))
        return SecurityOffer;
    if (ConfigRepair::complains(ConfigRepair::DefaultIdmapRange, text))
        return IdmapOffer;
    return NoOffer;
}

QString StartupError::withNotes(const QString &text)
{
    // Below 16384 open files testparm says this with whatever else it reports. smbd raises
    // its own limit as it starts (Debian's smbd.service sets LimitNOFILE=16384), so
    // nothing is to be changed for it, least of all by a reboot.
    if (!text.contains(QLatin1String("increasing rlimit_max"))
        || !text.contains(QLatin1String("to minimum Windows limit")))
        return text;
    return text + QLatin1String("\n\n")
        + Messages::tr("Note: the line \"rlimit_max: increasing rlimit_max ... to minimum Windows limit\" is "
                       "information, not an error: smbd raises its open-file limit itself when it starts. "
                       "Nothing needs to be changed for it.");
}
