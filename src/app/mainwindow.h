#pragma once

#include <QMainWindow>
#include <QModelIndex>

#include <memory>

namespace Ui {
class MainWindow;
}

class QAction;
class QTableView;
class ShareModel;
class ShareProxyModel;
class TestParm;
struct TestParmResult;

// The application's window: the shares and printers of smb.conf in two tabs, and the
// commands that edit, save, check and serve them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Where the window finds smb.conf and the programs it runs; tests point it elsewhere.
    struct Environment
    {
        QString configPath = QStringLiteral("/etc/samba/smb.conf");
        QString testparm = QStringLiteral("testparm");
    };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Environment &environment, QWidget *parent = nullptr);
    ~MainWindow() override;

    ShareModel *shareModel() const { return m_shares; }
    // The model index of the share selected in the view of the current tab; invalid when
    // none is.
    QModelIndex selectedShare() const;

signals:
    void shareSelected();
    void shareNotSelected();

public slots:
    // The verdict of the Check config command.
    void showCheckResult(const TestParmResult &result);
    void showProcessError(const QString &error);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpActions();
    void setUpView(QTableView *view, ShareProxyModel *proxy);
    void updateSelection();
    void saveSize();

    Environment m_environment;
    TestParm *m_checker;
    std::unique_ptr<Ui::MainWindow> m_ui;
    ShareModel *m_shares;
    ShareProxyModel *m_sharesProxy;
    ShareProxyModel *m_printersProxy;
};
