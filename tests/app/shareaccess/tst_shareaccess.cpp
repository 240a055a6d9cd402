// The window's part of the share access test, run by shareaccess.sh inside its namespaces:
// five shares added through the share dialog as an administrator would fill it in, one of
// them with full_audit and acl_xattr, then saved with the real testparm and pdbedit. The
// server maps unknown names to the guest (the SHARE mode), which opens no share by itself.
// shareaccess.sh then serves the saved smb.conf with the real smbd and checks who gets in
// and what the modules record.
#include "../privateserverwindow.h"
#include "auditoperationmodel.h"
#include "fullaudit.h"
#include "share.h"
#include "sharedialog.h"
#include "sharemodel.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

#include <functional>

namespace {

// What the administrator enters in the dialog for one share.
struct ShareForm
{
    enum Access { AllGuests, UsersAndGuests, AllSambaUsers, SelectedUsers };

    QString directory;
    QString name;
    QString description;
    bool readWrite = false;
    bool setDirectoryPermissions = false;
    Access access = AllSambaUsers;
    QStringList users;
    // Full audit of these operations' successes, logged by smbd rather than to syslog.
    QStringList auditedOperations;
    bool aclXattr = false;
};

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Fills the dialog's form through its widgets; returns what went wrong, or nothing.
class FormFiller
{
public:
    explicit FormFiller(QDialog *dialog)
        : m_dialog(dialog)
    {
    }

