// The share dialog driven by object names: filling, access modes, list operations,
// the audit tab, the checks on Ok and what is written back.
#include "auditoperationmodel.h"
#include "boxdriver.h"
#include "fullaudit.h"
#include "sambasettings.h"
#include "share.h"
#include "sharedialog.h"
#include "sharefeatures.h"
#include "sharerecordsupport.h"
#include "widgetlookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <QToolButton>
#include <QtTest>
#include <sys/stat.h>

#include <functional>

namespace {

// Answers the next input dialog (text or item) with the given text, or cancels it.
class InputAnswer : public QObject
{
public:
    explicit InputAnswer(const QString &answer, bool accept = true)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, answer, accept] {
            auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!input || m_done)
                return;
            m_done = true;
            title = input->windowTitle();
            label = input->labelText();
            items = input->comboBoxItems();
            if (!accept) {
                input->reject();
                return;
            }
            input->setTextValue(answer);
            input->accept();
        });
        m_timer.start(5);
    }

    QString title;
    QString label;
    QStringList items;

private:
    QTimer m_timer;
    bool m_done = false;
};

SambaSettings makeSettings(SambaSettings::SecurityMode security = SambaSettings::SecurityUser)
{
    SambaSettings settings;
    settings.setSecurity(security);
    for (const char *name : {"zed", "alice", "bob"})
        settings.users().insert(QLatin1String(name), SambaUser(QLatin1String(name)));
    for (const char *name : {"staff", "admins"})
        settings.groups().insert(QLatin1String(name), SambaGroup(QLatin1String(name)));
    return settings;
}

using Setup = std::function<void(QWidget &)>;

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(SambaSettings::SecurityMode)

class TestShareDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void filling();
    void validUsersOfTheRecord();
    void accessModes_data();
    void accessModes();
    void radioButtons();
    void listOperations_data();
    void listOperations();
    void addCustom();
    void okEnabling_data();
    void okEnabling();
    void checks_data();
    void checks();
    void srvReminder();
    void cancelKeepsRecord();
    void untouchedDialogKeepsRecord_data();
    void untouchedDialogKeepsRecord();
    void directoryModeRequests_data();
    void directoryModeRequests();
    void missingDirectoryOfExistingShare();
    void writeBack();
    void accessChoices_data();
    void accessChoices();
    void directoryChooser();
    void auditTab();
    void featuresTab_data();
    void featuresTab();
    void appleModulesInGlobal_data();
    void appleModulesInGlobal();
    void missingModules_data();
    void missingModules();

private:
    QTemporaryDir m_dir;
    QString m_srv;
};

void TestShareDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    useTestSettings(m_dir.filePath(QStringLiteral("settings")), QStringLiteral("tst_sharedialog"));
    m_srv = m_dir.filePath(QStringLiteral("srv/samba/public"));
    QVERIFY(QDir().mkpath(m_srv));
}

void TestShareDialog::init()
{
    // The reminder about /srv is tested on its own.
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);
}

void TestShareDialog::filling()
{
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(m_srv);
    share.setComment(QStringLiteral("Common files"));
    share.setReadOnly(false);
    share.setPrintable(true);
    share.setBrowseable(false);
    share.setCreateMask(QStringLiteral("0700"));
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Share's administration"));
    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->currentIndex(), 0);
    QCOMPARE(child<QTabWidget>(dialog, "AccessTabWidget")->currentIndex(), 0);
    QCOMPARE(child<QLineEdit>(dialog, "lineEditDirectory")->text(), m_srv);
    QCOMPARE(child<QLineEdit>(dialog, "lineEditShareName")->text(), QStringLiteral("data"));
    QCOMPARE(child<QLineEdit>(dialog, "lineEditDescription")->text(), QStringLiteral("Common files"));
    QVERIFY(child<QRadioButton>(dialog, "radioButtonReadWrite")->isChecked());
    QVERIFY(child<QCheckBox>(dialog, "checkBoxPrintable")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "checkBoxBrowseable")->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "lineEditCreateMask")->text(), QStringLiteral("0700"));
    // Samba accounts in map order; the lists keep their items sorted.
    const QStringList available = texts(child<QListWidget>(dialog, "listWidgetSambaUsers"));
    QVERIFY(available.contains(QStringLiteral("alice")) && available.contains(QStringLiteral("zed")));
    QVERIFY(texts(child<QListWidget>(dialog, "listWidgetSambaGroup")).contains(QStringLiteral("staff")));
    QVERIFY(!okButton(dialog)->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "pushButtonAdd")->icon().isNull());
}

