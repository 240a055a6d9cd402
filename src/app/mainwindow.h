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

// The application's window: the shares and printers of smb.conf in two tabs, and the
// commands that edit, save, check and serve them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    ShareModel *shareModel() const { return m_shares; }
    // The model index of the share selected in the view of the current tab; invalid when
    // none is.
    QModelIndex selectedShare() const;

signals:
    void shareSelected();
    void shareNotSelected();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpActions();
    void setUpView(QTableView *view, ShareProxyModel *proxy);
    void updateSelection();
    void saveSize();

    std::unique_ptr<Ui::MainWindow> m_ui;
    ShareModel *m_shares;
    ShareProxyModel *m_sharesProxy;
    ShareProxyModel *m_printersProxy;
};
