#include "configdialog.h"

#include "aclwidget.h"
#include "configtextgate.h"
#include "fruit.h"
#include "globalshare.h"
#include "modulecontrol.h"
#include "sambasettings.h"
#include "sharefeatures.h"
#include "ui_configdialog.h"
#include "vfsmoduleinventory.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QStandardItemModel>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char *const sizeGroup = "server_configuration";
const char *const sizeKey = "size";

constexpr int basicTab = 0;
constexpr int securityTab = 1;

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// The fruit options Samba recommends in [global] for macOS clients (see vfs_fruit(8)): the
// metadata in streams, POSIX renames, no vetoed or empty AppleDouble files, and no NFS ACEs,
// which would let macOS change the Unix modes.
struct FruitSetting
{
    const QString &key;
    const char *value;
    bool flag;
};

const std::vector<FruitSetting> &macOsSettings()
{
    static const std::vector<FruitSetting> settings{
        {Fruit::Metadata, "stream", false},
        {Fruit::Model, "MacSamba", false},
        {Fruit::PosixRename, "yes", true},
        {Fruit::VetoAppleDouble, "no", true},
        {Fruit::NfsAces, "no", true},
        {Fruit::WipeIntentionallyLeftBlankRfork, "yes", true},
        {Fruit::DeleteEmptyAdfiles, "yes", true},
    };
    return settings;
}

// Whether [global] loads the Apple modules with every recommended setting, in any
// spelling Samba takes.
bool hasMacOsSettings(const GlobalShare &global)
{
    const auto fruit = std::dynamic_pointer_cast<const Fruit>(global.vfsModule(QStringLiteral("fruit")));
    if (!fruit || !ShareFeatures::appleClients(global))
        return false;
    return std::all_of(macOsSettings().begin(), macOsSettings().end(), [&fruit](const FruitSetting &setting) {
        const QString value = QLatin1String(setting.value);
        if (setting.flag)
            return fruit->flag(setting.key, value != QLatin1String("yes")) == (value == QLatin1String("yes"));
        return fruit->option(setting.key).compare(value, Qt::CaseInsensitive) == 0;
    });
}

// The modes that write a Kerberos realm into [global].
bool usesRealm(const QString &modeText)
{
    return modeText == SambaSettings::securityModeText(SambaSettings::SecurityKerberosDomain)
        || modeText == SambaSettings::securityModeText(SambaSettings::SecurityAds);
}

} // namespace

ConfigDialog::ConfigDialog(SambaSettings *settings, bool sharePrinters, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_ui(std::make_unique<Ui::ConfigDialog>())
{
    m_ui->setupUi(this);
    // Kerberos realms are ASCII; PCRE2 knows the POSIX class [:ascii:].
    m_ui->lineEditRealm->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[[:ascii:]]+$")), m_ui->lineEditRealm));

    connectForm();

    QSettings stored;
    stored.beginGroup(QLatin1String(sizeGroup));
    resize(stored.value(QLatin1String(sizeKey), QSize(640, 480)).toSize());

    m_ui->tabWidget->setCurrentIndex(basicTab);
    fillForm(sharePrinters);
    // Filling the form counted as changes.
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
}

ConfigDialog::~ConfigDialog() = default;

void ConfigDialog::connectForm()
{
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &ConfigDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &ConfigDialog::reject);

    connect(m_ui->comboBoxAuthMode, QOverload<int>::of(&QComboBox::activated), m_ui->stackedWidget,
            &QStackedWidget::setCurrentIndex);
    connect(m_ui->comboBoxAuthMode, &QComboBox::currentTextChanged, this, &ConfigDialog::updateRealmEnabled);
    connect(m_ui->lineEditRealm, &QLineEdit::textEdited, this, &ConfigDialog::upperCaseRealm);

    for (QComboBox *combo : {m_ui->comboBoxAuthMode, m_ui->comboBoxSharePrinters, m_ui->comboBoxGuestAccount,
                             m_ui->comboBoxEncrypt})
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ConfigDialog::enableOk);
    for (QLineEdit *edit : {m_ui->lineEditWorkgroup, m_ui->lineEditDescription, m_ui->lineEditRealm})
        connect(edit, &QLineEdit::textChanged, this, &ConfigDialog::enableOk);
    connect(m_ui->widgetACL, &ACLWidget::stateChanged, this, &ConfigDialog::enableOk);
    connect(m_ui->checkBoxMacOsClients, &QCheckBox::toggled, this, &ConfigDialog::enableOk);

    connect(m_ui->comboBoxEncrypt, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ConfigDialog::updateUnsafe);
}

