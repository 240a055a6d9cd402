// The window with Samba's registry configuration beside smb.conf: the real net and testparm keep
// the registry in the test's own directory (privateregistry.h); the other programs are the
// window sandbox's fakes.
#include "boxdriver.h"
#include "diffview.h"
#include "modaldriver.h"
#include "privateregistry.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTreeWidget>

namespace {

// A sandbox whose smb.conf includes the registry, which holds one share of its own.
struct RegistrySandbox
{
    Sandbox sandbox;
    PrivateRegistry registry{QFileInfo(sandbox.configPath()).path()};

    explicit RegistrySandbox(const QString &globals = QStringLiteral("\tinclude = registry\n"))
    {
        // The real net for the registry ("net -s smb.conf conf ..."), the fake for the accounts.
        const QByteArray net = registry.program(QStringLiteral("net")).toUtf8();
        sandbox.write(QStringLiteral("realnet"),
                      "#!/bin/sh\nif [ \"$1\" = -s ]; then\n"
                      "  [ -f @DIR@/netbroken ] && { echo 'net is broken' >&2; exit 1; }\n"
                      "  for word do [ -f \"@DIR@/netfail-$word\" ] && { echo \"net conf $word refused\" "
                      ">&2; exit 1; }; done\n"
                      "  exec "
                          + net + " \"$@\"\nfi\nexec @DIR@/net \"$@\"\n");
        QFile::setPermissions(sandbox.path(QStringLiteral("realnet")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString data = sandbox.path(QStringLiteral("data"));
        registry.writeConfig(globals
                             + QStringLiteral("[files]\n\tpath = %1\n\tcomment = in the file\n").arg(data));
        registry.net(
            {QStringLiteral("addshare"), QStringLiteral("regshare"), data, QStringLiteral("writeable=y")});
        registry.net({QStringLiteral("setparm"), QStringLiteral("regshare"), QStringLiteral("comment"),
                      QStringLiteral("in the registry")});
        sandbox.setSmbdActive(true);
    }

    MainWindow::Environment environment() const
    {
        MainWindow::Environment environment = sandbox.environment();
        environment.net = sandbox.path(QStringLiteral("realnet"));
        environment.testparm = registry.program(QStringLiteral("testparm"));
        return environment;
    }
    QByteArray showshare(const QString &name) const
    {
        return registry.net({QStringLiteral("showshare"), name}).out;
    }
};

// The row of the share in the model; -1 when there is none.
int rowOf(MainWindow &window, const QString &name)
{
    const ShareModel *model = window.shareModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->share(model->index(row, 0))->name() == name)
            return row;
    }
    return -1;
}

QVariant cell(MainWindow &window, const QString &name, int role = Qt::DisplayRole)
{
    const ShareModel *model = window.shareModel();
    return model->data(model->index(rowOf(window, name), ShareModel::StoredInColumn), role);
}

void select(MainWindow &window, const QString &name)
{
    auto *view = window.findChild<QTableView *>(QStringLiteral("tableViewShares"));
    const QModelIndexList found =
        view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    view->selectRow(found.first().row());
}

// What the review showed of both diffs; presses Save.
struct Diffs
{
    QString file;
    QString registry;
    QString effective;
};

void acceptReview(ModalDriver &driver, Diffs &seen)
{
    driver.then(QStringLiteral("ReviewChangesDialog"), [&seen](QWidget *dialog) {
        if (auto *view = dialog->findChild<DiffView *>(QStringLiteral("diffView")))
            seen.file = view->toPlainText();
        if (auto *view = dialog->findChild<DiffView *>(QStringLiteral("registryDiffView")))
            seen.registry = view->toPlainText();
        if (auto *view = dialog->findChild<DiffView *>(QStringLiteral("effectiveDiffView")))
            seen.effective = view->toPlainText();
        child<QDialogButtonBox>(*dialog, "buttonBox")->button(QDialogButtonBox::Save)->click();
    });
}

} // namespace

class TestMainWindowRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { MainWindow::setReviewsChanges(true); }
    void sharesOfBothPlaces();
    void unreadableRegistryWarnsOnce();
    void editOfRegistryShare();
    void moveShare_data();
    void moveShare();
    void storeWholeConfiguration_data();
    void storeWholeConfiguration();
    void unsavedEditBlocksMove();
    void moveFailsRegistryNotPutBack();
    void newShareWithRegistryBackend();
    void registryVersionsInHistory();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowRegistry::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowregistry"));
}

