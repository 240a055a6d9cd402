// The Samba groups dialogs driven by object names: the list and its commands, the group
// dialog on the user dialog's form and its creation of service groups, every box, and what
// reaches the map on Ok and on Cancel.
#include "accountdialogsupport.h"
#include "boxdriver.h"
#include "groupdialog.h"
#include "groupsdialog.h"
#include "modaldriver.h"

#include <QComboBox>
#include <QContextMenuEvent>
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

// Groups as loaded: unchanged.
SambaGroupMap makeGroups(const QStringList &groupNames)
{
    SambaGroupMap groups;
    for (const QString &name : groupNames) {
        SambaGroup group(name);
        group.setChanged(false);
        groups.insert(name, group);
    }
    return groups;
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

// A step for a group dialog: choose the group, then Ok.
ModalDriver::Step choose(const QString &name)
{
    return [=](QWidget *dialog) {
        auto *combo = child<QComboBox>(*dialog, "comboBoxUserName");
        combo->setCurrentIndex(combo->findText(name));
        okButton(*dialog)->click();
    };
}

void cancel(QWidget *dialog)
{
    cancelButton(*dialog)->click();
}

const char *const passwordWidgets[] = {"checkBoxShowPassword", "groupBox",
                                       "labelPassword",        "labelPasswordConfirmation",
                                       "lineEditPassword",     "lineEditPasswordConfirmation"};

using Action = std::function<void(GroupsDialog &, ModalDriver &)>;

} // namespace

Q_DECLARE_METATYPE(Action)

class TestGroupsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void form();
    void groupDialogForm();
    void groupDialogOkEnabling();
    void groupDialogRecord();
    void currentRow();
    void boxes_data();
    void boxes();
    void addGroup();
    void deleteGroup_data();
    void deleteGroup();
    void closing_data();
    void closing();
    void createdGroupStaysCandidate();
    void okStaysDisabledAfterCancelledSubDialogs();
    void contextMenu_data();
    void contextMenu();
    void contextMenuCommands_data();
    void contextMenuCommands();

private:
    QString fake(const char *name) const { return m_fakeDir->filePath(QLatin1String(name)); }
    std::unique_ptr<GroupsDialog> makeDialog(SambaGroupMap *groups, const QStringList &candidates)
    {
        return std::make_unique<GroupsDialog>(groups, candidates, nullptr, fake("groupadd"));
    }

    QTemporaryDir m_themeDir;
    std::unique_ptr<QTemporaryDir> m_fakeDir;
};

void TestGroupsDialog::initTestCase()
{
    QVERIFY(m_themeDir.isValid());
    QVERIFY(
        installIconThemes(m_themeDir.path(), names("list-add document-edit document-close document-new")));
}

void TestGroupsDialog::init()
{
    m_fakeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_fakeDir->isValid());
    QVERIFY(writeFile(fake("groupadd"), fakeAccountProgram, true));
}

void TestGroupsDialog::form()
{
    SambaGroupMap groups = makeGroups(names("staff admins"));
    const auto dialog = makeDialog(&groups, names("admins staff users"));
    dialog->show();
    QCOMPARE(dialog->objectName(), QStringLiteral("UsersDialog"));
    QCOMPARE(texts(list(*dialog)), names("admins staff"));
    auto *add = child<QPushButton>(*dialog, "pushButtonAddUser");
    auto *remove = child<QPushButton>(*dialog, "pushButtonDeleteUser");
    QCOMPARE(add->text(), QStringLiteral("Add group"));
    QCOMPARE(remove->text(), QStringLiteral("Delete group"));
    QVERIFY(add->isVisible());
    QVERIFY(!child<QPushButton>(*dialog, "pushButtonEditUser")->isVisible());
    QVERIFY(!remove->isEnabled());
    QVERIFY(!okButton(*dialog)->isEnabled());
    QCOMPARE(dialog->candidates(), names("admins staff users"));
    QCOMPARE(groups, makeGroups(names("staff admins")));
}

void TestGroupsDialog::groupDialogForm()
{
    GroupDialog dialog(SambaGroup(), names("staff users"), names("admins staff users"), nullptr,
                       fake("groupadd"));
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("UserDialog"));
    QCOMPARE(child<QLabel>(dialog, "label")->text(), QStringLiteral("Group name"));
    for (const char *name : passwordWidgets)
        QVERIFY2(!child<QWidget>(dialog, name)->isVisible(), name);
    auto *combo = child<QComboBox>(dialog, "comboBoxUserName");
    QVERIFY(combo->isVisible());
    QCOMPARE(items(combo), names("staff users"));
    // No group is chosen beforehand: choosing one is the change that enables Ok.
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(child<QPushButton>(dialog, "pushButtonAddUsr")->icon().name(), QStringLiteral("list-add"));
    QVERIFY(child<QPushButton>(dialog, "pushButtonAddUsr")->isVisible());
    QVERIFY(!okButton(dialog)->isEnabled());
    QCOMPARE(dialog.candidates(), names("admins staff users"));

    // A record naming an offered group shows it.
    GroupDialog named(SambaGroup(QStringLiteral("users")), names("staff users"), names("staff users"),
                      nullptr, fake("groupadd"));
    QCOMPARE(child<QComboBox>(named, "comboBoxUserName")->currentText(), QStringLiteral("users"));
    QVERIFY(!okButton(named)->isEnabled());
}

