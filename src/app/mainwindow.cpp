#include "mainwindow.h"

#include "quill.h"
#include "share.h"
#include "sharemodel.h"
#include "shareproxymodel.h"
#include "testparm.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QMessageBox>
#include <QSettings>

namespace {

QIcon themeIcon(const char *name, const char *fallback)
{
    const QString theme = QString::fromLatin1(name);
    return fallback ? QIcon::fromTheme(theme, QIcon(QString::fromLatin1(fallback))) : QIcon::fromTheme(theme);
}

const char *const sizeGroup = "MainWindow";
const char *const sizeKey = "size";

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(Environment(), parent)
{
}

MainWindow::MainWindow(const Environment &environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(environment)
    , m_checker(new TestParm(environment.testparm, environment.configPath, this))
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_shares(new ShareModel(this))
    , m_sharesProxy(new ShareProxyModel([](const Share &share) { return !share.printable(); }, this))
    , m_printersProxy(new ShareProxyModel([](const Share &share) { return share.printable(); }, this))
{
    m_ui->setupUi(this);
    setUpActions();
    menuBar()->addMenu(new QuillHelpMenu(this));
    m_ui->toolBar->toggleViewAction()->setText(tr("Hide/Show toolbar"));

    m_sharesProxy->setSourceModel(m_shares);
    m_printersProxy->setSourceModel(m_shares);
    setUpView(m_ui->tableViewShares, m_sharesProxy);
    setUpView(m_ui->tableViewPrinters, m_printersProxy);

    connect(this, &MainWindow::shareSelected, this, [this] {
        m_ui->actionEditShare->setEnabled(true);
        m_ui->actionDeleteShare->setEnabled(true);
    });
    connect(this, &MainWindow::shareNotSelected, this, [this] {
        m_ui->actionEditShare->setEnabled(false);
        m_ui->actionDeleteShare->setEnabled(false);
    });
    connect(m_ui->tabWidget, &QTabWidget::currentChanged, this, &MainWindow::updateSelection);

    connect(m_ui->actionCheckConfig, &QAction::triggered, m_checker, &TestParm::requestCheckConf);
    connect(m_checker, &TestParm::confChecked, this, &MainWindow::showCheckResult);
    connect(m_checker, &TestParm::processError, this, &MainWindow::showProcessError);

    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    resize(settings.value(QLatin1String(sizeKey), QSize(640, 480)).toSize());
    m_ui->actionSave->setEnabled(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpActions()
{
    m_ui->actionAddShare->setIcon(themeIcon("list-add", ":/images/plus.png"));
    m_ui->actionEditShare->setIcon(themeIcon("document-properties", ":/images/edit.png"));
    m_ui->actionDeleteShare->setIcon(themeIcon("list-remove", ":/images/minus.png"));
    m_ui->actionStart->setIcon(themeIcon("media-playback-start", ":/images/start.png"));
    m_ui->actionStop->setIcon(themeIcon("media-playback-stop", ":/images/stop.png"));
    m_ui->actionCheckConfig->setIcon(themeIcon("document-edit-verify", nullptr));
    m_ui->actionSave->setIcon(themeIcon("document-save", ":/images/filesave.png"));
    m_ui->actionQuit->setIcon(themeIcon("application-exit", ":/images/standardbutton-close-128.png"));
    m_ui->actionEditConfig->setIcon(themeIcon("configure", ":/images/configure.png"));
    m_ui->actionSambaUsers->setIcon(themeIcon("users", ":/images/users.png"));
    m_ui->actionSambaGroups->setIcon(themeIcon("group-users", nullptr));
}

void MainWindow::setUpView(QTableView *view, ShareProxyModel *proxy)
{
    view->setModel(proxy);
    view->sortByColumn(ShareModel::NameColumn, Qt::AscendingOrder);
    view->horizontalHeader()->setHighlightSections(false);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::updateSelection);
}

QModelIndex MainWindow::selectedShare() const
{
    const bool shares = m_ui->tabWidget->currentIndex() == 0;
    const QTableView *view = shares ? m_ui->tableViewShares : m_ui->tableViewPrinters;
    const ShareProxyModel *proxy = shares ? m_sharesProxy : m_printersProxy;
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : proxy->mapToSource(selected.first());
}

void MainWindow::updateSelection()
{
    if (selectedShare().isValid())
        emit shareSelected();
    else
        emit shareNotSelected();
}

void MainWindow::showCheckResult(const TestParmResult &result)
{
    QMessageBox box;
    switch (result.status) {
    case TestParmResult::Failed:
        box.setIcon(QMessageBox::Critical);
        box.setText(tr("Failed to run testparm."));
        break;
    case TestParmResult::Errors:
        box.setIcon(QMessageBox::Critical);
        box.setText(tr("Samba configuration file contains errors."));
        break;
    case TestParmResult::Warnings:
        box.setIcon(QMessageBox::Warning);
        box.setText(tr("Samba configuration file contains warnings."));
        break;
    default:
        box.setIcon(QMessageBox::Information);
        box.setText(tr("Samba configuration file is ok."));
        break;
    }
    box.setDetailedText(result.output);
    box.exec();
}

void MainWindow::showProcessError(const QString &error)
{
    QMessageBox::critical(this, tr("Testparm process error"), error, QMessageBox::Ok);
}

void MainWindow::saveSize()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    settings.setValue(QLatin1String(sizeKey), size());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveSize();
    event->accept();
}