// Entries that are accounts move to the chosen list (every item of that text);
// anything else, Samba variables included, is kept as written.
void TestShareDialog::validUsersOfTheRecord()
{
    Share share;
    share.setPath(m_srv);
    share.setName(QStringLiteral("s"));
    share.setValidUsers({QStringLiteral("bob"), QStringLiteral("%U"), QStringLiteral("nosuchuser")});
    share.setWriteList({QStringLiteral("staff"), QStringLiteral("+unix")});
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    QCOMPARE(texts(child<QListWidget>(dialog, "listWidgetShareUsers")),
             (QStringList{QStringLiteral("%U"), QStringLiteral("bob"), QStringLiteral("nosuchuser")}));
    QVERIFY(!texts(child<QListWidget>(dialog, "listWidgetSambaUsers")).contains(QStringLiteral("bob")));
    QCOMPARE(texts(child<QListWidget>(dialog, "listWidgetShareGroup")),
             (QStringList{QStringLiteral("+unix"), QStringLiteral("staff")}));

    child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("x"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(share.validUsers(),
             (QStringList{QStringLiteral("%U"), QStringLiteral("bob"), QStringLiteral("nosuchuser")}));
    QCOMPARE(share.writeList(), (QStringList{QStringLiteral("+unix"), QStringLiteral("staff")}));
}

void TestShareDialog::accessModes_data()
{
    QTest::addColumn<bool>("guestOk");
    QTest::addColumn<bool>("guestOnly");
    QTest::addColumn<QStringList>("validUsers");
    QTest::addColumn<bool>("writeListEverybody");
    QTest::addColumn<QStringList>("writeList");
    QTest::addColumn<QString>("userRadio");
    QTest::addColumn<QString>("groupRadio");
    QTest::addColumn<bool>("userListsEnabled");
    QTest::addColumn<bool>("groupListsEnabled");

    const QStringList alice{QStringLiteral("alice")};
    const QStringList staff{QStringLiteral("staff")};
    QTest::newRow("guests only") << true << true << QStringList() << true << QStringList()
                                 << "radioButtonAllGuest"
                                 << "radioButtonAllGuestGroup" << false << false;
    // Users log on as themselves, strangers as the guest: the most common guest share.
    QTest::newRow("users and guests")
        << true << false << QStringList() << true << QStringList() << "radioButtonUsersAndGuests"
        << "radioButtonAllGuestGroup" << false << false;
    // Without guest ok, guest only does nothing.
    QTest::newRow("guest only alone")
        << false << true << QStringList() << false << QStringList() << "radioButtonAllSamba"
        << "radioButtonAllGuestGroup" << false << false;
    QTest::newRow("all samba users") << false << false << QStringList() << false << QStringList()
                                     << "radioButtonAllSamba"
                                     << "radioButtonAllGuestGroup" << false << false;
    QTest::newRow("selected") << false << false << alice << false << staff << "radioButtonSelected"
                              << "radioButtonSelectedGroup" << true << true;
    QTest::newRow("guest wins over users")
        << true << false << alice << false << staff << "radioButtonUsersAndGuests"
        << "radioButtonSelectedGroup" << false << true;
    QTest::newRow("everybody writes") << false << false << alice << true << staff << "radioButtonSelected"
                                      << "radioButtonAllGuestGroup" << true << false;
    // A first chosen group "@everybody" leaves the form's default.
    QTest::newRow("@everybody first") << false << false << alice << false
                                      << QStringList{QStringLiteral("@everybody")} << "radioButtonSelected"
                                      << "radioButtonSelectedGroup" << true << true;
}

void TestShareDialog::accessModes()
{
    QFETCH(bool, guestOk);
    QFETCH(bool, guestOnly);
    QFETCH(QStringList, validUsers);
    QFETCH(bool, writeListEverybody);
    QFETCH(QStringList, writeList);
    QFETCH(QString, userRadio);
    QFETCH(QString, groupRadio);
    QFETCH(bool, userListsEnabled);
    QFETCH(bool, groupListsEnabled);
    Share share;
    share.setGuestOk(guestOk);
    share.setGuestOnly(guestOnly);
    share.setValidUsers(validUsers);
    share.setWriteListEverybody(writeListEverybody);
    share.setWriteList(writeList);
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());

    QVERIFY(dialog.findChild<QRadioButton *>(userRadio)->isChecked());
    QVERIFY(dialog.findChild<QRadioButton *>(groupRadio)->isChecked());
    QVERIFY(child<QWidget>(dialog, "groupBoxUserAccess")->isEnabled());
    for (const char *name : {"listWidgetSambaUsers", "listWidgetShareUsers", "groupBoxSystemUsers",
                             "groupBoxSambaUsers", "pushButtonAdd", "pushButtonAddCustom", "pushButtonRemove",
                             "pushButtonAddAll", "pushButtonRemoveAll"})
        QVERIFY2(child<QWidget>(dialog, name)->isEnabled() == userListsEnabled, name);
    for (const char *name : {"listWidgetSambaGroup", "listWidgetShareGroup", "groupBoxSystemGroup",
                             "groupBoxSambaGroup", "pushButtonAddGroup", "pushButtonAddCustomGroup",
                             "pushButtonRemoveGroup", "pushButtonAddAllGroup", "pushButtonRemoveAllGroup"})
        QVERIFY2(child<QWidget>(dialog, name)->isEnabled() == groupListsEnabled, name);
    QVERIFY(!okButton(dialog)->isEnabled());
}

void TestShareDialog::radioButtons()
{
    Share share;
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    auto *available = child<QListWidget>(dialog, "listWidgetSambaUsers");
    QVERIFY(!available->isEnabled()); // all Samba users

    child<QRadioButton>(dialog, "radioButtonSelected")->click();
    QVERIFY(available->isEnabled());
    QVERIFY(okButton(dialog)->isEnabled());
    // The button rule: nothing chosen yet, so nothing to remove.
    QVERIFY(child<QPushButton>(dialog, "pushButtonAdd")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "pushButtonRemove")->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "pushButtonRemoveAll")->isEnabled());

    child<QRadioButton>(dialog, "radioButtonAllGuest")->click();
    QVERIFY(!available->isEnabled());
    QVERIFY(!child<QPushButton>(dialog, "pushButtonAddCustom")->isEnabled());

    child<QRadioButton>(dialog, "radioButtonSelectedGroup")->click();
    QVERIFY(child<QListWidget>(dialog, "listWidgetSambaGroup")->isEnabled());
    child<QRadioButton>(dialog, "radioButtonAllGuestGroup")->click();
    QVERIFY(!child<QListWidget>(dialog, "listWidgetSambaGroup")->isEnabled());
}

void TestShareDialog::listOperations_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("users") << 0;
    QTest::newRow("groups") << 1;
}

void TestShareDialog::listOperations()
{
    QFETCH(int, page);
    const QString suffix = page == 0 ? QString() : QStringLiteral("Group");
    Share share;
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    child<QTabWidget>(dialog, "AccessTabWidget")->setCurrentIndex(page);
    child<QRadioButton>(dialog, page == 0 ? "radioButtonSelected" : "radioButtonSelectedGroup")->click();
    auto *available = child<QListWidget>(dialog, page == 0 ? "listWidgetSambaUsers" : "listWidgetSambaGroup");
    auto *chosen = child<QListWidget>(dialog, page == 0 ? "listWidgetShareUsers" : "listWidgetShareGroup");
    const auto button = [&](const char *name) {
        return dialog.findChild<QPushButton *>(QLatin1String(name) + suffix);
    };
    const int total = available->count();
    const QString first = available->item(0)->text();
    const QString last = available->item(total - 1)->text();

    // Add moves the selection and sorts the chosen list.
    available->item(total - 1)->setSelected(true);
    available->item(0)->setSelected(true);
    button("pushButtonAdd")->click();
    QCOMPARE(texts(chosen), (QStringList{first, last}));
    QCOMPARE(available->count(), total - 2);
    QVERIFY(button("pushButtonRemove")->isEnabled());

    chosen->item(1)->setSelected(true);
    button("pushButtonRemove")->click();
    QCOMPARE(texts(chosen), QStringList{first});
    QVERIFY(texts(available).contains(last));

    button("pushButtonAddAll")->click();
    QCOMPARE(available->count(), 0);
    QCOMPARE(chosen->count(), total);
    QVERIFY(!button("pushButtonAdd")->isEnabled());
    QVERIFY(!button("pushButtonAddAll")->isEnabled());

    button("pushButtonRemoveAll")->click();
    QCOMPARE(chosen->count(), 0);
    QCOMPARE(available->count(), total);
    QVERIFY(!button("pushButtonRemove")->isEnabled());
    QVERIFY(okButton(dialog)->isEnabled());
}