void TestGroupsDialog::groupDialogOkEnabling()
{
    GroupDialog dialog(SambaGroup(), names("staff"), names("staff"), nullptr, fake("groupadd"));
    QVERIFY(!okButton(dialog)->isEnabled());
    child<QComboBox>(dialog, "comboBoxUserName")->setCurrentIndex(0);
    QVERIFY(okButton(dialog)->isEnabled());
}

void TestGroupsDialog::groupDialogRecord()
{
    GroupDialog dialog(SambaGroup(), names("staff users"), names("staff users"), nullptr, fake("groupadd"));
    // Nothing chosen: Ok does nothing even when forced.
    okButton(dialog)->setEnabled(true);
    okButton(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.record(), SambaGroup());

    child<QComboBox>(dialog, "comboBoxUserName")->setCurrentIndex(1);
    okButton(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.record().name(), QStringLiteral("users"));
    QVERIFY(dialog.record().changed());
}

void TestGroupsDialog::currentRow()
{
    SambaGroupMap groups = makeGroups(names("admins staff"));
    const auto dialog = makeDialog(&groups, names("admins staff"));
    auto *remove = child<QPushButton>(*dialog, "pushButtonDeleteUser");
    list(*dialog)->setCurrentRow(1);
    QVERIFY(remove->isEnabled());
    list(*dialog)->setCurrentRow(-1);
    QVERIFY(!remove->isEnabled());
    QVERIFY(!okButton(*dialog)->isEnabled());
}

void TestGroupsDialog::boxes_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QStringList>("buttons");

    const QString noFree =
        QStringLiteral("No present any free system's group. Please call administrator for entering new one.");
    const QString noneSelected = QStringLiteral("No group's selected");
    const QStringList ok{QStringLiteral("OK")};

    // No group dialog may open: its step would be left over.
    const Action add = [](GroupsDialog &dialog, ModalDriver &driver) {
        driver.then(QStringLiteral("UserDialog"), cancel);
        child<QPushButton>(dialog, "pushButtonAddUser")->click();
        QCOMPARE(driver.remaining(), 1);
    };

    QTest::newRow("add, every candidate a Samba group")
        << names("admins staff") << names("staff admins") << add << QStringLiteral("Error") << noFree
        << QMessageBox::Critical << ok;
    QTest::newRow("add, no candidates") << QStringList() << QStringList() << add << QStringLiteral("Error")
                                        << noFree << QMessageBox::Critical << ok;
    QTest::newRow("delete, nothing current")
        << names("staff") << names("staff") << Action([](GroupsDialog &dialog, ModalDriver &) {
               // The button is disabled without a current row; the command still checks.
               child<QPushButton>(dialog, "pushButtonDeleteUser")->setEnabled(true);
               child<QPushButton>(dialog, "pushButtonDeleteUser")->click();
           })
        << QStringLiteral("Warning") << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("delete, an item without a name")
        << QStringList{QString()} << names("staff") << Action([](GroupsDialog &dialog, ModalDriver &) {
               list(dialog)->setCurrentRow(0);
               child<QPushButton>(dialog, "pushButtonDeleteUser")->click();
           })
        << QStringLiteral("Warning") << noneSelected << QMessageBox::Warning << ok;
    QTest::newRow("delete, the question")
        << names("admins staff") << names("admins staff") << Action([](GroupsDialog &dialog, ModalDriver &) {
               select(dialog, QStringLiteral("staff"));
               child<QPushButton>(dialog, "pushButtonDeleteUser")->click();
           })
        << QStringLiteral("Question") << QStringLiteral("Are you sure to delete the group?")
        << QMessageBox::Question << QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")};
}

// Each box with its title, text, icon and buttons, answered with Cancel where it has one;
// nothing changes and Ok stays disabled.
void TestGroupsDialog::boxes()
{
    QFETCH(QStringList, groups);
    QFETCH(QStringList, candidates);
    QFETCH(Action, action);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QStringList, buttons);

    SambaGroupMap map = makeGroups(groups);
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
    QCOMPARE(map, makeGroups(groups));
    QCOMPARE(texts(list(*dialog)).size(), groups.size());
    QVERIFY(!okButton(*dialog)->isEnabled());
    QVERIFY(dialog->isVisible());
}

