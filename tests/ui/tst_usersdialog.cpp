// The Samba users dialogs driven by object names: the list and its commands, the user
// dialog's checks and its creation of service users, every box, and what reaches the map
// on Ok and on Cancel.
#include "accountdialogsupport.h"
#include "boxdriver.h"
#include "modaldriver.h"
#include "userdialog.h"
#include "usersdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace AccountDialogSupport;

namespace {

QStringList names(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

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

QStringList texts(QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

QStringList items(QComboBox *combo)
{
    QStringList result;
    for (int index = 0; index < combo->count(); ++index)
        result << combo->itemText(index);
    return result;
}

QListWidget *list(QWidget &dialog)
{
    return child<QListWidget>(dialog, "listWidgetSambaUsers");
}

void select(QWidget &dialog, const QString &name)
{
    const QList<QListWidgetItem *> found = list(dialog)->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        qFatal("not listed once: %s", qPrintable(name));
    list(dialog)->setCurrentItem(found.first());
}

// Right-clicks the list at a point of its viewport: over the named item, or below the items.
void requestContextMenu(QWidget &dialog, const QString &over)
{
    QListWidget *widget = list(dialog);
    QPoint position(5, widget->viewport()->height() - 3);
    if (!over.isEmpty())
        position = widget->visualItemRect(widget->findItems(over, Qt::MatchExactly).first()).center();
    QVERIFY(bool(widget->itemAt(position)) == !over.isEmpty());
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->viewport()->mapToGlobal(position));
    QApplication::sendEvent(widget->viewport(), &event);
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

void cancel(QWidget *dialog)
{
    cancelButton(*dialog)->click();
}

using Action = std::function<void(UsersDialog &, ModalDriver &)>;

} // namespace

Q_DECLARE_METATYPE(Action)

class TestUsersDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void form();
    void userDialogForm();
    void addButtonIconFallback();
    void currentRow();
    void boxes_data();
    void boxes();
    void addUser();
    void passwordMismatch();
    void editUser();
    void showPassword();
    void userDialogOkEnabling_data();
    void userDialogOkEnabling();
    void userDialogRecord();
    void deleteUser_data();
    void deleteUser();
    void closing_data();
    void closing();
    void createdUserStaysCandidate();
    void okStaysDisabledAfterCancelledSubDialogs();
    void contextMenu_data();
    void contextMenu();
    void contextMenuCommands_data();
    void contextMenuCommands();

private:
    QString fake(const char *name) const { return m_fakeDir->filePath(QLatin1String(name)); }
    std::unique_ptr<UsersDialog> makeDialog(SambaUserMap *users, const QStringList &candidates)
    {
        return std::make_unique<UsersDialog>(users, candidates, nullptr, fake("useradd"),
                                             fake("systemsettings"));
    }

    QTemporaryDir m_themeDir;
    std::unique_ptr<QTemporaryDir> m_fakeDir;
};

void TestUsersDialog::initTestCase()
{
    QVERIFY(m_themeDir.isValid());
    QVERIFY(
        installIconThemes(m_themeDir.path(), names("list-add document-edit document-close document-new")));
}

void TestUsersDialog::init()
{
    QIcon::setThemeName(QStringLiteral("shareward-test"));
    m_fakeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_fakeDir->isValid());
    QVERIFY(writeFile(fake("useradd"), fakeAccountProgram, true));
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

void TestUsersDialog::userDialogForm()
{
    SambaUser record(QStringLiteral("bob"));
    record.setPassword(QStringLiteral("secret"));
    UserDialog dialog(record, names("bob carol"), names("alice bob carol"), nullptr, fake("useradd"),
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
    QCOMPARE(password->text(), QStringLiteral("secret"));
    QCOMPARE(confirmation->text(), QStringLiteral("secret"));
    QVERIFY(!okButton(dialog)->isEnabled());
    QCOMPARE(dialog.candidates(), names("alice bob carol"));
    QCOMPARE(dialog.record(), record);
}

void TestUsersDialog::addButtonIconFallback()
{
    // A theme without "list-add": the drawn icon of the resources.
    QIcon::setThemeName(QStringLiteral("shareward-bare"));
    UserDialog dialog(SambaUser(), names("alice"), names("alice"), nullptr, fake("useradd"),
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
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QStringList>("buttons");

    const QString noFree =
        QStringLiteral("No present any free system's user. Please call administrator for entering new one.");
    const QString noneSelected = QStringLiteral("No user's selected");
    const QStringList ok{QStringLiteral("OK")};

    // No user dialog may open: its step would be left over.
    const Action add = [](UsersDialog &dialog, ModalDriver &driver) {
        driver.then(QStringLiteral("UserDialog"), cancel);
        child<QPushButton>(dialog, "pushButtonAddUser")->click();
        QCOMPARE(driver.remaining(), 1);
    };
    const auto forced = [](const char *button) {
        return Action([button](UsersDialog &dialog, ModalDriver &) {
            // The button is disabled without a current row; the command still checks.
            child<QPushButton>(dialog, button)->setEnabled(true);
            child<QPushButton>(dialog, button)->click();
        });
    };
    const auto onNameless = [](const char *button) {
        return Action([button](UsersDialog &dialog, ModalDriver &driver) {
            driver.then(QStringLiteral("UserDialog"), cancel);
            list(dialog)->setCurrentRow(0);
            child<QPushButton>(dialog, button)->click();
            QCOMPARE(driver.remaining(), 1);
        });
    };

    QTest::newRow("add, every candidate a Samba user")
        << names("alice bob") << names("bob alice") << add << QStringLiteral("Error") << noFree
        << QMessageBox::Critical << ok;
    QTest::newRow("add, no candidates") << QStringList() << QStringList() << add << QStringLiteral("Error")
                                        << noFree << QMessageBox::Critical << ok;
    QTest::newRow("edit, nothing current")
        << names("alice") << names("alice") << forced("pushButtonEditUser") << QStringLiteral("Warning")
        << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("edit, an item without a name")
        << QStringList{QString()} << names("alice") << onNameless("pushButtonEditUser")
        << QStringLiteral("Warning") << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("delete, nothing current")
        << names("alice") << names("alice") << forced("pushButtonDeleteUser") << QStringLiteral("Warning")
        << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("delete, an item without a name")
        << QStringList{QString()} << names("alice") << onNameless("pushButtonDeleteUser")
        << QStringLiteral("Warning") << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("delete, the question")
        << names("alice bob") << names("alice bob") << Action([](UsersDialog &dialog, ModalDriver &) {
               select(dialog, QStringLiteral("bob"));
               child<QPushButton>(dialog, "pushButtonDeleteUser")->click();
           })
        << QStringLiteral("Question") << QStringLiteral("Are you sure to delete the user?")
        << QMessageBox::Question << QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")};
    QTest::newRow("user dialog, passwords differ")
        << names("alice") << names("alice bob") << Action([](UsersDialog &dialog, ModalDriver &driver) {
               driver.then(QStringLiteral("UserDialog"),
                           fillIn(QString(), QStringLiteral("one"), QStringLiteral("two")));
               driver.then(QStringLiteral("UserDialog"), cancel);
               child<QPushButton>(dialog, "pushButtonAddUser")->click();
               QCOMPARE(driver.remaining(), 0);
           })
        << QStringLiteral("Warning") << QStringLiteral("Password no matching... Enter again...")
        << QMessageBox::Warning << ok;
}

// Each box with its title, text, icon and buttons, answered with Cancel where it has one;
// nothing changes and Ok stays disabled.
void TestUsersDialog::boxes()
{
    QFETCH(QStringList, users);
    QFETCH(QStringList, candidates);
    QFETCH(Action, action);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QStringList, buttons);

    SambaUserMap map = makeUsers(users);
    const auto dialog = makeDialog(&map, candidates);
    dialog->show();
    BoxDriver boxes({QStringLiteral("Cancel")});
    ModalDriver driver;
    action(*dialog, driver);
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(boxes.last().title, title);
    QCOMPARE(boxes.last().text, text);
    QCOMPARE(boxes.last().icon, icon);
    QCOMPARE(boxes.last().buttons, buttons);
    QCOMPARE(map, makeUsers(users));
    QCOMPARE(texts(list(*dialog)).size(), users.size());
    QVERIFY(!okButton(*dialog)->isEnabled());
    QVERIFY(dialog->isVisible());
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

    // Only the edited user, with its password in both fields.
    QCOMPARE(offered, names("bob"));
    QCOMPARE(password, QStringLiteral("old"));
    QCOMPARE(confirmation, QStringLiteral("old"));
    QVERIFY(!okAtFirst);
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
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("nothing changed") << QString() << false;
    QTest::newRow("another user") << QStringLiteral("comboBoxUserName") << true;
    QTest::newRow("password") << QStringLiteral("lineEditPassword") << true;
    QTest::newRow("confirmation") << QStringLiteral("lineEditPasswordConfirmation") << true;
    QTest::newRow("show password") << QStringLiteral("checkBoxShowPassword") << false;
}

void TestUsersDialog::userDialogOkEnabling()
{
    QFETCH(QString, field);
    QFETCH(bool, enabled);

    UserDialog dialog(SambaUser(), names("alice bob"), names("alice bob"), nullptr, fake("useradd"),
                      fake("systemsettings"));
    QWidget *widget = field.isEmpty() ? nullptr : dialog.findChild<QWidget *>(field);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        combo->setCurrentIndex(1);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        QTest::keyClicks(edit, QStringLiteral("x"));
    else if (auto *box = qobject_cast<QCheckBox *>(widget))
        box->click();
    QCOMPARE(okButton(dialog)->isEnabled(), enabled);
}

void TestUsersDialog::userDialogRecord()
{
    // Even the same name and password again mark the account changed.
    SambaUser record(QStringLiteral("bob"));
    record.setPassword(QStringLiteral("same"));
    record.setChanged(false);
    UserDialog dialog(record, names("bob"), names("alice bob"), nullptr, fake("useradd"),
                      fake("systemsettings"));
    BoxDriver boxes;
    okButton(dialog)->setEnabled(true);
    okButton(dialog)->click();
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.record().name(), QStringLiteral("bob"));
    QCOMPARE(dialog.record().password(), QStringLiteral("same"));
    QVERIFY(dialog.record().changed());
    QCOMPARE(dialog.candidates(), names("alice bob"));

    // Another user chosen: the record takes that name and the new password.
    UserDialog other(SambaUser(), names("alice bob"), names("alice bob"), nullptr, fake("useradd"),
                     fake("systemsettings"));
    child<QComboBox>(other, "comboBoxUserName")->setCurrentIndex(1);
    QTest::keyClicks(child<QLineEdit>(other, "lineEditPassword"), QStringLiteral("pw"));
    QTest::keyClicks(child<QLineEdit>(other, "lineEditPasswordConfirmation"), QStringLiteral("pw"));
    okButton(other)->click();
    QCOMPARE(other.result(), int(QDialog::Accepted));
    QCOMPARE(other.record().name(), QStringLiteral("bob"));
    QCOMPARE(other.record().password(), QStringLiteral("pw"));
    QVERIFY(other.record().changed());
}

void TestUsersDialog::deleteUser_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("deleted");

