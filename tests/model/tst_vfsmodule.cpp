#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "fruit.h"
#include "fullaudit.h"
#include "recyclebin.h"
#include "shadowcopy.h"

#include <QTest>

#include <typeinfo>

Q_DECLARE_METATYPE(std::shared_ptr<ACL>)

class TestVfsModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void auditDefaults();
    void fullAuditDefaults();
    void aclDefaults_data();
    void aclDefaults();
    void createFromWord_data();
    void createFromWord();
};

void TestVfsModule::auditDefaults()
{
    const Audit audit;
    QCOMPARE(audit.name(), QStringLiteral("audit"));
    QCOMPARE(audit.facility().name(), QStringLiteral("USER"));
    QCOMPARE(audit.facility().description(), QStringLiteral("generic user-level messages"));
    QCOMPARE(audit.priority().name(), QStringLiteral("INFO"));
    QCOMPARE(audit.priority().description(), QStringLiteral("informational message"));
}

void TestVfsModule::fullAuditDefaults()
{
    const FullAudit audit;
    QCOMPARE(audit.name(), QStringLiteral("full_audit"));
    QCOMPARE(audit.prefix(), QStringLiteral("%u|%I"));
    QVERIFY(audit.successOperations().isEmpty());
    QVERIFY(audit.failureOperations().isEmpty());
    QCOMPARE(audit.facility().name(), QStringLiteral("USER"));
    QCOMPARE(audit.facility().description(), QStringLiteral("generic user-level messages"));
    QCOMPARE(audit.priority().name(), QStringLiteral("INFO"));
    QCOMPARE(audit.syslog(), true);
    QCOMPARE(audit.logSecDesc(), false);
}

void TestVfsModule::aclDefaults_data()
{
    QTest::addColumn<std::shared_ptr<ACL>>("module");
    QTest::addColumn<QString>("name");

    QTest::newRow("acl_tdb") << std::shared_ptr<ACL>(std::make_shared<ACLTDB>()) << "acl_tdb";
    QTest::newRow("acl_xattr") << std::shared_ptr<ACL>(std::make_shared<ACLXAttr>()) << "acl_xattr";
}

void TestVfsModule::aclDefaults()
{
    QFETCH(std::shared_ptr<ACL>, module);
    QFETCH(QString, name);

    QCOMPARE(module->name(), name);
    QCOMPARE(module->ignoreSystemAcls(), false);
    QCOMPARE(module->defaultAclStyle(), QStringLiteral("posix"));
}

void TestVfsModule::createFromWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");

    const QString generic = QString::fromLatin1(typeid(VFSModule).name());
    const QString audit = QString::fromLatin1(typeid(Audit).name());
    const QString fullAudit = QString::fromLatin1(typeid(FullAudit).name());

    QTest::newRow("audit") << "audit" << audit << "audit";
    QTest::newRow("audit in capitals") << "AUDIT" << audit << "audit";
    QTest::newRow("full_audit mixed case") << "Full_Audit" << fullAudit << "full_audit";
    QTest::newRow("prefix of full_audit") << "full_audit2" << generic << "full_audit2";
    QTest::newRow("acl_tdb") << "acl_tdb" << QString::fromLatin1(typeid(ACLTDB).name()) << "acl_tdb";
    QTest::newRow("acl_xattr") << "ACL_XATTR" << QString::fromLatin1(typeid(ACLXAttr).name()) << "acl_xattr";
    QTest::newRow("recycle") << "Recycle" << QString::fromLatin1(typeid(RecycleBin).name()) << "recycle";
    QTest::newRow("fruit") << "fruit" << QString::fromLatin1(typeid(Fruit).name()) << "fruit";
    QTest::newRow("shadow_copy2") << "shadow_copy2" << QString::fromLatin1(typeid(ShadowCopy).name())
                                  << "shadow_copy2";
    QTest::newRow("other module") << "catia" << generic << "catia";
    QTest::newRow("other module in capitals") << "Streams_Xattr" << generic << "streams_xattr";
}

void TestVfsModule::createFromWord()
{
    QFETCH(QString, word);
    QFETCH(QString, type);
    QFETCH(QString, name);

    const std::shared_ptr<VFSModule> module = VFSModule::create(word);
    QVERIFY(module);
    const VFSModule &object = *module;
    QCOMPARE(QString::fromLatin1(typeid(object).name()), type);
    QCOMPARE(module->name(), name);
}

QTEST_GUILESS_MAIN(TestVfsModule)
#include "tst_vfsmodule.moc"
