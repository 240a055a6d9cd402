#include "sharedialog.h"

#include "audit.h"
#include "auditedoperation.h"
#include "auditoperationmodel.h"
#include "configtextgate.h"
#include "fullaudit.h"
#include "modulecontrol.h"
#include "sambasettings.h"
#include "serverfiles.h"
#include "share.h"
#include "sharefeatures.h"
#include "sharerules.h"
#include "syslogfacility.h"
#include "syslogpriority.h"
#include "ui_sharedialog.h"
#include "vfsmoduleinventory.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <algorithm>

namespace {

const char *const doNotRemindKey = "do-not-remind-about-srv";

constexpr int auditTab = 3;
constexpr int featuresTab = 5;

// The permissions of a directory this dialog manages, whatever special bits it has: the save
// sets 01777 for read/write.
constexpr int readOnlyMode = 0555;
constexpr int everythingMode = 0777;

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// The text a field writes: trimmed for the fields written so, except that a line break is
// always refused.
QString writtenText(const QString &text, bool trimmed)
{
    return trimmed && !hasLineBreak(text) ? text.trimmed() : text;
}

// A section name must not close its brackets early or break the line.
bool isUnsafeShareName(const QString &name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == QLatin1Char('[') || c == QLatin1Char(']') || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
}

} // namespace

ShareDialog::ShareDialog(Share &share, SambaSettings &settings, const QSet<QString> &existingNames,
                         ServerFiles &files, const Accounts &accounts, QWidget *parent)
    : QDialog(parent)
    , m_share(share)
    , m_settings(settings)
    , m_existingNames(existingNames)
    , m_files(files)
    , m_operations(new AuditOperationModel(this))
    , m_ui(std::make_unique<Ui::ShareDialog>())
{
    m_ui->setupUi(this);

    m_ui->pushButtonAdd->setIcon(
        QIcon::fromTheme(QStringLiteral("list-add"), QIcon(QStringLiteral(":/images/plus.png"))));
    m_ui->pushButtonRemove->setIcon(
        QIcon::fromTheme(QStringLiteral("list-remove"), QIcon(QStringLiteral(":/images/minus.png"))));

    fillLists(accounts);
    m_autoName = m_share.path().isEmpty();
    m_ui->lineEditDirectory->setText(m_share.path());
    m_ui->lineEditShareName->setText(m_share.name());
    m_ui->lineEditDescription->setText(m_share.comment());
    if (m_share.readOnly())
        m_ui->radioButtonReadOnly->setChecked(true);
    else
        m_ui->radioButtonReadWrite->setChecked(true);

    // A directory left at 0555 or 0777 is shown as managed by this dialog; only Ok with a
    // change of the box or of the access asks the save to change its mode.
    const int mode = m_share.path().isEmpty() ? -1 : m_files.directoryMode(m_share.path());
    const int permissions = mode < 0 ? -1 : (mode & 0777);
    m_managedAtOpen =
        permissions == readOnlyMode || permissions == everythingMode || m_share.setDirectoryPermissions();
    m_readOnlyAtOpen = m_share.readOnly();
    m_ui->checkBoxSetDirectoryPermissions->setChecked(m_managedAtOpen);
    updatePathHint();

    m_ui->checkBoxPrintable->setChecked(m_share.printable());
    m_ui->checkBoxBrowseable->setChecked(m_share.browseable());
    m_ui->lineEditCreateMask->setText(m_share.createMask());

    moveInto(m_ui->listWidgetSambaUsers, m_share.validUsers(), m_ui->listWidgetShareUsers);
    moveInto(m_ui->listWidgetSambaGroup, m_share.writeList(), m_ui->listWidgetShareGroup);

    fillAudit();
    m_ui->widgetACL->setRecord(m_share);
    m_ui->widgetFeatures->setGlobalRecord(*m_settings.global());
    m_ui->widgetFeatures->setRecord(m_share);

    connectForm();
    m_ui->tabWidget->setCurrentIndex(0);
    m_ui->lineEditDirectory->setFocus();
    setAccessMode();
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
}

ShareDialog::~ShareDialog() = default;

