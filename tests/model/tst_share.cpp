#include "audit.h"
#include "fullaudit.h"
#include "share.h"

#include <QTest>

#include <utility>

namespace {

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList moduleNames(const Share &share)
{
    QStringList names;
    const auto modules = share.vfsModuleList();
    for (const auto &module : modules) {
        names.append(module->name());
    }
    return names;
}

} // namespace

class TestShare : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void moduleOrder_data();
    void moduleOrder();
    void moduleOrderIsCaseSensitive();
    void moduleMapOperations();
    void copySharesModulesNotTheMap();
    void removeValidUser_data();
    void removeValidUser();
};

void TestShare::defaults()
{
    const Share share;
    QVERIFY(share.originalName().isEmpty());
    QVERIFY(share.name().isEmpty());
    QCOMPARE(share.readOnly(), true);
    QCOMPARE(share.browseable(), true);
    QCOMPARE(share.printable(), false);
    QCOMPARE(share.guestOk(), false);
    QCOMPARE(share.guestOnly(), false);
    QCOMPARE(share.readWrite(), false);
    QCOMPARE(share.setDirectoryPermissions(), false);
    QCOMPARE(share.writeListEverybody(), false);
    QVERIFY(share.vfsModuleList().isEmpty());
    QVERIFY(share.validUsers().isEmpty());

    QCOMPARE(share.aclByDefault(), true);
    QCOMPARE(share.ntAclSupport(), true);
    QCOMPARE(share.storeDosAttributes(), true);
    QCOMPARE(share.aclMapFullControl(), true);
    QCOMPARE(share.inheritAcls(), false);
    QCOMPARE(share.mapAclInherit(), false);
    QCOMPARE(share.dosFilemode(), false);
    QCOMPARE(share.aclAllowExecuteAlways(), false);
    QCOMPARE(share.aclGroupControl(), false);
    QCOMPARE(share.forceUnknownAclUser(), false);

    const Share section(QStringLiteral("Public"));
    QCOMPARE(section.originalName(), QStringLiteral("Public"));
    QVERIFY(section.name().isEmpty());
}

void TestShare::moduleOrder_data()
{
    QTest::addColumn<QStringList>("inserted");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("audit modules reversed")
        << words("full_audit audit acl_xattr") << words("acl_xattr audit full_audit");
    QTest::newRow("all four known") << words("audit full_audit acl_xattr acl_tdb")
                                    << words("acl_tdb acl_xattr audit full_audit");
    QTest::newRow("other modules among known")
        << words("recycle full_audit fruit acl_tdb") << words("acl_tdb fruit full_audit recycle");
    QTest::newRow("name given twice") << words("audit recycle audit") << words("audit recycle");
}

void TestShare::moduleOrder()
{
    QFETCH(QStringList, inserted);
    QFETCH(QStringList, listed);

    Share share;
    for (const QString &name : std::as_const(inserted)) {
        share.addVfsModule(VFSModule::create(name));
    }
    QCOMPARE(moduleNames(share), listed);
}

void TestShare::moduleOrderIsCaseSensitive()
{
    // Keys compare by UTF-16 code unit, so capitals come before every lower-case name.
    Share share;
    share.addVfsModule(std::make_shared<Audit>());
    share.addVfsModule(std::make_shared<VFSModule>(QStringLiteral("Zeta")));
    share.addVfsModule(std::make_shared<VFSModule>(QStringLiteral("alpha")));
    QCOMPARE(moduleNames(share), words("Zeta alpha audit"));
    QVERIFY(!share.hasVfsModule(QStringLiteral("zeta")));
}

void TestShare::moduleMapOperations()
{
    Share share;
    auto first = std::make_shared<FullAudit>();
    auto second = std::make_shared<FullAudit>();
    share.addVfsModule(first);
    share.addVfsModule(second);
    QCOMPARE(share.vfsModuleList().size(), 1);
    QCOMPARE(share.vfsModule(QStringLiteral("full_audit")).get(), second.get());

    share.removeVfsModule(QStringLiteral("audit"));
    QVERIFY(share.hasVfsModule(QStringLiteral("full_audit")));
    QVERIFY(!share.hasVfsModule(QStringLiteral("audit")));
    QVERIFY(!share.vfsModule(QStringLiteral("audit")));

    share.removeVfsModule(QStringLiteral("full_audit"));
    QVERIFY(share.vfsModuleList().isEmpty());
}

void TestShare::copySharesModulesNotTheMap()
{
    Share original;
    original.addVfsModule(std::make_shared<Audit>());
    Share copy = original;

    QCOMPARE(copy.vfsModule(QStringLiteral("audit")).get(),
             original.vfsModule(QStringLiteral("audit")).get());
    copy.removeVfsModule(QStringLiteral("audit"));
    copy.addVfsModule(std::make_shared<FullAudit>());
    QCOMPARE(moduleNames(original), words("audit"));
    QCOMPARE(moduleNames(copy), words("full_audit"));
}

void TestShare::removeValidUser_data()
{
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("every occurrence")
        << words("nobody alice nobody bob nobody") << "nobody" << words("alice bob");
    QTest::newRow("other case kept") << words("Nobody nobody NOBODY") << "nobody" << words("Nobody NOBODY");
    QTest::newRow("group entry kept") << words("@nobody nobody") << "nobody" << words("@nobody");
    QTest::newRow("absent") << words("alice") << "nobody" << words("alice");
    QTest::newRow("empty list") << QStringList() << "nobody" << QStringList();
}

void TestShare::removeValidUser()
{
    QFETCH(QStringList, users);
    QFETCH(QString, removed);
    QFETCH(QStringList, remaining);

    Share share;
    share.setValidUsers(users);
    share.removeValidUser(removed);
    QCOMPARE(share.validUsers(), remaining);
}

QTEST_GUILESS_MAIN(TestShare)
#include "tst_share.moc"
