// The window's review before a save, its history of smb.conf, and what it does when the
// services do not take a new smb.conf up: against the real testparm, with the fakes of the
// window sandbox logging every other program run.
#include "boxdriver.h"
#include "confighistory.h"
#include "diffview.h"
#include "modaldriver.h"
#include "vfsmodule.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

// What the review dialog showed.
struct Review
{
    QString diff;
    QString verdict;
    QString verdictText;
    QStringList actions;
    bool saveEnabled = false;
};

// Reads the review dialog, then presses Save (or Cancel), ticking "Don't show this again"
// first when asked to.
void answerReview(ModalDriver &driver, Review &seen, bool save, bool dontShowAgain = false)
{
    driver.then(QStringLiteral("ReviewChangesDialog"), [&seen, save, dontShowAgain](QWidget *dialog) {
        if (auto *view = dialog->findChild<DiffView *>(QStringLiteral("diffView")); view && view->isVisible())
            seen.diff = view->toPlainText();
        seen.verdict = child<QLabel>(*dialog, "labelVerdict")->text();
        seen.verdictText = child<QPlainTextEdit>(*dialog, "textVerdict")->toPlainText();
        seen.actions = texts(child<QListWidget>(*dialog, "listActions"));
        auto *buttons = child<QDialogButtonBox>(*dialog, "buttonBox");
        seen.saveEnabled = buttons->button(QDialogButtonBox::Save)->isEnabled();
        child<QCheckBox>(*dialog, "checkBoxDontShowAgain")->setChecked(dontShowAgain);
        buttons->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Cancel)->click();
    });
}

QStringList summaries(const Sandbox &sandbox)
{
    QStringList result;
    const ConfigHistory history(sandbox.path(QStringLiteral("history")));
    for (const ConfigHistory::Version &version : history.versions(sandbox.configPath()))
        result << version.summary;
    return result;
}

void setComment(MainWindow &window, const QString &comment)
{
    const QModelIndex index = window.shareModel()->index(0, 0);
    Share share = *window.shareModel()->share(index);
    share.setComment(comment);
    window.shareModel()->updateShare(index, share);
    window.setModified();
}

} // namespace

class TestMainWindowHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { MainWindow::setReviewsChanges(true); }
    void reviewListsEveryStep();
    void reviewOfRefusedFile();
    void reviewTurnedOff();
    void missingModulesAskFirst_data();
    void missingModulesAskFirst();
    void restartWhereNeeded();
    void reloadNotDeliveredRestarts();
    void failedServiceOffersRestore();
    void servicesThatCannotBeChecked();
    void historyWindowRestores();
    void refusedRestoreSaysWhy();
    void keepSetInPreferences();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowHistory::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowhistory"));
}

// The review names the diff, testparm's verdict and every later step; Cancel does nothing
// at all and keeps the edits, Save then does it all.
void TestMainWindowHistory::reviewListsEveryStep()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    makeChanges(sandbox, window);
    const QByteArray before = sandbox.config();
    sandbox.clearLog();

    ModalDriver driver;
    Review cancelled;
    answerReview(driver, cancelled, false);
    QVERIFY(!window.saveAll());
    QCOMPARE(driver.remaining(), 0);
    QVERIFY2(cancelled.diff.contains(QLatin1String("\n+[newshare]\n")), qPrintable(cancelled.diff));
    QVERIFY(cancelled.diff.contains(QLatin1String("\n-   guest account = oldguest\n")));
    QVERIFY(cancelled.diff.contains(QLatin1String("\n+   guest account = newguest\n")));
    QCOMPARE(cancelled.verdict, QStringLiteral("testparm accepts the new smb.conf."));
    QVERIFY(cancelled.saveEnabled);
    const QString ro = sandbox.path(QStringLiteral("ro"));
    QCOMPARE(cancelled.actions,
             (QStringList{
                 QStringLiteral("Change the mode of the directory %1 from 0700 to 0555").arg(ro),
                 QStringLiteral("Change the password of the Samba user bob"),
                 QStringLiteral("Add the Samba user carol"), QStringLiteral("Remove the Samba user alice"),
                 QStringLiteral("Add the Samba group staff"), QStringLiteral("Remove the Samba group admins"),
                 QStringLiteral("Have smbd and nmbd read smb.conf again; connected clients stay "
                                "connected")}));
    // Nothing ran, nothing changed, nothing was forgotten.
    QCOMPARE(sandbox.config(), before);
    QCOMPARE(modeOf(ro), mode_t(0700));
    QVERIFY(sandbox.log()
                .filter(QRegularExpression(QStringLiteral("^(pdbedit|smbpasswd|net|smbcontrol)")))
                .isEmpty());
    QVERIFY(window.isModified());
    QCOMPARE(window.currentSettings().users().value(QStringLiteral("carol")).password(),
             QStringLiteral("pässwörd"));

    Review saved;
    answerReview(driver, saved, true);
    QVERIFY(window.saveAll());
    QCOMPARE(saved.diff, cancelled.diff);
    QVERIFY(sandbox.config().contains("[newshare]"));
    QCOMPARE(modeOf(ro), mode_t(0555));
    QVERIFY(sandbox.log().contains(QStringLiteral("smbcontrol smbd reload-config")));
    QCOMPARE(summaries(sandbox),
             (QStringList{QStringLiteral("share newshare added; share data changed; guest account changed"),
                          ConfigHistory::outsideChangeSummary()}));
}

