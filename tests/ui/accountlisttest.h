#pragma once

// The tests that the users and the groups dialog share, on the form of the users dialog.
#include "accountdialogsupport.h"
#include "boxdriver.h"
#include "localserveraccounts.h"
#include "modaldriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

// A command given to a list dialog, with the driver of the dialogs it opens.
using ListCommand = std::function<void(QDialog &, ModalDriver &)>;
Q_DECLARE_METATYPE(ListCommand)

namespace AccountDialogSupport {

// The fixture and the test functions of one kind of account, which Kind describes:
//   Map, Dialog      the map of the accounts and its list dialog;
//   make             the map of accounts as loaded, from their names;
//   samples          three account names, space separated, in their sort order;
//   word             the kind in the words of the boxes, "user" or "group";
//   noFree, noneSelected, deleteQuestion
//                    the texts of the boxes;
//   editable         whether the list edits an account.
// The account dialogs of both kinds are on the form of the user dialog.
template<typename Kind>
class AccountListTest : public QObject
{
protected:
    using Map = typename Kind::Map;
    using Dialog = typename Kind::Dialog;

    virtual std::unique_ptr<Dialog> makeDialog(Map *accounts, const QStringList &candidates) = 0;

    QString fake(const char *name) const { return m_fakeDir->filePath(QLatin1String(name)); }
    // The accounts of the server, with the stand-ins for useradd and groupadd.
    ServerAccounts &accounts() const { return *m_accounts; }
    static QString sample(int index) { return names(Kind::samples).at(index); }
    // The samples from first to last.
    static QStringList samples(int first, int last)
    {
        return names(Kind::samples).mid(first, last - first + 1);
    }

    void installThemes()
    {
        QVERIFY(m_themeDir.isValid());
        QVERIFY(installIconThemes(m_themeDir.path(),
                                  names("list-add document-edit document-close document-new")));
    }

    // A fresh directory for the stand-ins, holding the one for useradd or groupadd.
    void makeFakes(const char *accountProgram)
    {
        m_fakeDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_fakeDir->isValid());
        QVERIFY(writeFile(fake(accountProgram), fakeAccountProgram, true));
        m_accounts =
            std::make_unique<LocalServerAccounts>(SambaAccountStore(), fake("useradd"), fake("groupadd"));
    }

    // The boxes of the list's own commands.
    void boxRows()
    {
        QTest::addColumn<QStringList>("accounts");
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<ListCommand>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QStringList>("buttons");

        const QString noFree = QString::fromLatin1(Kind::noFree);
        const QString noneSelected = QString::fromLatin1(Kind::noneSelected);
        const QString warning = QStringLiteral("Warning");
        const QStringList ok{QStringLiteral("OK")};
        const QStringList first = samples(0, 0);

        // No account dialog may open: its step would be left over.
        const ListCommand add = [](QDialog &dialog, ModalDriver &driver) {
            driver.then(QStringLiteral("UserDialog"), cancel);
            child<QPushButton>(dialog, "pushButtonAddUser")->click();
            QCOMPARE(driver.remaining(), 1);
        };
        const auto forced = [](const char *button) {
            return ListCommand([button](QDialog &dialog, ModalDriver &) {
                // The button is disabled without a current row; the command still checks.
                child<QPushButton>(dialog, button)->setEnabled(true);
                child<QPushButton>(dialog, button)->click();
            });
        };
        // Where the list edits, no account dialog may open from a nameless item either.
        const auto onNameless = [](const char *button) {
            return ListCommand([button](QDialog &dialog, ModalDriver &driver) {
                if (Kind::editable)
                    driver.then(QStringLiteral("UserDialog"), cancel);
                list(dialog)->setCurrentRow(0);
                child<QPushButton>(dialog, button)->click();
                if (Kind::editable)
                    QCOMPARE(driver.remaining(), 1);
            });
        };

        QTest::addRow("add, every candidate a Samba %s", Kind::word)
            << samples(0, 1) << QStringList{sample(1), sample(0)} << add << QStringLiteral("Error") << noFree
            << QMessageBox::Critical << ok;
        QTest::newRow("add, no candidates")
            << QStringList() << QStringList() << add << QStringLiteral("Error") << noFree
            << QMessageBox::Critical << ok;
        if (Kind::editable) {
            QTest::newRow("edit, nothing current") << first << first << forced("pushButtonEditUser")
                                                   << warning << noneSelected << QMessageBox::Warning << ok;
            QTest::newRow("edit, an item without a name")
                << QStringList{QString()} << first << onNameless("pushButtonEditUser") << warning
                << noneSelected << QMessageBox::Warning << ok;
        }
        QTest::newRow("delete, nothing current") << first << first << forced("pushButtonDeleteUser")
                                                 << warning << noneSelected << QMessageBox::Warning << ok;
        QTest::newRow("delete, an item without a name")
            << QStringList{QString()} << first << onNameless("pushButtonDeleteUser") << warning
            << noneSelected << QMessageBox::Warning << ok;
        QTest::newRow("delete, the question")
            << samples(0, 1) << samples(0, 1) << ListCommand([](QDialog &dialog, ModalDriver &) {
                   select(dialog, sample(1));
                   child<QPushButton>(dialog, "pushButtonDeleteUser")->click();
               })
            << QStringLiteral("Question") << QString::fromLatin1(Kind::deleteQuestion)
            << QMessageBox::Question << QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")};
    }