    QTest::newRow("OK") << QStringLiteral("OK") << true;
    QTest::newRow("Cancel") << QStringLiteral("Cancel") << false;
    // Return takes the default button, Cancel.
    QTest::newRow("Return") << QStringLiteral("Return") << false;
}

void TestUsersDialog::deleteUser()
{
    QFETCH(QString, answer);
    QFETCH(bool, deleted);

    SambaUserMap users = makeUsers(names("alice bob carol"));
    const auto dialog = makeDialog(&users, names("alice bob carol"));
    dialog->show();
    select(*dialog, QStringLiteral("bob"));
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

    QCOMPARE(users.keys(), deleted ? names("alice carol") : names("alice bob carol"));
    QCOMPARE(texts(list(*dialog)), deleted ? names("alice carol") : names("alice bob carol"));
    QCOMPARE(okButton(*dialog)->isEnabled(), deleted);
}

void TestUsersDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("kept");

    QTest::newRow("Ok") << QStringLiteral("ok") << true;
    QTest::newRow("Cancel") << QStringLiteral("cancel") << false;
    QTest::newRow("Escape") << QStringLiteral("escape") << false;
}

// Additions, edits and deletions reach the map as they are made; Cancel puts it back.
void TestUsersDialog::closing()
{
    QFETCH(QString, how);
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

    if (how == QLatin1String("ok"))
        okButton(*dialog)->click();
    else if (how == QLatin1String("cancel"))
        cancelButton(*dialog)->click();
    else
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(kept ? QDialog::Accepted : QDialog::Rejected));
    if (kept) {
        QCOMPARE(users.keys(), names("alice bob"));
        QVERIFY(users.value(QStringLiteral("alice")).changed());
        QCOMPARE(users.value(QStringLiteral("alice")).password(), QStringLiteral("a"));
    } else {
        QCOMPARE(users, original);
    }
}

