// The part of a save of the Samba accounts that every ServerAccounts shares: what it hands
// the request, and what the window's records keep afterwards, written or not.
#include "serveraccounts.h"

#include <QTest>

namespace {

// Answers the save requests with the failures given, and keeps what they were asked.
class RecordingAccounts : public ServerAccounts
{
public:
    SambaAccountFailures failures;
    SambaUserMap writtenUsers;
    SambaGroupMap writtenGroups;

    SystemAccounts systemAccounts() override { return {}; }
    RegularAccounts regularAccounts() override { return {}; }
    QStringList domainUsers() override { return {}; }
    QStringList domainGroups() override { return {}; }
    SambaUserMap sambaUsers() override { return {}; }
    SambaGroupMap sambaGroups() override { return {}; }
    Creation createServiceUser(const QString &) override { return {}; }
    Creation createServiceGroup(const QString &) override { return {}; }

protected:
    SambaAccountFailures writeSambaUsers(const SambaUserMap &current, const SambaUserMap &) override
    {
        writtenUsers = current;
        return failures;
    }
    SambaAccountFailures writeSambaGroups(const SambaGroupMap &current, const SambaGroupMap &) override
    {
        writtenGroups = current;
        return failures;
    }
};

SambaUser user(const char *name, const char *password)
{
    SambaUser record(QString::fromUtf8(name));
    if (*password)
        record.setPassword(QString::fromUtf8(password));
    return record;
}

} // namespace

class TestServerAccounts : public QObject
{
    Q_OBJECT

private slots:
    void saveForgetsPasswords_data();
    void saveForgetsPasswords();
    void saveLeavesGroupsUnchanged_data();
    void saveLeavesGroupsUnchanged();
};

void TestServerAccounts::saveForgetsPasswords_data()
{
    QTest::addColumn<bool>("fails");
    QTest::newRow("written") << false;
    // A password is not kept for another try either.
    QTest::newRow("refused") << true;
}

void TestServerAccounts::saveForgetsPasswords()
{
    QFETCH(bool, fails);

    RecordingAccounts accounts;
    if (fails)
        accounts.failures << SambaAccountFailure(QStringLiteral("carol"), SambaAccountFailure::AddUser,
                                                 QStringLiteral("refused"));
    SambaUserMap current;
    current.insert(QStringLiteral("alice"), SambaUser(QStringLiteral("alice")));
    current.insert(QStringLiteral("bob"), user("bob", "n\u00e9u"));
    current.insert(QStringLiteral("carol"), user("carol", "p\u00e4ssw\u00f6rd"));
    const SambaUserMap asked = current;

    QCOMPARE(accounts.saveSambaUsers(current, SambaUserMap()), accounts.failures);
    // The request had the passwords; the records keep none, and nothing to write.
    QCOMPARE(accounts.writtenUsers, asked);
    QCOMPARE(current.keys(), asked.keys());
    for (const SambaUser &record : qAsConst(current)) {
        QVERIFY2(record.password().isEmpty(), qPrintable(record.name()));
        QVERIFY2(!record.changed(), qPrintable(record.name()));
    }
}

void TestServerAccounts::saveLeavesGroupsUnchanged_data()
{
    saveForgetsPasswords_data();
}

void TestServerAccounts::saveLeavesGroupsUnchanged()
{
    QFETCH(bool, fails);

    RecordingAccounts accounts;
    if (fails)
        accounts.failures << SambaAccountFailure(QStringLiteral("staff"), SambaAccountFailure::AddGroup,
                                                 QStringLiteral("refused"));
    SambaGroupMap current;
    SambaGroup staff(QStringLiteral("staff"));
    staff.setChanged(true);
    current.insert(staff.name(), staff);
    current.insert(QStringLiteral("admins"), SambaGroup(QStringLiteral("admins")));
    const SambaGroupMap asked = current;

    QCOMPARE(accounts.saveSambaGroups(current, SambaGroupMap()), accounts.failures);
    QCOMPARE(accounts.writtenGroups, asked);
    QCOMPARE(current.keys(), asked.keys());
    for (const SambaGroup &record : qAsConst(current))
        QVERIFY2(!record.changed(), qPrintable(record.name()));
}

QTEST_GUILESS_MAIN(TestServerAccounts)
#include "tst_serveraccounts.moc"