void ShareDialog::setInstalledModules(const VfsModuleInventory &inventory)
{
    for (const auto &[box, module] : {std::pair(m_ui->checkBoxAuditSimple, QStringLiteral("audit")),
                                      std::pair(m_ui->checkBoxAuditFull, QStringLiteral("full_audit"))})
        ModuleControl::require(box, inventory, {module}, m_share.hasVfsModule(module));
    m_ui->widgetACL->setInstalledModules(inventory);
    m_ui->widgetFeatures->setInstalledModules(inventory);
}

void ShareDialog::fillLists(const Accounts &accounts)
{
    // A Samba user of tdbsam is a system user too, so most names come twice: each is offered
    // once, or choosing it would leave its twin behind, and editing the share would later
    // move both into the chosen list and write the name twice.
    QStringList users;
    for (const SambaUser &user : m_settings.users())
        users << user.name();
    users << accounts.users;
    users.removeDuplicates();
    m_ui->listWidgetSambaUsers->addItems(users);
    QStringList groups;
    for (const SambaGroup &group : m_settings.groups())
        groups << group.name();
    groups << accounts.groups;
    groups.removeDuplicates();
    m_ui->listWidgetSambaGroup->addItems(groups);
}

void ShareDialog::moveInto(QListWidget *from, const QStringList &names, QListWidget *to)
{
    for (const QString &name : names) {
        const QList<QListWidgetItem *> found =
            from->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty()) {
            // Samba variables and names that are no accounts stay in the list.
            to->addItem(name);
            continue;
        }
        for (QListWidgetItem *item : found)
            to->addItem(from->takeItem(from->row(item)));
    }
}

ShareDialog::AccessPage ShareDialog::page(int index) const
{
    if (index == 0)
        return {m_ui->groupBoxSystemUsers,
                m_ui->listWidgetSambaUsers,
                m_ui->groupBoxSambaUsers,
                m_ui->listWidgetShareUsers,
                m_ui->pushButtonAdd,
                m_ui->pushButtonAddCustom,
                m_ui->pushButtonRemove,
                m_ui->pushButtonAddAll,
                m_ui->pushButtonRemoveAll,
                tr("Add user"),
                tr("Username or Samba variable:")};
    return {m_ui->groupBoxSystemGroup,      m_ui->listWidgetSambaGroup,
            m_ui->groupBoxSambaGroup,       m_ui->listWidgetShareGroup,
            m_ui->pushButtonAddGroup,       m_ui->pushButtonAddCustomGroup,
            m_ui->pushButtonRemoveGroup,    m_ui->pushButtonAddAllGroup,
            m_ui->pushButtonRemoveAllGroup, tr("Add group"),
            tr("Group or Samba variable:")};
}

ShareDialog::AccessPage ShareDialog::currentPage() const
{
    return page(m_ui->AccessTabWidget->currentIndex() == 0 ? 0 : 1);
}

void ShareDialog::setPageEnabled(const AccessPage &page, bool enabled)
{
    for (QWidget *widget : {static_cast<QWidget *>(page.availableBox), static_cast<QWidget *>(page.available),
                            static_cast<QWidget *>(page.chosenBox), static_cast<QWidget *>(page.chosen),
                            static_cast<QWidget *>(page.add), static_cast<QWidget *>(page.addCustom),
                            static_cast<QWidget *>(page.remove), static_cast<QWidget *>(page.addAll),
                            static_cast<QWidget *>(page.removeAll)})
        widget->setEnabled(enabled);
}

void ShareDialog::updateButtons(const AccessPage &page)
{
    page.addCustom->setEnabled(true);
    page.add->setEnabled(page.available->count() > 0);
    page.addAll->setEnabled(page.available->count() > 0);
    page.remove->setEnabled(page.chosen->count() > 0);
    page.removeAll->setEnabled(page.chosen->count() > 0);
}

