// The server settings dialog driven by object names: filling, the authentication modes
// and the realm, the checks on Ok, what is written back, and a save of its result through
// the mapper judged by the real testparm.
#include "boxdriver.h"
#include "configdialog.h"
#include "configdocument.h"
#include "configmapper.h"
#include "contexttranslator.h"
#include "fruit.h"
#include "globalshare.h"
#include "recordjson.h"
#include "sambasettings.h"
#include "sharefeatures.h"
#include "sharerecordsupport.h"
#include "testfiles.h"
#include "testparm.h"
#include "widgetlookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QValidator>
#include <QtTest>

#include <functional>
#include <utility>

namespace {

QPushButton *button(QWidget &dialog, QDialogButtonBox::StandardButton which)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(which);
}

// Picks an item with the keyboard, as a user does: the combo box reports it activated.
void choose(QWidget &dialog, const char *comboName, int index)
{
    auto *combo = child<QComboBox>(dialog, comboName);
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void chooseMode(QWidget &dialog, SambaSettings::SecurityMode mode)
{
    choose(dialog, "comboBoxAuthMode", mode);
}

// Server settings as the mapper loads them: the guest account names none.
SambaSettings makeSettings(SambaSettings::SecurityMode security = SambaSettings::SecurityUser)
{
    SambaSettings settings;
    settings.setSecurity(security);
    for (const char *name : {"zed", "root", "alice", "bob"})
        settings.users().insert(QLatin1String(name), SambaUser(QLatin1String(name)));
    settings.global()->setGuestAccount(GlobalShare::noGuestAccount());
    return settings;
}

QString defaultGuest()
{
    return QStringLiteral("nobody (Samba's default)");
}

QByteArray snapshot(const SambaSettings &settings)
{
    return QJsonDocument(RecordJson::configuration(settings, {})).toJson();
}

using Setup = std::function<void(QWidget &)>;

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(SambaSettings::SecurityMode)

class TestConfigDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void form();
    void filling();
    void workgroupAndDescription_data();
    void workgroupAndDescription();
    void realmUpperCase_data();
    void realmUpperCase();
    void realmRefusesNonAscii();
    void openingMode_data();
    void openingMode();
    void switchingMode();
    void emptyRealm_data();
    void emptyRealm();
    void lineBreaks_data();
    void lineBreaks();
    void encryption();
    void guestAccounts_data();
    void guestAccounts();
    void guestAccountStored();
    void cancelKeepsSettings_data();
    void cancelKeepsSettings();
    void okEnabling_data();
    void okEnabling();
    void sharePrinters_data();
    void sharePrinters();
    void translatedTexts();
    void sizeRemembered();
    void writeBack();
    void saveThroughMapper_data();
    void saveThroughMapper();
    void okWithoutChangeWritesNothing_data();
    void okWithoutChangeWritesNothing();
    void macOsClients_data();
    void macOsClients();
    void missingModules_data();
    void missingModules();

private:
    QTemporaryDir m_dir;
};

void TestConfigDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    useTestSettings(m_dir.filePath(QStringLiteral("settings")), QStringLiteral("tst_configdialog"));
}

void TestConfigDialog::init()
{
    QSettings().remove(QStringLiteral("server_configuration"));
}