    QString fill(const ShareForm &form)
    {
        auto *tabs = widget<QTabWidget>("tabWidget");
        auto *directory = widget<QLineEdit>("lineEditDirectory");
        auto *name = widget<QLineEdit>("lineEditShareName");
        auto *description = widget<QLineEdit>("lineEditDescription");
        auto *readOnly = widget<QRadioButton>("radioButtonReadOnly");
        auto *readWrite = widget<QRadioButton>("radioButtonReadWrite");
        auto *permissions = widget<QCheckBox>("checkBoxSetDirectoryPermissions");
        auto *accessTabs = widget<QTabWidget>("AccessTabWidget");
        auto *allGuests = widget<QRadioButton>("radioButtonAllGuest");
        auto *usersAndGuests = widget<QRadioButton>("radioButtonUsersAndGuests");
        auto *allSamba = widget<QRadioButton>("radioButtonAllSamba");
        auto *selected = widget<QRadioButton>("radioButtonSelected");
        auto *available = widget<QListWidget>("listWidgetSambaUsers");
        auto *chosen = widget<QListWidget>("listWidgetShareUsers");
        auto *add = widget<QPushButton>("pushButtonAdd");
        auto *access = widget<QWidget>("tabAccess");
        if (!m_error.isEmpty())
            return m_error;

        tabs->setCurrentIndex(0);
        type(directory, form.directory);
        type(name, form.name);
        type(description, form.description);
        QRadioButton *mode = form.readWrite ? readWrite : readOnly;
        mode->click();
        check(mode->isChecked(), QStringLiteral("%1 stays unchecked").arg(mode->objectName()));
        if (permissions->isChecked() != form.setDirectoryPermissions)
            permissions->click();
        check(permissions->isChecked() == form.setDirectoryPermissions,
              QStringLiteral("checkBoxSetDirectoryPermissions does not follow the click"));

        tabs->setCurrentWidget(access);
        accessTabs->setCurrentIndex(0);
        QRadioButton *who = form.access == ShareForm::AllGuests ? allGuests
            : form.access == ShareForm::UsersAndGuests          ? usersAndGuests
            : form.access == ShareForm::AllSambaUsers           ? allSamba
                                                                : selected;
        who->click();
        check(who->isChecked(),
              QStringLiteral("%1 stays unchecked (%2)")
                  .arg(who->objectName(),
                       who->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled")));
        checkOfferedOnce(available);
        for (const QString &user : form.users) {
            const QList<QListWidgetItem *> items =
                available->findItems(user, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (items.isEmpty()) {
                check(false,
                      QStringLiteral("%1 is not among the available users: %2")
                          .arg(user, texts(available).join(QStringLiteral(", "))));
                continue;
            }
            available->clearSelection();
            available->setCurrentItem(items.first());
            check(add->isEnabled(), QStringLiteral("pushButtonAdd is disabled with %1 selected").arg(user));
            add->click();
        }
        if (form.access == ShareForm::SelectedUsers)
            checkChosen(available, chosen, form.users);
        if (!form.auditedOperations.isEmpty())
            fillFullAudit(tabs, form.auditedOperations);
        if (form.aclXattr)
            chooseAclXattr(tabs);
        return m_error;
    }

    // The edit of an existing share: the chosen users as saved, then a new description.
    QString editDescription(const QStringList &users, const QString &description)
    {
        auto *available = widget<QListWidget>("listWidgetSambaUsers");
        auto *chosen = widget<QListWidget>("listWidgetShareUsers");
        auto *edit = widget<QLineEdit>("lineEditDescription");
        if (!m_error.isEmpty())
            return m_error;
        checkOfferedOnce(available);
        checkChosen(available, chosen, users);
        type(edit, description);
        return m_error;
    }

private:
    // The audit tab: full audit on, the operations added through the operation chooser with
    // only their successes ticked, syslog off.
    void fillFullAudit(QTabWidget *tabs, const QStringList &operations)
    {
        auto *page = widget<QWidget>("tabAudit");
        auto *full = widget<QCheckBox>("checkBoxAuditFull");
        auto *table = widget<QTableView>("tableViewAuditOperations");
        auto *add = widget<QToolButton>("toolButtonAddOperation");
        auto *syslog = widget<QCheckBox>("checkBoxLogToSyslog");
        if (!m_error.isEmpty())
            return;
        tabs->setCurrentWidget(page);
        full->click();
        check(full->isChecked() && add->isEnabled() && syslog->isEnabled(),
              QStringLiteral("ticking checkBoxAuditFull leaves it unticked or its options disabled"));
        for (const QString &operation : operations)
            addOperation(add, operation);
        QAbstractItemModel *model = table->model();
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            rows << model->index(row, AuditOperationModel::NameColumn).data().toString();
            const QModelIndex failure = model->index(row, AuditOperationModel::FailureColumn);
            // Space on the focused tick box, as the keyboard unticks it.
            table->setCurrentIndex(failure);
            QTest::keyClick(table, Qt::Key_Space);
            check(
                failure.data(Qt::CheckStateRole).toInt() == Qt::Unchecked
                    && model->index(row, AuditOperationModel::SuccessColumn).data(Qt::CheckStateRole).toInt()
                        == Qt::Checked,
                QStringLiteral("%1 is not logged for its successes alone").arg(rows.last()));
        }
        check(rows == operations,
              QStringLiteral("the audited operations are [%1], not [%2]")
                  .arg(rows.join(QStringLiteral(", ")), operations.join(QStringLiteral(", "))));
        if (syslog->isChecked())
            syslog->click();
        check(!syslog->isChecked(), QStringLiteral("checkBoxLogToSyslog stays ticked"));
    }

    // Answers the operation chooser that the add button opens with the operation.
    void addOperation(QToolButton *add, const QString &operation)
    {
        QStringList offered;
        bool asked = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *chooser = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            poll.stop();
            asked = true;
            offered = chooser->comboBoxItems();
            if (!offered.contains(operation)) {
                chooser->reject();
                return;
            }
            chooser->setTextValue(operation);
            chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        poll.start(10);
        add->click();
        poll.stop();
        check(asked, QStringLiteral("toolButtonAddOperation opened no chooser"));
        check(offered.contains(operation),
              QStringLiteral("%1 is not offered: %2").arg(operation, offered.join(QStringLiteral(", "))));
    }

    // The ACL tab: the share's own settings rather than the server's, with acl_xattr.
    void chooseAclXattr(QTabWidget *tabs)
    {
        auto *page = widget<QWidget>("tabACL");
        auto *byDefault = widget<QCheckBox>("checkBoxByDefault");
        auto *xattr = widget<QRadioButton>("radioButtonXattr");
        if (!m_error.isEmpty())
            return;
        tabs->setCurrentWidget(page);
        if (byDefault->isChecked())
            byDefault->click();
        check(!byDefault->isChecked() && xattr->isEnabled(),
              QStringLiteral("unticking checkBoxByDefault leaves radioButtonXattr disabled"));
        xattr->click();
        check(xattr->isChecked(), QStringLiteral("radioButtonXattr stays unchecked"));
    }

    template<typename T>
    T *widget(const char *name)
    {
        T *found = m_dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            check(false, QStringLiteral("the share dialog has no %1").arg(QLatin1String(name)));
        return found;
    }

    // Each account is offered once, although a Samba user is a system user as well.
    void checkOfferedOnce(const QListWidget *available)
    {
        QStringList names = texts(available);
        check(names.removeDuplicates() == 0,
              QStringLiteral("names offered more than once: %1")
                  .arg(texts(available).join(QStringLiteral(", "))));
    }

    // The users for the share are exactly these, and none of them is still offered.
    void checkChosen(const QListWidget *available, const QListWidget *chosen, const QStringList &users)
    {
        check(texts(chosen) == users,
              QStringLiteral("the users for the share are [%1], not [%2]")
                  .arg(texts(chosen).join(QStringLiteral(", ")), users.join(QStringLiteral(", "))));
        for (const QString &user : users)
            check(!texts(available).contains(user),
                  QStringLiteral("%1 is chosen and still offered: %2")
                      .arg(user, texts(available).join(QStringLiteral(", "))));
    }

    void check(bool condition, const QString &error)
    {
        if (!condition && m_error.isEmpty())
            m_error = error;
    }

    // Types the text as keystrokes into the emptied field.
    void type(QLineEdit *edit, const QString &text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
        check(edit->text() == text,
              QStringLiteral("%1 holds \"%2\" after typing \"%3\"")
                  .arg(edit->objectName(), edit->text(), text));
    }

    QDialog *m_dialog;
    QString m_error;
};

} // namespace

class TestShareAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void addSharesThroughDialog();
    void save();
    void editKeepsChosenUsers();

private:
    // Runs the command, fills the share dialog it opens and clicks Ok; returns what went
    // wrong, or nothing.
    QString runDialog(const char *actionName, const std::function<QString(QDialog *)> &fill);
    QString addShare(const ShareForm &form);
    MainWindow *window() const { return m_server.window.get(); }
    QAction *action(const char *name) const { return m_server.action(name); }
    QString srv(const QString &name) const { return m_server.srv + QLatin1Char('/') + name; }
    const Share *share(const QString &name) const;

