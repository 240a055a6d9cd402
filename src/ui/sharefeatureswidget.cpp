#include "sharefeatureswidget.h"

#include "configtextgate.h"
#include "fruit.h"
#include "modulecontrol.h"
#include "recyclebin.h"
#include "shadowcopy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

using PreviousVersions = ShareFeatures::PreviousVersions;

const QString s_recycle = QStringLiteral("recycle");
const QString s_fruit = QStringLiteral("fruit");
const QString s_shadowCopy = QStringLiteral("shadow_copy2");
// Snapper's snapshots are read by vfs_snapper, every other preset by shadow_copy2.
const QString s_snapper = QStringLiteral("snapper");

// Samba's defaults, shown while a field is empty.
const QString s_defaultSnapDir = QStringLiteral(".snapshots");
const QString s_defaultFormat = QStringLiteral("@GMT-%Y.%m.%d-%H.%M.%S");

std::shared_ptr<const OptionModule> optionModule(const Share &record, const QString &name)
{
    return std::dynamic_pointer_cast<const OptionModule>(record.vfsModule(name));
}

// A copy of the record's module to change, or a new module when the record has none
// Shareward understands.
template<class Module>
std::shared_ptr<Module> editableModule(const Share &record, const QString &name)
{
    if (auto module = std::dynamic_pointer_cast<const Module>(record.vfsModule(name)))
        return std::make_shared<Module>(*module);
    return std::make_shared<Module>();
}

// The value a field writes: its text without blanks around it; null, which unsets the
// option, when nothing is left.
QString valueOf(const QLineEdit *edit)
{
    const QString text = edit->text().trimmed();
    return text.isEmpty() ? QString() : text;
}

bool usesAny(const Share &record, const QStringList &modules)
{
    return std::any_of(modules.cbegin(), modules.cend(),
                       [&record](const QString &module) { return record.hasVfsModule(module); });
}

QString option(const Share &record, const QString &module, const QString &key)
{
    const auto found = optionModule(record, module);
    return found ? found->option(key) : QString();
}

// The snapshot directory and name format a preset writes; none for Snapper, whose module
// finds them itself.
QPair<QString, QString> presetSnapshots(PreviousVersions preset)
{
    Share record;
    ShareFeatures::setPreviousVersions(record, preset);
    return {option(record, s_shadowCopy, ShadowCopy::SnapDir),
            option(record, s_shadowCopy, ShadowCopy::Format)};
}

} // namespace

ShareFeaturesWidget::ShareFeaturesWidget(QWidget *parent)
    : QWidget(parent)
{
    buildForm();
}

ShareFeaturesWidget::~ShareFeaturesWidget() = default;