// Both places' shares are listed with where they are stored; a file share of the name of a
// registry share is shown set aside, as Samba serves the registry's.
void TestMainWindowRegistry::sharesOfBothPlaces()
{
    RegistrySandbox box;
    box.registry.net(
        {QStringLiteral("addshare"), QStringLiteral("files"), box.sandbox.path(QStringLiteral("data"))});
    MainWindow window(box.environment());
    window.initialLoad();
    QCOMPARE(window.shareModel()->columnCount(), 4);
    QCOMPARE(window.shareModel()->headerData(ShareModel::StoredInColumn, Qt::Horizontal).toString(),
             QStringLiteral("Stored in"));
    QCOMPARE(cell(window, QStringLiteral("regshare")).toString(), QStringLiteral("registry"));
    QVERIFY(!cell(window, QStringLiteral("regshare"), Qt::ToolTipRole).isValid());
    int fileRows = 0;
    for (int row = 0; row < window.shareModel()->rowCount(); ++row) {
        const QModelIndex index = window.shareModel()->index(row, ShareModel::StoredInColumn);
        const Share *share = window.shareModel()->share(index);
        if (share->name() != QLatin1String("files"))
            continue;
        const bool inFile = share->storedIn() == Share::StoredInFile;
        fileRows += inFile;
        QCOMPARE(index.data().toString(), inFile ? QStringLiteral("smb.conf") : QStringLiteral("registry"));
        QCOMPARE(index.data(Qt::FontRole).value<QFont>().italic(), inFile);
        QCOMPARE(
            index.data(Qt::ToolTipRole).toString().contains(QLatin1String("the registry's value is used")),
            inFile);
    }
    QCOMPARE(fileRows, 1);
}

// A registry net cannot read is said once; the file's shares still show and can be saved.
void TestMainWindowRegistry::unreadableRegistryWarnsOnce()
{
    RegistrySandbox box;
    box.sandbox.write(QStringLiteral("netbroken"), QByteArray());
    MainWindow window(box.environment());
    BoxDriver boxes;
    window.initialLoad();
    window.initialLoad();
    QCOMPARE(boxes.seen(), 1);
    QVERIFY(boxes.last().text.contains(QLatin1String("net is broken")));
    QCOMPARE(rowOf(window, QStringLiteral("regshare")), -1);
    QVERIFY(rowOf(window, QStringLiteral("files")) >= 0);
    QVERIFY(!action(window, "actionMoveToRegistry")->isEnabled());
}

// An edit of a registry share in the share dialog is made with net conf; smb.conf stays as it was.
void TestMainWindowRegistry::editOfRegistryShare()
{
    RegistrySandbox box;
    MainWindow window(box.environment());
    window.initialLoad();
    const QByteArray file = box.sandbox.config();
    select(window, QStringLiteral("regshare"));
    ModalDriver driver;
    driver.then(QStringLiteral("ShareDialog"), [](QWidget *dialog) {
        child<QLineEdit>(*dialog, "lineEditDescription")->setText(QStringLiteral("edited"));
        okButton(*dialog)->click();
    });
    action(window, "actionEditShare")->trigger();
    QVERIFY(window.isModified());
    Diffs seen;
    acceptReview(driver, seen);
    box.sandbox.clearLog();
    QVERIFY(window.saveAll());
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(seen.registry.contains(QLatin1String("+\tcomment = edited")), qPrintable(seen.registry));
    QVERIFY(seen.file.isEmpty());
    QVERIFY2(box.showshare(QStringLiteral("regshare")).contains("comment = edited"),
             box.showshare(QStringLiteral("regshare")).constData());
    QCOMPARE(box.sandbox.config(), file);
    QVERIFY(box.sandbox.log().contains(QStringLiteral("smbcontrol smbd reload-config")));
}

void TestMainWindowRegistry::moveShare_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("toRegistry");
    QTest::newRow("to the registry") << QStringLiteral("files") << QByteArray("actionMoveToRegistry") << true;
    QTest::newRow("to smb.conf") << QStringLiteral("regshare") << QByteArray("actionMoveToFile") << false;
}