void TestGroupsDialog::addGroup()
{
    SambaGroupMap groups = makeGroups(names("staff"));
    const auto dialog = makeDialog(&groups, names("users staff admins"));
    dialog->show();
    QString title;
    QStringList offered;
    bool okAtFirst = true;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *groupDialog) {
        title = groupDialog->windowTitle();
        offered = items(child<QComboBox>(*groupDialog, "comboBoxUserName"));
        okAtFirst = okButton(*groupDialog)->isEnabled();
        choose(QStringLiteral("admins"))(groupDialog);
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(title, QStringLiteral("Add group"));
    // The free groups, in the order of the candidates.
    QCOMPARE(offered, names("users admins"));
    QVERIFY(!okAtFirst);
    QCOMPARE(groups.keys(), names("admins staff"));
    QCOMPARE(groups.value(QStringLiteral("admins")).name(), QStringLiteral("admins"));
    QVERIFY(groups.value(QStringLiteral("admins")).changed());
    QVERIFY(!groups.value(QStringLiteral("staff")).changed());
    QCOMPARE(texts(list(*dialog)), names("admins staff"));
    QVERIFY(okButton(*dialog)->isEnabled());
}

void TestGroupsDialog::deleteGroup_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("deleted");

    QTest::newRow("OK") << QStringLiteral("OK") << true;
    QTest::newRow("Cancel") << QStringLiteral("Cancel") << false;
    // Return takes the default button, Cancel.
    QTest::newRow("Return") << QStringLiteral("Return") << false;
}

void TestGroupsDialog::deleteGroup()
{
    QFETCH(QString, answer);
    QFETCH(bool, deleted);

    SambaGroupMap groups = makeGroups(names("admins staff users"));
    const auto dialog = makeDialog(&groups, names("admins staff users"));
    dialog->show();
    select(*dialog, QStringLiteral("staff"));
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

    QCOMPARE(groups.keys(), deleted ? names("admins users") : names("admins staff users"));
    QCOMPARE(texts(list(*dialog)), deleted ? names("admins users") : names("admins staff users"));
    QCOMPARE(okButton(*dialog)->isEnabled(), deleted);
}

void TestGroupsDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("kept");

    QTest::newRow("Ok") << QStringLiteral("ok") << true;
    QTest::newRow("Cancel") << QStringLiteral("cancel") << false;
    QTest::newRow("Escape") << QStringLiteral("escape") << false;
}

// Additions and deletions reach the map as they are made; Cancel puts it back.
void TestGroupsDialog::closing()
{
    QFETCH(QString, how);
    QFETCH(bool, kept);

    const SambaGroupMap original = makeGroups(names("staff users"));
    SambaGroupMap groups = original;
    const auto dialog = makeDialog(&groups, names("admins staff users"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), choose(QStringLiteral("admins")));
    BoxDriver boxes({QStringLiteral("OK")});
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    select(*dialog, QStringLiteral("users"));
    child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(groups.keys(), names("admins staff"));

    if (how == QLatin1String("ok"))
        okButton(*dialog)->click();
    else if (how == QLatin1String("cancel"))
        cancelButton(*dialog)->click();
    else
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(kept ? QDialog::Accepted : QDialog::Rejected));
    if (kept) {
        QCOMPARE(groups.keys(), names("admins staff"));
        QVERIFY(groups.value(QStringLiteral("admins")).changed());
    } else {
        QCOMPARE(groups, original);
    }
}

// The service group made in the group dialog stays offered after that dialog was cancelled.
void TestGroupsDialog::createdGroupStaysCandidate()
{
    SambaGroupMap groups = makeGroups(names("staff"));
    const auto dialog = makeDialog(&groups, names("admins staff"));
    dialog->show();
    QString title;
    QString warning;
    bool policyShown = true;
    QStringList offered;
    QString current;
    bool okEnabled = false;
    QStringList offeredAgain;
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"),
                [](QWidget *groupDialog) { child<QPushButton>(*groupDialog, "pushButtonAddUsr")->click(); });
    driver.then(QStringLiteral("CreateUserDialog"), [&](QWidget *create) {
        title = create->windowTitle();
        warning = child<QLabel>(*create, "labelWarning")->text();
        policyShown = child<QPushButton>(*create, "policyButton")->isVisible();
        QTest::keyClicks(child<QLineEdit>(*create, "lineEditName"), QStringLiteral("newgrp"));
        child<QPushButton>(*create, "okPushButton")->click();
    });
    driver.then(QStringLiteral("UserDialog"), [&](QWidget *groupDialog) {
        auto *combo = child<QComboBox>(*groupDialog, "comboBoxUserName");
        offered = items(combo);
        current = combo->currentText();
        okEnabled = okButton(*groupDialog)->isEnabled();
        cancel(groupDialog);
    });
    BoxDriver boxes;
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(title, QStringLiteral("Create group"));
    QCOMPARE(warning, QStringLiteral("Please note that a service group will be created."));
    QVERIFY(!policyShown);
    QCOMPARE(readFile(fake("arguments")), QByteArray("newgrp|"));
    QCOMPARE(offered, names("admins newgrp"));
    QCOMPARE(current, QStringLiteral("newgrp"));
    QVERIFY(okEnabled);

    QCOMPARE(dialog->candidates(), names("admins staff newgrp"));
    QCOMPARE(groups, makeGroups(names("staff")));
    QVERIFY(!okButton(*dialog)->isEnabled());

    driver.then(QStringLiteral("UserDialog"), [&](QWidget *groupDialog) {
        offeredAgain = items(child<QComboBox>(*groupDialog, "comboBoxUserName"));
        cancel(groupDialog);
    });
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(offeredAgain, names("admins newgrp"));
}