// The service user made in the user dialog stays offered after that dialog was cancelled.
void TestUsersDialog::createdUserStaysCandidate()
{
    SambaUserMap users = makeUsers(names("bob"));
    const auto dialog = makeDialog(&users, names("alice bob"));
    dialog->show();
    QString title;
    bool policyShown = false;
    QStringList offered;
    QString current;
    bool okEnabled = false;
    QStringList offeredAgain;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"),
                [](QWidget *userDialog) { child<QPushButton>(*userDialog, "pushButtonAddUsr")->click(); });
    driver.then(QStringLiteral("CreateUserDialog"), [&](QWidget *create) {
        title = create->windowTitle();
        policyShown = child<QPushButton>(*create, "policyButton")->isVisible();
        QTest::keyClicks(child<QLineEdit>(*create, "lineEditName"), QStringLiteral("newbie"));
        child<QPushButton>(*create, "okPushButton")->click();
    });
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        auto *combo = child<QComboBox>(*userDialog, "comboBoxUserName");
        offered = items(combo);
        current = combo->currentText();
        okEnabled = okButton(*userDialog)->isEnabled();
        cancel(userDialog);
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(title, QStringLiteral("Create user"));
    QVERIFY(policyShown);
    QCOMPARE(readFile(fake("arguments")), QByteArray("-M|-N|newbie|"));
    QCOMPARE(offered, names("alice newbie"));
    QCOMPARE(current, QStringLiteral("newbie"));
    QVERIFY(okEnabled);

    QCOMPARE(dialog->candidates(), names("alice bob newbie"));
    QCOMPARE(users, makeUsers(names("bob")));
    QVERIFY(!okButton(*dialog)->isEnabled());

    // Offered again at the next addition.
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
        offeredAgain = items(child<QComboBox>(*userDialog, "comboBoxUserName"));
        cancel(userDialog);
    });
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(offeredAgain, names("alice newbie"));
}

