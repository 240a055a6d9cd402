// The window's form: actions, menus, views and the selection rules.
#include "boxdriver.h"
#include "configdialog.h"
#include "groupsdialog.h"
#include "mainwindow.h"
#include "share.h"
#include "sharedialog.h"
#include "sharemodel.h"
#include "usersdialog.h"
#include "widgetlookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

Share makeShare(const QString &name, bool printable)
{
    Share share(name);
    share.setName(name);
    share.setPrintable(printable);
    return share;
}

// Works a dialog of type T once it is open, then presses Ok (or accepts it when Ok is
// disabled, as for an untouched dialog) or cancels it.
template<typename T>
class DialogDriver : public QObject
{
public:
    explicit DialogDriver(std::function<void(T &)> work, bool ok = true)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, work, ok] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || opened)
                return;
            opened = true;
            title = dialog->windowTitle();
            if (auto *printable =
                    dialog->template findChild<QCheckBox *>(QStringLiteral("checkBoxPrintable")))
                this->printable = printable->isChecked();
            work(*dialog);
            QPushButton *button =
                dialog->template findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
            if (!ok)
                dialog->reject();
            else if (button->isEnabled())
                button->click();
            else
                dialog->accept();
        });
        m_timer.start(5);
    }

    bool opened = false;
    bool printable = false;
    QString title;

private:
    QTimer m_timer;
};
using ShareDialogDriver = DialogDriver<ShareDialog>;

void fillNewShare(ShareDialog &dialog, const QString &name, const QString &path)
{
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditDirectory"))->setText(path);
    dialog.findChild<QLineEdit *>(QStringLiteral("lineEditShareName"))->setText(name);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void actions_data();
    void actions();
    void menusAndToolBar();
    void toolBarLook();
    void selectionRules();
    void sizeIsRemembered();
    void checkConfig_data();
    void checkConfig();
    void addShare_data();
    void addShare();
    void editShare();
    void deleteShare_data();
    void deleteShare();
    void serverSettings_data();
    void serverSettings();
    void accountDialogs_data();
    void accountDialogs();

private:
    QTemporaryDir m_settings;
};

void TestMainWindow::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindow"));
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("add") << QStringLiteral("actionAddShare") << QStringLiteral("&Add share")
                         << QStringLiteral("Ctrl+N") << true;
    QTest::newRow("edit") << QStringLiteral("actionEditShare") << QStringLiteral("&Edit share")
                          << QStringLiteral("Ctrl+E") << false;
    QTest::newRow("delete") << QStringLiteral("actionDeleteShare") << QStringLiteral("&Delete share")
                            << QStringLiteral("") << false;
    QTest::newRow("start") << QStringLiteral("actionStart") << QStringLiteral("Start") << QStringLiteral("")
                           << true;
    QTest::newRow("stop") << QStringLiteral("actionStop") << QStringLiteral("Stop") << QStringLiteral("")
                          << true;
    QTest::newRow("check") << QStringLiteral("actionCheckConfig") << QStringLiteral("Check config")
                           << QStringLiteral("") << true;
    QTest::newRow("save") << QStringLiteral("actionSave") << QStringLiteral("&Save")
                          << QStringLiteral("Ctrl+S") << false;
    QTest::newRow("quit") << QStringLiteral("actionQuit") << QStringLiteral("&Quit")
                          << QStringLiteral("Ctrl+Q") << true;
    QTest::newRow("settings") << QStringLiteral("actionEditConfig") << QStringLiteral("&Server Settings")
                              << QStringLiteral("") << true;
    QTest::newRow("users") << QStringLiteral("actionSambaUsers") << QStringLiteral("Samba &Users")
                           << QStringLiteral("Ctrl+U") << true;
    QTest::newRow("groups") << QStringLiteral("actionSambaGroups") << QStringLiteral("Samba &Groups")
                            << QStringLiteral("Ctrl+G") << true;
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    MainWindow window;
    auto *action = window.findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    QTEST(action->text(), "text");
    QTEST(action->shortcut().toString(), "shortcut");
    QTEST(action->isEnabled(), "enabled");
    // Our own drawing stands in where the desktop theme has no icon.
    QVERIFY(!action->icon().isNull());
    if (name == QLatin1String("actionSambaGroups"))
        QCOMPARE(action->toolTip(), QStringLiteral("Samba Groups"));
}