void ShareFeaturesWidget::buildForm()
{
    auto *layout = new QVBoxLayout(this);

    m_recycle = new QGroupBox(tr("Recycle bin"), this);
    m_recycle->setObjectName(QStringLiteral("groupBoxRecycleBin"));
    m_recycle->setCheckable(true);
    m_recycle->setToolTip(tr("Deleted files are moved to a folder of the share instead of being removed."));
    auto *recycleForm = new QFormLayout(m_recycle);
    m_repository = new QLineEdit(m_recycle);
    m_repository->setObjectName(QStringLiteral("lineEditRecycleRepository"));
    // Samba's own default when the option is unset.
    m_repository->setPlaceholderText(QStringLiteral(".recycle"));
    m_repository->setToolTip(
        tr("Relative to the share's directory, or absolute; %U gives every user a folder of their own."));
    recycleForm->addRow(tr("&Folder:"), m_repository);
    m_keepTree = new QCheckBox(tr("Keep the directory structure"), m_recycle);
    m_keepTree->setObjectName(QStringLiteral("checkBoxRecycleKeepTree"));
    recycleForm->addRow(m_keepTree);
    m_versions = new QCheckBox(tr("Keep every deleted version of a file"), m_recycle);
    m_versions->setObjectName(QStringLiteral("checkBoxRecycleVersions"));
    recycleForm->addRow(m_versions);
    m_touch = new QCheckBox(tr("Set the access time of moved files"), m_recycle);
    m_touch->setObjectName(QStringLiteral("checkBoxRecycleTouch"));
    recycleForm->addRow(m_touch);
    m_recycleMaxSize = new QLineEdit(m_recycle);
    m_recycleMaxSize->setObjectName(QStringLiteral("lineEditRecycleMaxSize"));
    m_recycleMaxSize->setPlaceholderText(tr("no limit"));
    m_recycleMaxSize->setToolTip(tr("Larger files are deleted at once."));
    m_recycleMaxSize->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_recycleMaxSize));
    recycleForm->addRow(tr("Maximum file size (bytes):"), m_recycleMaxSize);
    m_exclude = new QLineEdit(m_recycle);
    m_exclude->setObjectName(QStringLiteral("lineEditRecycleExclude"));
    m_exclude->setPlaceholderText(QStringLiteral("*.tmp, ~$*"));
    m_exclude->setToolTip(tr("Files matching these patterns are deleted at once; * and ? are wildcards."));
    recycleForm->addRow(tr("&Exclude files:"), m_exclude);
    m_excludeDir = new QLineEdit(m_recycle);
    m_excludeDir->setObjectName(QStringLiteral("lineEditRecycleExcludeDir"));
    m_excludeDir->setToolTip(tr("Files in directories matching these patterns are deleted at once."));
    recycleForm->addRow(tr("Exclude &directories:"), m_excludeDir);
    layout->addWidget(m_recycle);

    auto *apple = new QGroupBox(tr("Apple clients"), this);
    apple->setObjectName(QStringLiteral("groupBoxApple"));
    auto *appleLayout = new QVBoxLayout(apple);
    m_apple = new QCheckBox(tr("Extensions for macOS clients (catia, fruit, streams_xattr)"), apple);
    m_apple->setObjectName(QStringLiteral("checkBoxAppleClients"));
    appleLayout->addWidget(m_apple);
    m_timeMachine = new QCheckBox(tr("Time Machine backup target"), apple);
    m_timeMachine->setObjectName(QStringLiteral("checkBoxTimeMachine"));
    appleLayout->addWidget(m_timeMachine);
    auto *sizeLayout = new QHBoxLayout;
    auto *sizeLabel = new QLabel(tr("Maximum &size of the backups:"), apple);
    m_timeMachineSize = new QLineEdit(apple);
    m_timeMachineSize->setObjectName(QStringLiteral("lineEditTimeMachineMaxSize"));
    m_timeMachineSize->setPlaceholderText(tr("e.g. 1T"));
    m_timeMachineSize->setToolTip(tr("A number with an optional unit K, M, G, T or P; empty for no limit."));
    // Samba reads a size as digits with one optional unit letter, in any case.
    m_timeMachineSize->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("([0-9]+[KMGTPkmgtp]?)?")), m_timeMachineSize));
    sizeLabel->setBuddy(m_timeMachineSize);
    sizeLayout->addWidget(sizeLabel);
    sizeLayout->addWidget(m_timeMachineSize);
    appleLayout->addLayout(sizeLayout);
    layout->addWidget(apple);

    auto *versions = new QGroupBox(tr("Previous versions"), this);
    versions->setObjectName(QStringLiteral("groupBoxPreviousVersions"));
    versions->setToolTip(tr("Snapshots of the share's file system offered to Windows clients."));
    auto *versionsForm = new QFormLayout(versions);
    m_previousVersions = new QComboBox(versions);
    m_previousVersions->setObjectName(QStringLiteral("comboBoxPreviousVersions"));
    m_previousVersions->addItem(tr("None"), int(PreviousVersions::None));
    m_previousVersions->addItem(tr("Snapper (btrfs)"), int(PreviousVersions::Snapper));
    m_previousVersions->addItem(tr("ZFS"), int(PreviousVersions::Zfs));
    m_previousVersions->addItem(tr("Custom"), int(PreviousVersions::Custom));
    versionsForm->addRow(tr("S&napshots:"), m_previousVersions);
    m_snapDir = new QLineEdit(versions);
    m_snapDir->setObjectName(QStringLiteral("lineEditSnapshotDirectory"));
    versionsForm->addRow(tr("Snapshot di&rectory:"), m_snapDir);
    m_format = new QLineEdit(versions);
    m_format->setObjectName(QStringLiteral("lineEditSnapshotFormat"));
    m_format->setToolTip(tr("The strftime format of a snapshot's name."));
    versionsForm->addRow(tr("Name forma&t:"), m_format);
    layout->addWidget(versions);
    layout->addStretch();

    m_recycle->setChecked(false);
    updateTimeMachineSize();
    showPreviousVersions();
}