void TestGroupsDialog::okStaysDisabledAfterCancelledSubDialogs()
{
    SambaGroupMap groups = makeGroups(names("staff"));
    const auto dialog = makeDialog(&groups, names("admins staff"));
    dialog->show();
    ModalDriver driver;
    driver.then(QStringLiteral("UserDialog"), [](QWidget *groupDialog) {
        child<QComboBox>(*groupDialog, "comboBoxUserName")->setCurrentIndex(0);
        child<QPushButton>(*groupDialog, "pushButtonAddUsr")->click();
    });
    driver.then(QStringLiteral("CreateUserDialog"),
                [](QWidget *create) { child<QPushButton>(*create, "cancelPushButton")->click(); });
    driver.then(QStringLiteral("UserDialog"), cancel);
    BoxDriver boxes({QStringLiteral("Cancel")});
    child<QPushButton>(*dialog, "pushButtonAddUser")->click();
    select(*dialog, QStringLiteral("staff"));
    child<QPushButton>(*dialog, "pushButtonDeleteUser")->click();
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 1);
    QVERIFY(!QFileInfo::exists(fake("arguments")));
    QVERIFY(!okButton(*dialog)->isEnabled());
    QCOMPARE(groups, makeGroups(names("staff")));
    QCOMPARE(dialog->candidates(), names("admins staff"));
}

void TestGroupsDialog::contextMenu_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("icons");

    QTest::newRow("over an item") << QStringLiteral("staff")
                                  << QStringList{QStringLiteral("Delete..."), QStringLiteral("Add")}
                                  << names("document-close document-new");
    QTest::newRow("below the items") << QString() << QStringList{QStringLiteral("Add")}
                                     << names("document-new");
}

void TestGroupsDialog::contextMenu()
{
    QFETCH(QString, over);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, icons);

    SambaGroupMap groups = makeGroups(names("admins staff"));
    const auto dialog = makeDialog(&groups, names("admins staff"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    MenuAnswer menu;
    requestContextMenu(*dialog, over);
    QCOMPARE(menu.texts(), entries);
    QStringList iconNames;
    for (const MenuAnswer::Entry &entry : qAsConst(menu.entries))
        iconNames << entry.iconName;
    QCOMPARE(iconNames, icons);
    QCOMPARE(groups, makeGroups(names("admins staff")));
    QVERIFY(!okButton(*dialog)->isEnabled());
}

void TestGroupsDialog::contextMenuCommands_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("boxTitles");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("Add") << QString() << QStringLiteral("Add") << QStringList()
                         << names("admins staff users");
    QTest::newRow("Add over an item")
        << QStringLiteral("admins") << QStringLiteral("Add") << QStringList() << names("admins staff users");
    QTest::newRow("Delete...") << QStringLiteral("staff") << QStringLiteral("Delete...")
                               << QStringList{QStringLiteral("Question")} << names("admins");
}

// Each entry runs its command on the item it was shown over.
void TestGroupsDialog::contextMenuCommands()
{
    QFETCH(QString, over);
    QFETCH(QString, entry);
    QFETCH(QStringList, boxTitles);
    QFETCH(QStringList, after);

    SambaGroupMap groups = makeGroups(names("admins staff"));
    const auto dialog = makeDialog(&groups, names("admins staff users"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    ModalDriver driver;
    if (entry == QLatin1String("Add"))
        driver.then(QStringLiteral("UserDialog"), choose(QStringLiteral("users")));
    BoxDriver boxes({QStringLiteral("OK")});
    MenuAnswer menu(entry);
    requestContextMenu(*dialog, over);
    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.titles(), boxTitles);
    QCOMPARE(groups.keys(), after);
    QCOMPARE(texts(list(*dialog)), after);
    QVERIFY(okButton(*dialog)->isEnabled());
}

QTEST_MAIN(TestGroupsDialog)
#include "tst_groupsdialog.moc"