void ShareDialog::setAccessMode()
{
    // The share's own settings in every authentication mode: the mode decides who logs on as
    // the guest, the share whether the guest may use it. guest only works with guest ok alone.
    const AccessPage users = page(0);
    const AccessPage groups = page(1);
    if (m_share.guestOk() && m_share.guestOnly())
        m_ui->radioButtonAllGuest->setChecked(true);
    else if (m_share.guestOk())
        m_ui->radioButtonUsersAndGuests->setChecked(true);
    else if (m_ui->listWidgetShareUsers->count() == 0)
        m_ui->radioButtonAllSamba->setChecked(true);
    else
        m_ui->radioButtonSelected->setChecked(true);
    setPageEnabled(users, m_ui->radioButtonSelected->isChecked());

    if (m_share.writeListEverybody() || m_share.writeList().isEmpty()) {
        m_ui->radioButtonAllGuestGroup->setChecked(true);
        setPageEnabled(groups, false);
    } else if (m_ui->listWidgetShareGroup->count() == 0
               || m_ui->listWidgetShareGroup->item(0)->text() == QLatin1String("@everybody")) {
        // The form's default stays: selected groups, widgets enabled.
    } else {
        m_ui->radioButtonSelectedGroup->setChecked(true);
        setPageEnabled(groups, true);
    }
    m_userAccessAtOpen = userAccess();
    m_usersAtOpen = texts(m_ui->listWidgetShareUsers);
    m_groupAccessAtOpen = m_ui->radioButtonSelectedGroup->isChecked();
    m_groupsAtOpen = texts(m_ui->listWidgetShareGroup);
}

QRadioButton *ShareDialog::userAccess() const
{
    for (QRadioButton *radio : {m_ui->radioButtonAllGuest, m_ui->radioButtonUsersAndGuests,
                                m_ui->radioButtonAllSamba, m_ui->radioButtonSelected}) {
        if (radio->isChecked())
            return radio;
    }
    return nullptr;
}

void ShareDialog::fillAudit()
{
    QList<Syslog::Facility> facilities = allFacilities().values();
    std::sort(facilities.begin(), facilities.end(),
              [](const Syslog::Facility &a, const Syslog::Facility &b) { return a.name() < b.name(); });
    for (const Syslog::Facility &facility : facilities) {
        m_ui->comboBoxSyslogFacility->addItem(facility.name(), QVariant::fromValue(facility));
        m_ui->comboBoxSyslogFacility->setItemData(m_ui->comboBoxSyslogFacility->count() - 1,
                                                  facility.description(), Qt::ToolTipRole);
    }
    QList<Syslog::Priority> priorities = allPriorities().values();
    std::sort(priorities.begin(), priorities.end(),
              [](const Syslog::Priority &a, const Syslog::Priority &b) { return a.name() < b.name(); });
    for (const Syslog::Priority &priority : priorities) {
        m_ui->comboBoxSyslogPriority->addItem(priority.name(), QVariant::fromValue(priority));
        m_ui->comboBoxSyslogPriority->setItemData(m_ui->comboBoxSyslogPriority->count() - 1,
                                                  priority.description(), Qt::ToolTipRole);
    }

    m_ui->checkBoxAuditSimple->setChecked(m_share.hasVfsModule(QStringLiteral("audit")));
    auto module = std::dynamic_pointer_cast<FullAudit>(m_share.vfsModule(QStringLiteral("full_audit")));
    m_ui->checkBoxAuditFull->setChecked(module != nullptr);
    const FullAudit shown = module ? *module : FullAudit();
    m_ui->lineEditAuditPrefix->setText(shown.prefix());
    m_ui->checkBoxLogToSyslog->setChecked(shown.syslog());
    m_ui->checkBoxLogSecDesc->setChecked(shown.logSecDesc());
    m_ui->comboBoxSyslogFacility->setCurrentIndex(
        m_ui->comboBoxSyslogFacility->findText(shown.facility().name()));
    m_ui->comboBoxSyslogPriority->setCurrentIndex(
        m_ui->comboBoxSyslogPriority->findText(shown.priority().name()));
    if (module) {
        QList<VfsOperation> operations = (module->successOperations() | module->failureOperations()).values();
        std::sort(operations.begin(), operations.end(),
                  [](const VfsOperation &a, const VfsOperation &b) { return a.name() < b.name(); });
        for (const VfsOperation &operation : operations)
            m_operations->addEntry(AuditedOperation(operation,
                                                    module->successOperations().contains(operation),
                                                    module->failureOperations().contains(operation)));
    }
    m_ui->tableViewAuditOperations->setModel(m_operations);
    updateAuditEnabling();
}