    PrivateServerWindow m_server;
    // Each step builds on the ones before it.
    bool m_failed = false;
    QString m_original; // smb.conf as the test server starts with it
};

void TestShareAccess::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    const QString error = m_server.open(QStringLiteral("tst_shareaccess"));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The directories lie outside /srv; the dialog's reminder about it is answered already.
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);

    const SambaUserMap &users = window()->currentSettings().users();
    QVERIFY2(
        users.contains(QStringLiteral("alice")) && users.contains(QStringLiteral("bob")),
        qPrintable(
            QStringLiteral("pdbedit's Samba users are [%1]").arg(users.keys().join(QStringLiteral(", ")))));
    QCOMPARE(window()->shareModel()->rowCount(), 0);
    m_original = m_server.savedConfig();
    QVERIFY(!m_original.isEmpty());
}

void TestShareAccess::init()
{
    if (m_failed)
        QSKIP("an earlier step failed");
}

void TestShareAccess::cleanup()
{
    m_failed = m_failed || QTest::currentTestFailed();
}

QString TestShareAccess::runDialog(const char *actionName, const std::function<QString(QDialog *)> &fill)
{
    const int boxesBefore = m_server.boxes->seen();
    QString error;
    bool found = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<ShareDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (clock.elapsed() > 10000) {
                error = QStringLiteral("no share dialog appeared");
                poll.stop();
            }
            return;
        }
        found = true;
        poll.stop();
        error = fill(dialog);
        if (error.isEmpty()) {
            QPushButton *ok = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))
                                  ->button(QDialogButtonBox::Ok);
            if (!ok->isEnabled())
                error = QStringLiteral("Ok is disabled on the filled-in form");
            else
                ok->click();
            // A refused form keeps the dialog open and says why in a box.
            if (error.isEmpty() && dialog->isVisible())
                error = QStringLiteral("the dialog did not accept the form\n")
                    + m_server.describeBoxes(boxesBefore);
        }
        if (!error.isEmpty())
            dialog->reject();
    });
    poll.start(10);
    QAction *command = action(actionName);
    if (!command->isEnabled())
        return QStringLiteral("%1 is disabled").arg(QLatin1String(actionName));
    command->trigger();
    poll.stop();
    if (error.isEmpty() && !found)
        error = QStringLiteral("%1 opened no share dialog").arg(QLatin1String(actionName));
    if (error.isEmpty() && m_server.boxes->seen() != boxesBefore)
        error = QStringLiteral("unexpected boxes\n") + m_server.describeBoxes(boxesBefore);
    return error;
}