void ShareFeaturesWidget::setRecord(const Share &record)
{
    m_original = record;
    m_recycle->setChecked(ShareFeatures::recycleBin(record));
    fillRecycle(record);

    m_apple->setChecked(ShareFeatures::appleClients(record));
    m_timeMachineAtOpen = ShareFeatures::timeMachine(record);
    m_timeMachine->setChecked(m_timeMachineAtOpen);
    m_timeMachineSizeAtOpen = option(record, s_fruit, Fruit::TimeMachineMaxSize);
    m_timeMachineSize->setText(m_timeMachineSizeAtOpen);
    updateTimeMachineSize();

    m_presetAtOpen = ShareFeatures::previousVersions(record);
    m_snapDirAtOpen = option(record, s_shadowCopy, ShadowCopy::SnapDir);
    m_formatAtOpen = option(record, s_shadowCopy, ShadowCopy::Format);
    m_previousVersions->setCurrentIndex(m_previousVersions->findData(int(m_presetAtOpen)));
    showPreviousVersions();

    applyInventory();
    // Connected only now, so that filling the form does not count as a change.
    connectForm();
}

void ShareFeaturesWidget::setGlobalRecord(const Share &global)
{
    m_globalKnown = true;
    m_globalHasApple = ShareFeatures::appleClients(global);
}

void ShareFeaturesWidget::setInstalledModules(const VfsModuleInventory &inventory)
{
    m_inventory = inventory;
    applyInventory();
}

void ShareFeaturesWidget::applyInventory()
{
    ModuleControl::require(m_recycle, m_inventory, {s_recycle}, m_original.hasVfsModule(s_recycle));
    // catia or streams_xattr alone serve other ends; with fruit the boxes can take it away.
    const QStringList apple = Fruit::appleModules();
    const bool appleUsed = m_original.hasVfsModule(s_fruit);
    ModuleControl::require(m_apple, m_inventory, apple, appleUsed);
    ModuleControl::require(m_timeMachine, m_inventory, apple, appleUsed);
    // The choice goes only when no preset's module is there; otherwise the presets whose
    // module is missing go.
    const QStringList snapshots{s_shadowCopy, s_snapper};
    const bool noneThere = m_inventory.missing(snapshots).size() == snapshots.size();
    ModuleControl::require(m_previousVersions, noneThere ? m_inventory : VfsModuleInventory(), snapshots,
                           usesAny(m_original, snapshots));
    auto *presets = qobject_cast<QStandardItemModel *>(m_previousVersions->model());
    for (int row = 0; row < m_previousVersions->count(); ++row) {
        const auto preset = static_cast<PreviousVersions>(m_previousVersions->itemData(row).toInt());
        if (preset == PreviousVersions::None)
            continue;
        const QString module = preset == PreviousVersions::Snapper ? s_snapper : s_shadowCopy;
        const bool available = m_inventory.isInstalled(module) || m_original.hasVfsModule(module);
        QStandardItem *item = presets->item(row);
        item->setEnabled(available);
        item->setToolTip(available ? QString() : ModuleControl::missingText({module}));
    }
}

