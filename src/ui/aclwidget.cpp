#include "aclwidget.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "modulecontrol.h"
#include "share.h"
#include "ui_aclwidget.h"

#include <QCheckBox>

#include <iterator>

namespace {

const QString s_tdbModule = QStringLiteral("acl_tdb");
const QString s_xattrModule = QStringLiteral("acl_xattr");

// The record's side of each parameter box, in the order of ACLWidget::parameterBoxes().
struct ParameterFlag
{
    bool (Share::*get)() const;
    void (Share::*set)(bool);
};

const ParameterFlag s_parameterFlags[] = {
    {&Share::ntAclSupport, &Share::setNtAclSupport},
    {&Share::inheritAcls, &Share::setInheritAcls},
    {&Share::mapAclInherit, &Share::setMapAclInherit},
    {&Share::dosFilemode, &Share::setDosFilemode},
    {&Share::storeDosAttributes, &Share::setStoreDosAttributes},
    {&Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
    {&Share::aclGroupControl, &Share::setAclGroupControl},
    {&Share::aclMapFullControl, &Share::setAclMapFullControl},
    {&Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
};

static_assert(std::size(s_parameterFlags) == 9, "one flag for each parameter box");

} // namespace

ACLWidget::ACLWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ACLWidget>())
{
    m_ui->setupUi(this);
}

ACLWidget::~ACLWidget() = default;

void ACLWidget::setRecord(const Share &record)
{
    // [global] has nothing above it to fall back to but Samba's own defaults.
    if (record.originalName().toLower() == QLatin1String("global"))
        m_ui->checkBoxByDefault->setText(tr("By default (Use predefinded samba parameters)."));
    else
        m_ui->checkBoxByDefault->setText(tr("By default (Use global samba server parameters)."));
    m_ui->checkBoxByDefault->setChecked(record.aclByDefault());
    updateEnabled();

    // smb.conf may name both modules; acl_tdb wins, and saving then drops acl_xattr.
    std::shared_ptr<ACL> module;
    if (record.hasVfsModule(s_tdbModule)) {
        m_ui->radioButtonTDB->setChecked(true);
        module = std::dynamic_pointer_cast<ACL>(record.vfsModule(s_tdbModule));
    } else if (record.hasVfsModule(s_xattrModule)) {
        m_ui->radioButtonXattr->setChecked(true);
        module = std::dynamic_pointer_cast<ACL>(record.vfsModule(s_xattrModule));
    } else {
        m_ui->radioButtonNone->setChecked(true);
    }
    m_usesTdb = record.hasVfsModule(s_tdbModule);
    m_usesXattr = record.hasVfsModule(s_xattrModule);
    applyInventory();
    if (module) {
        m_ui->checkBoxIgnoreSystemACLs->setChecked(module->ignoreSystemAcls());
        // A style the combo does not offer leaves it where it is.
        const int styleIndex = m_ui->comboBoxDefaultACLStyle->findText(module->defaultAclStyle());
        if (styleIndex >= 0)
            m_ui->comboBoxDefaultACLStyle->setCurrentIndex(styleIndex);
    }
    updateModuleOptionsEnabled();

    const QList<QCheckBox *> boxes = parameterBoxes();
    for (int i = 0; i < boxes.size(); ++i)
        boxes.at(i)->setChecked((record.*s_parameterFlags[i].get)());

    // Connected only now, so that filling the form does not count as a change.
    connect(m_ui->checkBoxByDefault, &QCheckBox::clicked, this, [this] {
        updateEnabled();
        emit stateChanged();
    });
    for (QRadioButton *radio : {m_ui->radioButtonNone, m_ui->radioButtonXattr, m_ui->radioButtonTDB}) {
        connect(radio, &QRadioButton::clicked, this, [this] {
            updateModuleOptionsEnabled();
            emit stateChanged();
        });
    }
    connect(m_ui->checkBoxIgnoreSystemACLs, &QCheckBox::stateChanged, this, &ACLWidget::stateChanged);
    for (QCheckBox *box : boxes)
        connect(box, &QCheckBox::stateChanged, this, &ACLWidget::stateChanged);
    connect(m_ui->comboBoxDefaultACLStyle, &QComboBox::currentTextChanged, this, &ACLWidget::stateChanged);
}

void ACLWidget::writeRecord(Share &record) const
{
    std::shared_ptr<ACL> module;
    if (m_ui->radioButtonTDB->isChecked()) {
        module = std::make_shared<ACLTDB>();
        record.removeVfsModule(s_xattrModule);
    } else if (m_ui->radioButtonXattr->isChecked()) {
        module = std::make_shared<ACLXAttr>();
        record.removeVfsModule(s_tdbModule);
    } else {
        record.removeVfsModule(s_tdbModule);
        record.removeVfsModule(s_xattrModule);
    }
    if (module) {
        module->setIgnoreSystemAcls(m_ui->checkBoxIgnoreSystemACLs->isChecked());
        // The combo's items are smb.conf values and never translated.
        module->setDefaultAclStyle(m_ui->comboBoxDefaultACLStyle->currentText());
        record.addVfsModule(module);
    }

    // Kept even when the section falls back to the defaults, so that unticking "by
    // default" later brings back what was shown.
    const QList<QCheckBox *> boxes = parameterBoxes();
    for (int i = 0; i < boxes.size(); ++i)
        (record.*s_parameterFlags[i].set)(boxes.at(i)->isChecked());

    if (m_ui->checkBoxByDefault->isChecked()) {
        record.setAclByDefault(true);
        record.removeVfsModule(s_tdbModule);
        record.removeVfsModule(s_xattrModule);
    } else {
        record.setAclByDefault(false);
    }
}

void ACLWidget::setInstalledModules(const VfsModuleInventory &inventory)
{
    m_inventory = inventory;
    applyInventory();
}

void ACLWidget::applyInventory()
{
    ModuleControl::require(m_ui->radioButtonTDB, m_inventory, {s_tdbModule}, m_usesTdb);
    ModuleControl::require(m_ui->radioButtonXattr, m_inventory, {s_xattrModule}, m_usesXattr);
}

QList<QCheckBox *> ACLWidget::parameterBoxes() const
{
    return {
        m_ui->checkBoxNTACLSupport,    m_ui->checkBoxInheritACLs,        m_ui->checkBoxMapACLInherit,
        m_ui->checkBoxDOSFilemode,     m_ui->checkBoxStoreDOSAttributes, m_ui->checkBoxACLAllowExecuteAlways,
        m_ui->checkBoxACLGroupControl, m_ui->checkBoxACLMapFullControl,  m_ui->checkBoxForceUnknownACLUser};
}

void ACLWidget::updateEnabled()
{
    const bool own = !m_ui->checkBoxByDefault->isChecked();
    m_ui->groupBoxModule->setEnabled(own);
    for (QCheckBox *box : parameterBoxes())
        box->setEnabled(own);
    updateModuleOptionsEnabled();
}

void ACLWidget::updateModuleOptionsEnabled()
{
    m_ui->groupBoxModuleOptions->setEnabled(m_ui->radioButtonTDB->isChecked()
                                            || m_ui->radioButtonXattr->isChecked());
}