// A file testparm refuses cannot be saved from the review, which shows testparm's own words.
void TestMainWindowHistory::reviewOfRefusedFile()
{
    Sandbox sandbox;
    // The file loaded is accepted; the temporary file of the new one is not.
    sandbox.useChecker("case \"$*\" in *.shareward-*) echo 'ERROR: refused by the test checker' >&2; "
                       "exit 1 ;; esac\nexec testparm \"$@\"\n");
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    MainWindow window(environment);
    window.initialLoad();
    setComment(window, QStringLiteral("changed"));
    const QByteArray before = sandbox.config();

    ModalDriver driver;
    Review seen;
    answerReview(driver, seen, false);
    QVERIFY(!window.saveAll());
    QCOMPARE(seen.verdict, QStringLiteral("testparm refuses the new smb.conf; it cannot be saved:"));
    QVERIFY(seen.verdictText.contains(QLatin1String("ERROR: refused by the test checker")));
    QVERIFY(!seen.saveEnabled);
    QCOMPARE(sandbox.config(), before);
    QVERIFY(window.isModified());
}

// "Don't show this again" turns the review off, and the Preferences entry shows it.
void TestMainWindowHistory::reviewTurnedOff()
{
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    window.initialLoad();
    auto *entry = window.findChild<QAction *>(QStringLiteral("actionReviewChanges"));
    QVERIFY(entry && entry->isChecked());
    setComment(window, QStringLiteral("first"));
    ModalDriver driver;
    Review seen;
    answerReview(driver, seen, true, true);
    QVERIFY(window.saveAll());
    QVERIFY(!MainWindow::reviewsChanges());
    QVERIFY(!entry->isChecked());

    setComment(window, QStringLiteral("second"));
    BoxDriver boxes;
    QVERIFY(window.saveAll());
    QCOMPARE(driver.stray, 0);
    QCOMPARE(boxes.seen(), 0);
    QVERIFY(sandbox.config().contains("comment = second"));
    entry->setChecked(true);
    QVERIFY(MainWindow::reviewsChanges());
}

void TestMainWindowHistory::missingModulesAskFirst_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("saved");
    QTest::newRow("missing, cancelled") << false << QStringLiteral("Cancel") << false;
    QTest::newRow("missing, saved anyway") << false << QStringLiteral("Save anyway") << true;
    QTest::newRow("installed") << true << QString() << true;
}

// A save that starts to use a VFS module smbd cannot load says so first.
void TestMainWindowHistory::missingModulesAskFirst()
{
    QFETCH(bool, installed);
    QFETCH(QString, answer);
    QFETCH(bool, saved);
    Sandbox sandbox;
    if (installed)
        sandbox.write(QStringLiteral("modules/vfs/full_audit.so"), QByteArray());
    MainWindow::setReviewsChanges(false);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    const QModelIndex index = window.shareModel()->index(0, 0);
    Share share = *window.shareModel()->share(index);
    share.addVfsModule(VFSModule::create(QStringLiteral("full_audit")));
    window.shareModel()->updateShare(index, share);
    window.setModified();
    const QByteArray before = sandbox.config();

    BoxDriver boxes(answer.isEmpty() ? QStringList() : QStringList{answer});
    QCOMPARE(window.saveAll(), saved);
    QCOMPARE(boxes.seen(), installed ? 0 : 1);
    if (!installed) {
        QCOMPARE(boxes.last().text,
                 QStringLiteral("The Samba modules full_audit are not installed: every "
                                "connection to a share that uses them is refused."));
    }
    QCOMPARE(sandbox.config() == before, !saved);
    QCOMPARE(sandbox.config().contains("vfs objects = full_audit"), saved);
}