void ConfigDialog::fillForm(bool sharePrinters)
{
    const GlobalShare &global = *m_settings->global();

    // Samba's own default, shown so that the field never looks unset.
    m_ui->lineEditWorkgroup->setText(global.workgroup().isEmpty() ? QStringLiteral("WORKGROUP")
                                                                  : global.workgroup());
    m_ui->lineEditDescription->setText(global.serverString());

    const int printers =
        m_ui->comboBoxSharePrinters->findText(sharePrinters ? tr("yes") : tr("no"), Qt::MatchFixedString);
    m_ui->comboBoxSharePrinters->setCurrentIndex(printers >= 0 ? printers : (sharePrinters ? 0 : 1));

    const int mode = m_settings->security();
    m_ui->comboBoxAuthMode->setCurrentIndex(mode);
    m_ui->stackedWidget->setCurrentIndex(mode);
    m_ui->lineEditRealm->setText(global.realm());
    // Set again: an unchanged index emits nothing.
    updateRealmEnabled(SambaSettings::securityModeText(m_settings->security()));

    m_ui->comboBoxEncrypt->setCurrentIndex(global.encryptPasswords() ? 0 : 1);
    updateUnsafe(m_ui->comboBoxEncrypt->currentIndex());
    // "No" is shown for a file that says so, to be turned to Yes, which removes the line;
    // it is never written: testparm calls the parameter deprecated.
    if (global.encryptPasswords()) {
        if (auto *model = qobject_cast<QStandardItemModel *>(m_ui->comboBoxEncrypt->model())) {
            QStandardItem *no = model->item(1);
            no->setEnabled(false);
            no->setToolTip(
                tr("testparm: The \"encrypt passwords\" option is deprecated. Samba always expects "
                   "encrypted passwords."));
        }
    }

    fillGuestAccounts({});
    m_macOsAtOpen = hasMacOsSettings(global);
    m_ui->checkBoxMacOsClients->setChecked(m_macOsAtOpen);
    m_ui->widgetACL->setRecord(global);
}

void ConfigDialog::setInstalledModules(const VfsModuleInventory &inventory)
{
    // catia or streams_xattr alone serve other ends; with fruit the box can take the settings away.
    ModuleControl::require(m_ui->checkBoxMacOsClients, inventory, Fruit::appleModules(),
                           m_settings->global()->hasVfsModule(QStringLiteral("fruit")));
    m_ui->widgetACL->setInstalledModules(inventory);
}

void ConfigDialog::setGuestAccounts(const QStringList &accounts)
{
    // The choice made so far stays.
    const QVariant chosen = m_ui->comboBoxGuestAccount->currentData();
    const bool changed = m_ui->buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
    fillGuestAccounts(accounts);
    const int index = m_ui->comboBoxGuestAccount->findData(chosen);
    if (index >= 0)
        m_ui->comboBoxGuestAccount->setCurrentIndex(index);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(changed);
}

void ConfigDialog::fillGuestAccounts(const QStringList &accounts)
{
    // Guests act with the rights of this account: people and root are never offered, only the
    // system accounts meant for it (SambaAccountStore::suitsGuest).
    QComboBox *guests = m_ui->comboBoxGuestAccount;
    const QSignalBlocker quiet(guests);
    guests->clear();
    const QString none = GlobalShare::noGuestAccount();
    guests->addItem(tr("%1 (Samba's default)").arg(QStringLiteral("nobody")), none);
    const QString guest = m_settings->global()->guestAccount();
    for (const QString &account : accounts) {
        // Samba's default is the first item; "nobody" named in smb.conf is added below.
        if (account != QLatin1String("root") && account != QLatin1String("nobody")
            && !m_settings->users().contains(account))
            guests->addItem(account, account);
    }
    int current = guest.isEmpty() || guest == none ? 0 : guests->findData(guest);
    // The account smb.conf names stays offered, whatever it is: showing another would drop it
    // from smb.conf at the next Ok. root is shown as none: it is written only when chosen.
    if (current < 0 && guest != QLatin1String("root")) {
        guests->addItem(guest, guest);
        current = guests->count() - 1;
    }
    guests->setCurrentIndex(current >= 0 ? current : 0);
    if (m_shownGuestAccount.isNull())
        m_shownGuestAccount = guests->currentData().toString();
}

void ConfigDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void ConfigDialog::updateRealmEnabled(const QString &mode)
{
    const bool enabled = usesRealm(mode);
    m_ui->lineEditRealm->setEnabled(enabled);
    m_ui->labelRealm->setEnabled(enabled);
}

void ConfigDialog::upperCaseRealm(const QString &text)
{
    const QString upper = text.toUpper();
    if (upper == text)
        return;
    // setText() moves the cursor to the end; put it back where the typing happens.
    QLineEdit *edit = m_ui->lineEditRealm;
    const int position = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(position);
}

void ConfigDialog::updateUnsafe(int encryptIndex)
{
    m_ui->labelUnsafe->setText(encryptIndex == 1 ? tr("(Unsafe)") : QString());
}

bool ConfigDialog::sharePrinters() const
{
    return m_ui->comboBoxSharePrinters->currentText().compare(tr("yes"), Qt::CaseInsensitive) == 0;
}

