// The Samba users dialogs driven by object names: the list and its commands, the user
// dialog's checks and its creation of service users, every box, and what reaches the map
// on Ok and on Cancel.
#include "accountlisttest.h"
#include "userdialog.h"
#include "usersdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <memory>

using namespace AccountDialogSupport;

namespace {

// Accounts as loaded: unchanged, without passwords unless given as "name=password".
SambaUserMap makeUsers(const QStringList &entries)
{
    SambaUserMap users;
    for (const QString &entry : entries) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        SambaUser user(name);
        user.setPassword(entry.section(QLatin1Char('='), 1));
        user.setChanged(false);
        users.insert(name, user);
    }
    return users;
}

// Steps for a user dialog: fill it in, then Ok or Cancel.
ModalDriver::Step fillIn(const QString &name, const QString &password, const QString &confirmation)
{
    return [=](QWidget *dialog) {
        auto *combo = child<QComboBox>(*dialog, "comboBoxUserName");
        if (!name.isEmpty())
            combo->setCurrentIndex(combo->findText(name));
        child<QLineEdit>(*dialog, "lineEditPassword")->setText(password);
        child<QLineEdit>(*dialog, "lineEditPasswordConfirmation")->setText(confirmation);
        okButton(*dialog)->click();
    };
}

struct UserKind
{
    using Map = SambaUserMap;
    using Dialog = UsersDialog;
    static constexpr auto make = &makeUsers;
    static constexpr const char *samples = "alice bob carol";
    static constexpr const char *word = "user";
    static constexpr const char *noFree =
        "No present any free system's user. Please call administrator for entering new one.";
    static constexpr const char *noneSelected = "No user's selected";
    static constexpr const char *deleteQuestion = "Are you sure to delete the user?";
    static constexpr bool editable = true;
};

} // namespace

class TestUsersDialog : public AccountListTest<UserKind>
{
    Q_OBJECT

private slots:
    void initTestCase() { installThemes(); }
    void init();
    void form();
    void machineAccountsMarked();
    void userDialogForm();
    void addButtonIconFallback();
    void currentRow();
    void boxes_data();
    void boxes() { checkBox(); }
    void addUser();
    void passwordMismatch();
    void editUser();
    void showPassword();
    void userDialogOkEnabling_data();
    void userDialogOkEnabling();
    void userDialogRecord_data();
    void userDialogRecord();
    void editWithoutPasswordKeepsIt();
    void deleteUser_data() { deletionRows(); }
    void deleteUser() { checkDeletion(); }
    void closing_data() { closingRows(); }
    void closing();
    void createdUserStaysCandidate();
    void okStaysDisabledAfterCancelledSubDialogs();
    void contextMenu_data() { contextMenuRows(); }
    void contextMenu() { checkContextMenu(); }
    void contextMenuCommands_data() { contextMenuCommandRows(); }
    void contextMenuCommands();

private:
    std::unique_ptr<UsersDialog> makeDialog(SambaUserMap *users, const QStringList &candidates) override
    {
        return std::make_unique<UsersDialog>(users, candidates, nullptr, accounts(), fake("systemsettings"));
    }
};

void TestUsersDialog::init()
{
    QIcon::setThemeName(QStringLiteral("shareward-test"));
    makeFakes("useradd");
    QVERIFY(writeFile(fake("systemsettings"), fakeSettingsProgram, true));
}