// A setting Samba takes up only at start restarts the services, and the review says so.
void TestMainWindowHistory::restartWhereNeeded()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    window.currentSettings().global()->setWorkgroup(QStringLiteral("OTHERGROUP"));
    window.setModified();
    sandbox.clearLog();

    ModalDriver driver;
    Review seen;
    answerReview(driver, seen, true);
    QVERIFY(window.saveAll());
    QVERIFY2(seen.actions.last().startsWith(QLatin1String("Restart smbd and nmbd, which ends every client")),
             qPrintable(seen.actions.join(QLatin1Char('\n'))));
    QVERIFY(seen.actions.last().endsWith(QLatin1String(": workgroup")));
    QCOMPARE(
        sandbox.log(),
        (QStringList{QStringLiteral("systemctl is-active nmbd"), QStringLiteral("systemctl restart smbd"),
                     QStringLiteral("systemctl restart nmbd"), QStringLiteral("systemctl is-active smbd"),
                     QStringLiteral("systemctl is-active nmbd")}));
}

// A reload smbd did not get is made up for by a restart, and a stopped nmbd stays stopped.
void TestMainWindowHistory::reloadNotDeliveredRestarts()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow::setReviewsChanges(false);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    setComment(window, QStringLiteral("reloaded"));
    sandbox.failFor("smbd reload-config");
    sandbox.failFor("is-active nmbd");
    sandbox.clearLog();
    BoxDriver boxes;
    QVERIFY(window.saveAll());
    QCOMPARE(boxes.seen(), 0);
    QCOMPARE(sandbox.log(),
             (QStringList{
                 QStringLiteral("systemctl is-active nmbd"), QStringLiteral("smbcontrol smbd reload-config"),
                 QStringLiteral("systemctl restart smbd"), QStringLiteral("systemctl is-active smbd")}));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("smb.conf is saved; smbd restarted."));
}

// smbd down after a save: the box says so with systemctl's account, and one click puts the
// previous smb.conf back and restarts the services; the history records both.
void TestMainWindowHistory::failedServiceOffersRestore()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow::setReviewsChanges(false);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    const QByteArray before = sandbox.config();
    setComment(window, QStringLiteral("breaks smbd"));
    sandbox.write(QStringLiteral("down"), "smbd\n");
    sandbox.clearLog();

    BoxDriver boxes({QStringLiteral("Restore the previous version and restart")});
    QVERIFY(window.saveAll());
    QCOMPARE(boxes.seen(), 1);
    QCOMPARE(boxes.last().text, QStringLiteral("smbd is not running after smb.conf changed."));
    QCOMPARE(boxes.last().details, QStringLiteral("the status of smbd"));
    QCOMPARE(sandbox.config(), before);
    QVERIFY(sandbox.log().contains(QStringLiteral("systemctl restart smbd")));
    QCOMPARE(window.shareModel()->share(window.shareModel()->index(0, 0))->comment(), QString());
    QCOMPARE(summaries(sandbox),
             (QStringList{QStringLiteral("previous version restored after smbd failed"),
                          QStringLiteral("share data changed"), ConfigHistory::outsideChangeSummary()}));
    QVERIFY(window.statusBar()->currentMessage().contains(QLatin1String("restored")));
}

// Where systemctl cannot reach systemd, the window says the services could not be checked.
void TestMainWindowHistory::servicesThatCannotBeChecked()
{
    Sandbox sandbox;
    sandbox.setSmbdActive(true);
    MainWindow::setReviewsChanges(false);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    setComment(window, QStringLiteral("in a container"));
    sandbox.write(QStringLiteral("nosystemd"), QByteArray());
    BoxDriver boxes;
    QVERIFY(window.saveAll());
    QCOMPARE(boxes.seen(), 0);
    QVERIFY2(
        window.statusBar()->currentMessage().contains(QLatin1String("could not be checked: System has not "
                                                                    "been booted with systemd")),
        qPrintable(window.statusBar()->currentMessage()));
}

