#pragma once

#include "sambagroup.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UsersDialog;
}

class QPoint;

// The Samba groups, on the form of the users dialog: adds a system group as Samba group
// or removes one; a group has nothing to edit. Changes go into the map as they are made;
// Cancel puts the map back as it was when the dialog opened.
class GroupsDialog : public QDialog
{
    Q_OBJECT

public:
    // candidates: the system groups that may become Samba groups. groupaddProgram reaches
    // the group creation dialog (tests substitute it).
    GroupsDialog(SambaGroupMap *groups, const QStringList &candidates, QWidget *parent = nullptr,
                 const QString &groupaddProgram = defaultGroupaddProgram());
    ~GroupsDialog() override;

    static QString defaultGroupaddProgram();

    // With the service groups created on the way, also after Cancel.
    QStringList candidates() const { return m_candidates; }

public slots:
    void reject() override;

private:
    void updateButtons(int row);
    void addGroup();
    void deleteGroup();
    void showContextMenu(const QPoint &position);
    void enableOk();

    SambaGroupMap *m_groups;
    SambaGroupMap m_original;
    QStringList m_candidates;
    QString m_groupaddProgram;
    std::unique_ptr<Ui::UsersDialog> m_ui;
};
