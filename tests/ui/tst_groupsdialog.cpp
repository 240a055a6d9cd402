// The Samba groups dialogs driven by object names: the list and its commands, the group
// dialog on the user dialog's form and its creation of service groups, every box, and what
// reaches the map on Ok and on Cancel.
#include "accountlisttest.h"
#include "groupdialog.h"
#include "groupsdialog.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

#include <memory>

using namespace AccountDialogSupport;

namespace {

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

// A step for a group dialog: choose the group, then Ok.
ModalDriver::Step choose(const QString &name)
{
    return [=](QWidget *dialog) {
        auto *combo = child<QComboBox>(*dialog, "comboBoxUserName");
        combo->setCurrentIndex(combo->findText(name));
        okButton(*dialog)->click();
    };
}

const char *const passwordWidgets[] = {"checkBoxShowPassword", "groupBox",
                                       "labelPassword",        "labelPasswordConfirmation",
                                       "lineEditPassword",     "lineEditPasswordConfirmation"};

struct GroupKind
{
    using Map = SambaGroupMap;
    using Dialog = GroupsDialog;
    static constexpr auto make = &makeGroups;
    static constexpr const char *samples = "admins staff users";
    static constexpr const char *word = "group";
    static constexpr const char *noFree =
        "No present any free system's group. Please call administrator for entering new one.";
    static constexpr const char *noneSelected = "No group's selected";
    static constexpr const char *deleteQuestion = "Are you sure to delete the group?";
    static constexpr bool editable = false;
};

} // namespace

class TestGroupsDialog : public AccountListTest<GroupKind>
{
    Q_OBJECT

private slots:
    void initTestCase() { installThemes(); }
    void init() { makeFakes("groupadd"); }
    void form();
    void groupDialogForm();
    void groupDialogOkEnabling();
    void groupDialogRecord();
    void currentRow();
    void boxes_data() { boxRows(); }
    void boxes() { checkBox(); }
    void addGroup();
    void deleteGroup_data() { deletionRows(); }
    void deleteGroup() { checkDeletion(); }
    void closing_data() { closingRows(); }
    void closing();
    void createdGroupStaysCandidate();
    void okStaysDisabledAfterCancelledSubDialogs();
    void contextMenu_data() { contextMenuRows(); }
    void contextMenu() { checkContextMenu(); }
    void contextMenuCommands_data() { contextMenuCommandRows(); }
    void contextMenuCommands();

private:
    std::unique_ptr<GroupsDialog> makeDialog(SambaGroupMap *groups, const QStringList &candidates) override
    {
        return std::make_unique<GroupsDialog>(groups, candidates, nullptr, accounts());
    }
};

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
    GroupDialog dialog(SambaGroup(), names("staff users"), names("admins staff users"), nullptr, accounts());
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
                      nullptr, accounts());
    QCOMPARE(child<QComboBox>(named, "comboBoxUserName")->currentText(), QStringLiteral("users"));
    QVERIFY(!okButton(named)->isEnabled());
}

void TestGroupsDialog::groupDialogOkEnabling()
{
    GroupDialog dialog(SambaGroup(), names("staff"), names("staff"), nullptr, accounts());
    QVERIFY(!okButton(dialog)->isEnabled());
    child<QComboBox>(dialog, "comboBoxUserName")->setCurrentIndex(0);
    QVERIFY(okButton(dialog)->isEnabled());
}

void TestGroupsDialog::groupDialogRecord()
{
    GroupDialog dialog(SambaGroup(), names("staff users"), names("staff users"), nullptr, accounts());
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

// Additions and deletions reach the map as they are made; Cancel puts it back.
void TestGroupsDialog::closing()
{
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

    closeDialog(*dialog);
    if (kept) {
        QCOMPARE(groups.keys(), names("admins staff"));
        QVERIFY(groups.value(QStringLiteral("admins")).changed());
    } else {
        QCOMPARE(groups, original);
    }
}

void TestGroupsDialog::createdGroupStaysCandidate()
{
    checkCreatedAccountStaysCandidate({QStringLiteral("newgrp"), QStringLiteral("Create group"),
                                       QStringLiteral("Please note that a service group will be created."),
                                       false, "--|newgrp|"});
}

void TestGroupsDialog::okStaysDisabledAfterCancelledSubDialogs()
{
    checkOkStaysDisabledAfterCancelledSubDialogs(names("staff"), [](QWidget *groupDialog) {
        child<QComboBox>(*groupDialog, "comboBoxUserName")->setCurrentIndex(0);
    });
}

void TestGroupsDialog::contextMenuCommands()
{
    QFETCH(QString, chosen);
    SambaGroupMap groups;
    checkContextMenuCommand(groups, choose(chosen));
}

QTEST_MAIN(TestGroupsDialog)
#include "tst_groupsdialog.moc"