// The move shows both diffs, then takes the section from one place to the other with every
// parameter, and the table shows the share where it is now.
void TestMainWindowRegistry::moveShare()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, command);
    QFETCH(bool, toRegistry);
    RegistrySandbox box;
    MainWindow window(box.environment());
    window.initialLoad();
    select(window, name);
    const char *other = toRegistry ? "actionMoveToFile" : "actionMoveToRegistry";
    QVERIFY(action(window, command.constData())->isEnabled());
    QVERIFY(!action(window, other)->isEnabled());
    const QByteArray section = '[' + name.toUtf8() + ']';
    const QByteArray comment = toRegistry ? "comment = in the file" : "comment = in the registry";

    ModalDriver driver;
    Diffs seen;
    acceptReview(driver, seen);
    box.sandbox.clearLog();
    action(window, command.constData())->trigger();
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(seen.file.contains(QLatin1Char(toRegistry ? '-' : '+') + QString::fromUtf8(section)),
             qPrintable(seen.file));
    QVERIFY2(seen.registry.contains(QLatin1Char(toRegistry ? '+' : '-') + QString::fromUtf8(section)),
             qPrintable(seen.registry));
    QCOMPARE(box.registry.list().contains(section), toRegistry);
    QCOMPARE(box.registry.list().contains(comment), toRegistry);
    QCOMPARE(box.sandbox.config().contains(section), !toRegistry);
    QCOMPARE(box.sandbox.config().contains(comment), !toRegistry);
    QCOMPARE(cell(window, name).toString(),
             toRegistry ? QStringLiteral("registry") : QStringLiteral("smb.conf"));
    QVERIFY(!window.isModified());
    QVERIFY(box.sandbox.log().contains(QStringLiteral("smbcontrol smbd reload-config")));

    // The window holds the configuration as loaded after the move: a save goes on from it.
    MainWindow::setReviewsChanges(false);
    const QModelIndex index = window.shareModel()->index(rowOf(window, name), 0);
    Share moved = *window.shareModel()->share(index);
    moved.setComment(QStringLiteral("after the move"));
    window.shareModel()->updateShare(index, moved);
    window.setModified();
    BoxDriver boxes;
    QVERIFY2(window.saveAll(), boxes.seen() ? qPrintable(boxes.last().text) : "");
    QCOMPARE(box.registry.list().contains("comment = after the move"), toRegistry);
    QCOMPARE(box.sandbox.config().contains("comment = after the move"), !toRegistry);
}

// Storing everything in the registry leaves smb.conf what leads Samba there.
void TestMainWindowRegistry::storeWholeConfiguration_data()
{
    // What the administrator answers about [regshare], in a registry Samba does not read yet.
    QTest::addColumn<QString>("answer");
    QTest::newRow("keep it") << QStringLiteral("buttonKeepRegistry");
    QTest::newRow("replace it") << QStringLiteral("buttonReplaceRegistry");
    QTest::newRow("cancel") << QString();
}

void TestMainWindowRegistry::storeWholeConfiguration()
{
    QFETCH(QString, answer);
    RegistrySandbox box(QStringLiteral("\tworkgroup = REGGROUP\n"));
    MainWindow window(box.environment());
    window.initialLoad();
    QCOMPARE(window.shareModel()->columnCount(), 3);
    QVERIFY(action(window, "actionStoreInRegistry")->isEnabled());
    const QByteArray fileBefore = box.sandbox.config();
    const QByteArray listBefore = box.registry.list();
    ModalDriver driver;
    QString unused;
    driver.then(QStringLiteral("unusedRegistryBox"), [&unused, answer](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        unused = box->detailedText();
        if (answer.isEmpty())
            box->button(QMessageBox::Cancel)->click();
        else
            child<QPushButton>(*box, answer.toLatin1().constData())->click();
    });
    Diffs seen;
    if (!answer.isEmpty())
        acceptReview(driver, seen);
    action(window, "actionStoreInRegistry")->trigger();
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(unused.contains(QLatin1String("[regshare]")), qPrintable(unused));
    if (answer.isEmpty()) {
        QCOMPARE(box.sandbox.config(), fileBefore);
        QCOMPARE(box.registry.list(), listBefore);
        return;
    }
    const bool kept = answer == QLatin1String("buttonKeepRegistry");
    // The review shows what Samba will serve that it did not: the share only the registry had.
    QCOMPARE(seen.effective.contains(QLatin1String("+[regshare]")), kept);
    const QByteArray file = box.sandbox.config();
    QVERIFY2(file.contains("include = registry"), file.constData());
    QVERIFY(!file.contains("[files]"));
    const QByteArray list = box.registry.list();
    QVERIFY2(list.contains("[files]") && list.contains("workgroup = REGGROUP"), list.constData());
    QCOMPARE(list.contains("[regshare]"), kept);
    QCOMPARE(window.shareModel()->columnCount(), 4);
    QCOMPARE(cell(window, QStringLiteral("files")).toString(), QStringLiteral("registry"));
}

// A move starts from what is saved: with edits not saved it is refused, and nothing changes.
void TestMainWindowRegistry::unsavedEditBlocksMove()
{
    RegistrySandbox box;
    MainWindow window(box.environment());
    window.initialLoad();
    select(window, QStringLiteral("files"));
    window.setModified();
    const QByteArray file = box.sandbox.config();
    const QByteArray list = box.registry.list();
    BoxDriver boxes;
    action(window, "actionMoveToRegistry")->trigger();
    QCOMPARE(boxes.seen(), 1);
    QVERIFY(boxes.last().text.contains(QLatin1String("not saved")));
    QCOMPARE(box.sandbox.config(), file);
    QCOMPARE(box.registry.list(), list);
    QVERIFY(window.isModified());
}