void TestShareDialog::addCustom()
{
    Share share;
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    child<QRadioButton>(dialog, "radioButtonSelected")->click();
    auto *available = child<QListWidget>(dialog, "listWidgetSambaUsers");
    auto *chosen = child<QListWidget>(dialog, "listWidgetShareUsers");
    {
        // An account typed by hand leaves the available list.
        InputAnswer answer(QStringLiteral("  bob  "));
        child<QPushButton>(dialog, "pushButtonAddCustom")->click();
        QCOMPARE(answer.title, QStringLiteral("Add user"));
        QCOMPARE(answer.label, QStringLiteral("Username or Samba variable:"));
    }
    QCOMPARE(texts(chosen), QStringList{QStringLiteral("bob")});
    QVERIFY(!texts(available).contains(QStringLiteral("bob")));
    {
        InputAnswer answer(QStringLiteral("%U"));
        child<QPushButton>(dialog, "pushButtonAddCustom")->click();
    }
    QCOMPARE(texts(chosen), (QStringList{QStringLiteral("%U"), QStringLiteral("bob")}));
    {
        InputAnswer blank(QStringLiteral("   "));
        child<QPushButton>(dialog, "pushButtonAddCustom")->click();
        InputAnswer cancelled(QStringLiteral("carol"), false);
        child<QPushButton>(dialog, "pushButtonAddCustom")->click();
    }
    QCOMPARE(chosen->count(), 2);

    child<QTabWidget>(dialog, "AccessTabWidget")->setCurrentIndex(1);
    child<QRadioButton>(dialog, "radioButtonSelectedGroup")->click();
    InputAnswer group(QStringLiteral("staff"));
    child<QPushButton>(dialog, "pushButtonAddCustomGroup")->click();
    QCOMPARE(group.title, QStringLiteral("Add group"));
    QCOMPARE(group.label, QStringLiteral("Group or Samba variable:"));
    QCOMPARE(texts(child<QListWidget>(dialog, "listWidgetShareGroup")), QStringList{QStringLiteral("staff")});
}

void TestShareDialog::okEnabling_data()
{
    QTest::addColumn<Setup>("change");
    const auto edit = [](const char *name, const char *text) {
        return Setup([=](QWidget &d) { child<QLineEdit>(d, name)->setText(QLatin1String(text)); });
    };
    const auto toggle = [](const char *name) {
        return Setup([=](QWidget &d) { child<QAbstractButton>(d, name)->click(); });
    };
    QTest::newRow("directory") << edit("lineEditDirectory", "/srv/x");
    QTest::newRow("description") << edit("lineEditDescription", "d");
    QTest::newRow("name") << edit("lineEditShareName", "n");
    QTest::newRow("create mask") << edit("lineEditCreateMask", "0700");
    QTest::newRow("read/write") << toggle("radioButtonReadWrite");
    QTest::newRow("guests") << toggle("radioButtonAllGuest");
    QTest::newRow("printable") << toggle("checkBoxPrintable");
    QTest::newRow("browseable") << toggle("checkBoxBrowseable");
    QTest::newRow("simple audit") << toggle("checkBoxAuditSimple");
    QTest::newRow("full audit") << toggle("checkBoxAuditFull");
    QTest::newRow("facility") << Setup(
        [](QWidget &d) { child<QComboBox>(d, "comboBoxSyslogFacility")->setCurrentIndex(2); });
    QTest::newRow("acl panel") << toggle("checkBoxByDefault");
    QTest::newRow("recycle bin") << Setup(
        [](QWidget &d) { child<QGroupBox>(d, "groupBoxRecycleBin")->setChecked(true); });
    QTest::newRow("apple clients") << toggle("checkBoxAppleClients");
    QTest::newRow("previous versions")
        << Setup([](QWidget &d) { child<QComboBox>(d, "comboBoxPreviousVersions")->setCurrentIndex(1); });
}

void TestShareDialog::okEnabling()
{
    QFETCH(Setup, change);
    Share share;
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    dialog.show();
    QVERIFY(!okButton(dialog)->isEnabled());
    BoxDriver driver; // the offer of the Apple modules for [global]
    change(dialog);
    QVERIFY(okButton(dialog)->isEnabled());
}

