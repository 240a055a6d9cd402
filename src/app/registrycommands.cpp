#include "registrycommands.h"

#include "historycommands.h"
#include "registrystore.h"
#include "reviewchangesdialog.h"
#include "unifieddiff.h"
#include "whilebusy.h"
#include "windowload.h"

#include <QAction>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <exception>

RegistryCommands::RegistryCommands(ConfigSession &session, WindowLoad &load, bool registryUsable,
                                   const Modified &modified, const Selected &selected, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_load(load)
    , m_registryUsable(registryUsable)
    , m_modified(modified)
    , m_selected(selected)
    , m_window(window)
    // The actions belong to the window, like those of its menus.
    , m_moveToRegistry(
          new QAction(QCoreApplication::translate("MainWindow", "Move to the &registry"), window))
    , m_moveToFile(new QAction(QCoreApplication::translate("MainWindow", "Move to s&mb.conf"), window))
    , m_storeAll(new QAction(
          QCoreApplication::translate("MainWindow", "Store the whole configuration in the re&gistry..."),
          window))
{
    m_moveToRegistry->setObjectName(QStringLiteral("actionMoveToRegistry"));
    m_moveToFile->setObjectName(QStringLiteral("actionMoveToFile"));
    m_storeAll->setObjectName(QStringLiteral("actionStoreInRegistry"));
    connect(m_moveToRegistry, &QAction::triggered, this, [this] { moveSelected(Share::StoredInRegistry); });
    connect(m_moveToFile, &QAction::triggered, this, [this] { moveSelected(Share::StoredInFile); });
    connect(m_storeAll, &QAction::triggered, this, &RegistryCommands::storeAll);
    // Until something is loaded; the window's views may not even have a selection yet.
    for (QAction *action : {m_moveToRegistry, m_moveToFile, m_storeAll})
        action->setEnabled(false);
}

void RegistryCommands::update()
{
    const Share *share = m_selected ? m_selected() : nullptr;
    // A share moves only between two places that were both read.
    const bool both = m_load.isLoaded() && m_load.state().registryLoaded;
    m_moveToRegistry->setEnabled(both && share && share->storedIn() == Share::StoredInFile);
    m_moveToFile->setEnabled(both && share && share->storedIn() == Share::StoredInRegistry);
    m_storeAll->setEnabled(m_registryUsable && m_load.isLoaded()
                           && m_load.state().registryUse != RegistryConfig::Backend);
}

void RegistryCommands::moveSelected(Share::StoredIn to)
{
    const Share *share = m_selected ? m_selected() : nullptr;
    if (!share)
        return;
    const QString name = share->name();
    run([this, name, to] { return m_session.moveShare(name, to); });
}

void RegistryCommands::storeAll()
{
    run([this] { return m_session.storeAllInRegistry(ConfigMapper::UnusedRegistry::Keep); },
        [this] { return m_session.storeAllInRegistry(ConfigMapper::UnusedRegistry::Replace); });
}

RegistryCommands::UnusedChoice RegistryCommands::askUnusedRegistry(const std::string &unused)
{
    QMessageBox box(
        QMessageBox::Question, QCoreApplication::translate("MainWindow", "Store in the Registry"),
        QCoreApplication::translate("MainWindow",
                                    "Samba's registry configuration already holds settings that Samba does "
                                    "not read now. Storing the configuration there puts them in effect."),
        QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("unusedRegistryBox"));
    box.setInformativeText(QCoreApplication::translate(
        "MainWindow", "Replace them with the configuration in effect, or keep them and let them apply?"));
    box.setDetailedText(QString::fromStdString(unused));
    box.addButton(QCoreApplication::translate("MainWindow", "&Replace Them"), QMessageBox::DestructiveRole)
        ->setObjectName(QStringLiteral("buttonReplaceRegistry"));
    box.addButton(QCoreApplication::translate("MainWindow", "&Keep Them"), QMessageBox::AcceptRole)
        ->setObjectName(QStringLiteral("buttonKeepRegistry"));
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    const QString chosen = box.clickedButton() ? box.clickedButton()->objectName() : QString();
    if (chosen == QLatin1String("buttonReplaceRegistry"))
        return UnusedChoice::Replace;
    if (chosen == QLatin1String("buttonKeepRegistry"))
        return UnusedChoice::Keep;
    return UnusedChoice::Cancel;
}

void RegistryCommands::run(const Build &build, const Build &replacingUnused)
{
    // The background load may still use the session.
    m_load.waitForBackgroundLoad();
    if (m_modified()) {
        // The move starts from smb.conf and the registry as they are: edits here would be lost.
        QMessageBox::warning(m_window, QCoreApplication::translate("MainWindow", "Warning"),
                             QCoreApplication::translate(
                                 "MainWindow",
                                 "There are changes that are not saved. Save them, or revert them, before "
                                 "configuration moves between smb.conf and the registry."),
                             QMessageBox::Ok);
        return;
    }
    ConfigSession::Transferred transferred;
    try {
        const QString reading =
            QCoreApplication::translate("MainWindow", "Reading Samba's registry configuration...");
        ConfigMapper::Transfer transfer = whileBusy(m_window, reading, build);
        // Settings Samba did not read come into effect only when the administrator says so.
        if (replacingUnused && !transfer.registryNotInEffect.empty()) {
            switch (askUnusedRegistry(transfer.registryNotInEffect)) {
            case UnusedChoice::Replace:
                transfer = whileBusy(m_window, reading, replacingUnused);
                break;
            case UnusedChoice::Keep:
                break;
            case UnusedChoice::Cancel:
                return;
            }
        }
        if (!review(transfer))
            return;
        transferred = whileBusy(
            m_window,
            QCoreApplication::translate(
                "MainWindow", "Checking the configuration with testparm and changing the registry..."),
            [this, &transfer] { return m_session.applyTransfer(transfer); });
    } catch (const RegistryNotRestoredError &error) {
        // The details say which history version holds the registry as it was.
        showError(QCoreApplication::translate(
                      "MainWindow", "The move failed, and the registry could not be put back as it was."),
                  error);
        return;
    } catch (const std::exception &error) {
        showError(QCoreApplication::translate("MainWindow", "Nothing was moved."), error);
        return;
    }
    emit this->transferred(transferred);
}

bool RegistryCommands::review(const ConfigMapper::Transfer &transfer)
{
    ReviewChangesDialog::Review review;
    const std::string name = m_load.state().path.toStdString();
    review.diff = QString::fromStdString(unifiedDiff(transfer.fileBefore, transfer.fileAfter, name, name));
    review.registryDiff = HistoryCommands::registryDiff(transfer.registryBefore, transfer.registryAfter);
    review.effectiveDiff = QString::fromStdString(
        unifiedDiff(transfer.effectiveBefore, transfer.effectiveAfter, "testparm -s", "testparm -s"));
    // applyTransfer has testparm judge the whole configuration before it changes anything.
    review.judged = false;
    review.dontShowAgainOffered = false;
    ReviewChangesDialog dialog(review, m_window);
    return dialog.exec() == QDialog::Accepted;
}

void RegistryCommands::showError(const QString &message, const std::exception &error)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("MainWindow", "Error"), message,
                    QMessageBox::Ok, m_window);
    box.setInformativeText(QString::fromUtf8(error.what()));
    box.exec();
}