void TestUsersDialog::form()
{
    SambaUserMap users = makeUsers(names("zed alice bob"));
    const auto dialog = makeDialog(&users, names("alice bob zed carol"));
    QCOMPARE(dialog->objectName(), QStringLiteral("UsersDialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Samba User's Administration"));
    QListWidget *widget = list(*dialog);
    QCOMPARE(texts(widget), names("alice bob zed"));
    QCOMPARE(widget->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(widget->isSortingEnabled());
    QCOMPARE(widget->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(widget->currentRow(), -1);
    auto *add = child<QPushButton>(*dialog, "pushButtonAddUser");
    auto *edit = child<QPushButton>(*dialog, "pushButtonEditUser");
    auto *remove = child<QPushButton>(*dialog, "pushButtonDeleteUser");
    QCOMPARE(add->text(), QStringLiteral("Add User"));
    QCOMPARE(edit->text(), QStringLiteral("Edit User"));
    QCOMPARE(remove->text(), QStringLiteral("Delete User"));
    QVERIFY(add->isEnabled());
    QVERIFY(!edit->isEnabled());
    QVERIFY(!remove->isEnabled());
    QVERIFY(!edit->isHidden());
    QVERIFY(!okButton(*dialog)->isEnabled());
    QVERIFY(cancelButton(*dialog)->isEnabled());
    QCOMPARE(dialog->candidates(), names("alice bob zed carol"));
    QCOMPARE(users, makeUsers(names("zed alice bob")));
}

// Every account pdbedit lists is in the list; a computer's trust account is marked as such.
void TestUsersDialog::machineAccountsMarked()
{
    SambaUserMap users = makeUsers(names("john.doe mary-ann PC01$ u234567890123456789012345678901"));
    const auto dialog = makeDialog(&users, names("alice"));
    QListWidget *widget = list(*dialog);
    QCOMPARE(texts(widget), names("PC01$ john.doe mary-ann u234567890123456789012345678901"));
    for (int row = 0; row < widget->count(); ++row) {
        const QListWidgetItem *item = widget->item(row);
        const bool machine = item->text() == QLatin1String("PC01$");
        QCOMPARE(item->font().italic(), machine);
        QCOMPARE(item->toolTip(), machine ? QStringLiteral("Machine account of a computer") : QString());
    }
}

void TestUsersDialog::userDialogForm()
{
    SambaUser record(QStringLiteral("bob"));
    record.setPassword(QStringLiteral("secret"));
    UserDialog dialog(record, names("bob carol"), names("alice bob carol"), nullptr, accounts(),
                      fake("systemsettings"));
    QCOMPARE(dialog.objectName(), QStringLiteral("UserDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("User's Data"));
    auto *label = child<QLabel>(dialog, "label");
    auto *combo = child<QComboBox>(dialog, "comboBoxUserName");
    QCOMPARE(label->text(), QStringLiteral("User &Name:"));
    QCOMPARE(label->buddy(), combo);
    QCOMPARE(items(combo), names("bob carol"));
    QCOMPARE(combo->currentText(), QStringLiteral("bob"));
    auto *add = child<QPushButton>(dialog, "pushButtonAddUsr");
    QVERIFY(add->isFlat());
    QCOMPARE(add->icon().name(), QStringLiteral("list-add"));
    auto *show = child<QCheckBox>(dialog, "checkBoxShowPassword");
    QCOMPARE(show->text(), QStringLiteral("&Show Password"));
    QVERIFY(!show->isChecked());
    QCOMPARE(child<QGroupBox>(dialog, "groupBox")->title(), QStringLiteral("Password"));
    auto *password = child<QLineEdit>(dialog, "lineEditPassword");
    auto *confirmation = child<QLineEdit>(dialog, "lineEditPasswordConfirmation");
    QCOMPARE(child<QLabel>(dialog, "labelPassword")->text(), QStringLiteral("&New:"));
    QCOMPARE(child<QLabel>(dialog, "labelPassword")->buddy(), password);
    QCOMPARE(child<QLabel>(dialog, "labelPasswordConfirmation")->text(), QStringLiteral("A&gain:"));
    QCOMPARE(child<QLabel>(dialog, "labelPasswordConfirmation")->buddy(), confirmation);
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(confirmation->echoMode(), QLineEdit::Password);
    // A password is never shown again; left empty, the fields keep it.
    QCOMPARE(password->text(), QString());
    QCOMPARE(confirmation->text(), QString());
    QCOMPARE(password->placeholderText(), QStringLiteral("unchanged"));
    QCOMPARE(confirmation->placeholderText(), QStringLiteral("unchanged"));
    QVERIFY(okButton(dialog)->isEnabled());
    QCOMPARE(dialog.candidates(), names("alice bob carol"));
    QCOMPARE(dialog.record(), record);
}

void TestUsersDialog::addButtonIconFallback()
{
    // A theme without "list-add": the drawn icon of the resources.
    QIcon::setThemeName(QStringLiteral("shareward-bare"));
    UserDialog dialog(SambaUser(), names("alice"), names("alice"), nullptr, accounts(),
                      fake("systemsettings"));
    const QIcon icon = child<QPushButton>(dialog, "pushButtonAddUsr")->icon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.name(), QString());
    QVERIFY(!QIcon(QStringLiteral(":/images/plus.png")).isNull());
}

void TestUsersDialog::currentRow()
{
    SambaUserMap users = makeUsers(names("alice bob"));
    const auto dialog = makeDialog(&users, names("alice bob"));
    auto *edit = child<QPushButton>(*dialog, "pushButtonEditUser");
    auto *remove = child<QPushButton>(*dialog, "pushButtonDeleteUser");
    list(*dialog)->setCurrentRow(1);
    QVERIFY(edit->isEnabled());
    QVERIFY(remove->isEnabled());
    list(*dialog)->setCurrentRow(-1);
    QVERIFY(!edit->isEnabled());
    QVERIFY(!remove->isEnabled());
    list(*dialog)->setCurrentRow(0);
    QVERIFY(edit->isEnabled());
    QVERIFY(!okButton(*dialog)->isEnabled()); // choosing a row changes nothing
}

void TestUsersDialog::boxes_data()
{
    boxRows();
    QTest::newRow("user dialog, passwords differ")
        << names("alice") << names("alice bob") << ListCommand([](QDialog &dialog, ModalDriver &driver) {
               driver.then(QStringLiteral("UserDialog"),
                           fillIn(QString(), QStringLiteral("one"), QStringLiteral("two")));
               driver.then(QStringLiteral("UserDialog"), cancel);
               child<QPushButton>(dialog, "pushButtonAddUser")->click();
               QCOMPARE(driver.remaining(), 0);
           })
        << QStringLiteral("Warning") << QStringLiteral("Password no matching... Enter again...")
        << QMessageBox::Warning << QStringList{QStringLiteral("OK")};
}

void TestUsersDialog::addUser()
{
    SambaUserMap users = makeUsers(names("bob=old"));
    const auto dialog = makeDialog(&users, names("carol bob alice dave"));
    dialog->show();
    QStringList offered;
    bool okAtFirst = true;
    QString passwordAtFirst = QStringLiteral("x");
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        offered = items(child<QComboBox>(*userDialog, "comboBoxUserName"));
        okAtFirst = okButton(*userDialog)->isEnabled();
        passwordAtFirst = child<QLineEdit>(*userDialog, "lineEditPassword")->text();
        fillIn(QStringLiteral("alice"), QStringLiteral("s3cret"), QStringLiteral("s3cret"))(userDialog);
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);

    // The free users, in the order of the candidates.
    QCOMPARE(offered, names("carol alice dave"));
    QVERIFY(!okAtFirst);
    QCOMPARE(passwordAtFirst, QString());
    QCOMPARE(users.keys(), names("alice bob"));
    const SambaUser alice = users.value(QStringLiteral("alice"));
    QCOMPARE(alice.name(), QStringLiteral("alice"));
    QCOMPARE(alice.password(), QStringLiteral("s3cret"));
    QVERIFY(alice.changed());
    QCOMPARE(users.value(QStringLiteral("bob")), makeUsers(names("bob=old")).value(QStringLiteral("bob")));
    QCOMPARE(texts(list(*dialog)), names("alice bob"));
    QVERIFY(okButton(*dialog)->isEnabled());

    okButton(*dialog)->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(users.keys(), names("alice bob"));
}

// A wrong confirmation keeps the dialog open with that field cleared and focused.
void TestUsersDialog::passwordMismatch()
{
    SambaUserMap users;
    const auto dialog = makeDialog(&users, names("alice"));
    dialog->show();
    QString confirmationAfter = QStringLiteral("x");
    bool focused = false;
    bool passwordKept = false;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"),
                fillIn(QString(), QStringLiteral("one"), QStringLiteral("two")));
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        auto *confirmation = child<QLineEdit>(*userDialog, "lineEditPasswordConfirmation");
        confirmationAfter = confirmation->text();
        focused = userDialog->focusWidget() == confirmation;
        passwordKept = child<QLineEdit>(*userDialog, "lineEditPassword")->text() == QLatin1String("one");
        confirmation->setText(QStringLiteral("one"));
        okButton(*userDialog)->click();
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Warning")});
    QCOMPARE(confirmationAfter, QString());
    QVERIFY(focused);
    QVERIFY(passwordKept);
    QCOMPARE(users.value(QStringLiteral("alice")).password(), QStringLiteral("one"));
}

void TestUsersDialog::editUser()
{
    SambaUserMap users = makeUsers(names("alice=a bob=old"));
    const auto dialog = makeDialog(&users, names("alice bob carol"));
    dialog->show();
    select(*dialog, QStringLiteral("bob"));
    QStringList offered;
    QString password;
    QString confirmation;
    bool okAtFirst = true;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        offered = items(child<QComboBox>(*userDialog, "comboBoxUserName"));
        password = child<QLineEdit>(*userDialog, "lineEditPassword")->text();
        confirmation = child<QLineEdit>(*userDialog, "lineEditPasswordConfirmation")->text();
        okAtFirst = okButton(*userDialog)->isEnabled();
        fillIn(QString(), QStringLiteral("new"), QStringLiteral("new"))(userDialog);
    });
    child<QPushButton>(*dialog, "pushButtonEditUser")->click();
    QCOMPARE(driver.remaining(), 0);

    // Only the edited user, its password not shown, Ok possible without one.
    QCOMPARE(offered, names("bob"));
    QCOMPARE(password, QString());
    QCOMPARE(confirmation, QString());
    QVERIFY(okAtFirst);
    QCOMPARE(users.keys(), names("alice bob"));
    QCOMPARE(users.value(QStringLiteral("bob")).password(), QStringLiteral("new"));
    QVERIFY(users.value(QStringLiteral("bob")).changed());
    QVERIFY(!users.value(QStringLiteral("alice")).changed());
    QCOMPARE(texts(list(*dialog)), names("alice bob"));
    QVERIFY(okButton(*dialog)->isEnabled());
    QCOMPARE(dialog->candidates(), names("alice bob carol"));
}