void ShareDialog::connectForm()
{
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &ShareDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &ShareDialog::reject);
    connect(m_ui->toolButton, &QToolButton::clicked, this, &ShareDialog::chooseDirectory);
    connect(m_ui->lineEditShareName, &QLineEdit::textEdited, this, [this] { m_autoName = false; });
    connect(m_ui->lineEditDirectory, &QLineEdit::textChanged, this, &ShareDialog::updatePathHint);

    for (QLineEdit *edit : {m_ui->lineEditDirectory, m_ui->lineEditDescription, m_ui->lineEditShareName,
                            m_ui->lineEditCreateMask, m_ui->lineEditAuditPrefix})
        connect(edit, &QLineEdit::textChanged, this, &ShareDialog::enableOk);
    for (QRadioButton *radio :
         {m_ui->radioButtonReadOnly, m_ui->radioButtonReadWrite, m_ui->radioButtonAllGuest,
          m_ui->radioButtonUsersAndGuests, m_ui->radioButtonAllSamba, m_ui->radioButtonSelected,
          m_ui->radioButtonAllGuestGroup, m_ui->radioButtonSelectedGroup})
        connect(radio, &QRadioButton::toggled, this, &ShareDialog::enableOk);
    for (QCheckBox *box : {m_ui->checkBoxPrintable, m_ui->checkBoxBrowseable, m_ui->checkBoxAuditSimple,
                           m_ui->checkBoxAuditFull, m_ui->checkBoxLogToSyslog, m_ui->checkBoxLogSecDesc})
        connect(box, &QCheckBox::stateChanged, this, &ShareDialog::enableOk);
    for (QComboBox *combo : {m_ui->comboBoxSyslogFacility, m_ui->comboBoxSyslogPriority})
        connect(combo, &QComboBox::currentTextChanged, this, &ShareDialog::enableOk);
    connect(m_operations, &QAbstractItemModel::dataChanged, this, &ShareDialog::enableOk);
    connect(m_ui->widgetACL, &ACLWidget::stateChanged, this, &ShareDialog::enableOk);
    connect(m_ui->widgetFeatures, &ShareFeaturesWidget::stateChanged, this, &ShareDialog::enableOk);

    for (QRadioButton *radio :
         {m_ui->radioButtonAllGuest, m_ui->radioButtonUsersAndGuests, m_ui->radioButtonAllSamba}) {
        connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                setPageEnabled(page(0), false);
        });
    }
    connect(m_ui->radioButtonAllGuestGroup, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            setPageEnabled(page(1), false);
    });
    connect(m_ui->radioButtonSelected, &QRadioButton::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        const AccessPage users = page(0);
        for (QWidget *widget :
             {static_cast<QWidget *>(users.availableBox), static_cast<QWidget *>(users.available),
              static_cast<QWidget *>(users.chosenBox), static_cast<QWidget *>(users.chosen)})
            widget->setEnabled(true);
        updateButtons(users);
    });
    connect(m_ui->radioButtonSelectedGroup, &QRadioButton::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        const AccessPage groups = page(1);
        for (QWidget *widget :
             {static_cast<QWidget *>(groups.availableBox), static_cast<QWidget *>(groups.available),
              static_cast<QWidget *>(groups.chosenBox), static_cast<QWidget *>(groups.chosen)})
            widget->setEnabled(true);
        updateButtons(groups);
    });

    for (int index : {0, 1}) {
        const AccessPage p = page(index);
        connect(p.add, &QPushButton::clicked, this, &ShareDialog::addSelected);
        connect(p.remove, &QPushButton::clicked, this, &ShareDialog::removeSelected);
        connect(p.addAll, &QPushButton::clicked, this, &ShareDialog::addAll);
        connect(p.removeAll, &QPushButton::clicked, this, &ShareDialog::removeAll);
        connect(p.addCustom, &QPushButton::clicked, this, &ShareDialog::addCustom);
    }

    connect(m_ui->checkBoxAuditFull, &QCheckBox::toggled, this, &ShareDialog::updateAuditEnabling);
    connect(m_ui->checkBoxLogToSyslog, &QCheckBox::toggled, this, &ShareDialog::updateSyslogEnabling);
    connect(m_ui->toolButtonAddOperation, &QToolButton::clicked, this, &ShareDialog::addOperation);
    connect(m_ui->toolButtonRemoveOperation, &QToolButton::clicked, this, &ShareDialog::removeOperation);
    connect(m_ui->tableViewAuditOperations->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ShareDialog::updateRemoveOperation);
}

void ShareDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void ShareDialog::listChanged(const AccessPage &page)
{
    enableOk();
    updateButtons(page);
}

void ShareDialog::addSelected()
{
    const AccessPage p = currentPage();
    for (QListWidgetItem *item : p.available->selectedItems())
        p.chosen->addItem(p.available->takeItem(p.available->row(item)));
    p.chosen->sortItems(Qt::AscendingOrder);
    listChanged(p);
}

void ShareDialog::removeSelected()
{
    const AccessPage p = currentPage();
    for (QListWidgetItem *item : p.chosen->selectedItems())
        p.available->addItem(p.chosen->takeItem(p.chosen->row(item)));
    p.available->sortItems(Qt::AscendingOrder);
    listChanged(p);
}

void ShareDialog::addAll()
{
    const AccessPage p = currentPage();
    while (p.available->count() > 0)
        p.chosen->addItem(p.available->takeItem(0));
    listChanged(p);
}

void ShareDialog::removeAll()
{
    const AccessPage p = currentPage();
    while (p.chosen->count() > 0)
        p.available->addItem(p.chosen->takeItem(0));
    listChanged(p);
}

void ShareDialog::addCustom()
{
    const AccessPage p = currentPage();
    bool ok = false;
    const QString text =
        QInputDialog::getText(this, p.customTitle, p.customLabel, QLineEdit::Normal, QString(), &ok)
            .trimmed();
    if (ok && !text.isEmpty()) {
        for (QListWidgetItem *item : p.available->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive))
            delete p.available->takeItem(p.available->row(item));
        p.chosen->addItem(text);
        p.chosen->sortItems(Qt::AscendingOrder);
    }
    listChanged(p);
}

void ShareDialog::updateAuditEnabling()
{
    const bool full = m_ui->checkBoxAuditFull->isChecked();
    for (QWidget *widget :
         {static_cast<QWidget *>(m_ui->labelAuditPrefix), static_cast<QWidget *>(m_ui->lineEditAuditPrefix),
          static_cast<QWidget *>(m_ui->groupBoxAuditOperations),
          static_cast<QWidget *>(m_ui->tableViewAuditOperations),
          static_cast<QWidget *>(m_ui->toolButtonAddOperation),
          static_cast<QWidget *>(m_ui->groupBoxSyslogSettings),
          static_cast<QWidget *>(m_ui->checkBoxLogToSyslog),
          static_cast<QWidget *>(m_ui->checkBoxLogSecDesc)})
        widget->setEnabled(full);
    updateSyslogEnabling();
    updateRemoveOperation();
}

void ShareDialog::updateSyslogEnabling()
{
    const bool syslog = m_ui->checkBoxLogToSyslog->isChecked();
    for (QWidget *widget : {static_cast<QWidget *>(m_ui->labelSyslogFacility),
                            static_cast<QWidget *>(m_ui->labelSyslogPriority),
                            static_cast<QWidget *>(m_ui->comboBoxSyslogFacility),
                            static_cast<QWidget *>(m_ui->comboBoxSyslogPriority)})
        widget->setEnabled(syslog);
}

void ShareDialog::updateRemoveOperation()
{
    const QItemSelectionModel *selection = m_ui->tableViewAuditOperations->selectionModel();
    m_ui->toolButtonRemoveOperation->setEnabled(selection && selection->hasSelection());
}