void TestShareDialog::checks_data()
{
    QTest::addColumn<QString>("originalName");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("message"); // empty: no box
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("focus");

    const Setup none = [](QWidget &) {
    };
    const QString srv = m_srv;
    QTest::newRow("no directory") << QString() << QString() << "public" << none
                                  << "Please select a directory for share..." << false << 0
                                  << "lineEditDirectory";
    QTest::newRow("missing directory")
        << QString() << "/nonexistent/dir"
        << "public" << none << "Directory /nonexistent/dir not found." << false << 0 << "lineEditDirectory";
    QTest::newRow("relative directory")
        << QString() << "srv/samba"
        << "public" << none << "The path srv/samba is relative: give the whole path, beginning with /."
        << false << 0 << "lineEditDirectory";
    QTest::newRow("homes skips the directory")
        << QString() << QString() << "Homes " << none << QString() << true << 0 << QString();
    QTest::newRow("no name") << QString() << srv << QString() << none << "Please define a share name..."
                             << false << 0 << "lineEditShareName";
    QTest::newRow("blank name") << QString() << srv << "   " << none << "Please define a share name..."
                                << false << 0 << "lineEditShareName";
    QTest::newRow("every share to smbcontrol")
        << QString() << srv << "*" << none
        << "The share name must not contain '*', which Samba's tools read as every share." << false << 0
        << "lineEditShareName";
    QTest::newRow("global")
        << QString() << srv << "Global" << none
        << "\"Global\" is the name of Samba's server-wide settings, not of a share. Please "
           "choose another share name."
        << false << 0 << "lineEditShareName";
    QTest::newRow("globals with a blank")
        << QString() << srv << "glo bals" << none
        << "\"glo bals\" is the name of Samba's server-wide settings, not of a "
           "share. Please choose another share name."
        << false << 0 << "lineEditShareName";
    QTest::newRow("path per user") << QString() << srv + QStringLiteral("/%U") << "private" << none
                                   << QString() << true << 0 << QString();
    QTest::newRow("path per user below a missing directory")
        << QString() << "/nonexistent/%U"
        << "private" << none
        << "Directory /nonexistent not found: the part of the path before the first % must exist." << false
        << 0 << "lineEditDirectory";
    QTest::newRow("duplicate") << QString() << srv << "DATA" << none
                               << "Share with name \"data\" already exist. Please change current share name."
                               << false << 0 << "lineEditShareName";
    QTest::newRow("duplicate with a blank")
        << QString() << srv << "data " << none
        << "Share with name \"data\" already exist. Please change current share name." << false << 0
        << "lineEditShareName";
    QTest::newRow("own name in other case")
        << "Data" << srv << "data" << none << QString() << true << 0 << QString();
    QTest::newRow("no chosen user") << QString() << srv << "public" << Setup([](QWidget &d) {
        child<QRadioButton>(d, "radioButtonSelected")->click();
    }) << "Please specify at least one Samba users for share..."
                                    << false << 1 << "listWidgetShareUsers";
    QTest::newRow("only the current page is checked")
        << QString() << srv << "public" << Setup([](QWidget &d) {
               child<QRadioButton>(d, "radioButtonSelected")->click();
               child<QTabWidget>(d, "AccessTabWidget")->setCurrentIndex(1);
           })
        << QString() << true << 0 << QString();
    QTest::newRow("no chosen group") << QString() << srv << "public" << Setup([](QWidget &d) {
        child<QTabWidget>(d, "AccessTabWidget")->setCurrentIndex(1);
        child<QRadioButton>(d, "radioButtonSelectedGroup")->click();
    }) << "Please specify at least one Samba group for share..."
                                     << false << 1 << "listWidgetShareGroup";
    QTest::newRow("bracket in name")
        << QString() << srv << "a]b" << none
        << "The share name must not contain '[', ']', a line break or another control "
           "character."
        << false << 0 << "lineEditShareName";
    QTest::newRow("tab in name")
        << QString() << srv << "a\tb" << none
        << "The share name must not contain '[', ']', a line break or another control "
           "character."
        << false << 0 << "lineEditShareName";
    QTest::newRow("line break in description") << QString() << srv << "public" << Setup([](QWidget &d) {
        child<QLineEdit>(d, "lineEditDescription")->setText(QStringLiteral("a\nb"));
    }) << "The field \"Description\" cannot be written to smb.conf: it contains a line break (LF)."
                                               << false << 0 << "lineEditDescription";
    QTest::newRow("line break in a chosen user") << QString() << srv << "public" << Setup([](QWidget &d) {
        child<QRadioButton>(d, "radioButtonSelected")->click();
        child<QListWidget>(d, "listWidgetShareUsers")->addItem(QStringLiteral("bob\rroot"));
    }) << "The field \"Users for share\" cannot be written to smb.conf: it contains a line break (CR)."
                                                 << false << 1 << "listWidgetShareUsers";
    QTest::newRow("line break in the audit prefix") << QString() << srv << "public" << Setup([](QWidget &d) {
        child<QCheckBox>(d, "checkBoxAuditFull")->setChecked(true);
        child<QLineEdit>(d, "lineEditAuditPrefix")->setText(QStringLiteral("%u\n"));
    }) << "The field \"Prefix\" cannot be written to smb.conf: it contains a line break (LF)."
                                                    << false << 3 << "lineEditAuditPrefix";
    QTest::newRow("line break in the recycle folder")
        << QString() << srv << "public" << Setup([](QWidget &d) {
               child<QGroupBox>(d, "groupBoxRecycleBin")->setChecked(true);
               child<QLineEdit>(d, "lineEditRecycleRepository")->setText(QStringLiteral("bin\n[x]"));
           })
        << "The field \"Folder\" cannot be written to smb.conf: it contains a line break (LF)." << false << 5
        << "lineEditRecycleRepository";
    QTest::newRow("backslash ending the description")
        << QString() << srv << "public" << Setup([](QWidget &d) {
               child<QLineEdit>(d, "lineEditDescription")->setText(QStringLiteral("Backup of C:\\"));
           })
        << "The field \"Description\" cannot be written to smb.conf: it ends with a backslash (\\), which "
           "makes "
           "Samba read the next line as part of it."
        << false << 0 << "lineEditDescription";
    QTest::newRow("blank ending the path")
        << QString() << srv + QLatin1Char(' ') << "public" << none
        << "The field \"Path\" cannot be written to smb.conf: it ends with a "
           "space, which Samba drops."
        << false << 0 << "lineEditDirectory";
    // A field of a feature that is off is not written, so its text does not count.
    QTest::newRow("line break in a snapshot format not written")
        << QString() << srv << "public" << Setup([](QWidget &d) {
               child<QComboBox>(d, "comboBoxPreviousVersions")->setCurrentIndex(3);
               child<QLineEdit>(d, "lineEditSnapshotFormat")->setText(QStringLiteral("%Y\n"));
               child<QComboBox>(d, "comboBoxPreviousVersions")->setCurrentIndex(0);
           })
        << QString() << true << 0 << QString();
}

