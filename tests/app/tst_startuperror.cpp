// The start-up failure texts and the repair each one offers.
#include "startuperror.h"
#include "testparmresult.h"

#include <QtTest>

#include <stdexcept>

class TestStartupError : public QObject
{
    Q_OBJECT

private slots:
    void checkFailure_data();
    void checkFailure();
    void loadFailure();
    void offerFor_data();
    void offerFor();
    void withNotes_data();
    void withNotes();
};

void TestStartupError::checkFailure_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok") << int(TestParmResult::Ok) << QString();
    QTest::newRow("warnings") << int(TestParmResult::Warnings) << QString();
    QTest::newRow("errors") << int(TestParmResult::Errors)
                            << QStringLiteral(
                                   "Failed to initialize application.\nSamba configuration file smb.conf "
                                   "contains errors.\ntestparm output is:\nOUT");
    QTest::newRow("failed") << int(TestParmResult::Failed)
                            << QStringLiteral(
                                   "Failed to initialize application.\nFailed to run testparm.\nOUT");
}

void TestStartupError::checkFailure()
{
    QFETCH(int, status);
    QTEST(StartupError::checkFailure({status, QStringLiteral("OUT")}), "expected");
}

void TestStartupError::loadFailure()
{
    QCOMPARE(StartupError::loadFailure(std::runtime_error("Can't open smb.conf.")),
             QStringLiteral("Failed to initialize application.\nCan't open smb.conf."));
}

namespace {

// What testparm -s -d 3 said, at an open-file limit of 1024, on an AD member without an
// idmap range for *, and on a file with "security = share".
const char idmapOutput[] = "Load smb config files from smb.conf\n"
                           "lp_load_ex: refreshing parameters\n"
                           "Initialising global parameters\n"
                           "rlimit_max: increasing rlimit_max (1024) to minimum Windows limit (16384)\n"
                           "Processing section \"[global]\"\n"
                           "Loaded services file OK.\n"
                           "idmap range not specified for domain '*'\n"
                           "ERROR: Invalid idmap range for domain *!\n\n"
                           "Server role: ROLE_DOMAIN_MEMBER\n";
const char securityOutput[] = "Load smb config files from smb.conf\n"
                              "rlimit_max: increasing rlimit_max (1024) to minimum Windows limit (16384)\n"
                              "Processing section \"[global]\"\n"
                              "WARNING: Ignoring invalid value 'share' for parameter 'security'\n"
                              "Error loading services.\n";
const char limitNote[] = "rlimit_max: increasing rlimit_max (1024) to minimum Windows limit (16384)\n";

} // namespace

void TestStartupError::offerFor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offer");
    // The open-file note comes with almost every error; it never decides the offer.
    QTest::newRow("idmap range, with the limit note")
        << QString::fromLatin1(idmapOutput) << int(StartupError::IdmapOffer);
    QTest::newRow("invalid security, with the limit note")
        << QString::fromLatin1(securityOutput) << int(StartupError::SecurityOffer);
    QTest::newRow("limit note alone") << QString::fromLatin1(limitNote) << int(StartupError::NoOffer);
    QTest::newRow("limit note and another error")
        << QString::fromLatin1(limitNote) + QStringLiteral("ERROR: bad line") << int(StartupError::NoOffer);
    QTest::newRow("another domain's range")
        << QStringLiteral("ERROR: Invalid idmap range for domain X!") << int(StartupError::NoOffer);
    QTest::newRow("invalid other value")
        << QStringLiteral("WARNING: Ignoring invalid value 'x' for parameter 'map to guest'")
        << int(StartupError::NoOffer);
    QTest::newRow("security named in another message")
        << QStringLiteral("Global parameter security found in service section!")
        << int(StartupError::NoOffer);
}

void TestStartupError::offerFor()
{
    QFETCH(QString, text);
    QTEST(int(StartupError::offerFor(text)), "offer");
}

void TestStartupError::withNotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("explained");
    QTest::newRow("limit note") << QString::fromLatin1(idmapOutput) << true;
    QTest::newRow("marker alone") << QStringLiteral("increasing rlimit_max (1024)") << false;
    QTest::newRow("no note") << QStringLiteral("ERROR: bad line") << false;
}

void TestStartupError::withNotes()
{
    QFETCH(QString, text);
    QFETCH(bool, explained);
    const QString shown = StartupError::withNotes(text);
    QVERIFY(shown.startsWith(text));
    QCOMPARE(shown.contains(QLatin1String("information, not an error")), explained);
}

QTEST_GUILESS_MAIN(TestStartupError)
#include "tst_startuperror.moc"