void ShareDialog::addOperation()
{
    const VfsOperationSet present = m_operations->operations();
    QStringList names;
    for (const VfsOperation &operation : allOperations())
        if (!present.contains(operation))
            names << operation.name();
    std::sort(names.begin(), names.end());
    bool ok = false;
    const QString name =
        QInputDialog::getItem(this, tr("Select operation"), tr("Operation:"), names, 0, false, &ok);
    if (!ok || name.isEmpty())
        return;
    m_operations->addEntry(AuditedOperation(VfsOperation(name), true, true));
    enableOk();
}

void ShareDialog::removeOperation()
{
    const QModelIndexList selected = m_ui->tableViewAuditOperations->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    m_operations->removeEntry(selected.first());
    updateRemoveOperation();
    enableOk();
}

void ShareDialog::chooseDirectory()
{
    const QString start =
        m_ui->lineEditDirectory->text().isEmpty() ? QDir::rootPath() : m_ui->lineEditDirectory->text();
    const QString directory = QFileDialog::getExistingDirectory(this, tr("Select directory to share"), start,
                                                                QFileDialog::ShowDirsOnly);
    if (!directory.isEmpty())
        setDirectory(directory);
}

void ShareDialog::setDirectory(const QString &directory)
{
    m_ui->lineEditDirectory->setText(directory);
    if (m_autoName)
        m_ui->lineEditShareName->setText(directory.split(QLatin1Char('/')).last());
}

void ShareDialog::focusField(int tab, QWidget *field)
{
    m_ui->tabWidget->setCurrentIndex(tab);
    field->setFocus();
}

void ShareDialog::accept()
{
    if (!validate())
        return;
    writeBack();
    QDialog::accept();
}

bool ShareDialog::refuseUnsafeText()
{
    // What Samba would read otherwise than the field says (a line break, a backslash at the
    // end, blanks around a path), or a bracket in the section name, is refused at the field;
    // the mapper refuses it too, but only when saving.
    QWidget *field = nullptr;
    int tab = 0;
    QString message;
    const auto refusedIn = [&](const QString &text, QWidget *widget, int widgetTab, const QString &label,
                               bool trimmed) {
        if (field)
            return;
        message = ConfigTextGate::fieldRefusal(label, writtenText(text, trimmed));
        if (message.isEmpty())
            return;
        field = widget;
        tab = widgetTab;
    };
    if (isUnsafeShareName(m_ui->lineEditShareName->text())) {
        field = m_ui->lineEditShareName;
        message = tr("The share name must not contain '[', ']', a line break or another control character.");
    }
    refusedIn(m_ui->lineEditDirectory->text(), m_ui->lineEditDirectory, 0, tr("Path"), false);
    refusedIn(m_ui->lineEditDescription->text(), m_ui->lineEditDescription, 0, tr("Description"), true);
    // The lists and the prefix only count when they are written.
    if (m_ui->radioButtonSelected->isChecked())
        refusedIn(texts(m_ui->listWidgetShareUsers).join(QLatin1Char(' ')), m_ui->listWidgetShareUsers, 1,
                  tr("Users for share"), false);
    if (m_ui->radioButtonSelectedGroup->isChecked())
        refusedIn(texts(m_ui->listWidgetShareGroup).join(QLatin1Char(' ')), m_ui->listWidgetShareGroup, 1,
                  tr("Group for share"), false);
    refusedIn(m_ui->lineEditCreateMask->text(), m_ui->lineEditCreateMask, 2, tr("Create mask"), false);
    if (m_ui->checkBoxAuditFull->isChecked())
        refusedIn(m_ui->lineEditAuditPrefix->text(), m_ui->lineEditAuditPrefix, auditTab, tr("Prefix"), true);
    QString featureLabel;
    if (QLineEdit *feature = m_ui->widgetFeatures->refusedField(&featureLabel))
        refusedIn(feature->text(), feature, featuresTab, featureLabel, true);
    if (!field)
        return false;
    QMessageBox::information(this, tr("Info"), message, QMessageBox::Ok);
    focusField(tab, field);
    return true;
}

