#pragma once

#include "sambagroup.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UserDialog;
}

// Chooses the system group behind a Samba group, on the form of the user dialog without
// its password part. A service group made here with the add button is offered from then
// on, even if the dialog is cancelled: the system group exists either way.
class GroupDialog : public QDialog
{
    Q_OBJECT

public:
    // names: the groups offered in the combo box; candidates: every system group that may
    // become a Samba group, extended by the groups created here. groupaddProgram goes to
    // the group creation dialog (tests substitute it).
    GroupDialog(const SambaGroup &record, const QStringList &names, const QStringList &candidates,
                QWidget *parent = nullptr, const QString &groupaddProgram = defaultGroupaddProgram());
    ~GroupDialog() override;

    static QString defaultGroupaddProgram();

    // The record as entered, once the dialog was accepted.
    SambaGroup record() const { return m_record; }
    QStringList candidates() const { return m_candidates; }

public slots:
    void accept() override;

private:
    void createGroup();

    SambaGroup m_record;
    QStringList m_names;
    QStringList m_candidates;
    QString m_groupaddProgram;
    std::unique_ptr<Ui::UserDialog> m_ui;
};