void TestShareDialog::checks()
{
    QFETCH(QString, originalName);
    QFETCH(QString, directory);
    QFETCH(QString, name);
    QFETCH(Setup, setup);
    QFETCH(QString, message);
    QFETCH(bool, accepted);
    QFETCH(int, tab);
    QFETCH(QString, focus);
    Share share(originalName);
    share.setName(originalName);
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {QStringLiteral("data"), QStringLiteral("printers")}, localFiles());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QLineEdit>(dialog, "lineEditDirectory")->setText(directory);
    child<QLineEdit>(dialog, "lineEditShareName")->setText(name);
    setup(dialog);
    child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(2);

    BoxDriver driver({QStringLiteral("OK")});
    okButton(dialog)->click();

    QCOMPARE(driver.seen(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(driver.last().title, QStringLiteral("Info"));
        QCOMPARE(driver.last().text, message);
    }
    QCOMPARE(dialog.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (accepted) {
        QCOMPARE(share.name(), name.trimmed());
        return;
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(share.name(), originalName); // nothing written
    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->currentIndex(), tab);
    QCOMPARE(dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString(), focus);
}

void TestShareDialog::srvReminder()
{
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), false);
    const QString outside = m_dir.filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    SambaSettings settings = makeSettings();
    for (int round = 0; round < 3; ++round) {
        Share share;
        ShareDialog dialog(share, settings, {}, localFiles());
        // Last, a directory under /srv itself (part of every Debian system).
        child<QLineEdit>(dialog, "lineEditDirectory")->setText(round == 2 ? QStringLiteral("/srv") : outside);
        child<QLineEdit>(dialog, "lineEditShareName")->setText(QStringLiteral("s"));
        // The box's check box is ticked from the timer before the box is answered.
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->checkBox()->setChecked(true);
        });
        ticker.start(1);
        BoxDriver driver({QStringLiteral("OK")});
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted)); // a reminder, not a refusal
        QCOMPARE(driver.seen(), round == 0 ? 1 : 0);
        if (round == 0) {
            QCOMPARE(driver.last().text,
                     QStringLiteral("It is advisable to create resources in the /srv/samba/ folder."));
            QVERIFY(QSettings().value(QStringLiteral("do-not-remind-about-srv")).toBool());
        }
        if (round == 1)
            QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), false);
    }
}

void TestShareDialog::cancelKeepsRecord()
{
    const QString managed = m_dir.filePath(QStringLiteral("managed"));
    QVERIFY(QDir().mkpath(managed));
    QVERIFY(QFile::setPermissions(managed,
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                      | QFile::ReadOther | QFile::ExeOther));
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(managed);
    share.setComment(QStringLiteral("old"));
    SambaSettings settings = makeSettings();
    {
        ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
        QVERIFY(child<QCheckBox>(dialog, "checkBoxSetDirectoryPermissions")->isChecked());
        child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("new"));
        child<QLineEdit>(dialog, "lineEditShareName")->setText(QStringLiteral("renamed"));
        child<QCheckBox>(dialog, "checkBoxSetDirectoryPermissions")->setChecked(false);
        dialog.reject();
    }
    QCOMPARE(share.comment(), QStringLiteral("old"));
    QCOMPARE(share.name(), QStringLiteral("data"));
    // Not even the box the dialog ticked by itself reaches the record.
    QVERIFY(!share.setDirectoryPermissions());
    QCOMPARE(share.directoryModeChange(), Share::KeepDirectoryMode);
}

void TestShareDialog::untouchedDialogKeepsRecord_data()
{
    QTest::addColumn<bool>("writeListEverybody");
    QTest::addColumn<QStringList>("writeList");
    QTest::newRow("no write list") << false << QStringList();
    QTest::newRow("write list @everybody") << true << QStringList();
    QTest::newRow("write list of a group") << false << QStringList{QStringLiteral("staff")};
}

// A share of the file, its dialog opened and closed with Ok: the record, and so smb.conf, stays
// as it was.
void TestShareDialog::untouchedDialogKeepsRecord()
{
    QFETCH(bool, writeListEverybody);
    QFETCH(QStringList, writeList);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(m_srv);
    share.setComment(QStringLiteral("Team data"));
    share.setWriteListEverybody(writeListEverybody);
    share.setWriteList(writeList);
    const QStringList before = recordLines(share);
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(recordLines(share), before);
}

void TestShareDialog::directoryModeRequests_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("expected");
    auto box = [](bool checked) {
        return Setup([checked](QWidget &d) {
            child<QCheckBox>(d, "checkBoxSetDirectoryPermissions")->setChecked(checked);
        });
    };
    const Setup description = [](QWidget &d) {
        child<QLineEdit>(d, "lineEditDescription")->setText(QStringLiteral("edited"));
    };
    const Setup readWrite = [](QWidget &d) {
        child<QRadioButton>(d, "radioButtonReadWrite")->click();
    };
    // The box ticked by itself for a 0777 directory asks nothing.
    QTest::newRow("0777, description edited")
        << 0777 << false << description << int(Share::KeepDirectoryMode);
    QTest::newRow("0777, box unticked") << 0777 << false << box(false) << int(Share::UndoDirectoryMode);
    // Made read/write by a save: the sticky bit leaves it managed here.
    QTest::newRow("01777, box unticked") << 01777 << false << box(false) << int(Share::UndoDirectoryMode);
    QTest::newRow("0755, box ticked") << 0755 << true << box(true) << int(Share::MakeReadOnly);
    QTest::newRow("0555, read/write chosen") << 0555 << true << readWrite << int(Share::MakeWritable);
    QTest::newRow("0755, read/write chosen without the box")
        << 0755 << true << readWrite << int(Share::KeepDirectoryMode);
}

// Only Ok with a change of the box, or of the access while it is ticked, asks the save to
// change the directory's mode.
void TestShareDialog::directoryModeRequests()
{
    QFETCH(int, mode);
    QFETCH(bool, readOnly);
    QFETCH(Setup, setup);
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), static_cast<mode_t>(mode)) == 0);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(dir.path());
    share.setReadOnly(readOnly);
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    setup(dialog);
    BoxDriver driver;
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QTEST(int(share.directoryModeChange()), "expected");
}

