#pragma once

#include "share.h"
#include "sharefeatures.h"
#include "vfsmoduleinventory.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

// The Features tab of the share dialog: a recycle bin, Apple clients with Time Machine, and
// previous versions from snapshots, each turned on and off as ShareFeatures does. A field
// writes its option only when it differs from what the form showed, so that an untouched
// form leaves the record as it was.
class ShareFeaturesWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ShareFeaturesWidget(QWidget *parent = nullptr);
    ~ShareFeaturesWidget() override;

    // Fills the form, then starts reporting changes; call once per widget.
    void setRecord(const Share &record);
    // The [global] record: turning Apple clients on offers to add catia, fruit and
    // streams_xattr there when it lacks them. Without it nothing is offered.
    void setGlobalRecord(const Share &global);
    // Disables the features whose modules are missing, except those the record uses.
    void setInstalledModules(const VfsModuleInventory &inventory);

    // Changes only what the form changed; stores new module objects, as copies of a record
    // share their modules.
    void writeRecord(Share &record) const;
    // Whether the administrator agreed to add the Apple modules to [global].
    bool addsAppleModulesToGlobal() const { return m_addAppleToGlobal; }
    // The first field writeRecord() would write that Samba would read otherwise (a line
    // break, a backslash at the end), and its label;
    // nullptr when there is none.
    QLineEdit *refusedField(QString *label) const;

signals:
    // Anything in the form changed after setRecord().
    void stateChanged();

private:
    // What the recycle bin's fields showed when they were last filled.
    struct RecycleFields
    {
        QString repository;
        bool keepTree = false;
        bool versions = false;
        bool touch = false;
        QString maxSize;
        QString exclude;
        QString excludeDir;
    };

    void buildForm();
    void connectForm();
    void fillRecycle(const Share &record);
    void recycleToggled(bool on);
    void appleToggled(bool on);
    void timeMachineToggled(bool on);
    void offerGlobalModules();
    void updateTimeMachineSize();
    void showPreviousVersions();
    ShareFeatures::PreviousVersions currentPreset() const;
    void applyInventory();

    void writeRecycle(Share &record) const;
    void writeApple(Share &record) const;
    void writePreviousVersions(Share &record) const;

    Share m_original;
    RecycleFields m_recycleShown;
    bool m_timeMachineAtOpen = false;
    QString m_timeMachineSizeAtOpen;
    ShareFeatures::PreviousVersions m_presetAtOpen = ShareFeatures::PreviousVersions::None;
    QString m_snapDirAtOpen;
    QString m_formatAtOpen;
    bool m_globalKnown = false;
    bool m_globalHasApple = false;
    bool m_offered = false;
    bool m_addAppleToGlobal = false;
    VfsModuleInventory m_inventory;

    QGroupBox *m_recycle = nullptr;
    QLineEdit *m_repository = nullptr;
    QCheckBox *m_keepTree = nullptr;
    QCheckBox *m_versions = nullptr;
    QCheckBox *m_touch = nullptr;
    QLineEdit *m_recycleMaxSize = nullptr;
    QLineEdit *m_exclude = nullptr;
    QLineEdit *m_excludeDir = nullptr;
    QCheckBox *m_apple = nullptr;
    QCheckBox *m_timeMachine = nullptr;
    QLineEdit *m_timeMachineSize = nullptr;
    QComboBox *m_previousVersions = nullptr;
    QLineEdit *m_snapDir = nullptr;
    QLineEdit *m_format = nullptr;
};