void ShareDialog::updatePathHint()
{
    m_ui->labelPathDependsOnUser->setVisible(
        ShareRules::dependsOnConnection(m_ui->lineEditDirectory->text()));
}

bool ShareDialog::acceptDirectory(const QString &directory)
{
    const QString problem = m_files.directoryProblem(directory);
    if (problem.isEmpty())
        return true;
    // A share of a disk that is not mounted now keeps its path when the administrator says so.
    if (!m_share.originalName().isEmpty() && directory == m_share.path()) {
        return QMessageBox::warning(this, tr("Warning"),
                                    tr("Directory %1 does not exist now (a disk that is not mounted?).\n"
                                       "Keep this path for the share?")
                                        .arg(directory),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    }
    QMessageBox::information(this, tr("Info"), problem, QMessageBox::Ok);
    return false;
}

bool ShareDialog::validate()
{
    if (refuseUnsafeText())
        return false;

    const QString directory = m_ui->lineEditDirectory->text();
    const QString name = m_ui->lineEditShareName->text().trimmed().toLower();
    const auto info = [this](const QString &text) {
        QMessageBox::information(this, tr("Info"), text, QMessageBox::Ok);
    };

    if (name != QLatin1String("homes")) {
        // A share of the file without a path keeps having none while the field stays empty.
        if (directory.isEmpty() && (m_share.originalName().isEmpty() || !m_share.path().isEmpty())) {
            info(tr("Please select a directory for share..."));
            focusField(0, m_ui->lineEditDirectory);
            return false;
        }
        if (!directory.isEmpty() && !acceptDirectory(directory)) {
            focusField(0, m_ui->lineEditDirectory);
            return false;
        }
        if (!directory.isEmpty() && !directory.startsWith(QLatin1String("/srv"))) {
            QSettings settings;
            if (!settings.value(QLatin1String(doNotRemindKey), false).toBool()) {
                QMessageBox box(QMessageBox::Information, tr("Info"),
                                tr("It is advisable to create resources in the /srv/samba/ folder."),
                                QMessageBox::Ok, this);
                auto *doNotRemind = new QCheckBox(tr("Don't remind me again."), &box);
                box.setCheckBox(doNotRemind);
                box.exec();
                settings.setValue(QLatin1String(doNotRemindKey), doNotRemind->isChecked());
            }
            focusField(0, m_ui->lineEditDirectory);
        }
    }
    // A name of blanks only would be written as an empty section name.
    if (name.isEmpty()) {
        info(tr("Please define a share name..."));
        focusField(0, m_ui->lineEditShareName);
        return false;
    }
    // Samba reads [global] and [globals], in any case and with any blanks, as its
    // server-wide settings.
    if (const QString reserved = ShareRules::nameProblem(m_ui->lineEditShareName->text(), {});
        !reserved.isEmpty()) {
        info(reserved);
        focusField(0, m_ui->lineEditShareName);
        return false;
    }
    // Compared without the blanks the name loses when it is written.
    if (name != m_share.name().trimmed().toLower() && m_existingNames.contains(name)) {
        info(tr("Share with name \"%1\" already exist. Please change current share name.").arg(name));
        focusField(0, m_ui->lineEditShareName);
        return false;
    }
    if (m_ui->AccessTabWidget->currentIndex() == 0) {
        if (m_ui->radioButtonSelected->isChecked() && m_ui->listWidgetShareUsers->count() == 0) {
            info(tr("Please specify at least one Samba users for share..."));
            focusField(1, m_ui->listWidgetShareUsers);
            return false;
        }
    } else if (m_ui->radioButtonSelectedGroup->isChecked() && m_ui->listWidgetShareGroup->count() == 0) {
        info(tr("Please specify at least one Samba group for share..."));
        focusField(1, m_ui->listWidgetShareGroup);
        return false;
    }
    return true;
}

void ShareDialog::writeAccess()
{
    // As the command line does: the record keeps what the administrator left alone, so that
    // the save writes only the access he changed, and a combination the choices cannot show
    // (guests and a list of valid users) survives an edit of the description.
    const bool newShare = m_share.originalName().isEmpty();
    const bool selected = m_ui->radioButtonSelected->isChecked();
    const QStringList users = texts(m_ui->listWidgetShareUsers);
    if (newShare || userAccess() != m_userAccessAtOpen || (selected && users != m_usersAtOpen)) {
        const bool guests =
            m_ui->radioButtonAllGuest->isChecked() || m_ui->radioButtonUsersAndGuests->isChecked();
        m_share.setGuestOk(guests);
        m_share.setGuestOnly(m_ui->radioButtonAllGuest->isChecked());
        m_share.setValidUsers(selected ? users : QStringList());
    }
    const bool selectedGroups = m_ui->radioButtonSelectedGroup->isChecked();
    const QStringList groups = texts(m_ui->listWidgetShareGroup);
    // A share of the file shown with "all" because it has no write list keeps having none
    // unless the choice changed.
    if (newShare || selectedGroups != m_groupAccessAtOpen || (selectedGroups && groups != m_groupsAtOpen)) {
        m_share.setWriteListEverybody(!selectedGroups);
        m_share.setWriteList(selectedGroups ? groups : QStringList());
    }
}

void ShareDialog::writeBack()
{
    m_share.setPath(m_ui->lineEditDirectory->text());
    m_share.setName(m_ui->lineEditShareName->text().trimmed());
    m_share.setComment(m_ui->lineEditDescription->text().trimmed());
    m_share.setReadOnly(m_ui->radioButtonReadOnly->isChecked());
    m_share.setReadWrite(m_ui->radioButtonReadWrite->isChecked());
    const bool managed = m_ui->checkBoxSetDirectoryPermissions->isChecked();
    const bool readOnly = m_ui->radioButtonReadOnly->isChecked();
    if (managed != m_managedAtOpen || (managed && readOnly != m_readOnlyAtOpen))
        m_share.setDirectoryModeChange(managed ? (readOnly ? Share::MakeReadOnly : Share::MakeWritable)
                                               : Share::UndoDirectoryMode);
    m_share.setSetDirectoryPermissions(managed);
    m_share.setPrintable(m_ui->checkBoxPrintable->isChecked());
    m_share.setBrowseable(m_ui->checkBoxBrowseable->isChecked());
    m_share.setCreateMask(m_ui->lineEditCreateMask->text());
    writeAccess();

    m_share.removeVfsModule(QStringLiteral("audit"));
    m_share.removeVfsModule(QStringLiteral("full_audit"));
    if (m_ui->checkBoxAuditSimple->isChecked())
        m_share.addVfsModule(std::make_shared<Audit>());
    if (m_ui->checkBoxAuditFull->isChecked()) {
        auto module = std::make_shared<FullAudit>();
        module->setPrefix(m_ui->lineEditAuditPrefix->text().trimmed());
        module->setSyslog(m_ui->checkBoxLogToSyslog->isChecked());
        module->setLogSecDesc(m_ui->checkBoxLogSecDesc->isChecked());
        VfsOperationSet success;
        VfsOperationSet failure;
        for (const AuditedOperation &entry : m_operations->entries()) {
            if (entry.success())
                success.insert(entry.operation());
            if (entry.failure())
                failure.insert(entry.operation());
        }
        module->setSuccessOperations(success);
        module->setFailureOperations(failure);
        module->setFacility(m_ui->comboBoxSyslogFacility->currentData().value<Syslog::Facility>());
        module->setPriority(m_ui->comboBoxSyslogPriority->currentData().value<Syslog::Priority>());
        m_share.addVfsModule(module);
    }
    m_ui->widgetACL->writeRecord(m_share);
    m_ui->widgetFeatures->writeRecord(m_share);
    // vfs_fruit(8): the Apple extensions work for every share only when [global] loads fruit.
    GlobalShare &global = *m_settings.global();
    if (m_ui->widgetFeatures->addsAppleModulesToGlobal() && !ShareFeatures::appleClients(global))
        ShareFeatures::setAppleClients(global, true);
}