QString TestShareAccess::addShare(const ShareForm &form)
{
    return runDialog("actionAddShare", [&form](QDialog *dialog) { return FormFiller(dialog).fill(form); });
}

const Share *TestShareAccess::share(const QString &name) const
{
    for (int row = 0; row < window()->shareModel()->rowCount(); ++row) {
        const Share *share = window()->shareModel()->share(window()->shareModel()->index(row, 0));
        if (share && share->name() == name)
            return share;
    }
    return nullptr;
}

void TestShareAccess::addSharesThroughDialog()
{
    ShareForm docs;
    docs.directory = srv(QStringLiteral("docs"));
    docs.name = QStringLiteral("docs");
    docs.description = QStringLiteral("Documents for everyone to read");
    docs.access = ShareForm::AllSambaUsers;
    QString error = addShare(docs);
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("[docs]: ") + error));

    ShareForm team;
    team.directory = srv(QStringLiteral("team"));
    team.name = QStringLiteral("team");
    team.description = QStringLiteral("Alice's work");
    team.readWrite = true;
    team.setDirectoryPermissions = true;
    team.access = ShareForm::SelectedUsers;
    team.users = QStringList{QStringLiteral("alice")};
    error = addShare(team);
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("[team]: ") + error));

    ShareForm guest;
    guest.directory = srv(QStringLiteral("guest"));
    guest.name = QStringLiteral("guest");
    guest.description = QStringLiteral("Open to guests");
    guest.readWrite = true;
    guest.setDirectoryPermissions = true;
    guest.access = ShareForm::AllGuests;
    error = addShare(guest);
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("[guest]: ") + error));

    ShareForm audited = team;
    audited.directory = srv(QStringLiteral("audited"));
    audited.name = QStringLiteral("audited");
    audited.description = QStringLiteral("Alice's audited work");
    audited.auditedOperations = QStringList{QStringLiteral("fsetxattr"), QStringLiteral("pwrite")};
    audited.aclXattr = true;
    error = addShare(audited);
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("[audited]: ") + error));
    ShareForm mixed = guest;
    mixed.directory = srv(QStringLiteral("mixed"));
    mixed.name = QStringLiteral("mixed");
    mixed.description = QStringLiteral("Users as themselves, others as guest");
    mixed.access = ShareForm::UsersAndGuests;
    error = addShare(mixed);
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("[mixed]: ") + error));

    QCOMPARE(window()->shareModel()->rowCount(), 5);
    const Share *added = share(QStringLiteral("docs"));
    QVERIFY(added);
    QVERIFY(added->readOnly());
    QVERIFY(!added->guestOk());
    QCOMPARE(added->validUsers(), QStringList());
    added = share(QStringLiteral("team"));
    QVERIFY(added);
    QVERIFY(!added->readOnly());
    QCOMPARE(added->validUsers(), QStringList{QStringLiteral("alice")});
    added = share(QStringLiteral("guest"));
    QVERIFY(added);
    QVERIFY(!added->readOnly());
    QVERIFY(added->guestOk());
    QVERIFY(added->guestOnly());
    added = share(QStringLiteral("mixed"));
    QVERIFY(added);
    QVERIFY(added->guestOk());
    QVERIFY(!added->guestOnly());
    added = share(QStringLiteral("audited"));
    QVERIFY(added);
    QVERIFY(!added->readOnly());
    QCOMPARE(added->validUsers(), QStringList{QStringLiteral("alice")});
    QVERIFY(added->hasVfsModule(QStringLiteral("acl_xattr")));
    QVERIFY(!added->aclByDefault());
    const auto fullAudit =
        std::dynamic_pointer_cast<FullAudit>(added->vfsModule(QStringLiteral("full_audit")));
    QVERIFY(fullAudit);
    QCOMPARE(formatOperationSet(fullAudit->successOperations()), QStringLiteral("fsetxattr pwrite"));
    QCOMPARE(formatOperationSet(fullAudit->failureOperations()), QStringLiteral("none"));
    QVERIFY(!fullAudit->syslog());
    QVERIFY(window()->isModified());
}