    // Each box with its title, text, icon and buttons, answered with Cancel where it has
    // one; nothing changes and Ok stays disabled.
    void checkBox()
    {
        QFETCH(QStringList, accounts);
        QFETCH(QStringList, candidates);
        QFETCH(ListCommand, command);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QStringList, buttons);

        Map map = Kind::make(accounts);
        const auto dialog = makeDialog(&map, candidates);
        dialog->show();
        BoxDriver boxes({QStringLiteral("Cancel")});
        ModalDriver driver;
        command(*dialog, driver);
        QCOMPARE(boxes.seen(), 1);
        QCOMPARE(boxes.last().title, title);
        QCOMPARE(boxes.last().text, text);
        QCOMPARE(boxes.last().icon, icon);
        QCOMPARE(boxes.last().buttons, buttons);
        QCOMPARE(map, Kind::make(accounts));
        QCOMPARE(texts(list(*dialog)).size(), accounts.size());
        QVERIFY(!okButton(*dialog)->isEnabled());
        QVERIFY(dialog->isVisible());
    }

    void deletionRows()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("deleted");

        QTest::newRow("OK") << QStringLiteral("OK") << true;
        QTest::newRow("Cancel") << QStringLiteral("Cancel") << false;
        // Return takes the default button, Cancel.
        QTest::newRow("Return") << QStringLiteral("Return") << false;
    }

    // Deletes the middle sample, answering the question.
    void checkDeletion()
    {
        QFETCH(QString, answer);
        QFETCH(bool, deleted);

        const QStringList all = samples(0, 2);
        const QStringList kept{sample(0), sample(2)};
        Map accounts = Kind::make(all);
        const auto dialog = makeDialog(&accounts, all);
        dialog->show();
        select(*dialog, sample(1));
        std::unique_ptr<BoxDriver> boxes;
        QTimer enter;
        QString defaultButton;
        if (answer == QLatin1String("Return")) {
            connect(&enter, &QTimer::timeout, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box || !defaultButton.isNull())
                    return;
                defaultButton = box->defaultButton() ? box->defaultButton()->text() : QStringLiteral("none");
                QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Return); });
            });
            enter.start(5);
        } else {
            boxes = std::make_unique<BoxDriver>(QStringList{answer});
        }
        child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
        if (boxes)
            QCOMPARE(boxes->seen(), 1);
        else
            QCOMPARE(defaultButton, QStringLiteral("Cancel"));

        QCOMPARE(accounts.keys(), deleted ? kept : all);
        QCOMPARE(texts(list(*dialog)), deleted ? kept : all);
        QCOMPARE(okButton(*dialog)->isEnabled(), deleted);
    }

    void closingRows()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("kept");

        QTest::newRow("Ok") << QStringLiteral("ok") << true;
        QTest::newRow("Cancel") << QStringLiteral("cancel") << false;
        QTest::newRow("Escape") << QStringLiteral("escape") << false;
    }

    // Closes the dialog as the row says: with Ok it is accepted, otherwise rejected.
    void closeDialog(QDialog &dialog)
    {
        QFETCH(QString, how);
        QFETCH(bool, kept);

        if (how == QLatin1String("ok"))
            okButton(dialog)->click();
        else if (how == QLatin1String("cancel"))
            cancelButton(dialog)->click();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(kept ? QDialog::Accepted : QDialog::Rejected));
    }

    // What the creation dialog of the kind shows, and the arguments of its program.
    struct Creation
    {
        QString name;
        QString title;
        QString warning; // not looked at when null
        bool policyShown;
        QByteArray arguments;
    };

    // The service account made in the account dialog stays offered after that dialog was
    // cancelled.
    void checkCreatedAccountStaysCandidate(const Creation &creation)
    {
        Map accounts = Kind::make(samples(1, 1));
        const auto dialog = makeDialog(&accounts, samples(0, 1));
        dialog->show();
        QString title;
        QString warning;
        bool policyShown = !creation.policyShown;
        QStringList offered;
        QString current;
        bool okEnabled = false;
        QStringList offeredAgain;
        ModalDriver driver;
        driver.then(QStringLiteral("UserDialog"), [](QWidget *accountDialog) {
            child<QPushButton>(*accountDialog, "pushButtonAddUsr")->click();
        });
        driver.then(QStringLiteral("CreateUserDialog"), [&](QWidget *create) {
            title = create->windowTitle();
            warning = child<QLabel>(*create, "labelWarning")->text();
            policyShown = child<QPushButton>(*create, "policyButton")->isVisible();
            QTest::keyClicks(child<QLineEdit>(*create, "lineEditName"), creation.name);
            child<QPushButton>(*create, "okPushButton")->click();
        });
        driver.then(QStringLiteral("UserDialog"), [&](QWidget *accountDialog) {
            auto *combo = child<QComboBox>(*accountDialog, "comboBoxUserName");
            offered = items(combo);
            current = combo->currentText();
            okEnabled = okButton(*accountDialog)->isEnabled();
            cancel(accountDialog);
        });
        BoxDriver boxes;
        child<QPushButton>(*dialog, "pushButtonAddUser")->click();
        QCOMPARE(driver.remaining(), 0);
        QCOMPARE(boxes.seen(), 0);
        QCOMPARE(title, creation.title);
        if (!creation.warning.isNull())
            QCOMPARE(warning, creation.warning);
        QCOMPARE(policyShown, creation.policyShown);
        QCOMPARE(readFile(fake("arguments")), creation.arguments);
        QCOMPARE(offered, (QStringList{sample(0), creation.name}));
        QCOMPARE(current, creation.name);
        QVERIFY(okEnabled);

        QCOMPARE(dialog->candidates(), (QStringList{sample(0), sample(1), creation.name}));
        QCOMPARE(accounts, Kind::make(samples(1, 1)));
        QVERIFY(!okButton(*dialog)->isEnabled());

        // Offered again at the next addition.
        driver.then(QStringLiteral("UserDialog"), [&](QWidget *accountDialog) {
            offeredAgain = items(child<QComboBox>(*accountDialog, "comboBoxUserName"));
            cancel(accountDialog);
        });
        child<QPushButton>(*dialog, "pushButtonAddUser")->click();
        QCOMPARE(driver.remaining(), 0);
        QCOMPARE(offeredAgain, (QStringList{sample(0), creation.name}));
    }

    // Account dialogs changed and cancelled, the creation dialog cancelled and the deletion
    // declined leave Ok disabled: the addition, then the edit where the list edits, then
    // the deletion of the second sample. change makes a change in an account dialog.
    void checkOkStaysDisabledAfterCancelledSubDialogs(const QStringList &loaded,
                                                      const std::function<void(QWidget *)> &change)
    {
        Map accounts = Kind::make(loaded);
        const auto dialog = makeDialog(&accounts, samples(0, 1));
        dialog->show();
        ModalDriver driver;
        // Add: the creation dialog opened and cancelled, then the account dialog cancelled.
        driver.then(QStringLiteral("UserDialog"), [change](QWidget *accountDialog) {
            change(accountDialog);
            child<QPushButton>(*accountDialog, "pushButtonAddUsr")->click();
        });
        driver.then(QStringLiteral("CreateUserDialog"),
                    [](QWidget *create) { child<QPushButton>(*create, "cancelPushButton")->click(); });
        driver.then(QStringLiteral("UserDialog"), cancel);
        // Edit, cancelled after a change.
        if (Kind::editable) {
            driver.then(QStringLiteral("UserDialog"), [change](QWidget *accountDialog) {
                change(accountDialog);
                cancel(accountDialog);
            });
        }
        BoxDriver boxes({QStringLiteral("Cancel")});
        child<QPushButton>(*dialog, "pushButtonAddUser")->click();
        select(*dialog, sample(1));
        if (Kind::editable)
            child<QPushButton>(*dialog, "pushButtonEditUser")->click();
        child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
        QCOMPARE(driver.remaining(), 0);
        QCOMPARE(boxes.seen(), 1);
        QVERIFY(!QFileInfo::exists(fake("arguments")));
        QVERIFY(!okButton(*dialog)->isEnabled());
        QCOMPARE(accounts, Kind::make(loaded));
        QCOMPARE(dialog->candidates(), samples(0, 1));
    }

    void contextMenuRows()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("icons");

        QStringList entries{QStringLiteral("Delete..."), QStringLiteral("Add")};
        QStringList icons = names("document-close document-new");
        if (Kind::editable) {
            entries.prepend(QStringLiteral("Edit..."));
            icons.prepend(QStringLiteral("document-edit"));
        }
        QTest::newRow("over an item") << sample(1) << entries << icons;
        QTest::newRow("below the items")
            << QString() << QStringList{QStringLiteral("Add")} << names("document-new");
    }

    void checkContextMenu()
    {
        QFETCH(QString, over);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, icons);

        Map accounts = Kind::make(samples(0, 1));
        const auto dialog = makeDialog(&accounts, samples(0, 1));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        MenuAnswer menu;
        requestContextMenu(*dialog, over);
        QCOMPARE(menu.texts(), entries);
        QStringList iconNames;
        for (const MenuAnswer::Entry &entry : qAsConst(menu.entries))
            iconNames << entry.iconName;
        QCOMPARE(iconNames, icons);
        // Closed without a choice: nothing happened.
        QCOMPARE(accounts, Kind::make(samples(0, 1)));
        QVERIFY(!okButton(*dialog)->isEnabled());
    }

    // The menu entries over the first two samples, the third one free; chosen: the account
    // of the account dialog the entry opens.
    void contextMenuCommandRows()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("boxTitles");
        QTest::addColumn<QStringList>("after");

        const QString add = QStringLiteral("Add");
        QTest::newRow("Add") << QString() << add << sample(2) << QStringList() << samples(0, 2);
        QTest::newRow("Add over an item") << sample(0) << add << sample(2) << QStringList() << samples(0, 2);
        if (Kind::editable) {
            QTest::newRow("Edit...") << sample(1) << QStringLiteral("Edit...") << sample(1) << QStringList()
                                     << samples(0, 1);
        }
        QTest::newRow("Delete...") << sample(1) << QStringLiteral("Delete...") << QString()
                                   << QStringList{QStringLiteral("Question")} << samples(0, 0);
    }

    // Each entry runs its command on the item it was shown over; step answers the account
    // dialog where one opens. accounts: the map, as the commands left it.
    void checkContextMenuCommand(Map &accounts, const ModalDriver::Step &step)
    {
        QFETCH(QString, over);
        QFETCH(QString, entry);
        QFETCH(QString, chosen);
        QFETCH(QStringList, boxTitles);
        QFETCH(QStringList, after);

        accounts = Kind::make(samples(0, 1));
        const auto dialog = makeDialog(&accounts, samples(0, 2));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        ModalDriver driver;
        if (!chosen.isEmpty())
            driver.then(QStringLiteral("UserDialog"), step);
        BoxDriver boxes({QStringLiteral("OK")});
        MenuAnswer menu(entry);
        requestContextMenu(*dialog, over);
        QCOMPARE(driver.remaining(), 0);
        QCOMPARE(boxes.titles(), boxTitles);
        QCOMPARE(accounts.keys(), after);
        QCOMPARE(texts(list(*dialog)), after);
        QVERIFY(okButton(*dialog)->isEnabled());
    }

    QTemporaryDir m_themeDir;
    std::unique_ptr<QTemporaryDir> m_fakeDir;
    std::unique_ptr<LocalServerAccounts> m_accounts;
};

} // namespace AccountDialogSupport