void TestUsersDialog::showPassword()
{
    // Shown in clear text, the password needs no confirmation: the first field counts.
    SambaUserMap users = makeUsers(names("bob=old"));
    const auto dialog = makeDialog(&users, names("bob"));
    dialog->show();
    select(*dialog, QStringLiteral("bob"));
    QList<QLineEdit::EchoMode> modes;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        auto *show = child<QCheckBox>(*userDialog, "checkBoxShowPassword");
        auto *password = child<QLineEdit>(*userDialog, "lineEditPassword");
        auto *confirmation = child<QLineEdit>(*userDialog, "lineEditPasswordConfirmation");
        show->setChecked(true);
        modes << password->echoMode() << confirmation->echoMode();
        show->setChecked(false);
        modes << password->echoMode() << confirmation->echoMode();
        show->click();
        modes << password->echoMode() << confirmation->echoMode();
        password->setText(QStringLiteral("first"));
        confirmation->setText(QStringLiteral("second"));
        okButton(*userDialog)->click();
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonEditUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(modes,
             (QList<QLineEdit::EchoMode>{QLineEdit::Normal, QLineEdit::Normal, QLineEdit::Password,
                                         QLineEdit::Password, QLineEdit::Normal, QLineEdit::Normal}));
    QCOMPARE(users.value(QStringLiteral("bob")).password(), QStringLiteral("first"));
    QVERIFY(users.value(QStringLiteral("bob")).changed());
}

