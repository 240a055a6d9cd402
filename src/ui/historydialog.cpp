#include "historydialog.h"

#include "diffview.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace {

enum Column { NumberColumn, TimeColumn, UserColumn, ProgramColumn, SummaryColumn };

} // namespace

HistoryDialog::HistoryDialog(const QList<ConfigHistory::Version> &versions, int keep, DiffSource diffOf,
                             QWidget *parent)
    : QDialog(parent)
    , m_diffOf(std::move(diffOf))
    , m_keep(keep)
    , m_tree(new QTreeWidget(this))
    , m_labelKept(new QLabel(this))
    , m_againstCurrent(new QRadioButton(tr("Compare with the current file"), this))
    , m_diffView(new DiffView(this))
    , m_restore(new QPushButton(tr("Restore this version…"), this))
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(tr("History"));

    m_tree->setObjectName(QStringLiteral("treeVersions"));
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setHeaderLabels({tr("Version"), tr("Time"), tr("User"), tr("Program"), tr("Summary")});
    for (int column : {NumberColumn, TimeColumn, UserColumn, ProgramColumn})
        m_tree->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);

    m_labelKept->setObjectName(QStringLiteral("labelKept"));
    m_labelKept->setWordWrap(true);

    m_againstCurrent->setObjectName(QStringLiteral("radioAgainstCurrent"));
    m_againstCurrent->setChecked(true);
    auto *againstPrevious = new QRadioButton(tr("Compare with the version before it"), this);
    againstPrevious->setObjectName(QStringLiteral("radioAgainstPrevious"));
    m_diffView->setObjectName(QStringLiteral("diffView"));
    m_restore->setObjectName(QStringLiteral("pushButtonRestore"));
    m_restore->setAutoDefault(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *diffPanel = new QWidget(this);
    auto *diffLayout = new QVBoxLayout(diffPanel);
    diffLayout->setContentsMargins(0, 0, 0, 0);
    auto *radios = new QHBoxLayout;
    radios->addWidget(m_againstCurrent);
    radios->addWidget(againstPrevious);
    radios->addStretch(1);
    diffLayout->addLayout(radios);
    diffLayout->addWidget(m_diffView);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_tree);
    splitter->addWidget(diffPanel);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_restore);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_labelKept);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::showSelected);
    // The two buttons toggle together: one of them is enough.
    connect(m_againstCurrent, &QRadioButton::toggled, this, &HistoryDialog::showSelected);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (const int number = selectedVersion())
            emit restoreRequested(number);
    });

    setVersions(versions);
    resize(900, 650);
}

void HistoryDialog::setRegistryFile(const QString &file)
{
    m_registryFile = file;
    setVersions(m_versions);
}

void HistoryDialog::setVersions(const QList<ConfigHistory::Version> &versions)
{
    m_versions = versions;
    const int selected = selectedVersion();
    {
        // Filling selects nothing yet: the diff is asked for once, below.
        const QSignalBlocker blocker(m_tree);
        m_tree->clear();
        QList<QTreeWidgetItem *> items;
        QTreeWidgetItem *reselected = nullptr;
        for (const ConfigHistory::Version &version : versions) {
            auto *item = new QTreeWidgetItem(
                {QString::number(version.number),
                 version.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), version.user,
                 version.program, version.summary});
            item->setData(NumberColumn, Qt::UserRole, version.number);
            item->setTextAlignment(NumberColumn, Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(SummaryColumn, version.summary);
            if (!m_registryFile.isEmpty() && version.file == m_registryFile) {
                item->setText(NumberColumn, tr("%1 (registry)").arg(version.number));
                item->setToolTip(NumberColumn, tr("A version of Samba's registry configuration"));
            }
            if (version.number == selected)
                reselected = item;
            items << item;
        }
        m_tree->addTopLevelItems(items);
        if (!reselected && !items.isEmpty())
            reselected = items.first();
        if (reselected)
            m_tree->setCurrentItem(reselected);
    }
    updateKept(versions.size());
    showSelected();
}

int HistoryDialog::selectedVersion() const
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(NumberColumn, Qt::UserRole).toInt();
}

void HistoryDialog::showSelected()
{
    const int number = selectedVersion();
    m_restore->setEnabled(number > 0);
    const QString diff = number > 0 && m_diffOf ? m_diffOf(number, m_againstCurrent->isChecked()) : QString();
    // The placeholder shows in the empty view: a version the same as what it is compared with.
    m_diffView->setPlaceholderText(number > 0 && diff.isEmpty() ? tr("No differences.") : QString());
    m_diffView->setDiff(diff);
}

void HistoryDialog::updateKept(int count)
{
    const QString stored = count == 0 ? tr("No version of smb.conf is stored yet.")
        : count == 1                  ? tr("1 version of smb.conf is stored.")
                                      : tr("%1 versions of smb.conf are stored.").arg(count);
    const QString kept =
        m_keep == 1 ? tr("Only the newest is kept.") : tr("The newest %1 are kept.").arg(m_keep);
    m_labelKept->setText(stored + QLatin1Char(' ') + kept);
}
