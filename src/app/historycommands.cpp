#include "historycommands.h"

#include "confighistory.h"
#include "failurebox.h"
#include "historydialog.h"
#include "reviewchangesdialog.h"
#include "saveplan.h"
#include "savesteps.h"
#include "serverfiles.h"
#include "unifieddiff.h"
#include "whilebusy.h"
#include "windowload.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>

#include <algorithm>
#include <exception>
#include <string>

namespace {

const char *const reviewKey = "Save/review";
const char *const keepKey = "History/keep";

} // namespace

QString HistoryCommands::registryDiff(const std::string &before, const std::string &after)
{
    const std::string name = "net conf list";
    return QString::fromStdString(unifiedDiff(before, after, name, name));
}

HistoryCommands::HistoryCommands(ConfigSession &session, WindowLoad &load, const Modified &modified,
                                 QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_load(load)
    , m_modified(modified)
    , m_window(window)
    // The actions belong to the window, like those of its menus.
    , m_historyAction(new QAction(QIcon::fromTheme(QStringLiteral("document-open-recent")),
                                  QCoreApplication::translate("MainWindow", "&History..."), window))
    , m_reviewAction(
          new QAction(QCoreApplication::translate("MainWindow", "&Review changes before saving"), window))
    , m_keepAction(
          new QAction(QCoreApplication::translate("MainWindow", "Versions &kept in the history..."), window))
{
    m_session.setHistoryKeep(keep());
    m_historyAction->setObjectName(QStringLiteral("actionHistory"));
    connect(m_historyAction, &QAction::triggered, this, &HistoryCommands::showHistory);
    m_reviewAction->setObjectName(QStringLiteral("actionReviewChanges"));
    m_reviewAction->setCheckable(true);
    m_reviewAction->setChecked(reviewsChanges());
    connect(m_reviewAction, &QAction::toggled, this, &HistoryCommands::setReviewsChanges);
    m_keepAction->setObjectName(QStringLiteral("actionHistoryKeep"));
    connect(m_keepAction, &QAction::triggered, this, &HistoryCommands::editKeep);
}

int HistoryCommands::keep()
{
    return std::max(1, QSettings().value(QLatin1String(keepKey), ConfigHistory::DefaultKeep).toInt());
}

bool HistoryCommands::reviewsChanges()
{
    return QSettings().value(QLatin1String(reviewKey), true).toBool();
}

void HistoryCommands::setReviewsChanges(bool review)
{
    QSettings().setValue(QLatin1String(reviewKey), review);
}

void HistoryCommands::editKeep()
{
    m_load.waitForBackgroundLoad();
    bool ok = false;
    const int keep = QInputDialog::getInt(
        m_window, QCoreApplication::translate("MainWindow", "History"),
        QCoreApplication::translate("MainWindow", "How many versions of smb.conf the history keeps:"),
        HistoryCommands::keep(), 1, 100000, 1, &ok);
    if (!ok)
        return;
    m_session.setHistoryKeep(keep);
    QSettings().setValue(QLatin1String(keepKey), keep);
    emit keepChanged(keep);
}

void HistoryCommands::setKeep(int keep)
{
    try {
        m_session.setHistoryKeep(keep);
    } catch (const std::exception &) {
        // A server that cannot be reached saves nothing either; its next load says why.
    }
}

bool HistoryCommands::reviewSave(const SambaSettings &current, const SambaSettings &saved,
                                 const QList<Share> &shares, bool servicesRunning, ServerFiles &files)
{
    if (!reviewsChanges())
        return true;
    const QString fingerprint = m_load.state().fingerprint;
    const ConfigSession::Preview both = whileBusy(
        m_window, QCoreApplication::translate("MainWindow", "Checking the new smb.conf with testparm..."),
        [this, &current, &shares, &fingerprint] { return m_session.preview(current, shares, fingerprint); });
    const ConfigMapper::Preview &preview = both.file;
    ReviewChangesDialog::Review review;
    const std::string name = m_load.state().path.toStdString();
    review.diff = QString::fromStdString(unifiedDiff(preview.current, preview.proposed, name, name));
    review.registryDiff = registryDiff(both.registryCurrent, both.registryProposed);
    review.verdict = preview.verdict;
    SavePlan::ServiceStep services = SavePlan::NoServiceStep;
    if ((!review.diff.isEmpty() || !review.registryDiff.isEmpty()) && servicesRunning)
        services = preview.changes.needsRestart() ? SavePlan::RestartServices : SavePlan::ReloadServices;
    review.actions = SavePlan::describe(files.plannedDirectoryModes(SaveSteps::modeRequests(shares)), current,
                                        saved, services, preview.changes.restartParameters());
    ReviewChangesDialog dialog(review, m_window);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (dialog.dontShowAgain()) {
        setReviewsChanges(false);
        m_reviewAction->setChecked(false);
    }
    return accepted;
}

void HistoryCommands::showHistoryError(const QString &error)
{
    if (!error.isEmpty())
        QMessageBox::warning(
            m_window, QCoreApplication::translate("MainWindow", "Warning"),
            QCoreApplication::translate("MainWindow",
                                        "smb.conf is installed, but its history could not be recorded.\n%1")
                .arg(error),
            QMessageBox::Ok);
}

template<typename Restore>
std::optional<ConfigSession::Outcome> HistoryCommands::restoreWith(bool registry, const Restore &restore)
{
    m_load.waitForBackgroundLoad();
    ConfigSession::Outcome outcome;
    try {
        outcome = whileBusy(
            m_window,
            registry ? QCoreApplication::translate(
                "MainWindow", "Checking the configuration with testparm and changing the registry...")
                     : QCoreApplication::translate("MainWindow",
                                                   "Checking smb.conf with testparm and installing it..."),
            restore);
    } catch (const std::exception &error) {
        FailureBox::show(m_window, QCoreApplication::translate("MainWindow", "Error"),
                         registry ? QCoreApplication::translate(
                             "MainWindow", "The registry configuration was not restored.")
                                  : QCoreApplication::translate("MainWindow", "smb.conf was not restored."),
                         error);
        return std::nullopt;
    }
    showHistoryError(outcome.historyError);
    // The window shows the restored version; edits not saved are given up with it.
    m_load.initialLoad();
    emit restored();
    return outcome;
}

bool HistoryCommands::restore(const std::string &bytes, const QString &summary)
{
    return restoreWith(false, [this, &bytes, &summary] { return m_session.restore(bytes, summary); })
        .has_value();
}

std::optional<ConfigSession::Outcome> HistoryCommands::restoreVersion(const ConfigHistory::Version &version)
{
    const int number = version.number;
    return restoreWith(version.file == m_load.state().registryHistoryFile,
                       [this, number] { return m_session.restoreVersion(number); });
}

void HistoryCommands::showHistory()
{
    // The record of another editor's change may still be written.
    m_load.waitForBackgroundLoad();
    const QString registryFile = m_load.state().registryHistoryFile;
    QList<ConfigHistory::Version> versions;
    try {
        versions = m_session.versions();
    } catch (const std::exception &error) {
        emit unreadable(QString::fromUtf8(error.what()));
        return;
    }
    const HistoryDialog::DiffSource diffOf = [this](int number, bool againstCurrent) {
        try {
            return m_session.versionDiff(number, againstCurrent);
        } catch (const std::exception &error) {
            return QString::fromUtf8(error.what());
        }
    };
    HistoryDialog dialog(versions, keep(), diffOf, m_window);
    dialog.setRegistryFile(registryFile);
    connect(&dialog, &HistoryDialog::restoreRequested, this,
            [this, &dialog, &versions, registryFile](int number) {
                const auto found = std::find_if(
                    versions.begin(), versions.end(),
                    [number](const ConfigHistory::Version &version) { return version.number == number; });
                if (found == versions.end())
                    return;
                const ConfigHistory::Version version = *found;
                const bool registry = version.file == registryFile;
                const QString time = QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat);
                QString question = registry
                    ? QCoreApplication::translate(
                          "MainWindow",
                          "Restore version %1 of Samba's registry configuration (%2, %3)? It is "
                          "checked with testparm and changed with net conf like a save.")
                          .arg(number)
                          .arg(time, version.summary)
                    : QCoreApplication::translate(
                          "MainWindow",
                          "Restore version %1 of smb.conf (%2, %3)? It is checked with testparm and "
                          "installed like a save.")
                          .arg(number)
                          .arg(time, version.summary);
                if (m_modified())
                    question += QLatin1Char(' ')
                        + QCoreApplication::translate("MainWindow",
                                                      "The changes made here since the last save are lost.");
                if (QMessageBox::question(&dialog, QCoreApplication::translate("MainWindow", "History"),
                                          question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                    != QMessageBox::Yes)
                    return;
                const std::optional<ConfigSession::Outcome> outcome = restoreVersion(version);
                if (outcome && (outcome->installed || outcome->registryChanged))
                    emit versionInstalled(*outcome);
                versions = m_session.versions();
                dialog.setVersions(versions);
            });
    dialog.exec();
}