// A share on a disk that is not mounted now can still be edited: the administrator keeps
// its path, or goes back to the field.
void TestShareDialog::missingDirectoryOfExistingShare()
{
    for (const QString &answer : {QStringLiteral("Yes"), QStringLiteral("No")}) {
        Share share(QStringLiteral("usb"));
        share.setName(QStringLiteral("usb"));
        share.setPath(QStringLiteral("/nonexistent/usb-disk"));
        SambaSettings settings = makeSettings();
        ShareDialog dialog(share, settings, {QStringLiteral("usb")}, localFiles());
        child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("edited"));
        BoxDriver driver({answer});
        dialog.accept();
        QCOMPARE(driver.seen(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Warning"));
        QVERIFY(driver.last().text.startsWith(
            QStringLiteral("Directory /nonexistent/usb-disk does not exist now")));
        const bool kept = answer == QLatin1String("Yes");
        QCOMPARE(dialog.result(), kept ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(share.comment(), kept ? QStringLiteral("edited") : QString());
        QCOMPARE(share.path(), QStringLiteral("/nonexistent/usb-disk"));
    }
}

void TestShareDialog::writeBack()
{
    Share share;
    share.addVfsModule(std::make_shared<FullAudit>());
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    child<QLineEdit>(dialog, "lineEditDirectory")->setText(m_srv);
    child<QLineEdit>(dialog, "lineEditShareName")->setText(QStringLiteral(" Public "));
    child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral(" For all "));
    child<QRadioButton>(dialog, "radioButtonReadWrite")->click();
    child<QCheckBox>(dialog, "checkBoxSetDirectoryPermissions")->setChecked(true);
    child<QLineEdit>(dialog, "lineEditCreateMask")->setText(QStringLiteral("0644"));
    child<QRadioButton>(dialog, "radioButtonSelected")->click();
    auto *available = child<QListWidget>(dialog, "listWidgetSambaUsers");
    available->findItems(QStringLiteral("alice"), Qt::MatchExactly).first()->setSelected(true);
    child<QPushButton>(dialog, "pushButtonAdd")->click();
    child<QTabWidget>(dialog, "AccessTabWidget")->setCurrentIndex(1);
    child<QRadioButton>(dialog, "radioButtonSelectedGroup")->click();
    child<QListWidget>(dialog, "listWidgetSambaGroup")
        ->findItems(QStringLiteral("staff"), Qt::MatchExactly)
        .first()
        ->setSelected(true);
    child<QPushButton>(dialog, "pushButtonAddGroup")->click();
    child<QCheckBox>(dialog, "checkBoxAuditFull")->setChecked(false);
    child<QCheckBox>(dialog, "checkBoxAuditSimple")->setChecked(true);
    child<QCheckBox>(dialog, "checkBoxByDefault")->setChecked(false);
    dialog.accept();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(share.path(), m_srv);
    QCOMPARE(share.name(), QStringLiteral("Public"));
    QCOMPARE(share.comment(), QStringLiteral("For all"));
    QVERIFY(!share.readOnly());
    QVERIFY(share.readWrite());
    QVERIFY(share.setDirectoryPermissions());
    QCOMPARE(share.directoryModeChange(), Share::MakeWritable);
    QVERIFY(!share.guestOk());
    QVERIFY(!share.guestOnly());
    QCOMPARE(share.createMask(), QStringLiteral("0644"));
    QCOMPARE(share.validUsers(), QStringList{QStringLiteral("alice")});
    QVERIFY(!share.writeListEverybody());
    QCOMPARE(share.writeList(), QStringList{QStringLiteral("staff")});
    QVERIFY(share.hasVfsModule(QStringLiteral("audit")));
    QVERIFY(!share.hasVfsModule(QStringLiteral("full_audit")));
    QVERIFY(!share.aclByDefault());
}

void TestShareDialog::accessChoices_data()
{
    QTest::addColumn<SambaSettings::SecurityMode>("mode");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("guestOk");
    QTest::addColumn<bool>("guestOnly");
    QTest::addColumn<QStringList>("validUsers");
    QTest::addColumn<QStringList>("writeList");
    const QStringList alice{QStringLiteral("alice")};
    const QStringList staff{QStringLiteral("staff")};
    // The authentication mode changes nothing in the share: names unknown to Samba log on as the
    // guest in SHARE mode, and each share still says whether the guest may use it.
    for (const auto mode : {SambaSettings::SecurityUser, SambaSettings::SecurityShare}) {
        const QByteArray prefix = SambaSettings::securityModeText(mode).toLatin1() + ": ";
        QTest::newRow(QByteArray(prefix + "description only").constData())
            << mode << QString() << false << false << alice << staff;
        QTest::newRow(QByteArray(prefix + "guests only").constData())
            << mode << "radioButtonAllGuest" << true << true << QStringList() << staff;
        QTest::newRow(QByteArray(prefix + "users and guests").constData())
            << mode << "radioButtonUsersAndGuests" << true << false << QStringList() << staff;
        QTest::newRow(QByteArray(prefix + "all samba users").constData())
            << mode << "radioButtonAllSamba" << false << false << QStringList() << staff;
    }
}

// A share restricted to alice and written by staff: the Access tab shows and edits it in every
// authentication mode, and Ok changes only the access chosen.
void TestShareDialog::accessChoices()
{
    QFETCH(SambaSettings::SecurityMode, mode);
    QFETCH(QString, choice);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(m_srv);
    share.setValidUsers({QStringLiteral("alice")});
    share.setWriteList({QStringLiteral("staff")});
    SambaSettings settings = makeSettings(mode);
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    QVERIFY(child<QWidget>(dialog, "groupBoxUserAccess")->isEnabled());
    QVERIFY(child<QWidget>(dialog, "groupBoxGroupAccess")->isEnabled());
    QVERIFY(child<QRadioButton>(dialog, "radioButtonSelected")->isChecked());
    QVERIFY(child<QWidget>(dialog, "listWidgetShareUsers")->isEnabled());
    QVERIFY(child<QRadioButton>(dialog, "radioButtonSelectedGroup")->isChecked());
    QVERIFY(child<QWidget>(dialog, "pushButtonAddCustomGroup")->isEnabled());
    child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("edited"));
    if (!choice.isEmpty())
        dialog.findChild<QRadioButton *>(choice)->click();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QTEST(share.guestOk(), "guestOk");
    QTEST(share.guestOnly(), "guestOnly");
    QTEST(share.validUsers(), "validUsers");
    QTEST(share.writeList(), "writeList");
    QVERIFY(!share.writeListEverybody());
}