void TestUsersDialog::okStaysDisabledAfterCancelledSubDialogs()
{
    SambaUserMap users = makeUsers(names("bob=old"));
    const auto dialog = makeDialog(&users, names("alice bob"));
    dialog->show();
    ModalDriver driver;
    // Add: the creation dialog opened and cancelled, then the user dialog cancelled.
    driver.then(QStringLiteral("UserDialog"), [](QWidget *userDialog) {
        child<QLineEdit>(*userDialog, "lineEditPassword")->setText(QStringLiteral("typed"));
        child<QPushButton>(*userDialog, "pushButtonAddUsr")->click();
    });
    driver.then(QStringLiteral("CreateUserDialog"),
                [](QWidget *create) { child<QPushButton>(*create, "cancelPushButton")->click(); });
    driver.then(QStringLiteral("UserDialog"), cancel);
    // Edit, cancelled after a change.
    driver.then(QStringLiteral("UserDialog"), [](QWidget *userDialog) {
        child<QLineEdit>(*userDialog, "lineEditPassword")->setText(QStringLiteral("typed"));
        cancel(userDialog);
    });
    BoxDriver boxes({QStringLiteral("Cancel")});
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    select(*dialog, QStringLiteral("bob"));
    child<QPushButton>(*dialog, "pushButtonEditUser")->click();
    child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 1);
    QVERIFY(!QFileInfo::exists(fake("arguments")));
    QVERIFY(!okButton(*dialog)->isEnabled());
    QCOMPARE(users, makeUsers(names("bob=old")));
    QCOMPARE(dialog->candidates(), names("alice bob"));
}

