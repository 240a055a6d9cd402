#include "startuperror.h"

#include "testparmresult.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace

QString StartupError::checkFailure(const TestParmResult &result)
{
    switch (result.status) {
    case TestParmResult::Failed:
        return QStringList{tr("Failed to initialize application."), tr("Failed to run testparm."),
                           result.output}
            .join(QLatin1Char('\n'));
    case TestParmResult::Errors:
        return QStringList{tr("Failed to initialize application."),
                           tr("Samba configuration file smb.conf contains errors."),
                           tr("testparm output is:"), result.output}
            .join(QLatin1Char('\n'));
    default:
        return QString();
    }
}

QString StartupError::loadFailure(const std::exception &error)
{
    return tr("Failed to initialize application.") + QLatin1Char('\n') + QString::fromUtf8(error.what());
}

StartupError::Offer StartupError::offerFor(const QString &text)
{
    if (text.contains(QLatin1String("increasing rlimit_max"))
        && text.contains(QLatin1String("to minimum Windows limit")))
        return LimitOffer;
    if (text.contains(QLatin1String("ERROR: Invalid idmap range for domain *!")))
        return SecurityOffer;
    if (text.contains(QLatin1String("WARNING: Ignoring invalid value"))
        && text.contains(QLatin1String("for parameter 'security'")))
        return SecurityOffer;
    return NoOffer;
}
