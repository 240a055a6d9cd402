#include "localbackend.h"

#include "systemprograms.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("LocalBackend", text);
}

} // namespace

QString LocalBackend::installedProgram()
{
    return QStringLiteral(SHAREWARD_INSTALLED_CLI);
}

BackendConnection::Launch LocalBackend::launch(unsigned uid)
{
    BackendConnection::Launch launch;
    const QString backend = installedProgram();
    if (uid == 0) {
        // A stand-in of root's own choosing (the tests' build) gains nothing root lacks; pkexec
        // below is only ever asked for the installed backend, the one its action allows.
        const QString standIn = qEnvironmentVariable("SHAREWARD_PROGRAM_SHAREWARD_CLI");
        launch.program = standIn.startsWith(QLatin1Char('/')) ? standIn : backend;
        launch.arguments = QStringList{QStringLiteral("serve")};
    } else {
        launch.program = SystemPrograms::pkexec();
        launch.arguments = QStringList{backend, QStringLiteral("serve")};
        // pkexec's own codes: the dialog dismissed, or the password refused or not given.
        launch.exitMeanings.insert(126,
                                   tr("Managing the Samba server on %1 needs an administrator's password; "
                                      "the authentication was cancelled."));
        launch.exitMeanings.insert(127,
                                   tr("Managing the Samba server on %1 needs an administrator's password; "
                                      "the authentication failed. %2"));
    }
    return launch;
}