void ShareFeaturesWidget::connectForm()
{
    connect(m_recycle, &QGroupBox::toggled, this, &ShareFeaturesWidget::recycleToggled);
    connect(m_apple, &QCheckBox::toggled, this, &ShareFeaturesWidget::appleToggled);
    connect(m_timeMachine, &QCheckBox::toggled, this, &ShareFeaturesWidget::timeMachineToggled);
    connect(m_previousVersions, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        showPreviousVersions();
        emit stateChanged();
    });
    for (QCheckBox *box : {m_keepTree, m_versions, m_touch})
        connect(box, &QCheckBox::toggled, this, &ShareFeaturesWidget::stateChanged);
    for (QLineEdit *edit :
         {m_repository, m_recycleMaxSize, m_exclude, m_excludeDir, m_timeMachineSize, m_snapDir, m_format})
        connect(edit, &QLineEdit::textChanged, this, &ShareFeaturesWidget::stateChanged);
}

void ShareFeaturesWidget::fillRecycle(const Share &record)
{
    RecycleFields fields;
    if (const auto module = optionModule(record, s_recycle)) {
        fields.repository = module->option(RecycleBin::Repository);
        fields.keepTree = module->flag(RecycleBin::KeepTree, false);
        fields.versions = module->flag(RecycleBin::Versions, false);
        fields.touch = module->flag(RecycleBin::Touch, false);
        fields.maxSize = module->option(RecycleBin::MaxSize);
        fields.exclude = module->option(RecycleBin::Exclude);
        fields.excludeDir = module->option(RecycleBin::ExcludeDir);
    }
    m_recycleShown = fields;
    m_repository->setText(fields.repository);
    m_keepTree->setChecked(fields.keepTree);
    m_versions->setChecked(fields.versions);
    m_touch->setChecked(fields.touch);
    m_recycleMaxSize->setText(fields.maxSize);
    m_exclude->setText(fields.exclude);
    m_excludeDir->setText(fields.excludeDir);
}

void ShareFeaturesWidget::recycleToggled(bool on)
{
    // Turned on, the fields show what ShareFeatures makes of the share: the suggested
    // repository for a share without one, or the share's own settings.
    if (on) {
        Share proposed = m_original;
        ShareFeatures::setRecycleBin(proposed, true);
        fillRecycle(proposed);
    }
    emit stateChanged();
}

void ShareFeaturesWidget::appleToggled(bool on)
{
    if (on)
        offerGlobalModules();
    else
        m_timeMachine->setChecked(false);
    emit stateChanged();
}

void ShareFeaturesWidget::timeMachineToggled(bool on)
{
    // Time Machine works only through the Apple extensions.
    if (on)
        m_apple->setChecked(true);
    updateTimeMachineSize();
    emit stateChanged();
}

