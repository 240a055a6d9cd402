#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CreateUserDialog;
}

// Creates a service group on the system with "groupadd NAME". Shares the form of the user
// creation; a group has no password, so the security policy button is never shown.
class CreateGroupDialog : public QDialog
{
    Q_OBJECT

public:
    // program: groupadd; a parameter so that tests can substitute it.
    explicit CreateGroupDialog(QWidget *parent = nullptr, const QString &program = defaultProgram());
    ~CreateGroupDialog() override;

    // SystemPrograms::groupadd()
    static QString defaultProgram();

    // The group made, empty until a creation succeeded.
    QString createdName() const { return m_createdName; }

private:
    void create();

    QString m_program;
    QString m_createdName;
    std::unique_ptr<Ui::CreateUserDialog> m_ui;
};