void TestConfigDialog::form()
{
    SambaSettings settings = makeSettings();
    ConfigDialog dialog(&settings, true);

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences"));
    auto *tabs = child<QTabWidget>(dialog, "tabWidget");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("tab1"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("tab2"));
    QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("tabACL"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("&Basic"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("&Security"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("ACL"));
    QCOMPARE(child<QLabel>(dialog, "labelWorkgroup")->buddy(), child<QWidget>(dialog, "lineEditWorkgroup"));
    QCOMPARE(child<QLabel>(dialog, "labelRealm")->buddy(), child<QWidget>(dialog, "lineEditRealm"));
    QCOMPARE(child<QLabel>(dialog, "labelGuest")->text(), QStringLiteral("&Guest account:"));

    QCOMPARE(items(child<QComboBox>(dialog, "comboBoxAuthMode")), SambaSettings::securityModeTexts());
    QVERIFY(!child<QComboBox>(dialog, "comboBoxAuthMode")->isEditable());
    QVERIFY(!child<QComboBox>(dialog, "comboBoxGuestAccount")->isEditable());
    QCOMPARE(items(child<QComboBox>(dialog, "comboBoxEncrypt")),
             (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    QCOMPARE(items(child<QComboBox>(dialog, "comboBoxSharePrinters")),
             (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    QCOMPARE(child<QLineEdit>(dialog, "lineEditRealm")->maxLength(), 50);
    QCOMPARE(child<QLabel>(dialog, "labelUnsafe")->maximumWidth(), 100);
    QCOMPARE(child<QLabel>(dialog, "labelUnsafe")->text(), QString());

    // One help page per mode, in the order of the modes.
    auto *stack = child<QStackedWidget>(dialog, "stackedWidget");
    const char *const pages[][2] = {{"pageUserMode", "textBrowserUserMode"},
                                    {"pageDomainMode", "textBrowserDomainMode"},
                                    {"pageShareMode", "textBrowserShareMode"},
                                    {"pageDomain", "textBrowserDomain"},
                                    {"pageADS", "textBrowserADSMode"}};
    QCOMPARE(stack->count(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(stack->widget(i)->objectName(), QLatin1String(pages[i][0]));
        auto *help = child<QTextBrowser>(dialog, pages[i][1]);
        QCOMPARE(help->parentWidget(), stack->widget(i));
        QVERIFY(help->isReadOnly());
        QCOMPARE(help->styleSheet(), QStringLiteral("background-color: rgb(235, 235, 235);"));
        QVERIFY2(help->toPlainText().size() > 80, pages[i][1]);
    }
    QVERIFY(child<QTextBrowser>(dialog, "textBrowserADSMode")->toPlainText().contains(QLatin1String("net")));
    QVERIFY(child<QWidget>(dialog, "widgetACL")->inherits("ACLWidget"));
    QCOMPARE(child<QCheckBox>(dialog, "checkBoxMacOsClients")->text(),
             QStringLiteral("Settings for macOS clients"));
    QCOMPARE(child<QCheckBox>(dialog, "checkBoxMacOsClients")->parentWidget(), tabs->widget(0));
}

void TestConfigDialog::filling()
{
    SambaSettings settings = makeSettings(SambaSettings::SecurityDomain);
    settings.global()->setWorkgroup(QStringLiteral("OFFICE"));
    settings.global()->setServerString(QStringLiteral("File server"));
    settings.global()->setRealm(QStringLiteral("UNUSED.COM"));
    ConfigDialog dialog(&settings, false);

    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->currentIndex(), 0);
    QCOMPARE(child<QLineEdit>(dialog, "lineEditWorkgroup")->text(), QStringLiteral("OFFICE"));
    QCOMPARE(child<QLineEdit>(dialog, "lineEditDescription")->text(), QStringLiteral("File server"));
    QCOMPARE(child<QComboBox>(dialog, "comboBoxAuthMode")->currentText(), QStringLiteral("DOMAIN"));
    QCOMPARE(child<QStackedWidget>(dialog, "stackedWidget")->currentIndex(), 3);
    QCOMPARE(child<QLineEdit>(dialog, "lineEditRealm")->text(), QStringLiteral("UNUSED.COM"));
    QVERIFY(!child<QLineEdit>(dialog, "lineEditRealm")->isEnabled());
    QVERIFY(!child<QLabel>(dialog, "labelRealm")->isEnabled());
    QCOMPARE(child<QComboBox>(dialog, "comboBoxEncrypt")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(dialog, "comboBoxSharePrinters")->currentText(), QStringLiteral("No"));
    QVERIFY(!dialog.sharePrinters());
    QVERIFY(!okButton(dialog)->isEnabled());
    QVERIFY(button(dialog, QDialogButtonBox::Cancel)->isEnabled());
}

void TestConfigDialog::workgroupAndDescription_data()
{
    QTest::addColumn<QString>("workgroup");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typedDescription");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("storedDescription");
    // Only another field is changed: the workgroup stays as the record had it, whatever the
    // form showed for it (Samba's default for none; the same name trimmed).
    QTest::newRow("empty opens as WORKGROUP") << QString() << "WORKGROUP"
                                              << "Files"
                                              << ""
                                              << "Files";
    QTest::newRow("blanks kept") << "  OFFICE  "
                                 << "  OFFICE  "
                                 << "  Main server "
                                 << "  OFFICE  "
                                 << "Main server";
}

void TestConfigDialog::workgroupAndDescription()
{
    QFETCH(QString, workgroup);
    QFETCH(QString, shown);
    QFETCH(QString, typedDescription);
    SambaSettings settings = makeSettings();
    settings.global()->setWorkgroup(workgroup);
    ConfigDialog dialog(&settings, true);
    QCOMPARE(child<QLineEdit>(dialog, "lineEditWorkgroup")->text(), shown);

    child<QLineEdit>(dialog, "lineEditDescription")->setText(typedDescription);
    okButton(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QTEST(settings.global()->workgroup(), "stored");
    QTEST(settings.global()->serverString(), "storedDescription");
}

void TestConfigDialog::realmUpperCase_data()
{
    QTest::addColumn<QString>("realm");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("cursorAfter");
    QTest::newRow("into an empty field") << QString() << 0 << "example.com"
                                         << "EXAMPLE.COM" << 11;
    QTest::newRow("in the middle") << "EXAMPLE.COM" << 7 << "net"
                                   << "EXAMPLENET.COM" << 10;
    QTest::newRow("at the start") << "COM" << 0 << "a."
                                  << "A.COM" << 2;
}

void TestConfigDialog::realmUpperCase()
{
    QFETCH(QString, realm);
    QFETCH(int, cursor);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, cursorAfter);
    SambaSettings settings = makeSettings(SambaSettings::SecurityKerberosDomain);
    settings.global()->setRealm(realm);
    ConfigDialog dialog(&settings, true);
    auto *edit = child<QLineEdit>(dialog, "lineEditRealm");
    QVERIFY(edit->isEnabled());
    edit->setCursorPosition(cursor);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(edit->cursorPosition(), cursorAfter);

    okButton(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.global()->realm(), shown);
}

void TestConfigDialog::realmRefusesNonAscii()
{
    SambaSettings settings = makeSettings(SambaSettings::SecurityAds);
    settings.global()->setRealm(QStringLiteral("AB"));
    ConfigDialog dialog(&settings, true);
    auto *edit = child<QLineEdit>(dialog, "lineEditRealm");
    edit->end(false);
    // QTest::keyClicks() knows only ASCII keys: these are typed as a keyboard layout sends them.
    for (const auto &[key, text] : {std::pair<Qt::Key, const char *>{Qt::Key_Eacute, "é"},
                                    std::pair<Qt::Key, const char *>{Qt::Key_unknown, "\xCE\xA9"}}) {
        QTest::sendKeyEvent(QTest::Press, edit, key, QString::fromUtf8(text), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, key, QString::fromUtf8(text), Qt::NoModifier);
    }
    QCOMPARE(edit->text(), QStringLiteral("AB"));
    QTest::keyClicks(edit, QStringLiteral("c"));
    QCOMPARE(edit->text(), QStringLiteral("ABC"));

    // PCRE2 knows [:ascii:]: the validator itself tells ASCII from the rest.
    const QValidator *validator = edit->validator();
    QVERIFY(validator);
    int position = 0;
    QString text = QStringLiteral("EXAMPLE.COM");
    QCOMPARE(validator->validate(text, position), QValidator::Acceptable);
    for (const char *refused : {"ÄÖ", "R\xCE\xA9", "\xE2\x82\xAC"}) {
        text = QString::fromUtf8(refused);
        QCOMPARE(validator->validate(text, position), QValidator::Invalid);
    }
}

void TestConfigDialog::openingMode_data()
{
    QTest::addColumn<SambaSettings::SecurityMode>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("realmEnabled");
    QTest::newRow("user") << SambaSettings::SecurityUser << "USER" << false;
    QTest::newRow("kerberos domain") << SambaSettings::SecurityKerberosDomain << "KERBEROS DOMAIN" << true;
    QTest::newRow("share") << SambaSettings::SecurityShare << "SHARE" << false;
    QTest::newRow("domain") << SambaSettings::SecurityDomain << "DOMAIN" << false;
    QTest::newRow("ads") << SambaSettings::SecurityAds << "ADS" << true;
}

// The dialog opens on the mode of the settings, its help page and its realm state.
void TestConfigDialog::openingMode()
{
    QFETCH(SambaSettings::SecurityMode, mode);
    QFETCH(bool, realmEnabled);
    SambaSettings settings = makeSettings(mode);
    ConfigDialog dialog(&settings, true);
    QCOMPARE(child<QComboBox>(dialog, "comboBoxAuthMode")->currentIndex(), int(mode));
    QTEST(child<QComboBox>(dialog, "comboBoxAuthMode")->currentText(), "text");
    QCOMPARE(child<QStackedWidget>(dialog, "stackedWidget")->currentIndex(), int(mode));
    QCOMPARE(child<QLineEdit>(dialog, "lineEditRealm")->isEnabled(), realmEnabled);
    QCOMPARE(child<QLabel>(dialog, "labelRealm")->isEnabled(), realmEnabled);
    QVERIFY(!okButton(dialog)->isEnabled());
}

void TestConfigDialog::switchingMode()
{
    SambaSettings settings = makeSettings(SambaSettings::SecurityAds);
    ConfigDialog dialog(&settings, true);
    auto *stack = child<QStackedWidget>(dialog, "stackedWidget");
    auto *realm = child<QLineEdit>(dialog, "lineEditRealm");
    auto *label = child<QLabel>(dialog, "labelRealm");
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageADS"));
    QVERIFY(realm->isEnabled() && label->isEnabled());

    chooseMode(dialog, SambaSettings::SecurityUser);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageUserMode"));
    QVERIFY(!realm->isEnabled() && !label->isEnabled());

    chooseMode(dialog, SambaSettings::SecurityKerberosDomain);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageDomainMode"));
    QVERIFY(realm->isEnabled() && label->isEnabled());

    chooseMode(dialog, SambaSettings::SecurityShare);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageShareMode"));
    QVERIFY(!realm->isEnabled());

    chooseMode(dialog, SambaSettings::SecurityDomain);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageDomain"));
    QVERIFY(!realm->isEnabled());

    // Only the user's choice turns the page: the index set by a program does not.
    child<QComboBox>(dialog, "comboBoxAuthMode")->setCurrentIndex(SambaSettings::SecurityAds);
    QCOMPARE(stack->currentIndex(), int(SambaSettings::SecurityDomain));
    QVERIFY(realm->isEnabled());
}

void TestConfigDialog::emptyRealm_data()
{
    QTest::addColumn<SambaSettings::SecurityMode>("mode");
    QTest::addColumn<QString>("realm");
    QTest::newRow("kerberos domain, empty") << SambaSettings::SecurityKerberosDomain << QString();
    QTest::newRow("kerberos domain, blanks") << SambaSettings::SecurityKerberosDomain << "   ";
    QTest::newRow("ads, empty") << SambaSettings::SecurityAds << QString();
}

void TestConfigDialog::emptyRealm()
{
    QFETCH(SambaSettings::SecurityMode, mode);
    QFETCH(QString, realm);
    SambaSettings settings = makeSettings();
    const QByteArray before = snapshot(settings);
    ConfigDialog dialog(&settings, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    chooseMode(dialog, mode);
    child<QLineEdit>(dialog, "lineEditRealm")->setText(realm);
    child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(2);

    BoxDriver driver({QStringLiteral("OK")});
    okButton(dialog)->click();
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Warning"));
    QCOMPARE(driver.last().text, QStringLiteral("Please specify realm for domain"));
    QCOMPARE(driver.last().icon, QMessageBox::Warning);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->currentIndex(), 1);
    QCOMPARE(dialog.focusWidget(), child<QWidget>(dialog, "lineEditRealm"));
    QCOMPARE(snapshot(settings), before);

    // With a realm the same Ok goes through.
    child<QLineEdit>(dialog, "lineEditRealm")->setText(QStringLiteral("EXAMPLE.COM"));
    okButton(dialog)->click();
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.security(), mode);
}

void TestConfigDialog::lineBreaks_data()
{
    QTest::addColumn<SambaSettings::SecurityMode>("mode");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("tab");
    QTest::newRow("workgroup")
        << SambaSettings::SecurityUser << "lineEditWorkgroup"
        << "W\nX"
        << "The field \"Workgroup\" cannot be written to smb.conf: it contains a line break (LF)." << 0;
    QTest::newRow("description, carriage return")
        << SambaSettings::SecurityUser << "lineEditDescription"
        << "Files\r"
        << "The field \"Description\" cannot be written to smb.conf: it contains a line break (CR)." << 0;
    QTest::newRow("realm")
        << SambaSettings::SecurityAds << "lineEditRealm"
        << "R.COM\nguest ok = yes"
        << "The field \"Kerberos realm\" cannot be written to smb.conf: it contains a line break (LF)." << 1;
    QTest::newRow("description ending in a backslash")
        << SambaSettings::SecurityUser << "lineEditDescription"
        << "Files of C:\\"
        << "The field \"Description\" cannot be written to smb.conf: it ends with a backslash (\\), which "
           "makes "
           "Samba read the next line as part of it."
        << 0;
    QTest::newRow("description, blanks around it are trimmed")
        << SambaSettings::SecurityUser << "lineEditDescription"
        << "  Files  " << QString() << 0;
    QTest::newRow("description, two blanks inside") << SambaSettings::SecurityUser << "lineEditDescription"
                                                    << "Files  here"
                                                    << "The field \"Description\" cannot be written to "
                                                       "smb.conf: it contains two blanks in a row (a space, "
                                                       "then a space), of which Samba keeps only the first."
                                                    << 0;
    // A mode without a realm does not write it: its field is disabled and not checked.
    QTest::newRow("realm of a mode without one") << SambaSettings::SecurityUser << "lineEditRealm"
                                                 << "R.COM\n"
                                                 << QString() << 0;
}

void TestConfigDialog::lineBreaks()
{
    QFETCH(SambaSettings::SecurityMode, mode);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, tab);
    SambaSettings settings = makeSettings(mode);
    settings.global()->setRealm(QStringLiteral("EXAMPLE.COM"));
    const QByteArray before = snapshot(settings);
    ConfigDialog dialog(&settings, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(field);
    edit->setText(text);
    child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(2);

    BoxDriver driver({QStringLiteral("OK")});
    okButton(dialog)->click();
    if (message.isEmpty()) {
        QCOMPARE(driver.seen(), 0);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        return;
    }
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Info"));
    QCOMPARE(driver.last().text, message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QTabWidget>(dialog, "tabWidget")->currentIndex(), tab);
    QCOMPARE(dialog.focusWidget(), edit);
    QCOMPARE(snapshot(settings), before);
}

// "No" is never written (testparm calls the parameter deprecated): it cannot be chosen, and a
// file that says it is shown so and can be turned to Yes.
void TestConfigDialog::encryption()
{
    SambaSettings settings = makeSettings();
    {
        ConfigDialog dialog(&settings, true);
        auto *unsafe = child<QLabel>(dialog, "labelUnsafe");
        QCOMPARE(unsafe->text(), QString());
        auto *combo = child<QComboBox>(dialog, "comboBoxEncrypt");
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentIndex(), 0);
        const auto *model = qobject_cast<const QStandardItemModel *>(combo->model());
        QVERIFY(model && !model->item(1)->isEnabled());
        QVERIFY(model->item(1)->toolTip().contains(QLatin1String("deprecated")));
        QVERIFY(!okButton(dialog)->isEnabled());
    }
    QVERIFY(settings.global()->encryptPasswords());

    // Opening on unencrypted passwords warns at once.
    settings.global()->setEncryptPasswords(false);
    ConfigDialog dialog(&settings, true);
    QCOMPARE(child<QComboBox>(dialog, "comboBoxEncrypt")->currentText(), QStringLiteral("No"));
    QCOMPARE(child<QLabel>(dialog, "labelUnsafe")->text(), QStringLiteral("(Unsafe)"));
    QVERIFY(!okButton(dialog)->isEnabled());
    choose(dialog, "comboBoxEncrypt", 0);
    QCOMPARE(child<QLabel>(dialog, "labelUnsafe")->text(), QString());
    QVERIFY(okButton(dialog)->isEnabled());
    okButton(dialog)->click();
    QVERIFY(settings.global()->encryptPasswords());
}

void TestConfigDialog::guestAccounts_data()
{
    QTest::addColumn<QString>("guest");
    QTest::addColumn<QString>("shown");
    const QString none = GlobalShare::noGuestAccount();
    // Samba's own default when smb.conf names none: nobody, not "no guest account".
    QTest::newRow("none") << none << defaultGuest();
    QTest::newRow("an offered system account") << "smbguest"
                                               << "smbguest";
    // An account smb.conf names stays, offered after the others, even a person's.
    QTest::newRow("a samba user") << "bob"
                                  << "bob";
    QTest::newRow("nobody named") << "nobody"
                                  << "nobody";
    QTest::newRow("root") << "root" << defaultGuest();
    QTest::newRow("other case") << "Bob"
                                << "Bob";
}

// Samba's default first, then the system accounts meant for guests, never a person (a Samba
// user) or root; none of it is a change.
void TestConfigDialog::guestAccounts()
{
    QFETCH(QString, guest);
    SambaSettings settings = makeSettings();
    settings.global()->setGuestAccount(guest);
    ConfigDialog dialog(&settings, true);
    auto *guests = child<QComboBox>(dialog, "comboBoxGuestAccount");
    dialog.setGuestAccounts({QStringLiteral("messagebus"), QStringLiteral("nobody"), QStringLiteral("root"),
                             QStringLiteral("alice"), QStringLiteral("smbguest")});
    QFETCH(QString, shown);
    QStringList expected{defaultGuest(), QStringLiteral("messagebus"), QStringLiteral("smbguest")};
    if (!expected.contains(shown))
        expected << shown;
    QCOMPARE(items(guests), expected);
    QCOMPARE(guests->currentText(), shown);
    QVERIFY(!okButton(dialog)->isEnabled());
    dialog.accept();
    QCOMPARE(settings.global()->guestAccount(), guest);
}

void TestConfigDialog::guestAccountStored()
{
    SambaSettings settings = makeSettings();
    {
        ConfigDialog dialog(&settings, true);
        dialog.setGuestAccounts({QStringLiteral("messagebus"), QStringLiteral("smbguest")});
        choose(dialog, "comboBoxGuestAccount", 2);
        okButton(dialog)->click();
    }
    QCOMPARE(settings.global()->guestAccount(), QStringLiteral("smbguest"));
    QVERIFY(settings.global()->hasGuestAccount());
    {
        ConfigDialog dialog(&settings, true);
        QCOMPARE(child<QComboBox>(dialog, "comboBoxGuestAccount")->currentText(), QStringLiteral("smbguest"));
        choose(dialog, "comboBoxGuestAccount", 0);
        okButton(dialog)->click();
    }
    QVERIFY(!settings.global()->hasGuestAccount());
}

void TestConfigDialog::cancelKeepsSettings_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("Cancel") << false;
    QTest::newRow("window closed") << true;
}

void TestConfigDialog::cancelKeepsSettings()
{
    QFETCH(bool, closeWindow);
    SambaSettings settings = makeSettings(SambaSettings::SecurityKerberosDomain);
    settings.global()->setWorkgroup(QStringLiteral("OFFICE"));
    settings.global()->setRealm(QStringLiteral("EXAMPLE.COM"));
    settings.setKerberosMethod(SambaSettings::KerberosSystemKeytab);
    const QByteArray before = snapshot(settings);
    ConfigDialog dialog(&settings, true);
    dialog.show();
    child<QLineEdit>(dialog, "lineEditWorkgroup")->setText(QStringLiteral("OTHER"));
    child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("changed"));
    chooseMode(dialog, SambaSettings::SecurityAds);
    child<QLineEdit>(dialog, "lineEditRealm")->setText(QStringLiteral("OTHER.COM"));
    dialog.setGuestAccounts({QStringLiteral("smbguest")});
    choose(dialog, "comboBoxGuestAccount", 1);
    child<QCheckBox>(dialog, "checkBoxByDefault")->click();
    QVERIFY(okButton(dialog)->isEnabled());
    if (closeWindow)
        dialog.close();
    else
        button(dialog, QDialogButtonBox::Cancel)->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(snapshot(settings), before);
}

void TestConfigDialog::okEnabling_data()
{
    QTest::addColumn<Setup>("change");
    const auto edit = [](const char *name, const char *text) {
        return Setup([=](QWidget &d) { child<QLineEdit>(d, name)->setText(QLatin1String(text)); });
    };
    const auto pick = [](const char *name, int index) {
        return Setup([=](QWidget &d) { choose(d, name, index); });
    };
    QTest::newRow("workgroup") << edit("lineEditWorkgroup", "OFFICE");
    QTest::newRow("description") << edit("lineEditDescription", "d");
    QTest::newRow("realm") << edit("lineEditRealm", "R.COM");
    QTest::newRow("mode") << pick("comboBoxAuthMode", 3);
    QTest::newRow("share printers") << pick("comboBoxSharePrinters", 1);
    QTest::newRow("guest account") << Setup([](QWidget &d) {
        static_cast<ConfigDialog &>(d).setGuestAccounts(
            {QStringLiteral("messagebus"), QStringLiteral("smbguest")});
        choose(d, "comboBoxGuestAccount", 2);
    });
    QTest::newRow("acl panel") << Setup(
        [](QWidget &d) { child<QCheckBox>(d, "checkBoxByDefault")->click(); });
    QTest::newRow("macOS clients") << Setup(
        [](QWidget &d) { child<QCheckBox>(d, "checkBoxMacOsClients")->click(); });
}

void TestConfigDialog::okEnabling()
{
    QFETCH(Setup, change);
    SambaSettings settings = makeSettings(SambaSettings::SecurityAds);
    ConfigDialog dialog(&settings, true);
    dialog.show();
    QVERIFY(!okButton(dialog)->isEnabled());
    // Moving between tabs is no change.
    child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(1);
    QVERIFY(!okButton(dialog)->isEnabled());
    change(dialog);
    QVERIFY(okButton(dialog)->isEnabled());
}

void TestConfigDialog::sharePrinters_data()
{
    QTest::addColumn<bool>("sharePrinters");
    QTest::addColumn<QString>("shown");
    QTest::newRow("shared") << true << "Yes";
    QTest::newRow("not shared") << false << "No";
}

void TestConfigDialog::sharePrinters()
{
    QFETCH(bool, sharePrinters);
    SambaSettings settings = makeSettings();
    ConfigDialog dialog(&settings, sharePrinters);
    QTEST(child<QComboBox>(dialog, "comboBoxSharePrinters")->currentText(), "shown");
    QCOMPARE(dialog.sharePrinters(), sharePrinters);
    choose(dialog, "comboBoxSharePrinters", sharePrinters ? 1 : 0);
    QCOMPARE(dialog.sharePrinters(), !sharePrinters);
}

// The texts go through the dialog's context; "yes" is matched without regard to case,
// so the printers choice still works when translated.
void TestConfigDialog::translatedTexts()
{
    ContextTranslator translator("ConfigDialog");
    QCoreApplication::installTranslator(&translator);
    SambaSettings settings = makeSettings();
    settings.global()->setEncryptPasswords(false);
    {
        ConfigDialog dialog(&settings, true);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("[Preferences]"));
        QCOMPARE(child<QComboBox>(dialog, "comboBoxSharePrinters")->currentText(), QStringLiteral("[Yes]"));
        QVERIFY(dialog.sharePrinters());
        QCOMPARE(child<QLabel>(dialog, "labelUnsafe")->text(), QStringLiteral("[(Unsafe)]"));
        // Samba's own mode names are not translated.
        QCOMPARE(child<QComboBox>(dialog, "comboBoxAuthMode")->currentText(), QStringLiteral("USER"));
        ConfigDialog notShared(&settings, false);
        QVERIFY(!notShared.sharePrinters());
        QCOMPARE(child<QComboBox>(notShared, "comboBoxSharePrinters")->currentText(), QStringLiteral("[No]"));
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestConfigDialog::sizeRemembered()
{
    SambaSettings settings = makeSettings();
    {
        ConfigDialog dialog(&settings, true);
        QCOMPARE(dialog.size(), QSize(640, 480));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Above the minimum the ACL panel needs.
        dialog.resize(760, 700);
        QVERIFY(dialog.close());
    }
    QSettings stored;
    QCOMPARE(stored.value(QStringLiteral("server_configuration/size")).toSize(), QSize(760, 700));
    ConfigDialog again(&settings, true);
    QCOMPARE(again.size(), QSize(760, 700));
}

void TestConfigDialog::writeBack()
{
    SambaSettings settings = makeSettings();
    settings.setKerberosMethod(SambaSettings::KerberosSecretsAndKeytab);
    QVERIFY(settings.global()->aclByDefault());
    ConfigDialog dialog(&settings, true);
    child<QLineEdit>(dialog, "lineEditWorkgroup")->setText(QStringLiteral(" OFFICE "));
    child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral(" Files "));
    chooseMode(dialog, SambaSettings::SecurityAds);
    QTest::keyClicks(child<QLineEdit>(dialog, "lineEditRealm"), QStringLiteral("ad.example.com"));
    dialog.setGuestAccounts({QStringLiteral("smbguest")});
    choose(dialog, "comboBoxGuestAccount", 1);
    child<QCheckBox>(dialog, "checkBoxByDefault")->click();
    okButton(dialog)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const GlobalShare &global = *settings.global();
    QCOMPARE(global.workgroup(), QStringLiteral("OFFICE"));
    QCOMPARE(global.serverString(), QStringLiteral("Files"));
    QCOMPARE(settings.security(), SambaSettings::SecurityAds);
    QCOMPARE(global.realm(), QStringLiteral("AD.EXAMPLE.COM"));
    QVERIFY(global.encryptPasswords());
    QCOMPARE(global.guestAccount(), QStringLiteral("smbguest"));
    // The ACL panel wrote into the [global] record; the Kerberos method is not this
    // dialog's to change.
    QVERIFY(!global.aclByDefault());
    QCOMPARE(settings.kerberosMethod(), SambaSettings::KerberosSecretsAndKeytab);
}

// Each row: the smb.conf loaded, the mode chosen in the dialog, the realm typed (for the
// modes that need one), the [global] lines the save must write and the keys it must
// drop. The file ends the way the mapper writes it, so a save without changes leaves
// it byte for byte.
void TestConfigDialog::saveThroughMapper_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<SambaSettings::SecurityMode>("mode");
    QTest::addColumn<QString>("realm");
    QTest::addColumn<QByteArrayList>("written");
    QTest::addColumn<QByteArrayList>("dropped");

    const QByteArray share = "[data]\n\tpath = /srv/samba/data\n\tread only = no\n\tprintable = no\n"
                             "\tbrowseable = yes\n\tguest ok = no\n\tguest only = no\n\n";
    const QByteArray user = "[global]\n\tworkgroup = OFFICE\n\tsecurity = user\n\n" + share;
    const QByteArray ads = "[global]\n\tworkgroup = OFFICE\n\tsecurity = ads\n\trealm = OLD.EXAMPLE.COM\n"
                           "\tkerberos method = secrets only\n\tidmap config * : backend = tdb\n"
                           "\tidmap config * : range = 3000-7999\n\n"
        + share;
    const QByteArrayList idmap{"\tidmap config * : backend = tdb\n",
                               "\tidmap config * : range = 3000-7999\n"};

    QTest::newRow("user") << ads << SambaSettings::SecurityUser << QString()
                          << QByteArrayList{"\tsecurity = user\n"}
                          << QByteArrayList{"realm", "kerberos method", "idmap config", "map to guest"};
    QTest::newRow("kerberos domain") << user << SambaSettings::SecurityKerberosDomain << "example.com"
                                     << QByteArrayList{"\tsecurity = user\n", "\trealm = EXAMPLE.COM\n",
                                                       "\tkerberos method = dedicated keytab\n",
                                                       "\tdedicated keytab file = /etc/krb5.keytab\n"}
                                     << QByteArrayList{"idmap config", "map to guest"};
    // The shares stay as they were: the mode opens none to guests.
    QTest::newRow("share") << user << SambaSettings::SecurityShare << QString()
                           << QByteArrayList{"\tsecurity = user\n", "\tmap to guest = Bad User\n",
                                             "\tguest ok = no\n", "\tguest only = no\n"}
                           << QByteArrayList{"realm", "kerberos method", "idmap config"};
    QTest::newRow("domain") << user << SambaSettings::SecurityDomain << QString()
                            << (QByteArrayList{"\tsecurity = domain\n"} + idmap)
                            << QByteArrayList{"realm", "kerberos method", "map to guest"};
    QTest::newRow("ads") << user << SambaSettings::SecurityAds << "ad.example.com"
                         << (QByteArrayList{"\tsecurity = ads\n", "\trealm = AD.EXAMPLE.COM\n",
                                            "\tkerberos method = dedicated keytab\n"}
                             + idmap)
                         << QByteArrayList{"map to guest"};
}

void TestConfigDialog::saveThroughMapper()
{
    QFETCH(QByteArray, text);
    QFETCH(SambaSettings::SecurityMode, mode);
    QFETCH(QString, realm);
    QFETCH(QByteArrayList, written);
    QFETCH(QByteArrayList, dropped);

    for (const bool ok : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("smb.conf"));
        QVERIFY(writeFile(path, text));
        ConfigDocument document;
        ConfigMapper mapper(document, path);
        SambaSettings settings = mapper.loadGlobal();
        QList<Share> shares = mapper.loadShares(*settings.global());
        QVERIFY(settings.security() != mode);

        ConfigDialog dialog(&settings, true);
        dialog.show();
        chooseMode(dialog, mode);
        auto *realmEdit = child<QLineEdit>(dialog, "lineEditRealm");
        if (!realm.isEmpty()) {
            realmEdit->selectAll();
            QTest::keyClicks(realmEdit, realm);
        }
        QVERIFY(okButton(dialog)->isEnabled());
        button(dialog, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));

        try {
            mapper.save(settings, shares);
        } catch (const std::runtime_error &error) {
            QFAIL(error.what());
        }
        const QByteArray saved = readFile(path);
        if (!ok) {
            QCOMPARE(saved, text);
            continue;
        }
        const QByteArray global = saved.left(saved.indexOf("\n[data]"));
        for (const QByteArray &line : written)
            QVERIFY2(saved.contains(line), QByteArray(line + "missing from:\n" + saved).constData());
        for (const QByteArray &key : dropped) {
            const QByteArray indented = '\t' + key;
            QVERIFY2(!global.contains(indented), QByteArray(key + " left in:\n" + saved).constData());
        }
        QVERIFY(global.contains("\tworkgroup = OFFICE\n"));
        QCOMPARE(global.count("\tsecurity ="), 1);
        // No mode changes a share.
        QCOMPARE(saved.mid(saved.indexOf("[data]")), text.mid(text.indexOf("[data]")));

        // The installed file is what testparm accepts, and loads back as the chosen mode.
        const TestParmResult verdict = TestParm().checkConf(path);
        QVERIFY2(verdict.status == TestParmResult::Ok || verdict.status == TestParmResult::Warnings,
                 qPrintable(verdict.output));
        ConfigDocument reread;
        ConfigMapper again(reread, path);
        const SambaSettings loaded = again.loadGlobal();
        QCOMPARE(loaded.security(), mode);
        QCOMPARE(loaded.global()->realm(), realm.toUpper());
    }
}