void ShareFeaturesWidget::offerGlobalModules()
{
    // vfs_fruit(8): macOS negotiates the Apple extensions on its first connection; when that
    // share lacks fruit, they stay off for every share of the server.
    if (!m_globalKnown || m_globalHasApple || m_offered)
        return;
    m_offered = true;
    m_addAppleToGlobal =
        QMessageBox::question(this, tr("Apple clients"),
                              tr("macOS clients turn Apple's SMB extensions off for the whole server when "
                                 "the first share they open lacks the fruit module.\n\n"
                                 "Add catia, fruit and streams_xattr to [global] too, as Samba recommends "
                                 "for macOS clients?"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

void ShareFeaturesWidget::updateTimeMachineSize()
{
    m_timeMachineSize->setEnabled(m_timeMachine->isChecked());
}

ShareFeatures::PreviousVersions ShareFeaturesWidget::currentPreset() const
{
    return static_cast<PreviousVersions>(m_previousVersions->currentData().toInt());
}

void ShareFeaturesWidget::showPreviousVersions()
{
    const PreviousVersions preset = currentPreset();
    const bool custom = preset == PreviousVersions::Custom;
    m_snapDir->setEnabled(custom);
    m_format->setEnabled(custom);
    const bool snapper = preset == PreviousVersions::Snapper;
    m_snapDir->setPlaceholderText(snapper ? tr("snapper's: .snapshots/NUMBER/snapshot") : s_defaultSnapDir);
    m_format->setPlaceholderText(snapper ? tr("snapper's numbers") : s_defaultFormat);
    if (preset == PreviousVersions::None) {
        m_snapDir->clear();
        m_format->clear();
    } else if (!custom) {
        const auto snapshots = presetSnapshots(preset);
        m_snapDir->setText(snapshots.first);
        m_format->setText(snapshots.second);
    } else if (m_presetAtOpen == PreviousVersions::Custom) {
        m_snapDir->setText(m_snapDirAtOpen);
        m_format->setText(m_formatAtOpen);
    }
    // Otherwise the preset shown last stays as the start of a custom setting.
}

void ShareFeaturesWidget::writeRecord(Share &record) const
{
    writeRecycle(record);
    writeApple(record);
    writePreviousVersions(record);
}

void ShareFeaturesWidget::writeRecycle(Share &record) const
{
    const bool on = m_recycle->isChecked();
    if (on != ShareFeatures::recycleBin(record))
        ShareFeatures::setRecycleBin(record, on);
    if (!on)
        return;
    std::shared_ptr<RecycleBin> module;
    const auto edited = [&]() -> RecycleBin & {
        if (!module)
            module = editableModule<RecycleBin>(record, s_recycle);
        return *module;
    };
    const auto text = [&](const QLineEdit *edit, const QString &shown, const QString &key) {
        if (edit->text() != shown)
            edited().setOption(key, valueOf(edit));
    };
    const auto flag = [&](const QCheckBox *box, bool shown, const QString &key) {
        if (box->isChecked() != shown)
            edited().setFlag(key, box->isChecked());
    };
    text(m_repository, m_recycleShown.repository, RecycleBin::Repository);
    flag(m_keepTree, m_recycleShown.keepTree, RecycleBin::KeepTree);
    flag(m_versions, m_recycleShown.versions, RecycleBin::Versions);
    flag(m_touch, m_recycleShown.touch, RecycleBin::Touch);
    text(m_recycleMaxSize, m_recycleShown.maxSize, RecycleBin::MaxSize);
    text(m_exclude, m_recycleShown.exclude, RecycleBin::Exclude);
    text(m_excludeDir, m_recycleShown.excludeDir, RecycleBin::ExcludeDir);
    if (module)
        record.addVfsModule(module);
}

void ShareFeaturesWidget::writeApple(Share &record) const
{
    if (m_timeMachine->isChecked()) {
        if (!m_timeMachineAtOpen || m_timeMachineSize->text() != m_timeMachineSizeAtOpen)
            ShareFeatures::setTimeMachine(record, true, valueOf(m_timeMachineSize));
        return;
    }
    if (m_timeMachineAtOpen)
        ShareFeatures::setTimeMachine(record, false);
    if (m_apple->isChecked() != ShareFeatures::appleClients(record))
        ShareFeatures::setAppleClients(record, m_apple->isChecked());
}

void ShareFeaturesWidget::writePreviousVersions(Share &record) const
{
    const PreviousVersions preset = currentPreset();
    if (preset == PreviousVersions::Custom) {
        if (m_presetAtOpen != preset || m_snapDir->text() != m_snapDirAtOpen
            || m_format->text() != m_formatAtOpen)
            ShareFeatures::setPreviousVersions(record, preset, valueOf(m_snapDir), valueOf(m_format));
    } else if (preset != m_presetAtOpen) {
        ShareFeatures::setPreviousVersions(record, preset);
    }
}

QLineEdit *ShareFeaturesWidget::refusedField(QString *label) const
{
    QList<QPair<QLineEdit *, QString>> written;
    if (m_recycle->isChecked())
        written = {{m_repository, tr("Folder")},
                   {m_exclude, tr("Exclude files")},
                   {m_excludeDir, tr("Exclude directories")}};
    if (currentPreset() == PreviousVersions::Custom)
        written += {{m_snapDir, tr("Snapshot directory")}, {m_format, tr("Name format")}};
    for (const auto &field : written) {
        const QString text = field.first->text();
        const bool lineBreak = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
        // Written trimmed, as valueOf() takes it.
        if (!ConfigTextGate::fieldRefusal(field.second, lineBreak ? text : text.trimmed()).isEmpty()) {
            if (label)
                *label = field.second;
            return field.first;
        }
    }
    return nullptr;
}
