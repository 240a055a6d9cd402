#include "historycommands.h"

#include "confighistory.h"
#include "configmapper.h"
#include "failurebox.h"
#include "historydialog.h"
#include "reviewchangesdialog.h"
#include "saveplan.h"
#include "savesteps.h"
#include "serverfiles.h"
#include "unifieddiff.h"
#include "versiondiff.h"
#include "whilebusy.h"
#include "windowload.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
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

HistoryCommands::HistoryCommands(ConfigMapper &mapper, ConfigHistory &history, WindowLoad &load,
                                 const QString &configPath, const Modified &modified, QWidget *window)
    : QObject(window)
    , m_mapper(mapper)
    , m_history(history)
    , m_load(load)
    , m_configPath(configPath)
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
    m_history.setKeep(QSettings().value(QLatin1String(keepKey), ConfigHistory::DefaultKeep).toInt());
    m_historyAction->setObjectName(QStringLiteral("actionHistory"));
    connect(m_historyAction, &QAction::triggered, this, &HistoryCommands::showHistory);
    m_reviewAction->setObjectName(QStringLiteral("actionReviewChanges"));
    m_reviewAction->setCheckable(true);
    m_reviewAction->setChecked(reviewsChanges());
    connect(m_reviewAction, &QAction::toggled, this, &HistoryCommands::setReviewsChanges);
    m_keepAction->setObjectName(QStringLiteral("actionHistoryKeep"));
    connect(m_keepAction, &QAction::triggered, this, &HistoryCommands::editKeep);
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
        m_history.keep(), 1, 100000, 1, &ok);
    if (!ok)
        return;
    m_history.setKeep(keep);
    QSettings().setValue(QLatin1String(keepKey), keep);
}

bool HistoryCommands::reviewSave(const SambaSettings &current, const SambaSettings &saved,
                                 const QList<Share> &shares, bool servicesRunning, ServerFiles &files)
{
    if (!reviewsChanges())
        return true;
    const ConfigMapper::Preview preview = whileBusy(
        m_window, QCoreApplication::translate("MainWindow", "Checking the new smb.conf with testparm..."),
        [this, &current, &shares] { return m_mapper.preview(current, shares); });
    ReviewChangesDialog::Review review;
    const std::string name = m_configPath.toStdString();
    review.diff = QString::fromStdString(unifiedDiff(preview.current, preview.proposed, name, name));
    review.registryDiff = registryDiff(m_mapper.registryCurrent(), m_mapper.registryProposed());
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

void HistoryCommands::showHistoryError()
{
    const QString error = m_mapper.historyError();
    if (!error.isEmpty())
        QMessageBox::warning(
            m_window, QCoreApplication::translate("MainWindow", "Warning"),
            QCoreApplication::translate("MainWindow",
                                        "smb.conf is installed, but its history could not be recorded.\n%1")
                .arg(error),
            QMessageBox::Ok);
}

bool HistoryCommands::restore(const std::string &bytes, const QString &summary, bool registry)
{
    m_load.waitForBackgroundLoad();
    try {
        whileBusy(m_window,
                  registry ? QCoreApplication::translate(
                      "MainWindow", "Checking the configuration with testparm and changing the registry...")
                           : QCoreApplication::translate(
                               "MainWindow", "Checking smb.conf with testparm and installing it..."),
                  [this, &bytes, &summary, registry] {
                      if (registry)
                          m_mapper.applyTransfer(m_mapper.restoreRegistry(bytes, summary));
                      else
                          m_mapper.restore(bytes, summary);
                  });
    } catch (const std::exception &error) {
        FailureBox::show(m_window, QCoreApplication::translate("MainWindow", "Error"),
                         registry ? QCoreApplication::translate(
                             "MainWindow", "The registry configuration was not restored.")
                                  : QCoreApplication::translate("MainWindow", "smb.conf was not restored."),
                         error);
        return false;
    }
    showHistoryError();
    // The window shows the restored version; edits not saved are given up with it.
    m_load.initialLoad();
    emit restored();
    return true;
}

void HistoryCommands::showHistory()
{
    // The record of another editor's change may still be written.
    m_load.waitForBackgroundLoad();
    const QString file = QFileInfo(m_configPath).absoluteFilePath();
    const QString registryFile = m_mapper.registryHistoryFile();
    // The versions of both, newest first: the history numbers them in one sequence.
    const auto versions = [this, file, registryFile] {
        QList<ConfigHistory::Version> all = m_history.versions(file) + m_history.versions(registryFile);
        std::sort(all.begin(), all.end(),
                  [](const ConfigHistory::Version &a, const ConfigHistory::Version &b) {
                      return a.number > b.number;
                  });
        return all;
    };
    const auto isRegistry = [this, registryFile](int number) {
        return m_history.version(number).file == registryFile;
    };
    const HistoryDialog::DiffSource diffOf = [this, file, registryFile, isRegistry](int number,
                                                                                    bool againstCurrent) {
        std::string diff;
        QString error;
        if (isRegistry(number) && againstCurrent) {
            // The registry is no file VersionDiff could read: its text as loaded stands for it.
            std::string bytes;
            if (!m_history.read(number, bytes))
                return m_history.errorString();
            const std::string name = registryFile.toStdString();
            return QString::fromStdString(unifiedDiff(
                bytes, m_mapper.registryText(), name + " (version " + std::to_string(number) + ")", name));
        }
        if (!VersionDiff::diff(m_history, isRegistry(number) ? registryFile : file, number,
                               againstCurrent ? VersionDiff::CurrentFile : VersionDiff::PreviousVersion, diff,
                               error))
            return error;
        return QString::fromStdString(diff);
    };
    HistoryDialog dialog(versions(), m_history.keep(), diffOf, m_window);
    dialog.setRegistryFile(registryFile);
    connect(&dialog, &HistoryDialog::restoreRequested, this,
            [this, &dialog, versions, isRegistry](int number) {
                const ConfigHistory::Version version = m_history.version(number);
                const bool registry = isRegistry(number);
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
                std::string bytes;
                if (!m_history.read(number, bytes)) {
                    QMessageBox::critical(&dialog, QCoreApplication::translate("MainWindow", "Error"),
                                          m_history.errorString(), QMessageBox::Ok);
                    return;
                }
                // The summary is recorded in the history, like shareward-cli's: not translated.
                const QString summary = QStringLiteral("version %1 restored").arg(number);
                const bool restored = restore(bytes, summary, registry);
                if (restored && (m_mapper.installedLast() || m_mapper.registryChangedLast()))
                    emit versionInstalled();
                dialog.setVersions(versions());
            });
    dialog.exec();
}