void TestUsersDialog::userDialogOkEnabling_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("new, nothing changed") << QString() << QString() << false;
    QTest::newRow("new, another user") << QString() << QStringLiteral("comboBoxUserName") << true;
    QTest::newRow("new, password") << QString() << QStringLiteral("lineEditPassword") << true;
    QTest::newRow("new, confirmation") << QString() << QStringLiteral("lineEditPasswordConfirmation") << true;
    QTest::newRow("new, show password") << QString() << QStringLiteral("checkBoxShowPassword") << false;
    // Empty fields keep an existing user's password: Ok without typing one.
    QTest::newRow("existing, nothing changed") << QStringLiteral("alice") << QString() << true;
}

void TestUsersDialog::userDialogOkEnabling()
{
    QFETCH(QString, record);
    QFETCH(QString, field);
    QFETCH(bool, enabled);

    UserDialog dialog(record.isEmpty() ? SambaUser() : SambaUser(record), names("alice bob"),
                      names("alice bob"), nullptr, accounts(), fake("systemsettings"));
    QWidget *widget = field.isEmpty() ? nullptr : dialog.findChild<QWidget *>(field);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        combo->setCurrentIndex(1);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        QTest::keyClicks(edit, QStringLiteral("x"));
    else if (auto *box = qobject_cast<QCheckBox *>(widget))
        box->click();
    QCOMPARE(okButton(dialog)->isEnabled(), enabled);
}

