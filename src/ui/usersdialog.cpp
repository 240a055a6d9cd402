#include "usersdialog.h"

#include "ui_usersdialog.h"
#include "userdialog.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

UsersDialog::UsersDialog(SambaUserMap *users, const QStringList &candidates, QWidget *parent,
                         const QString &useraddProgram, const QString &settingsProgram)
    : QDialog(parent)
    , m_users(users)
    , m_original(*users)
    , m_candidates(candidates)
    , m_useraddProgram(useraddProgram)
    , m_settingsProgram(settingsProgram)
    , m_ui(std::make_unique<Ui::UsersDialog>())
{
    m_ui->setupUi(this);
    for (auto it = m_users->cbegin(); it != m_users->cend(); ++it)
        m_ui->listWidgetSambaUsers->addItem(it.key());
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    connect(m_ui->listWidgetSambaUsers, &QListWidget::currentRowChanged, this, &UsersDialog::updateButtons);
    connect(m_ui->listWidgetSambaUsers, &QWidget::customContextMenuRequested, this,
            &UsersDialog::showContextMenu);
    connect(m_ui->pushButtonAddUser, &QPushButton::clicked, this, &UsersDialog::addUser);
    connect(m_ui->pushButtonEditUser, &QPushButton::clicked, this, &UsersDialog::editUser);
    connect(m_ui->pushButtonDeleteUser, &QPushButton::clicked, this, &UsersDialog::deleteUser);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &UsersDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &UsersDialog::reject);
}

UsersDialog::~UsersDialog() = default;

QString UsersDialog::defaultUseraddProgram()
{
    return UserDialog::defaultUseraddProgram();
}

QString UsersDialog::defaultSettingsProgram()
{
    return UserDialog::defaultSettingsProgram();
}

void UsersDialog::reject()
{
    *m_users = m_original;
    QDialog::reject();
}

void UsersDialog::updateButtons(int row)
{
    m_ui->pushButtonEditUser->setEnabled(row >= 0);
    m_ui->pushButtonDeleteUser->setEnabled(row >= 0);
}

void UsersDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void UsersDialog::showUser(const QString &name)
{
    if (m_ui->listWidgetSambaUsers->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
        m_ui->listWidgetSambaUsers->addItem(name);
}

void UsersDialog::addUser()
{
    QStringList free;
    for (const QString &candidate : qAsConst(m_candidates)) {
        if (!m_users->contains(candidate))
            free << candidate;
    }
    if (free.isEmpty()) {
        QMessageBox::critical(
            this, tr("Error"),
            tr("No present any free system's user. Please call administrator for entering new one."));
        return;
    }

    UserDialog dialog(SambaUser(), free, m_candidates, this, m_useraddProgram, m_settingsProgram);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Users created in the dialog exist on the system even when it was cancelled.
    m_candidates = dialog.candidates();
    if (!accepted)
        return;
    const SambaUser record = dialog.record();
    m_users->insert(record.name(), record);
    showUser(record.name());
    enableOk();
}

void UsersDialog::editUser()
{
    const QListWidgetItem *item = m_ui->listWidgetSambaUsers->currentItem();
    const QString name = item ? item->text() : QString();
    if (name.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("No user's selected"));
        return;
    }

    UserDialog dialog(m_users->value(name), {name}, m_candidates, this, m_useraddProgram, m_settingsProgram);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_candidates = dialog.candidates();
    if (!accepted)
        return;
    // A user created in the dialog and chosen there becomes an account of its own; the
    // edited one stays until it is deleted.
    const SambaUser record = dialog.record();
    m_users->insert(record.name(), record);
    showUser(record.name());
    enableOk();
}

void UsersDialog::deleteUser()
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->currentItem();
    const QString name = item ? item->text() : QString();
    if (name.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("No user's selected"));
        return;
    }
    if (QMessageBox::question(this, tr("Question"), tr("Are you sure to delete the user?"),
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        != QMessageBox::Ok)
        return;
    m_users->remove(name);
    delete m_ui->listWidgetSambaUsers->takeItem(m_ui->listWidgetSambaUsers->row(item));
    enableOk();
}

void UsersDialog::showContextMenu(const QPoint &position)
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->itemAt(position);
    QMenu menu(this);
    QAction *edit = nullptr;
    QAction *remove = nullptr;
    if (item) {
        // The commands act on the current item: the one under the cursor.
        m_ui->listWidgetSambaUsers->setCurrentItem(item);
        edit = menu.addAction(QIcon::fromTheme(QStringLiteral("document-edit")), tr("Edit..."));
        remove = menu.addAction(QIcon::fromTheme(QStringLiteral("document-close")), tr("Delete..."));
    }
    QAction *add = menu.addAction(QIcon::fromTheme(QStringLiteral("document-new")), tr("Add"));

    // Run after the menu closed, so that their dialogs do not open inside its event loop.
    QAction *chosen = menu.exec(QCursor::pos());
    if (!chosen)
        return;
    if (chosen == add)
        addUser();
    else if (chosen == edit)
        editUser();
    else if (chosen == remove)
        deleteUser();
}
