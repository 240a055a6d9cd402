#include "accountlistdialog.h"

#include "ui_usersdialog.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

AccountListDialog::AccountListDialog(const QStringList &names, const QStringList &candidates, bool editable,
                                     const Texts &texts, QWidget *parent)
    : QDialog(parent)
    , m_editable(editable)
    , m_texts(texts)
    , m_candidates(candidates)
    , m_ui(std::make_unique<Ui::UsersDialog>())
{
    m_ui->setupUi(this);
    if (!m_editable)
        m_ui->pushButtonEditUser->hide();
    m_ui->listWidgetSambaUsers->addItems(names);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    connect(m_ui->listWidgetSambaUsers, &QListWidget::currentRowChanged, this,
            &AccountListDialog::updateButtons);
    connect(m_ui->listWidgetSambaUsers, &QWidget::customContextMenuRequested, this,
            &AccountListDialog::showContextMenu);
    connect(m_ui->pushButtonAddUser, &QPushButton::clicked, this, &AccountListDialog::addAccount);
    if (m_editable)
        connect(m_ui->pushButtonEditUser, &QPushButton::clicked, this, &AccountListDialog::editAccount);
    connect(m_ui->pushButtonDeleteUser, &QPushButton::clicked, this, &AccountListDialog::deleteAccount);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &AccountListDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &AccountListDialog::reject);
}

AccountListDialog::~AccountListDialog() = default;

void AccountListDialog::updateButtons(int row)
{
    m_ui->pushButtonEditUser->setEnabled(row >= 0);
    m_ui->pushButtonDeleteUser->setEnabled(row >= 0);
}

void AccountListDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void AccountListDialog::showAccount(const QString &name)
{
    if (m_ui->listWidgetSambaUsers->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
        m_ui->listWidgetSambaUsers->addItem(name);
}

QListWidgetItem *AccountListDialog::selectedItem()
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->currentItem();
    if (item && !item->text().isEmpty())
        return item;
    QMessageBox::warning(this, tr("Warning"), m_texts.noneSelected);
    return nullptr;
}

void AccountListDialog::addAccount()
{
    QStringList free;
    for (const QString &candidate : qAsConst(m_candidates)) {
        if (!contains(candidate))
            free << candidate;
    }
    if (free.isEmpty()) {
        QMessageBox::critical(this, tr("Error"), m_texts.noFree);
        return;
    }
    openAccountDialog(free, QString());
}

void AccountListDialog::editAccount()
{
    if (const QListWidgetItem *item = selectedItem())
        openAccountDialog({item->text()}, item->text());
}

void AccountListDialog::deleteAccount()
{
    QListWidgetItem *item = selectedItem();
    if (!item
        || QMessageBox::question(this, tr("Question"), m_texts.deleteQuestion,
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
            != QMessageBox::Ok)
        return;
    removeAccount(item->text());
    delete m_ui->listWidgetSambaUsers->takeItem(m_ui->listWidgetSambaUsers->row(item));
    enableOk();
}

void AccountListDialog::showContextMenu(const QPoint &position)
{
    QListWidgetItem *item = m_ui->listWidgetSambaUsers->itemAt(position);
    QMenu menu(this);
    QAction *edit = nullptr;
    QAction *remove = nullptr;
    if (item) {
        // The commands act on the current item: the one under the cursor.
        m_ui->listWidgetSambaUsers->setCurrentItem(item);
        if (m_editable)
            edit = menu.addAction(QIcon::fromTheme(QStringLiteral("document-edit")), tr("Edit..."));
        remove = menu.addAction(QIcon::fromTheme(QStringLiteral("document-close")), tr("Delete..."));
    }
    QAction *add = menu.addAction(QIcon::fromTheme(QStringLiteral("document-new")), tr("Add"));

    // Run after the menu closed, so that their dialogs do not open inside its event loop.
    QAction *chosen = menu.exec(QCursor::pos());
    if (!chosen)
        return;
    if (chosen == add)
        addAccount();
    else if (chosen == edit)
        editAccount();
    else if (chosen == remove)
        deleteAccount();
}