void TestShareDialog::directoryChooser()
{
    Share share;
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());
    auto *name = child<QLineEdit>(dialog, "lineEditShareName");
    dialog.setDirectory(QStringLiteral("/srv/samba/public"));
    QCOMPARE(child<QLineEdit>(dialog, "lineEditDirectory")->text(), QStringLiteral("/srv/samba/public"));
    QCOMPARE(name->text(), QStringLiteral("public"));
    dialog.setDirectory(QStringLiteral("/srv/samba/other"));
    QCOMPARE(name->text(), QStringLiteral("other"));

    // Through the chooser itself.
    QTimer chooser;
    QString title;
    connect(&chooser, &QTimer::timeout, this, [&] {
        if (auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            title = files->windowTitle();
            files->setDirectory(m_srv);
            files->selectFile(m_srv);
            QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
        }
    });
    chooser.start(5);
    child<QToolButton>(dialog, "toolButton")->click();
    chooser.stop();
    QCOMPARE(title, QStringLiteral("Select directory to share"));
    QCOMPARE(QDir(child<QLineEdit>(dialog, "lineEditDirectory")->text()).canonicalPath(),
             QDir(m_srv).canonicalPath());
    QCOMPARE(name->text(), QStringLiteral("public"));

    // Once the administrator typed a name, choosing a directory keeps it.
    QTest::keyClicks(name, QStringLiteral("x"));
    dialog.setDirectory(QStringLiteral("/srv/samba/third"));
    QCOMPARE(name->text(), QStringLiteral("publicx"));

    // An existing share keeps its name.
    Share existing(QStringLiteral("data"));
    existing.setName(QStringLiteral("data"));
    existing.setPath(m_srv);
    ShareDialog edit(existing, settings, {QStringLiteral("data")}, localFiles());
    edit.setDirectory(QStringLiteral("/srv/samba/elsewhere"));
    QCOMPARE(child<QLineEdit>(edit, "lineEditShareName")->text(), QStringLiteral("data"));
}

void TestShareDialog::auditTab()
{
    auto module = std::make_shared<FullAudit>();
    module->setPrefix(QStringLiteral("%u"));
    module->setSyslog(false);
    module->setSuccessOperations(
        {VfsOperation(QStringLiteral("open")), VfsOperation(QStringLiteral("frobnicate"))});
    module->setFailureOperations(
        {VfsOperation(QStringLiteral("open")), VfsOperation(QStringLiteral("unlinkat"))});
    module->setFacility(Syslog::Facility(QStringLiteral("LOCAL5")));
    module->setPriority(Syslog::Priority(QStringLiteral("ERR")));
    Share share;
    share.setPath(m_srv);
    share.setName(QStringLiteral("s"));
    share.addVfsModule(module);
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {}, localFiles());

    AuditOperationModel *model = dialog.operationModel();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("frobnicate"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("open"));
    QCOMPARE(model->index(1, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model->index(2, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(child<QCheckBox>(dialog, "checkBoxAuditFull")->isChecked());
    QVERIFY(!child<QCheckBox>(dialog, "checkBoxAuditSimple")->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "lineEditAuditPrefix")->text(), QStringLiteral("%u"));
    QCOMPARE(child<QComboBox>(dialog, "comboBoxSyslogFacility")->currentText(), QStringLiteral("LOCAL5"));
    QCOMPARE(child<QComboBox>(dialog, "comboBoxSyslogPriority")->currentText(), QStringLiteral("ERR"));
    // Syslog is off: its settings are disabled, the rest of the full audit is enabled.
    QVERIFY(child<QWidget>(dialog, "lineEditAuditPrefix")->isEnabled());
    QVERIFY(!child<QWidget>(dialog, "comboBoxSyslogFacility")->isEnabled());
    QVERIFY(!child<QWidget>(dialog, "toolButtonRemoveOperation")->isEnabled());
    child<QCheckBox>(dialog, "checkBoxLogToSyslog")->setChecked(true);
    QVERIFY(child<QWidget>(dialog, "comboBoxSyslogFacility")->isEnabled());

    // Remove the selected row, then add an operation from the chooser.
    auto *table = child<QTableView>(dialog, "tableViewAuditOperations");
    table->selectRow(0);
    QVERIFY(child<QWidget>(dialog, "toolButtonRemoveOperation")->isEnabled());
    child<QToolButton>(dialog, "toolButtonRemoveOperation")->click();
    QCOMPARE(model->rowCount(), 2);
    {
        InputAnswer answer(QStringLiteral("fchmod"));
        child<QToolButton>(dialog, "toolButtonAddOperation")->click();
        QCOMPARE(answer.title, QStringLiteral("Select operation"));
        QCOMPARE(answer.label, QStringLiteral("Operation:"));
        QVERIFY(!answer.items.contains(QStringLiteral("open")));
        QVERIFY(answer.items.contains(QStringLiteral("fchmod")));
        QVERIFY(std::is_sorted(answer.items.cbegin(), answer.items.cend()));
    }
    QCOMPARE(model->rowCount(), 3);
    QVERIFY(okButton(dialog)->isEnabled());

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    auto written = std::dynamic_pointer_cast<FullAudit>(share.vfsModule(QStringLiteral("full_audit")));
    QVERIFY(written);
    QVERIFY(written != module); // a new module object, the stored one is never changed
    QCOMPARE(written->successOperations(),
             (VfsOperationSet{VfsOperation(QStringLiteral("open")), VfsOperation(QStringLiteral("fchmod"))}));
    QCOMPARE(written->failureOperations(),
             (VfsOperationSet{VfsOperation(QStringLiteral("open")), VfsOperation(QStringLiteral("unlinkat")),
                              VfsOperation(QStringLiteral("fchmod"))}));
    QVERIFY(written->syslog());
    QCOMPARE(written->facility().name(), QStringLiteral("LOCAL5"));
    QCOMPARE(written->priority().name(), QStringLiteral("ERR"));
    QCOMPARE(written->prefix(), QStringLiteral("%u"));

    // Unticking full audit disables its widgets again.
    ShareDialog again(share, settings, {}, localFiles());
    child<QCheckBox>(again, "checkBoxAuditFull")->setChecked(false);
    for (const char *name :
         {"labelAuditPrefix", "lineEditAuditPrefix", "groupBoxAuditOperations", "tableViewAuditOperations",
          "toolButtonAddOperation", "groupBoxSyslogSettings", "checkBoxLogToSyslog", "checkBoxLogSecDesc"})
        QVERIFY2(!child<QWidget>(again, name)->isEnabled(), name);
}

void TestShareDialog::featuresTab_data()
{
    QTest::addColumn<bool>("turnOn");
    QTest::addColumn<bool>("accept");
    QTest::newRow("untouched, Ok") << false << true;
    QTest::newRow("time machine, Ok") << true << true;
    QTest::newRow("time machine, Cancel") << true << false;
}

// The tab writes its features into the record with Ok, and only then; the feature tables
// themselves are the widget's test.
void TestShareDialog::featuresTab()
{
    QFETCH(bool, turnOn);
    QFETCH(bool, accept);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(m_srv);
    // As the form shows a share without a write list, so that the other tabs write it back alike.
    share.setWriteListEverybody(true);
    ShareFeatures::setRecycleBin(share, true);
    ShareFeatures::setPreviousVersions(share, ShareFeatures::PreviousVersions::Zfs);
    const Share original = share;
    SambaSettings settings = makeSettings();
    ShareFeatures::setAppleClients(*settings.global(), true);
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    auto *tabs = child<QTabWidget>(dialog, "tabWidget");
    QCOMPARE(tabs->widget(5)->objectName(), QStringLiteral("tabFeatures"));
    QCOMPARE(tabs->tabText(5), QStringLiteral("Features"));
    QCOMPARE(child<QWidget>(dialog, "widgetFeatures")->parentWidget(), tabs->widget(5));
    if (turnOn) {
        child<QCheckBox>(dialog, "checkBoxTimeMachine")->click();
        child<QLineEdit>(dialog, "lineEditTimeMachineMaxSize")->setText(QStringLiteral("1T"));
    }
    BoxDriver driver;
    if (accept)
        dialog.accept();
    else
        dialog.reject();
    QCOMPARE(driver.seen(), 0);
    Share expected = original;
    if (turnOn && accept)
        ShareFeatures::setTimeMachine(expected, true, QStringLiteral("1T"));
    QCOMPARE(recordLines(share), recordLines(expected));
}

void TestShareDialog::appleModulesInGlobal_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("added");
    QTest::newRow("yes, Ok") << "Yes" << true << true;
    QTest::newRow("no, Ok") << "No" << true << false;
    QTest::newRow("yes, Cancel") << "Yes" << false << false;
}

