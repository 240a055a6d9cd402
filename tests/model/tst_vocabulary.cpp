#include "contexttranslator.h"
#include "syslogfacility.h"
#include "syslogpriority.h"
#include "vfsoperation.h"

#include <QCoreApplication>
#include <QTest>
#include <QVariant>

namespace {

// The table entry equal to key (by name), with its description.
template<typename T>
T entryOf(const QSet<T> &table, const T &key)
{
    const auto it = table.constFind(key);
    return it == table.cend() ? T() : *it;
}

} // namespace

class TestVocabulary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableSizes();
    void lookup_data();
    void lookup();
    void equalityIgnoresDescription();
    void metaTypes();
    void descriptionsFollowOperationContext();
    void operationsOfSamba_data();
    void operationsOfSamba();
};

void TestVocabulary::tableSizes()
{
    QCOMPARE(allFacilities().size(), 20);
    QCOMPARE(allPriorities().size(), 8);
    QCOMPARE(allOperations().size(), 104);
}

void TestVocabulary::lookup_data()
{
    QTest::addColumn<char>("kind"); // f: facility, p: priority, o: operation
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("facility") << 'f' << "USER"
                              << "USER"
                              << "generic user-level messages";
    QTest::newRow("facility lower case") << 'f' << "local3"
                                         << "LOCAL3"
                                         << "reserved for local use";
    QTest::newRow("facility mixed case") << 'f' << "Kern"
                                         << "KERN"
                                         << "kernel messages (these can't be generated from user processes)";
    QTest::newRow("unknown facility") << 'f' << "foo"
                                      << "FOO"
                                      << "";
    QTest::newRow("empty facility") << 'f' << ""
                                    << ""
                                    << "";
    QTest::newRow("priority lower case") << 'p' << "notice"
                                         << "NOTICE"
                                         << "normal, but significant, condition";
    QTest::newRow("priority abbreviation") << 'p' << "warn"
                                           << "WARN"
                                           << "";
    QTest::newRow("operation upper case") << 'o' << "SYS_ACL_GET_FD"
                                          << "sys_acl_get_fd"
                                          << "";
    QTest::newRow("unknown operation") << 'o' << "Frobnicate"
                                       << "frobnicate"
                                       << "";
}

void TestVocabulary::lookup()
{
    QFETCH(char, kind);
    QFETCH(QString, input);
    QFETCH(QString, name);
    QFETCH(QString, description);

    auto check = [&](const auto &value) {
        QCOMPARE(value.name(), name);
        QCOMPARE(value.description(), description);
    };
    if (kind == 'f') {
        check(Syslog::Facility(input));
    } else if (kind == 'p') {
        check(Syslog::Priority(input));
    } else {
        check(VfsOperation(input));
    }
}

void TestVocabulary::equalityIgnoresDescription()
{
    // Values read from a file must match the table entries whatever their descriptions.
    QCOMPARE(Syslog::Facility(QStringLiteral("USER"), QStringLiteral("other")),
             Syslog::Facility(QStringLiteral("user")));
    QVERIFY(allPriorities().contains(Syslog::Priority(QStringLiteral("DEBUG"), QStringLiteral("other"))));
    QVERIFY(allOperations().contains(VfsOperation(QStringLiteral("open"), QStringLiteral("other"))));
    QVERIFY(Syslog::Facility(QStringLiteral("USER")) != Syslog::Facility(QStringLiteral("UUCP")));
}

void TestVocabulary::metaTypes()
{
    QCOMPARE(QMetaType::type("Syslog::Facility"), qMetaTypeId<Syslog::Facility>());
    QCOMPARE(QMetaType::type("Syslog::Priority"), qMetaTypeId<Syslog::Priority>());

    const QVariant facility = QVariant::fromValue(Syslog::Facility(QStringLiteral("mail")));
    QCOMPARE(facility.value<Syslog::Facility>().description(), QStringLiteral("mail subsystem"));
}

void TestVocabulary::descriptionsFollowOperationContext()
{
    const Syslog::Facility ftp(QStringLiteral("FTP"), QString());
    ContextTranslator wrongContext("Audit");
    QCoreApplication::installTranslator(&wrongContext);
    QCOMPARE(entryOf(allFacilities(), ftp).description(), QStringLiteral("ftp daemon"));

    // The tables are translated each time they are built.
    ContextTranslator operationContext("Operation");
    QCoreApplication::installTranslator(&operationContext);
    QCOMPARE(entryOf(allFacilities(), ftp).description(), QStringLiteral("[ftp daemon]"));
    const Syslog::Priority emerg(QStringLiteral("EMERG"), QString());
    QCOMPARE(entryOf(allPriorities(), emerg).description(), QStringLiteral("[system is unusable]"));

    QCoreApplication::removeTranslator(&operationContext);
    QCoreApplication::removeTranslator(&wrongContext);
}

void TestVocabulary::operationsOfSamba_data()
{
    // smbd 4.17 refuses a share whose full_audit lists a name it does not know: the table
    // holds the current names and none of those older versions used.
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");
    const auto rows = [](const char *names, bool known) {
        for (const QString &name : QString::fromLatin1(names).split(QLatin1Char(' ')))
            QTest::newRow(qPrintable(name)) << name << known;
    };
    rows("openat create_file unlinkat renameat mkdirat fntimes fstatat pwrite_send sys_acl_blob_get_fd",
         true);
    rows("chflags chmod chown copy_chunk_send copy_chunk_recv get_compression get_nt_acl getxattr "
         "kernel_flock link listxattr mkdir mknod opendir readlink rename rmdir set_nt_acl setxattr "
         "symlink sys_acl_delete_def_file sys_acl_get_file sys_acl_set_file unlink utime",
         false);
}

void TestVocabulary::operationsOfSamba()
{
    QFETCH(QString, name);
    QFETCH(bool, known);
    QCOMPARE(allOperations().contains(VfsOperation(name)), known);
}

QTEST_GUILESS_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