// A move whose registry change fails and cannot be put back does not say that nothing moved: the
// box says the registry is left changed, and its details which history version holds it.
void TestMainWindowRegistry::moveFailsRegistryNotPutBack()
{
    RegistrySandbox box;
    MainWindow window(box.environment());
    window.initialLoad();
    select(window, QStringLiteral("files"));
    const QByteArray file = box.sandbox.config();
    for (const char *command : {"setparm", "import"})
        box.sandbox.write(QStringLiteral("netfail-") + QLatin1String(command), QByteArray());
    ModalDriver driver;
    Diffs seen;
    acceptReview(driver, seen);
    BoxDriver boxes;
    action(window, "actionMoveToRegistry")->trigger();
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(boxes.last().text,
             QStringLiteral("The move failed, and the registry could not be put back as it was."));
    QVERIFY2(boxes.last().informative.contains(QLatin1String("net conf setparm refused"))
                 && boxes.last().informative.contains(QLatin1String("could not be put back")),
             qPrintable(boxes.last().informative));
    QCOMPARE(box.sandbox.config(), file);
}

// With config backend = registry, Samba reads nothing else: a new share goes there, and the
// file's shares are shown set aside.
void TestMainWindowRegistry::newShareWithRegistryBackend()
{
    RegistrySandbox box(QStringLiteral("\tconfig backend = registry\n"));
    MainWindow window(box.environment());
    window.initialLoad();
    QVERIFY2(cell(window, QStringLiteral("files"), Qt::ToolTipRole)
                 .toString()
                 .contains(QLatin1String("Samba reads only the registry")),
             qPrintable(cell(window, QStringLiteral("files"), Qt::ToolTipRole).toString()));
    QVERIFY(!action(window, "actionStoreInRegistry")->isEnabled());
    const QByteArray file = box.sandbox.config();
    const QString data = box.sandbox.path(QStringLiteral("data"));
    ModalDriver driver;
    driver.then(QStringLiteral("ShareDialog"), [data](QWidget *dialog) {
        child<QLineEdit>(*dialog, "lineEditShareName")->setText(QStringLiteral("added"));
        child<QLineEdit>(*dialog, "lineEditDirectory")->setText(data);
        okButton(*dialog)->click();
    });
    action(window, "actionAddShare")->trigger();
    QCOMPARE(cell(window, QStringLiteral("added")).toString(), QStringLiteral("registry"));
    Diffs seen;
    acceptReview(driver, seen);
    QVERIFY(window.saveAll());
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(box.showshare(QStringLiteral("added")).contains(data.toUtf8()), box.registry.list().constData());
    QCOMPARE(box.sandbox.config(), file);
}

// The registry's versions are listed in the history, marked; restoring one brings its shares back.
void TestMainWindowRegistry::registryVersionsInHistory()
{
    RegistrySandbox box;
    MainWindow window(box.environment());
    window.initialLoad();
    select(window, QStringLiteral("regshare"));
    ModalDriver driver;
    Diffs seen;
    acceptReview(driver, seen);
    action(window, "actionMoveToFile")->trigger();
    QVERIFY(!box.registry.list().contains("[regshare]"));

    QStringList numbers;
    driver.then(QStringLiteral("HistoryDialog"), [&numbers](QWidget *dialog) {
        auto *tree = child<QTreeWidget>(*dialog, "treeVersions");
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            numbers << tree->topLevelItem(row)->text(0);
        // The oldest registry version: the registry as it was before the move.
        for (int row = tree->topLevelItemCount() - 1; row >= 0; --row) {
            if (tree->topLevelItem(row)->text(0).endsWith(QLatin1String("(registry)"))) {
                tree->setCurrentItem(tree->topLevelItem(row));
                break;
            }
        }
        child<QPushButton>(*dialog, "pushButtonRestore")->click();
        QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->reject(); });
    });
    BoxDriver boxes({QStringLiteral("Yes")});
    action(window, "actionHistory")->trigger();
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(numbers.filter(QStringLiteral("(registry)")).size() >= 2,
             qPrintable(numbers.join(QLatin1Char(','))));
    QVERIFY2(numbers.size() > numbers.filter(QStringLiteral("(registry)")).size(),
             qPrintable(numbers.join(QLatin1Char(','))));
    QVERIFY(boxes.boxes.value(0).text.contains(QLatin1String("registry configuration")));
    QVERIFY2(box.registry.list().contains("[regshare]"), qPrintable(boxes.titles().join(QLatin1Char(','))));
}

QTEST_MAIN(TestMainWindowRegistry)
#include "tst_mainwindowregistry.moc"