// vfs_fruit(8): Apple clients on a share offer the Apple modules for [global] too.
void TestShareDialog::appleModulesInGlobal()
{
    QFETCH(QString, answer);
    QFETCH(bool, accept);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(m_srv);
    SambaSettings settings = makeSettings();
    settings.global()->addVfsModule(std::make_shared<VFSModule>(QStringLiteral("catia")));
    const QStringList globalBefore = recordLines(*settings.global());
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    BoxDriver driver({answer});
    child<QCheckBox>(dialog, "checkBoxTimeMachine")->click();
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Apple clients"));
    if (accept)
        dialog.accept();
    else
        dialog.reject();
    QCOMPARE(driver.seen(), 1);

    QFETCH(bool, added);
    SambaSettings wanted = makeSettings();
    wanted.global()->addVfsModule(std::make_shared<VFSModule>(QStringLiteral("catia")));
    if (added)
        ShareFeatures::setAppleClients(*wanted.global(), true);
    QCOMPARE(recordLines(*settings.global()), recordLines(*wanted.global()));
    QCOMPARE(recordLines(*settings.global()) == globalBefore, !added);
    QCOMPARE(ShareFeatures::timeMachine(share), accept);
}

void TestShareDialog::missingModules_data()
{
    QTest::addColumn<QStringList>("used");
    QTest::addColumn<QStringList>("enabled");
    const auto names = [](std::initializer_list<const char *> list) {
        QStringList result;
        for (const char *name : list)
            result << QLatin1String(name);
        return result;
    };
    QTest::newRow("none used") << QStringList() << QStringList();
    QTest::newRow("full audit and acl_tdb used")
        << names({"full_audit", "acl_tdb"}) << names({"checkBoxAuditFull", "radioButtonTDB"});
    QTest::newRow("audit and acl_xattr used")
        << names({"audit", "acl_xattr"}) << names({"checkBoxAuditSimple", "radioButtonXattr"});
}

// The controls of modules smbd cannot load are disabled and say which package brings them,
// except those the share uses, which the administrator may still turn off.
void TestShareDialog::missingModules()
{
    QFETCH(QStringList, used);
    QFETCH(QStringList, enabled);
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setAclByDefault(false);
    for (const QString &module : used)
        share.addVfsModule(VFSModule::create(module));
    SambaSettings settings = makeSettings();
    ShareDialog dialog(share, settings, {QStringLiteral("data")}, localFiles());
    QTemporaryDir dir;
    dialog.setInstalledModules(inventoryWith(dir, {QStringLiteral("fruit")}));
    dialog.show();

    const struct
    {
        const char *control;
        const char *module;
    } controls[] = {{"checkBoxAuditSimple", "audit"},
                    {"checkBoxAuditFull", "full_audit"},
                    {"radioButtonXattr", "acl_xattr"},
                    {"radioButtonTDB", "acl_tdb"},
                    {"groupBoxRecycleBin", "recycle"}};
    for (const auto &control : controls) {
        auto *widget = child<QWidget>(dialog, control.control);
        const bool on = enabled.contains(QLatin1String(control.control));
        QVERIFY2(widget->isEnabled() == on, control.control);
        if (!on)
            QCOMPARE(widget->toolTip(),
                     QStringLiteral("The Samba module %1 is not installed; install the "
                                    "package samba-vfs-modules.")
                         .arg(QLatin1String(control.module)));
    }
    // A used module can be turned off.
    if (used.contains(QStringLiteral("full_audit"))) {
        child<QCheckBox>(dialog, "checkBoxAuditFull")->click();
        dialog.setDirectory(m_srv);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!share.hasVfsModule(QStringLiteral("full_audit")));
    }
}

QTEST_MAIN(TestShareDialog)
#include "tst_sharedialog.moc"