void TestUsersDialog::userDialogRecord_data()
{
    QTest::addColumn<QString>("edited"); // empty for a new user
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("changed");

    // The record edited holds "same", entered but not saved yet.
    QTest::newRow("existing, fields empty") << "bob"
                                            << "bob" << QString() << true << "same" << false;
    QTest::newRow("existing, same password typed") << "bob"
                                                   << "bob"
                                                   << "same" << true << "same" << true;
    QTest::newRow("existing, new password") << "bob"
                                            << "bob"
                                            << "n3w" << true << "n3w" << true;
    QTest::newRow("new") << QString() << "bob"
                         << "pw" << true << "pw" << true;
    QTest::newRow("new without password") << QString() << "bob" << QString() << false << QString() << false;
    // A user created in the edit dialog and chosen there is a new account as well.
    QTest::newRow("other user chosen without password")
        << "bob"
        << "carol" << QString() << false << QString() << false;
    QTest::newRow("other user chosen") << "bob"
                                       << "carol"
                                       << "pw" << true << "pw" << true;
}

void TestUsersDialog::userDialogRecord()
{
    QFETCH(QString, edited);
    QFETCH(QString, chosen);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, password);
    QFETCH(bool, changed);

    SambaUser record;
    if (!edited.isEmpty()) {
        record = SambaUser(edited);
        record.setPassword(QStringLiteral("same"));
        record.setChanged(false);
    }
    UserDialog dialog(record, names("bob carol"), names("alice bob carol"), nullptr, accounts(),
                      fake("systemsettings"));
    dialog.show();
    auto *combo = child<QComboBox>(dialog, "comboBoxUserName");
    combo->setCurrentIndex(combo->findText(chosen));
    QTest::keyClicks(child<QLineEdit>(dialog, "lineEditPassword"), typed);
    QTest::keyClicks(child<QLineEdit>(dialog, "lineEditPasswordConfirmation"), typed);
    BoxDriver boxes({QStringLiteral("OK")});
    okButton(dialog)->setEnabled(true);
    okButton(dialog)->click();

    QCOMPARE(dialog.result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
    if (!accepted) {
        // Warned and kept open, the password field focused.
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes.seen(), 1);
        QCOMPARE(boxes.last().text, QStringLiteral("A new Samba user needs a password."));
        QCOMPARE(dialog.focusWidget(), child<QLineEdit>(dialog, "lineEditPassword"));
        QCOMPARE(dialog.record(), record);
        return;
    }
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(dialog.record().name(), chosen);
    QCOMPARE(dialog.record().password(), password);
    QCOMPARE(dialog.record().changed(), changed);
}