void TestUsersDialog::contextMenu_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("icons");

    QTest::newRow("over an item") << QStringLiteral(
        "bob") << QStringList{QStringLiteral("Edit..."), QStringLiteral("Delete..."), QStringLiteral("Add")}
                                  << names("document-edit document-close document-new");
    QTest::newRow("below the items") << QString() << QStringList{QStringLiteral("Add")}
                                     << names("document-new");
}

void TestUsersDialog::contextMenu()
{
    QFETCH(QString, over);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, icons);

    SambaUserMap users = makeUsers(names("alice bob"));
    const auto dialog = makeDialog(&users, names("alice bob"));
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
    QCOMPARE(users, makeUsers(names("alice bob")));
    QVERIFY(!okButton(*dialog)->isEnabled());
}

void TestUsersDialog::contextMenuCommands_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QStringList>("boxTitles");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("Add") << QString() << QStringLiteral("Add") << names("carol") << QStringList()
                         << names("alice bob carol");
    QTest::newRow("Add over an item") << QStringLiteral("alice") << QStringLiteral("Add") << names("carol")
                                      << QStringList() << names("alice bob carol");
    QTest::newRow("Edit...") << QStringLiteral("bob") << QStringLiteral("Edit...") << names("bob")
                             << QStringList() << names("alice bob");
    QTest::newRow("Delete...") << QStringLiteral("bob") << QStringLiteral("Delete...") << QStringList()
                               << QStringList{QStringLiteral("Question")} << names("alice");
}

// Each entry runs its command on the item it was shown over.
void TestUsersDialog::contextMenuCommands()
{
    QFETCH(QString, over);
    QFETCH(QString, entry);
    QFETCH(QStringList, offered);
    QFETCH(QStringList, boxTitles);
    QFETCH(QStringList, after);

    SambaUserMap users = makeUsers(names("alice bob"));
    const auto dialog = makeDialog(&users, names("alice bob carol"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QStringList seen;
    ModalDriver driver;
    if (!offered.isEmpty()) {
        driver.then(QStringLiteral("UserDialog"), [&](QWidget *userDialog) {
            seen = items(child<QComboBox>(*userDialog, "comboBoxUserName"));
            fillIn(QString(), QStringLiteral("pw"), QStringLiteral("pw"))(userDialog);
        });
    }
    BoxDriver boxes({QStringLiteral("OK")});
    MenuAnswer menu(entry);
    requestContextMenu(*dialog, over);
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(seen, offered);
    QCOMPARE(boxes.titles(), boxTitles);
    QCOMPARE(users.keys(), after);
    QCOMPARE(texts(list(*dialog)), after);
    QVERIFY(okButton(*dialog)->isEnabled());
    if (!offered.isEmpty())
        QCOMPARE(users.value(offered.first()).password(), QStringLiteral("pw"));
}

QTEST_MAIN(TestUsersDialog)
#include "tst_usersdialog.moc"