void TestMainWindow::menusAndToolBar()
{
    MainWindow window;
    // The server's name, then the program's; [*] stands for the modified marker.
    QCOMPARE(window.windowTitle(), QStringLiteral("This computer[*] \u2014 Shareward"));
    const QList<QAction *> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 4);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("&File"));
    QCOMPARE(menus.at(1)->text(), QStringLiteral("&Actions"));
    QCOMPARE(menus.at(2)->text(), QStringLiteral("&Preferences"));
    QCOMPARE(menus.at(3)->text(), QStringLiteral("&Help"));

    QStringList actions;
    for (QAction *action : menus.at(0)->menu()->actions())
        actions << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(actions, QStringLiteral("actionConnect actionDisconnect - actionQuit").split(QLatin1Char(' ')));
    actions.clear();
    for (QAction *action : menus.at(1)->menu()->actions())
        actions << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(actions,
             QStringLiteral("actionAddShare actionEditShare actionDeleteShare - actionMoveToRegistry "
                            "actionMoveToFile actionStoreInRegistry - actionStart actionStop - "
                            "actionCheckConfig actionSave actionHistory actionReconnect")
                 .split(QLatin1Char(' ')));
    actions.clear();
    for (QAction *action : menus.at(2)->menu()->actions())
        actions << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(actions,
             QStringLiteral("actionEditConfig actionSambaUsers actionSambaGroups - actionReviewChanges "
                            "actionHistoryKeep")
                 .split(QLatin1Char(' ')));

    auto *toolBar = window.findChild<QToolBar *>(QStringLiteral("toolBar"));
    QVERIFY(toolBar);
    QCOMPARE(toolBar->toggleViewAction()->text(), QStringLiteral("Hide/Show toolbar"));
    QStringList tools;
    for (QAction *action : toolBar->actions())
        tools << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(tools,
             QStringLiteral("actionStart actionStop - actionSave actionCheckConfig - actionAddShare "
                            "actionDeleteShare - actionSambaGroups actionSambaUsers")
                 .split(QLatin1Char(' ')));
}

// Every tool has an icon, and all show it with their text the one way the tool bar says.
void TestMainWindow::toolBarLook()
{
    MainWindow window;
    auto *toolBar = window.findChild<QToolBar *>(QStringLiteral("toolBar"));
    QVERIFY(toolBar);
    QVERIFY(toolBar->toolButtonStyle() != Qt::ToolButtonIconOnly);
    QVERIFY(toolBar->toolButtonStyle() != Qt::ToolButtonTextOnly);
    int tools = 0;
    for (QAction *action : toolBar->actions()) {
        if (action->isSeparator())
            continue;
        ++tools;
        QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
        QVERIFY2(!action->icon().availableSizes().isEmpty(), qPrintable(action->objectName()));
        auto *button = qobject_cast<QToolButton *>(toolBar->widgetForAction(action));
        QVERIFY(button);
        QCOMPARE(button->toolButtonStyle(), toolBar->toolButtonStyle());
    }
    QCOMPARE(tools, 8);
}

void TestMainWindow::selectionRules()
{
    MainWindow window;
    window.shareModel()->setShares({makeShare(QStringLiteral("web"), false),
                                    makeShare(QStringLiteral("data"), false),
                                    makeShare(QStringLiteral("printers"), true)});
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *shares = window.findChild<QTableView *>(QStringLiteral("tableViewShares"));
    auto *printers = window.findChild<QTableView *>(QStringLiteral("tableViewPrinters"));
    auto *edit = window.findChild<QAction *>(QStringLiteral("actionEditShare"));
    auto *remove = window.findChild<QAction *>(QStringLiteral("actionDeleteShare"));
    QVERIFY(tabs && shares && printers && edit && remove);

    // Sorted by name: data comes first.
    QCOMPARE(shares->model()->rowCount(), 2);
    QCOMPARE(shares->model()->index(0, 0).data().toString(), QStringLiteral("data"));

    QSignalSpy selected(&window, &MainWindow::shareSelected);
    shares->selectRow(0);
    QCOMPARE(selected.count(), 1);
    QVERIFY(edit->isEnabled());
    QVERIFY(remove->isEnabled());
    QCOMPARE(window.shareModel()->share(window.selectedShare())->name(), QStringLiteral("data"));

    // A selection in the other tab does not count.
    tabs->setCurrentIndex(1);
    QVERIFY(!edit->isEnabled());
    QVERIFY(!remove->isEnabled());
    printers->selectRow(0);
    QVERIFY(edit->isEnabled());
    QCOMPARE(window.shareModel()->share(window.selectedShare())->name(), QStringLiteral("printers"));
    tabs->setCurrentIndex(0);
    QVERIFY(edit->isEnabled()); // data is still selected there
    shares->clearSelection();
    QVERIFY(!edit->isEnabled());
}