void TestShareAccess::save()
{
    const QString error = m_server.save();
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // Set directory permissions: 01777 for the read/write shares at save (everyone writes,
    // nobody removes another's files); [docs] keeps the administrator's own mode.
    QCOMPARE(modeOf(srv(QStringLiteral("team"))), mode_t(01777));
    QCOMPARE(modeOf(srv(QStringLiteral("guest"))), mode_t(01777));
    QCOMPARE(modeOf(srv(QStringLiteral("audited"))), mode_t(01777));
    QCOMPARE(modeOf(srv(QStringLiteral("mixed"))), mode_t(01777));
    QCOMPARE(modeOf(srv(QStringLiteral("docs"))), mode_t(0775));

    const QString config = m_server.savedConfig();
    for (const char *section : {"[docs]", "[team]", "[guest]", "[audited]", "[mixed]"})
        QVERIFY2(config.contains(QLatin1String(section)), section);
    // Added shares come after the file as it was, which keeps every byte.
    QVERIFY2(config.startsWith(m_original), qPrintable(config));
    // New sections are indented like the file's own.
    QVERIFY2(config.contains(QStringLiteral("\n   valid users = alice\n")), qPrintable(config));
}

// Editing [team] after the save shows alice as its one user, not as chosen twice or still
// offered, and a changed description leaves the valid users as they were.
void TestShareAccess::editKeepsChosenUsers()
{
    const QStringList before = m_server.savedConfig().split(QLatin1Char('\n'));
    auto *view = window()->findChild<QTableView *>(QStringLiteral("tableViewShares"));
    QVERIFY(view);
    const QModelIndexList found =
        view->model()->match(view->model()->index(0, ShareModel::NameColumn), Qt::DisplayRole,
                             QStringLiteral("team"), 1, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    view->selectRow(found.first().row());
    const QStringList alice{QStringLiteral("alice")};
    const QString error = runDialog("actionEditShare", [&alice](QDialog *dialog) {
        return FormFiller(dialog).editDescription(alice, QStringLiteral("Alice's work, edited"));
    });
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("editing [team]: ") + error));
    const Share *team = share(QStringLiteral("team"));
    QVERIFY(team);
    QCOMPARE(team->comment(), QStringLiteral("Alice's work, edited"));
    QCOMPARE(team->validUsers(), alice);

    QVERIFY(window()->isModified());
    const QString saved = m_server.save();
    QVERIFY2(saved.isEmpty(), qPrintable(saved));
    // The description's line is the one line that changed.
    const QStringList after = m_server.savedConfig().split(QLatin1Char('\n'));
    QCOMPARE(after.size(), before.size());
    QStringList changed;
    for (int i = 0; i < after.size(); ++i) {
        if (after.at(i) != before.at(i))
            changed << before.at(i) + QStringLiteral(" -> ") + after.at(i);
    }
    QCOMPARE(changed,
             QStringList{QStringLiteral("   comment = Alice's work ->    comment = Alice's work, edited")});
}

QTEST_MAIN(TestShareAccess)
#include "tst_shareaccess.moc"
