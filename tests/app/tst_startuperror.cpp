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

void TestStartupError::offerFor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offer");
    // What testparm says when the open-file limit is below Samba's minimum.
    QTest::newRow("limit") << QStringLiteral(
        "rlimit_max: increasing rlimit_max (1024) to minimum Windows limit (16384)")
                           << int(StartupError::LimitOffer);
    QTest::newRow("limit marker alone")
        << QStringLiteral("rlimit_max: increasing rlimit_max (1024)") << int(StartupError::NoOffer);
    QTest::newRow("idmap range") << QStringLiteral("ERROR: Invalid idmap range for domain *!")
                                 << int(StartupError::SecurityOffer);
    QTest::newRow("invalid security")
        << QStringLiteral("WARNING: Ignoring invalid value 'bogus' for parameter 'security'")
        << int(StartupError::SecurityOffer);
    QTest::newRow("invalid other value")
        << QStringLiteral("WARNING: Ignoring invalid value 'x' for parameter 'map to guest'")
        << int(StartupError::NoOffer);
    QTest::newRow("limit wins over security") << QStringLiteral(
        "increasing rlimit_max (1) to minimum Windows limit (2)\nERROR: Invalid idmap range for "
        "domain *!") << int(StartupError::LimitOffer);
    QTest::newRow("case matters") << QStringLiteral("error: invalid idmap range for domain *!")
                                  << int(StartupError::NoOffer);
}

void TestStartupError::offerFor()
{
    QFETCH(QString, text);
    QTEST(int(StartupError::offerFor(text)), "offer");
}

QTEST_GUILESS_MAIN(TestStartupError)
#include "tst_startuperror.moc"