void TestMainWindow::sizeIsRemembered()
{
    {
        QSettings settings;
        settings.remove(QStringLiteral("MainWindow"));
    }
    {
        MainWindow window;
        QCOMPARE(window.size(), QSize(640, 480));
        window.resize(700, 500);
        window.close();
    }
    MainWindow again;
    QCOMPARE(again.size(), QSize(700, 500));
}

void TestMainWindow::checkConfig_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("ok") << QByteArray("exit 0") << QStringLiteral("Samba configuration file is ok.")
                        << int(QMessageBox::Information);
    QTest::newRow("warnings") << QByteArray("echo 'WARNING: something' >&2")
                              << QStringLiteral("Samba configuration file contains warnings.")
                              << int(QMessageBox::Warning);
    QTest::newRow("errors") << QByteArray("echo 'ERROR: broken' >&2; exit 1")
                            << QStringLiteral("Samba configuration file contains errors.")
                            << int(QMessageBox::Critical);
    // The box names the program that did not start, and why, as the start-up's does.
    QTest::newRow("missing checker") << QByteArray()
                                     << QStringLiteral(
                                            "Failed to start: @DIR@/testparm: No such file or directory")
                                     << int(QMessageBox::Critical);
}

void TestMainWindow::checkConfig()
{
    QFETCH(QByteArray, script);
    QTemporaryDir dir;
    MainWindow::Environment environment;
    environment.configPath = dir.filePath(QStringLiteral("smb.conf"));
    environment.testparm = dir.filePath(QStringLiteral("testparm"));
    if (!script.isEmpty()) {
        QFile checker(environment.testparm);
        QVERIFY(checker.open(QIODevice::WriteOnly));
        checker.write("#!/bin/sh\n" + script + "\n");
        checker.close();
        QVERIFY(checker.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    MainWindow window(environment);
    BoxDriver driver({QStringLiteral("OK")});
    window.findChild<QAction *>(QStringLiteral("actionCheckConfig"))->trigger();
    QTRY_VERIFY(driver.seen() > 0);
    QFETCH(QString, text);
    QCOMPARE(driver.last().text, QString(text).replace(QLatin1String("@DIR@"), dir.path()));
    QTEST(int(driver.last().icon), "icon");
    if (script.isEmpty())
        QCOMPARE(driver.last().title, QStringLiteral("Testparm process error"));
    else if (script.contains("ERROR"))
        QVERIFY(driver.last().details.contains(QLatin1String("ERROR: broken")));
}

void TestMainWindow::addShare_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("accept");
    QTest::newRow("share") << 0 << true;
    QTest::newRow("printer") << 1 << true;
    QTest::newRow("cancelled") << 1 << false;
}

void TestMainWindow::addShare()
{
    QFETCH(int, tab);
    QFETCH(bool, accept);
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);
    MainWindow window;
    window.shareModel()->setShares({makeShare(QStringLiteral("data"), false)});
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    tabs->setCurrentIndex(tab);
    const QString path = QDir::tempPath();
    ShareDialogDriver driver(
        [&](ShareDialog &dialog) { fillNewShare(dialog, QStringLiteral("added"), path); }, accept);
    window.findChild<QAction *>(QStringLiteral("actionAddShare"))->trigger();

    QVERIFY(driver.opened);
    // A share added on the Printers tab starts as a printer.
    QCOMPARE(driver.printable, tab == 1);
    QCOMPARE(window.shareModel()->rowCount(), accept ? 2 : 1);
    QCOMPARE(window.isModified(), accept);
    if (accept) {
        const Share *added = window.shareModel()->share(window.shareModel()->index(1, 0));
        QCOMPARE(added->name(), QStringLiteral("added"));
        QCOMPARE(added->path(), path);
        QCOMPARE(tabs->currentIndex(), tab);
    }
}