// An existing user edited with the password fields left empty stays as he was: the list
// dialog's map, and so the window, see no change.
void TestUsersDialog::editWithoutPasswordKeepsIt()
{
    const SambaUserMap original = makeUsers(names("alice bob"));
    SambaUserMap users = original;
    const auto dialog = makeDialog(&users, names("alice bob"));
    dialog->show();
    select(*dialog, QStringLiteral("bob"));
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), fillIn(QString(), QString(), QString()));
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonEditUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(users, original);
}

// Additions, edits and deletions reach the map as they are made; Cancel puts it back.
void TestUsersDialog::closing()
{
    QFETCH(bool, kept);

    const SambaUserMap original = makeUsers(names("bob=old carol"));
    SambaUserMap users = original;
    const auto dialog = makeDialog(&users, names("alice bob carol"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"),
                fillIn(QStringLiteral("alice"), QStringLiteral("a"), QStringLiteral("a")));
    driver.then(QStringLiteral("UserDialog"),
                fillIn(QString(), QStringLiteral("new"), QStringLiteral("new")));
    BoxDriver boxes({QStringLiteral("OK")});
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    select(*dialog, QStringLiteral("bob"));
    child<QPushButton>(*dialog, "pushButtonEditUser")->click();
    select(*dialog, QStringLiteral("carol"));
    child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(users.keys(), names("alice bob"));
    QCOMPARE(users.value(QStringLiteral("bob")).password(), QStringLiteral("new"));

    closeDialog(*dialog);
    if (kept) {
        QCOMPARE(users.keys(), names("alice bob"));
        QVERIFY(users.value(QStringLiteral("alice")).changed());
        QCOMPARE(users.value(QStringLiteral("alice")).password(), QStringLiteral("a"));
    } else {
        QCOMPARE(users, original);
    }
}

void TestUsersDialog::createdUserStaysCandidate()
{
    checkCreatedAccountStaysCandidate(
        {QStringLiteral("newbie"), QStringLiteral("Create user"), QString(), true, "-M|-N|--|newbie|"});
}

void TestUsersDialog::okStaysDisabledAfterCancelledSubDialogs()
{
    checkOkStaysDisabledAfterCancelledSubDialogs(names("bob=old"), [](QWidget *userDialog) {
        child<QLineEdit>(*userDialog, "lineEditPassword")->setText(QStringLiteral("typed"));
    });
}

void TestUsersDialog::contextMenuCommands()
{
    QFETCH(QString, chosen);
    SambaUserMap users;
    QStringList seen;
    checkContextMenuCommand(users, [&](QWidget *userDialog) {
        seen = items(child<QComboBox>(*userDialog, "comboBoxUserName"));
        fillIn(QString(), QStringLiteral("pw"), QStringLiteral("pw"))(userDialog);
    });
    // The dialog offers just the account it is about.
    QCOMPARE(seen, chosen.isEmpty() ? QStringList() : QStringList{chosen});
    if (!chosen.isEmpty())
        QCOMPARE(users.value(chosen).password(), QStringLiteral("pw"));
}

QTEST_MAIN(TestUsersDialog)
#include "tst_usersdialog.moc"