void ConfigDialog::closeEvent(QCloseEvent *event)
{
    QSettings stored;
    stored.beginGroup(QLatin1String(sizeGroup));
    stored.setValue(QLatin1String(sizeKey), size());
    // Closing the window is a Cancel: QDialog rejects and accepts the event.
    QDialog::closeEvent(event);
}

void ConfigDialog::focusField(int tab, QWidget *field)
{
    m_ui->tabWidget->setCurrentIndex(tab);
    field->setFocus();
}

void ConfigDialog::accept()
{
    if (!validate())
        return;
    writeBack();
    QDialog::accept();
}

bool ConfigDialog::validate()
{
    const QString mode = m_ui->comboBoxAuthMode->currentText();
    const auto warn = [this](const QString &text) {
        QMessageBox::warning(this, tr("Warning"), text, QMessageBox::Ok);
    };
    if (usesRealm(mode)) {
        // A realm of blanks is written as an empty one.
        if (m_ui->lineEditRealm->text().trimmed().isEmpty()) {
            warn(tr("Please specify realm for domain"));
            focusField(securityTab, m_ui->lineEditRealm);
            return false;
        }
    } else if (mode != SambaSettings::securityModeText(SambaSettings::SecurityUser)
               && mode != SambaSettings::securityModeText(SambaSettings::SecurityDomain)
               && mode != SambaSettings::securityModeText(SambaSettings::SecurityShare)) {
        warn(tr("Please specify valid security mode"));
        focusField(securityTab, m_ui->comboBoxAuthMode);
        return false;
    }
    return !refuseUnsafeText();
}

bool ConfigDialog::refuseUnsafeText()
{
    // What Samba would read otherwise than the field says (a line break, a backslash at the
    // end) would change [global] beyond the field; the mapper refuses it too, but only when
    // saving, far from the field. The fields are written trimmed.
    QWidget *field = nullptr;
    int tab = basicTab;
    QString message;
    const auto refusedIn = [&](QLineEdit *edit, int editTab, const QString &label) {
        if (field)
            return;
        const QString text = edit->text();
        message = ConfigTextGate::fieldRefusal(label, hasLineBreak(text) ? text : text.trimmed());
        if (message.isEmpty())
            return;
        field = edit;
        tab = editTab;
    };
    refusedIn(m_ui->lineEditWorkgroup, basicTab, tr("Workgroup"));
    refusedIn(m_ui->lineEditDescription, basicTab, tr("Description"));
    // The realm is written only in the modes that enable its field.
    if (m_ui->lineEditRealm->isEnabled())
        refusedIn(m_ui->lineEditRealm, securityTab, tr("Kerberos realm"));
    if (!field)
        return false;
    QMessageBox::information(this, tr("Info"), message, QMessageBox::Ok);
    focusField(tab, field);
    return true;
}

void ConfigDialog::writeBack()
{
    GlobalShare &global = *m_settings->global();
    // A text is taken only when it is not what the form showed: the default workgroup
    // shown for none, or a value the file spells with blanks around it, is no change.
    const QString workgroup = m_ui->lineEditWorkgroup->text().trimmed();
    if (workgroup
        != (global.workgroup().isEmpty() ? QStringLiteral("WORKGROUP") : global.workgroup().trimmed()))
        global.setWorkgroup(workgroup);
    const QString description = m_ui->lineEditDescription->text().trimmed();
    if (description != global.serverString().trimmed())
        global.setServerString(description);
    m_settings->setSecurity(static_cast<SambaSettings::SecurityMode>(m_ui->comboBoxAuthMode->currentIndex()));
    global.setRealm(m_ui->lineEditRealm->text());
    global.setEncryptPasswords(m_ui->comboBoxEncrypt->currentIndex() == 0);
    // root is never offered, but a file that names it keeps it until another is chosen.
    const QString guest = m_ui->comboBoxGuestAccount->currentData().toString();
    if (guest != m_shownGuestAccount)
        global.setGuestAccount(guest);
    m_ui->widgetACL->writeRecord(global);
    writeMacOsSettings();
}

void ConfigDialog::writeMacOsSettings()
{
    const bool on = m_ui->checkBoxMacOsClients->isChecked();
    if (on == m_macOsAtOpen)
        return;
    GlobalShare &global = *m_settings->global();
    if (!on) {
        ShareFeatures::setAppleClients(global, false);
        return;
    }
    ShareFeatures::setAppleClients(global, true);
    // A new module object: copies of the record share their modules.
    const auto current = std::dynamic_pointer_cast<const Fruit>(global.vfsModule(QStringLiteral("fruit")));
    auto fruit = current ? std::make_shared<Fruit>(*current) : std::make_shared<Fruit>();
    for (const FruitSetting &setting : macOsSettings())
        fruit->setOption(setting.key, QLatin1String(setting.value));
    global.addVfsModule(fruit);
}