void TestMainWindow::editShare()
{
    MainWindow window;
    Share data = makeShare(QStringLiteral("data"), false);
    data.setPath(QDir::tempPath());
    Share printer = makeShare(QStringLiteral("laser"), true);
    printer.setPath(QDir::tempPath());
    window.shareModel()->setShares({data, printer});
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *printers = window.findChild<QTableView *>(QStringLiteral("tableViewPrinters"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    tabs->setCurrentIndex(1);
    printers->selectRow(0);
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);

    // The unchanged name passes the duplicate check although the window hands it over.
    ShareDialogDriver driver([](ShareDialog &dialog) {
        QVERIFY(dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxPrintable"))->isChecked());
        dialog.findChild<QCheckBox *>(QStringLiteral("checkBoxPrintable"))->setChecked(false);
        dialog.findChild<QLineEdit *>(QStringLiteral("lineEditDescription"))
            ->setText(QStringLiteral("no printer"));
    });
    // A double-click edits as the action does.
    const QPoint cell = printers->visualRect(printers->model()->index(0, 0)).center();
    // A view takes a double-click only on the index the first press went to.
    QTest::mouseClick(printers->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(printers->viewport(), Qt::LeftButton, {}, cell);

    QVERIFY(driver.opened);
    QVERIFY(window.isModified());
    const Share *edited = window.shareModel()->share(window.shareModel()->index(1, 0));
    QCOMPARE(edited->comment(), QStringLiteral("no printer"));
    QVERIFY(!edited->printable());
    // It moved to the Shares tab, which is shown.
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(window.findChild<QTableView *>(QStringLiteral("tableViewShares"))->model()->rowCount(), 2);
    QCOMPARE(printers->model()->rowCount(), 0);
}

void TestMainWindow::deleteShare_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("ok") << QStringLiteral("OK");
    QTest::newRow("cancel") << QStringLiteral("Cancel");
}

void TestMainWindow::deleteShare()
{
    QFETCH(QString, answer);
    const bool deleted = answer == QLatin1String("OK");
    MainWindow window;
    window.shareModel()->setShares(
        {makeShare(QStringLiteral("web"), false), makeShare(QStringLiteral("data"), false)});
    window.findChild<QTableView *>(QStringLiteral("tableViewShares"))->selectRow(1); // web, sorted by name
    BoxDriver driver({answer});
    window.findChild<QAction *>(QStringLiteral("actionDeleteShare"))->trigger();

    QCOMPARE(driver.seen(), 1);
    QCOMPARE(driver.last().title, QStringLiteral("Warning"));
    QCOMPARE(driver.last().text, QStringLiteral("Are you sure to delete share: \"web\"?"));
    QCOMPARE(window.shareModel()->rowCount(), deleted ? 1 : 2);
    QCOMPARE(window.shareModel()->share(window.shareModel()->index(0, 0))->name(),
             deleted ? QStringLiteral("data") : QStringLiteral("web"));
    QCOMPARE(window.isModified(), deleted);
}

void TestMainWindow::serverSettings_data()
{
    QTest::addColumn<QStringList>("shares");
    QTest::addColumn<QString>("answer"); // "Yes"/"No" for printer sharing, empty to leave it
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("after");
    const QStringList none{QStringLiteral("data")};
    const QStringList printers{QStringLiteral("data"), QStringLiteral("printers")};
    QTest::newRow("unchanged") << none << QString() << true << none;
    QTest::newRow("sharing on") << none << QStringLiteral("Yes") << true << printers;
    QTest::newRow("sharing off") << printers << QStringLiteral("No") << true << none;
    QTest::newRow("cancelled") << none << QStringLiteral("Yes") << false << none;
    // Only a share named exactly "printers" goes.
    QTest::newRow("Printers stays") << QStringList{QStringLiteral("Printers")} << QStringLiteral("No") << true
                                    << QStringList{QStringLiteral("Printers")};
}

void TestMainWindow::serverSettings()
{
    QFETCH(QStringList, shares);
    QFETCH(QString, answer);
    QFETCH(bool, ok);
    QFETCH(QStringList, after);
    MainWindow window;
    QList<Share> records;
    for (const QString &name : shares)
        records << makeShare(name, name.toLower() == QLatin1String("printers"));
    window.shareModel()->setShares(records);
    window.currentSettings().global()->setWorkgroup(QStringLiteral("OLD"));

    DialogDriver<ConfigDialog> driver(
        [&](ConfigDialog &dialog) {
            dialog.findChild<QLineEdit *>(QStringLiteral("lineEditWorkgroup"))
                ->setText(QStringLiteral("NEW"));
            if (!answer.isEmpty())
                dialog.findChild<QComboBox *>(QStringLiteral("comboBoxSharePrinters"))
                    ->setCurrentText(answer);
        },
        ok);
    window.findChild<QAction *>(QStringLiteral("actionEditConfig"))->trigger();

    QVERIFY(driver.opened);
    QStringList names;
    for (const Share &share : window.shareModel()->shares())
        names << share.name();
    QCOMPARE(names, after);
    QCOMPARE(window.isModified(), ok);
    QCOMPARE(window.currentSettings().global()->workgroup(),
             ok ? QStringLiteral("NEW") : QStringLiteral("OLD"));
    if (ok && answer == QLatin1String("Yes") && !shares.contains(QStringLiteral("printers"))) {
        const Share added = window.shareModel()->shares().last();
        QCOMPARE(added.comment(), QStringLiteral("All Printers"));
        QCOMPARE(added.path(), QStringLiteral("/var/spool/samba"));
        QCOMPARE(added.createMask(), QStringLiteral("0700"));
        QVERIFY(added.printable() && added.readOnly() && !added.browseable() && !added.guestOk());
        QVERIFY(added.originalName().isEmpty()); // saving creates its section
    }
}

void TestMainWindow::accountDialogs_data()
{
    QTest::addColumn<bool>("groups");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("modified");
    for (bool groups : {false, true}) {
        const char *kind = groups ? "groups" : "users";
        QTest::addRow("%s, unchanged", kind) << groups << false << true << false;
        QTest::addRow("%s, one deleted", kind) << groups << true << true << true;
        QTest::addRow("%s, deleted then cancelled", kind) << groups << true << false << false;
    }
}

void TestMainWindow::accountDialogs()
{
    QFETCH(bool, groups);
    QFETCH(bool, remove);
    QFETCH(bool, ok);
    QFETCH(bool, modified);
    MainWindow window;
    SambaSettings &settings = window.currentSettings();
    for (const char *name : {"alice", "bob"}) {
        settings.users().insert(QLatin1String(name), SambaUser(QLatin1String(name)));
        settings.groups().insert(QLatin1String(name), SambaGroup(QLatin1String(name)));
    }
    const auto work = [remove](QDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("listWidgetSambaUsers"));
        if (!remove)
            return;
        list->setCurrentRow(0);
        BoxDriver confirm({QStringLiteral("OK")});
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonDeleteUser"))->click();
    };
    QString title;
    if (groups) {
        DialogDriver<GroupsDialog> driver([&](GroupsDialog &d) { work(d); }, ok);
        window.findChild<QAction *>(QStringLiteral("actionSambaGroups"))->trigger();
        QVERIFY(driver.opened);
        title = driver.title;
    } else {
        DialogDriver<UsersDialog> driver([&](UsersDialog &d) { work(d); }, ok);
        window.findChild<QAction *>(QStringLiteral("actionSambaUsers"))->trigger();
        QVERIFY(driver.opened);
        title = driver.title;
    }
    QCOMPARE(title,
             groups ? QStringLiteral("Samba group's administration")
                    : QStringLiteral("Samba User's Administration"));
    QCOMPARE(window.isModified(), modified);
    const int left = groups ? settings.groups().size() : settings.users().size();
    QCOMPARE(left, modified ? 1 : 2);
    // The other map is never touched.
    QCOMPARE(groups ? settings.users().size() : settings.groups().size(), 2);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
