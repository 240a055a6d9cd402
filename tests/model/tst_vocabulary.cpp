#include "contexttranslator.h"
#include "syslogfacility.h"
#include "syslogpriority.h"
#include "vfsoperation.h"

#include <QCoreApplication>
#include <QTest>
#include <QVariant>

class TestVocabulary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void facilityTable_data();
    void facilityTable();
    void priorityTable_data();
    void priorityTable();
    void operationTable();
    void facilityLookup_data();
    void facilityLookup();
    void priorityLookup_data();
    void priorityLookup();
    void operationLookup_data();
    void operationLookup();
    void equalityIgnoresDescription();
    void metaTypes();
    void descriptionsFollowOperationContext();
};

void TestVocabulary::facilityTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("AUTHPRIV") << "AUTHPRIV"
                              << "security/authorization messages (private)";
    QTest::newRow("KERN") << "KERN"
                          << "kernel messages (these can't be generated from user processes)";
    QTest::newRow("LOCAL0") << "LOCAL0"
                            << "reserved for local use";
    QTest::newRow("LOCAL7") << "LOCAL7"
                            << "reserved for local use";
    QTest::newRow("NEWS") << "NEWS"
                          << "USENET news subsystem";
    QTest::newRow("UUCP") << "UUCP"
                          << "UUCP subsystem";
}

void TestVocabulary::facilityTable()
{
    QFETCH(QString, name);
    QFETCH(QString, description);

    const QSet<Syslog::Facility> all = allFacilities();
    QCOMPARE(all.size(), 20);
    const auto it = all.constFind(Syslog::Facility(name, QString()));
    QVERIFY(it != all.cend());
    QCOMPARE(it->description(), description);
}

void TestVocabulary::priorityTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("EMERG") << "EMERG"
                           << "system is unusable";
    QTest::newRow("ERR") << "ERR"
                         << "error conditions";
    QTest::newRow("NOTICE") << "NOTICE"
                            << "normal, but significant, condition";
    QTest::newRow("DEBUG") << "DEBUG"
                           << "debug-level message";
}

void TestVocabulary::priorityTable()
{
    QFETCH(QString, name);
    QFETCH(QString, description);

    const QSet<Syslog::Priority> all = allPriorities();
    QCOMPARE(all.size(), 8);
    const auto it = all.constFind(Syslog::Priority(name, QString()));
    QVERIFY(it != all.cend());
    QCOMPARE(it->description(), description);
}

void TestVocabulary::operationTable()
{
    const VfsOperationSet all = allOperations();
    QCOMPARE(all.size(), 70);
    for (const char *name :
         { "chflags", "copy_chunk_recv", "get_shadow_copy_data", "sys_acl_delete_def_file", "write" }) {
        QVERIFY2(all.contains(VfsOperation(QString::fromLatin1(name), QString())), name);
    }
    for (const VfsOperation &operation : all) {
        QCOMPARE(operation.name(), operation.name().toLower());
    }
}

void TestVocabulary::facilityLookup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("upper case") << "USER"
                                << "USER"
                                << "generic user-level messages";
    QTest::newRow("lower case") << "local3"
                                << "LOCAL3"
                                << "reserved for local use";
    QTest::newRow("mixed case") << "Syslog"
                                << "SYSLOG"
                                << "messages generated internally by syslogd";
    QTest::newRow("unknown") << "foo"
                             << "FOO"
                             << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestVocabulary::facilityLookup()
{
    QFETCH(QString, input);
    QFETCH(QString, name);
    QFETCH(QString, description);

    const Syslog::Facility facility(input);
    QCOMPARE(facility.name(), name);
    QCOMPARE(facility.description(), description);
}

void TestVocabulary::priorityLookup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("upper case") << "INFO"
                                << "INFO"
                                << "informational message";
    QTest::newRow("lower case") << "crit"
                                << "CRIT"
                                << "critical conditions";
    QTest::newRow("abbreviation is unknown") << "warn"
                                             << "WARN"
                                             << "";
}

void TestVocabulary::priorityLookup()
{
    QFETCH(QString, input);
    QFETCH(QString, name);
    QFETCH(QString, description);

    const Syslog::Priority priority(input);
    QCOMPARE(priority.name(), name);
    QCOMPARE(priority.description(), description);
}

void TestVocabulary::operationLookup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");

    QTest::newRow("lower case") << "open"
                                << "open" << true;
    QTest::newRow("upper case") << "SYS_ACL_GET_FD"
                                << "sys_acl_get_fd" << true;
    QTest::newRow("unknown") << "Frobnicate"
                             << "frobnicate" << false;
}

void TestVocabulary::operationLookup()
{
    QFETCH(QString, input);
    QFETCH(QString, name);
    QFETCH(bool, known);

    const VfsOperation operation(input);
    QCOMPARE(operation.name(), name);
    QCOMPARE(allOperations().contains(operation), known);
}

void TestVocabulary::equalityIgnoresDescription()
{
    // Sets of values read from a file must match table entries whatever their descriptions.
    QCOMPARE(Syslog::Facility(QStringLiteral("USER"), QStringLiteral("other")),
             Syslog::Facility(QStringLiteral("user")));
    QVERIFY(allPriorities().contains(Syslog::Priority(QStringLiteral("DEBUG"), QString())));
    QVERIFY(Syslog::Facility(QStringLiteral("USER")) != Syslog::Facility(QStringLiteral("UUCP")));
    QCOMPARE(VfsOperation(QStringLiteral("open"), QStringLiteral("x")), VfsOperation(QStringLiteral("OPEN")));
}

void TestVocabulary::metaTypes()
{
    QCOMPARE(QMetaType::type("Syslog::Facility"), qMetaTypeId<Syslog::Facility>());
    QCOMPARE(QMetaType::type("Syslog::Priority"), qMetaTypeId<Syslog::Priority>());

    const QVariant facility = QVariant::fromValue(Syslog::Facility(QStringLiteral("mail")));
    QCOMPARE(facility.value<Syslog::Facility>().description(), QStringLiteral("mail subsystem"));
    const QVariant priority = QVariant::fromValue(Syslog::Priority(QStringLiteral("alert")));
    QCOMPARE(priority.value<Syslog::Priority>().name(), QStringLiteral("ALERT"));
}

void TestVocabulary::descriptionsFollowOperationContext()
{
    ContextTranslator wrongContext("Audit");
    ContextTranslator operationContext("Operation");

    QCoreApplication::installTranslator(&wrongContext);
    const QSet<Syslog::Facility> untranslated = allFacilities();
    QCOMPARE(untranslated.constFind(Syslog::Facility(QStringLiteral("FTP"), QString()))->description(),
             QStringLiteral("ftp daemon"));

    // The tables are translated whenever they are built, not once.
    QCoreApplication::installTranslator(&operationContext);
    const QSet<Syslog::Facility> facilities = allFacilities();
    QCOMPARE(facilities.constFind(Syslog::Facility(QStringLiteral("FTP"), QString()))->description(),
             QStringLiteral("[ftp daemon]"));
    const QSet<Syslog::Priority> priorities = allPriorities();
    QCOMPARE(priorities.constFind(Syslog::Priority(QStringLiteral("EMERG"), QString()))->description(),
             QStringLiteral("[system is unusable]"));
    const VfsOperationSet operations = allOperations();
    QCOMPARE(operations.constFind(VfsOperation(QStringLiteral("open"), QString()))->description(),
             QStringLiteral("[]"));

    QCoreApplication::removeTranslator(&operationContext);
    QCoreApplication::removeTranslator(&wrongContext);
}

QTEST_GUILESS_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