// The History window lists the versions newest first, shows their diffs, and restores one
// through the save's checks; the restore is recorded too.
void TestMainWindowHistory::historyWindowRestores()
{
    Sandbox sandbox;
    MainWindow::setReviewsChanges(false);
    MainWindow window(sandbox.environment());
    window.initialLoad();
    const QByteArray original = sandbox.config();
    setComment(window, QStringLiteral("one"));
    QVERIFY(window.saveAll());
    setComment(window, QStringLiteral("two"));
    QVERIFY(window.saveAll());

    ModalDriver driver;
    BoxDriver boxes({QStringLiteral("Yes")});
    QStringList rows;
    QString againstCurrent;
    QString againstPrevious;
    driver.then(QStringLiteral("HistoryDialog"), [&](QWidget *dialog) {
        auto *tree = child<QTreeWidget>(*dialog, "treeVersions");
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            rows << tree->topLevelItem(row)->text(0) + QLatin1Char(' ') + tree->topLevelItem(row)->text(4);
        tree->setCurrentItem(tree->topLevelItem(1));
        againstCurrent = child<DiffView>(*dialog, "diffView")->toPlainText();
        child<QRadioButton>(*dialog, "radioAgainstPrevious")->setChecked(true);
        againstPrevious = child<DiffView>(*dialog, "diffView")->toPlainText();
        tree->setCurrentItem(tree->topLevelItem(2));
        // The restore runs within the click: the list is the new one when it returns.
        child<QPushButton>(*dialog, "pushButtonRestore")->click();
        rows << QString::number(tree->topLevelItemCount());
        static_cast<QDialog *>(dialog)->reject();
    });
    window.findChild<QAction *>(QStringLiteral("actionHistory"))->trigger();

    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(
        rows,
        (QStringList{QStringLiteral("3 share data changed"), QStringLiteral("2 share data changed"),
                     QStringLiteral("1 ") + ConfigHistory::outsideChangeSummary(), QStringLiteral("4")}));
    QVERIFY2(againstCurrent.contains(QLatin1String("\n-   comment = one\n+   comment = two\n")),
             qPrintable(againstCurrent));
    QVERIFY2(againstPrevious.contains(QLatin1String("\n+   comment = one\n")), qPrintable(againstPrevious));
    QCOMPARE(boxes.seen(), 1);
    QVERIFY(boxes.last().text.startsWith(QLatin1String("Restore version 1 of smb.conf")));
    QCOMPARE(sandbox.config(), original);
    QCOMPARE(summaries(sandbox).first(), QStringLiteral("version 1 restored"));
    QCOMPARE(window.shareModel()->share(window.shareModel()->index(0, 0))->comment(), QString());
    QVERIFY(!window.isModified());
}

// A restore testparm refuses says testparm's words in the box, its whole output in the details;
// smb.conf stays. The real testparm judges the version with a line it cannot read added.
void TestMainWindowHistory::refusedRestoreSaysWhy()
{
    Sandbox sandbox;
    MainWindow::setReviewsChanges(false);
    sandbox.useChecker("exec testparm \"$@\"\n");
    MainWindow::Environment environment = sandbox.environment();
    environment.testparm = sandbox.path(QStringLiteral("testparm"));
    MainWindow window(environment);
    window.initialLoad();
    setComment(window, QStringLiteral("one"));
    QVERIFY(window.saveAll());
    const QByteArray saved = sandbox.config();
    sandbox.useChecker(
        "for last; do :; done\n"
        "case \"$last\" in *.shareward-*) printf '\\tcreate mask = 99999\\n' >> \"$last\" ;; esac\n"
        "exec testparm \"$@\"\n");

    ModalDriver driver;
    BoxDriver boxes({QStringLiteral("Yes")});
    driver.then(QStringLiteral("HistoryDialog"), [&](QWidget *dialog) {
        auto *tree = child<QTreeWidget>(*dialog, "treeVersions");
        tree->setCurrentItem(tree->topLevelItem(1));
        child<QPushButton>(*dialog, "pushButtonRestore")->click();
        static_cast<QDialog *>(dialog)->reject();
    });
    window.findChild<QAction *>(QStringLiteral("actionHistory"))->trigger();

    QCOMPARE(driver.remaining(), 0);
    QCOMPARE(boxes.seen(), 2);
    QCOMPARE(boxes.last().text,
             QStringLiteral("smb.conf was not restored.\n\ntestparm refuses the new "
                            "configuration:\nInvalid octal number create mask\n"
                            "Error loading services."));
    QVERIFY(boxes.last().details.startsWith(QLatin1String("Load smb config files from ")));
    QCOMPARE(sandbox.config(), saved);
}

// Preferences > Versions kept: the history of the next saves keeps that many, in this window
// and the next one.
void TestMainWindowHistory::keepSetInPreferences()
{
    MainWindow::setReviewsChanges(false);
    Sandbox sandbox;
    auto setKeep = [](MainWindow &window, int shown, int keep) {
        ModalDriver driver;
        driver.then(QString(), [shown, keep](QWidget *dialog) {
            auto *input = qobject_cast<QInputDialog *>(dialog);
            QVERIFY(input);
            QCOMPARE(input->intValue(), shown);
            input->setIntValue(keep);
            input->accept();
        });
        window.findChild<QAction *>(QStringLiteral("actionHistoryKeep"))->trigger();
        QCOMPARE(driver.remaining(), 0);
    };
    {
        MainWindow window(sandbox.environment());
        window.initialLoad();
        setKeep(window, ConfigHistory::DefaultKeep, 2);
        for (const char *comment : {"one", "two", "three"}) {
            setComment(window, QString::fromLatin1(comment));
            QVERIFY(window.saveAll());
        }
        QCOMPARE(summaries(sandbox).size(), 2);
    }
    MainWindow window(sandbox.environment());
    window.initialLoad();
    setKeep(window, 2, ConfigHistory::DefaultKeep);
    QCOMPARE(summaries(sandbox).size(), 2);
}

QTEST_MAIN(TestMainWindowHistory)
#include "tst_mainwindowhistory.moc"