void TestConfigDialog::okWithoutChangeWritesNothing_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &file : smbConfCorpus())
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
}

// Server settings accepted after an edit that was taken back change nothing in any real
// file: every mode, realm, guest account and method reads back as it was loaded.
void TestConfigDialog::okWithoutChangeWritesNothing()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    const QByteArray text = readFile(file);
    QVERIFY(writeFile(path, text));
    ConfigDocument document;
    ConfigMapper mapper(document, path);
    SambaSettings settings = mapper.loadGlobal();
    QList<Share> shares = mapper.loadShares(*settings.global());

    ConfigDialog dialog(&settings, true);
    dialog.show();
    auto *description = child<QLineEdit>(dialog, "lineEditDescription");
    description->setFocus();
    description->end(false);
    QTest::keyClicks(description, QStringLiteral("x"));
    QTest::keyClick(description, Qt::Key_Backspace);
    // A file the dialog cannot accept as it is (an AD member without a realm) says why.
    BoxDriver driver;
    okButton(dialog)->click();
    if (driver.seen() > 0)
        QSKIP(qPrintable(QStringLiteral("the dialog asks for more: ") + driver.last().text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const bool written = mapper.applyRecords(settings, shares);
    QCOMPARE(QString::fromStdString(document.text()), QString::fromStdString(document.bytes()));
    QVERIFY(!written);
}

namespace {

// What the macOS box adds to [global], as vfs_fruit(8) names the options.
const QStringList macOsLines{
    QStringLiteral("vfs object catia"),
    QStringLiteral("vfs object fruit"),
    QStringLiteral("fruit:delete_empty_adfiles = yes"),
    QStringLiteral("fruit:metadata = stream"),
    QStringLiteral("fruit:model = MacSamba"),
    QStringLiteral("fruit:nfs_aces = no"),
    QStringLiteral("fruit:posix_rename = yes"),
    QStringLiteral("fruit:veto_appledouble = no"),
    QStringLiteral("fruit:wipe_intentionally_left_blank_rfork = yes"),
    QStringLiteral("vfs object streams_xattr"),
};

QStringList without(QStringList lines, const QStringList &removed)
{
    for (const QString &line : removed)
        lines.removeAll(line);
    return lines;
}

void setFruitOptions(GlobalShare &global, const QList<std::pair<QString, QString>> &options)
{
    ShareFeatures::setAppleClients(global, true);
    auto fruit =
        std::make_shared<Fruit>(*std::dynamic_pointer_cast<Fruit>(global.vfsModule(QStringLiteral("fruit"))));
    for (const auto &[key, value] : options)
        fruit->setOption(key, value);
    global.addVfsModule(fruit);
}

// [global] with every recommended setting, the flags spelt as Samba also reads them.
void recommended(GlobalShare &global)
{
    setFruitOptions(global,
                    {{Fruit::Metadata, QStringLiteral("Stream")},
                     {Fruit::Model, QStringLiteral("MacSamba")},
                     {Fruit::PosixRename, QStringLiteral("true")},
                     {Fruit::VetoAppleDouble, QStringLiteral("0")},
                     {Fruit::NfsAces, QStringLiteral("off")},
                     {Fruit::WipeIntentionallyLeftBlankRfork, QStringLiteral("yes")},
                     {Fruit::DeleteEmptyAdfiles, QStringLiteral("YES")}});
}

using GlobalSetup = std::function<void(GlobalShare &)>;

} // namespace

Q_DECLARE_METATYPE(GlobalSetup)

void TestConfigDialog::macOsClients_data()
{
    QTest::addColumn<GlobalSetup>("initial");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("click");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    const GlobalSetup plain = [](GlobalShare &) {
    };
    const GlobalSetup netatalk = [](GlobalShare &global) {
        setFruitOptions(global, {{Fruit::Metadata, QStringLiteral("netatalk")}});
    };
    QTest::newRow("ticked") << plain << false << true << macOsLines << QStringList();
    QTest::newRow("untouched") << plain << false << false << QStringList() << QStringList();
    QTest::newRow("recommended, untouched")
        << GlobalSetup(recommended) << true << false << QStringList() << QStringList();
    QTest::newRow("recommended, unticked")
        << GlobalSetup(recommended) << true << true << QStringList()
        << QStringList{QStringLiteral("vfs object catia"),
                       QStringLiteral("vfs object fruit"),
                       QStringLiteral("fruit:delete_empty_adfiles = YES"),
                       QStringLiteral("fruit:metadata = Stream"),
                       QStringLiteral("fruit:model = MacSamba"),
                       QStringLiteral("fruit:nfs_aces = off"),
                       QStringLiteral("fruit:posix_rename = true"),
                       QStringLiteral("fruit:veto_appledouble = 0"),
                       QStringLiteral("fruit:wipe_intentionally_left_blank_rfork = yes"),
                       QStringLiteral("vfs object streams_xattr")};
    // The modules alone are no macOS settings; ticking adds what is missing.
    QTest::newRow("other metadata, untouched")
        << netatalk << false << false << QStringList() << QStringList();
    QTest::newRow("other metadata, ticked")
        << netatalk << false << true
        << without(macOsLines,
                   {QStringLiteral("vfs object catia"), QStringLiteral("vfs object fruit"),
                    QStringLiteral("vfs object streams_xattr")})
        << QStringList{QStringLiteral("fruit:metadata = netatalk")};
}

void TestConfigDialog::macOsClients()
{
    QFETCH(GlobalSetup, initial);
    QFETCH(bool, click);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    SambaSettings settings = makeSettings();
    initial(*settings.global());
    const QStringList before = recordLines(*settings.global());
    const QByteArray otherFields = snapshot(settings);
    ConfigDialog dialog(&settings, true);
    auto *box = child<QCheckBox>(dialog, "checkBoxMacOsClients");
    QTEST(box->isChecked(), "shown");
    if (click)
        box->click();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const QStringList after = recordLines(*settings.global());
    QStringList gained = without(after, before);
    QStringList lost = without(before, after);
    gained.sort();
    lost.sort();
    added.sort();
    removed.sort();
    QCOMPARE(gained, added);
    QCOMPARE(lost, removed);
    // Nothing else of the server settings changes.
    if (added.isEmpty() && removed.isEmpty())
        QCOMPARE(snapshot(settings), otherFields);
}

void TestConfigDialog::missingModules_data()
{
    QTest::addColumn<bool>("globalHasFruit");
    QTest::addColumn<bool>("macOsEnabled");
    QTest::newRow("fruit missing") << false << false;
    QTest::newRow("fruit missing but used") << true << true;
}

void TestConfigDialog::missingModules()
{
    QFETCH(bool, globalHasFruit);
    SambaSettings settings = makeSettings();
    if (globalHasFruit)
        settings.global()->addVfsModule(std::make_shared<Fruit>());
    settings.global()->setAclByDefault(false);
    ConfigDialog dialog(&settings, true);
    QTemporaryDir dir;
    dialog.setInstalledModules(inventoryWith(dir, {QStringLiteral("acl_xattr"), QStringLiteral("catia")}));
    dialog.show();
    auto *box = child<QCheckBox>(dialog, "checkBoxMacOsClients");
    QTEST(box->isEnabled(), "macOsEnabled");
    if (!box->isEnabled())
        QCOMPARE(box->toolTip(),
                 QStringLiteral("The Samba modules fruit, streams_xattr are not installed; install "
                                "the package samba-vfs-modules."));
    QVERIFY(child<QWidget>(dialog, "radioButtonXattr")->isEnabled());
    QVERIFY(!child<QWidget>(dialog, "radioButtonTDB")->isEnabled());
    QCOMPARE(
        child<QWidget>(dialog, "radioButtonTDB")->toolTip(),
        QStringLiteral("The Samba module acl_tdb is not installed; install the package samba-vfs-modules."));
}

QTEST_MAIN(TestConfigDialog)
#include "tst_configdialog.moc"
