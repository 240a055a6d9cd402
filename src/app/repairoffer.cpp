#include "repairoffer.h"

#include "configsession.h"
#include "startuperror.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include <exception>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(RepairOffer)
};

} // namespace

bool RepairOffer::run(QWidget *window, const QString &text, ConfigSession &session)
{
    const QString shown = StartupError::withNotes(text);
    const StartupError::Offer offer = StartupError::offerFor(text);
    const ConfigRepair::Kind kind = offer == StartupError::SecurityOffer ? ConfigRepair::InvalidSecurity
                                                                         : ConfigRepair::DefaultIdmapRange;
    // Without a repair, or when it finds nothing to change in smb.conf itself (an included
    // file) or cannot be planned, there is nothing to offer: the failure is shown alone.
    ConfigSession::RepairPlan repair;
    try {
        if (offer != StartupError::NoOffer)
            repair = session.planRepair(kind);
    } catch (const std::exception &) {
        repair.possible = false;
    }
    if (!repair.possible) {
        QMessageBox::critical(window, QCoreApplication::applicationName(), shown, QMessageBox::Ok);
        return false;
    }

    QStringList lines;
    for (const ConfigRepair::Change &change : repair.changes) {
        const QString before = change.key + QStringLiteral(" = ") + change.oldValue;
        const QString after = change.key + QStringLiteral(" = ") + change.newValue;
        if (change.oldValue.isNull())
            lines << Messages::tr("- add \"%1\" to [%2]").arg(after, change.section);
        else if (change.newValue.isNull())
            lines << Messages::tr("- remove \"%1\" (line %2, [%3])")
                         .arg(before)
                         .arg(change.line)
                         .arg(change.section);
        else
            lines << Messages::tr("- change \"%1\" (line %2, [%3]) to \"%4\"")
                         .arg(before)
                         .arg(change.line)
                         .arg(change.section, after);
    }
    const QString summary = offer == StartupError::SecurityOffer
        ? Messages::tr("Fix config removes the security lines of smb.conf whose value Samba rejects.")
        : Messages::tr(
            "Fix config gives the default idmap domain * a valid ID range in the [global] section of "
            "smb.conf; the server stays a member of its domain.");
    const QString effect = offer == StartupError::SecurityOffer
        ? Messages::tr(
            "Samba then uses its default, \"security = user\": a user name and password are required to "
            "connect to the shares.")
        : Messages::tr(
              "Users and groups of domains without an idmap range of their own are then given IDs from %1.")
              .arg(repair.defaultRange.isEmpty() ? Messages::tr("the range already set")
                                                 : repair.defaultRange);
    if (!ask(shown, summary))
        return false;
    if (QMessageBox::question(
            window, QCoreApplication::applicationName(),
            Messages::tr("Fix config will change smb.conf as follows:\n%1\n%2\nNothing else in smb.conf "
                         "changes. Would you like to continue?")
                .arg(lines.join(QLatin1Char('\n')), effect),
            QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    QString historyError;
    try {
        historyError = session.repair(kind, repair.changes);
    } catch (const std::exception &error) {
        QMessageBox::critical(
            window, QCoreApplication::applicationName(),
            Messages::tr("smb.conf was not repaired.\n%1").arg(QString::fromUtf8(error.what())),
            QMessageBox::Ok);
        return false;
    }
    if (!historyError.isEmpty())
        QMessageBox::warning(window, QCoreApplication::applicationName(),
                             Messages::tr("smb.conf was repaired, but its history could not be recorded: %1")
                                 .arg(historyError));
    return true;
}

bool RepairOffer::ask(const QString &text, const QString &repair)
{
    QMessageBox box(QMessageBox::Critical, QString(), text + QStringLiteral("\n\n") + repair);
    box.addButton(Messages::tr("Close"), QMessageBox::RejectRole);
    QPushButton *fix = box.addButton(Messages::tr("Fix config"), QMessageBox::AcceptRole);
    box.exec();
    return box.clickedButton() == fix;
}
