#pragma once

#include "vfsmoduleinventory.h"

#include <QList>
#include <QWidget>

#include <memory>

namespace Ui {
class ACLWidget;
}

class QCheckBox;
class Share;

// The ACL settings of one smb.conf section: the acl_tdb or acl_xattr module with its two
// options, and the nine ACL parameters. The share dialog shows it for a share, the server
// settings dialog for [global], whose values the shares fall back to.
class ACLWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ACLWidget(QWidget *parent = nullptr);
    ~ACLWidget() override;

    // Fills the form, then starts reporting changes; call once per widget.
    void setRecord(const Share &record);
    // Stores a new module object rather than changing the record's: copies of a record
    // share their modules.
    void writeRecord(Share &record) const;
    // Disables the choice of a module this Samba lacks, unless the record uses it; without a
    // call every module counts as installed.
    void setInstalledModules(const VfsModuleInventory &inventory);

signals:
    // Anything in the form changed after setRecord().
    void stateChanged();

private:
    // The nine parameter boxes, in the order of the record flags they edit.
    QList<QCheckBox *> parameterBoxes() const;
    void updateEnabled();
    void updateModuleOptionsEnabled();
    void applyInventory();

    std::unique_ptr<Ui::ACLWidget> m_ui;
    VfsModuleInventory m_inventory;
    // The modules the record named when the form was filled.
    bool m_usesTdb = false;
    bool m_usesXattr = false;
};
