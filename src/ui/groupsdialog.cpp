#include "groupsdialog.h"

#include "groupdialog.h"
#include "ui_usersdialog.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

GroupsDialog::GroupsDialog(SambaGroupMap *groups, const QStringList &candidates, QWidget *parent,
                           const QString &groupaddProgram)
    : QDialog(parent)
    , m_groups(groups)
    , m_original(*groups)
    , m_candidates(candidates)
    , m_groupaddProgram(groupaddProgram)
    , m_ui(std::make_unique<Ui::UsersDialog>())
{
    m_ui->setupUi(this);
    m_ui->pushButtonAddUser->setText(tr("Add group"));
    m_ui->pushButtonDeleteUser->setText(tr("Delete group"));
    m_ui->pushButtonEditUser->hide();
    for (auto it = m_groups->cbegin(); it != m_groups->cend(); ++it)
        m_ui->listWidgetSambaUsers->addItem(it.key());
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    connect(m_ui->listWidgetSambaUsers, &QListWidget::currentRowChanged, this, &GroupsDialog::updateButtons);
    connect(m_ui->listWidgetSambaUsers, &QWidget::customContextMenuRequested, this,
            &GroupsDialog::showContextMenu);
    connect(m_ui->pushButtonAddUser, &QPushButton::clicked, this, &GroupsDialog::addGroup);
    connect(m_ui->pushButtonDeleteUser, &QPushButton::clicked, this, &GroupsDialog::deleteGroup);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &GroupsDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &GroupsDialog::reject);
}

GroupsDialog::~GroupsDialog() = default;

QString GroupsDialog::defaultGroupaddProgram()
{
    return GroupDialog::defaultGroupaddProgram();
}

void GroupsDialog::reject()
{
    *m_groups = m_original;
    QDialog::reject();
}

void GroupsDialog::updateButtons(int row)
{
    m_ui->pushButtonEditUser->setEnabled(row >= 0);
    m_ui->pushButtonDeleteUser->setEnabled(row >= 0);
}

void GroupsDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void GroupsDialog::addGroup()
{
    QStringList free;
    for (const QString &candidate : qAsConst(m_candidates)) {
        if (!m_groups->contains(candidate))
            free << candidate;
    }
    if (free.isEmpty()) {
        QMessageBox::critical(
            this, tr("Error"),
            tr("No present any free system's group. Please call administrator for entering new one."));
        return;
    }

    GroupDialog dialog(SambaGroup(), free, m_candidates, this, m_groupaddProgram);
    dialog.setWindowTitle(tr("Add group"));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Groups created in the dialog exist on the system even when it was cancelled.
    m_candidates = dialog.candidates();
    if (!accepted)
        return;
    const SambaGroup record = dialog.record();
    m_groups->insert(record.name(), record);
    if (m_ui->listWidgetSambaUsers->findItems(record.name(), Qt::MatchExactly | Qt::MatchCaseSensitive)
            .isEmpty())
        m_ui->listWidgetSambaUsers->addItem(record.name());
    enableOk();
}

void GroupsDialog::deleteGroup()
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->currentItem();
    const QString name = item ? item->text() : QString();
    if (name.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("No group's selected"));
        return;
    }
    if (QMessageBox::question(this, tr("Question"), tr("Are you sure to delete the group?"),
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        != QMessageBox::Ok)
        return;
    m_groups->remove(name);
    delete m_ui->listWidgetSambaUsers->takeItem(m_ui->listWidgetSambaUsers->row(item));
    enableOk();
}

void GroupsDialog::showContextMenu(const QPoint &position)
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->itemAt(position);
    QMenu menu(this);
    QAction *remove = nullptr;
    if (item) {
        // The command acts on the current item: the one under the cursor.
        m_ui->listWidgetSambaUsers->setCurrentItem(item);
        remove = menu.addAction(QIcon::fromTheme(QStringLiteral("document-close")), tr("Delete..."));
    }
    QAction *add = menu.addAction(QIcon::fromTheme(QStringLiteral("document-new")), tr("Add"));

    // Run after the menu closed, so that their dialogs do not open inside its event loop.
    QAction *chosen = menu.exec(QCursor::pos());
    if (chosen == add)
        addGroup();
    else if (chosen && chosen == remove)
        deleteGroup();
}
