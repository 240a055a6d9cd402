// The configuration session of this machine: what it adds to the mapper, that a save or preview
// names the load its records come from and a repair is made only as it was shown, with the
// real testparm judging.
#include "configfailure.h"
#include "globalshare.h"
#include "localconfigsession.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray baseConfig = "[global]\n   workgroup = HOME\n[data]\n   path = /tmp\n   comment = old\n";

} // namespace

class TestLocalConfigSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void fingerprintNamesTheLoad_data();
    void fingerprintNamesTheLoad();
    void saveTakesUpItsFingerprint();
    void repairAsShown_data();
    void repairAsShown();
    void restoresVersions();

private:
    QString path(const QString &name = QStringLiteral("smb.conf")) const { return m_dir->filePath(name); }
    std::unique_ptr<LocalConfigSession> session() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLocalConfigSession::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFile(path(), baseConfig));
}

std::unique_ptr<LocalConfigSession> TestLocalConfigSession::session() const
{
    LocalConfigSession::Environment environment;
    environment.configPath = path();
    environment.lockDirectory = path(QStringLiteral("run"));
    environment.historyDirectory = path(QStringLiteral("history"));
    return std::make_unique<LocalConfigSession>(environment);
}

void TestLocalConfigSession::fingerprintNamesTheLoad_data()
{
    QTest::addColumn<QString>("load");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<bool>("accepted");

    for (const bool preview : {false, true}) {
        const char *const op = preview ? "preview" : "save";
        QTest::addRow("%s, the load kept", op) << QStringLiteral("kept") << preview << true;
        // Another smb.conf was loaded since the records were read.
        QTest::addRow("%s, an earlier load", op) << QStringLiteral("earlier") << preview << false;
        QTest::addRow("%s, no load named", op) << QString() << preview << false;
        // The session holds nothing loaded, a backend started again after its connection was
        // lost: it loads smb.conf and takes records of a load of the same texts.
        QTest::addRow("%s, another session's load", op) << QStringLiteral("other") << preview << true;
        // smb.conf changed since the other session loaded it.
        QTest::addRow("%s, another session's earlier load", op)
            << QStringLiteral("other earlier") << preview << false;
    }
}

void TestLocalConfigSession::fingerprintNamesTheLoad()
{
    QFETCH(QString, load);
    QFETCH(bool, preview);
    QFETCH(bool, accepted);

    const std::unique_ptr<LocalConfigSession> kept = session();
    const ConfigSession::Loaded earlier = kept->load();
    QVERIFY(!earlier.state.fingerprint.isEmpty());
    QCOMPARE(earlier.shares.size(), 1);
    QByteArray file = baseConfig;
    file.replace("old", "edited elsewhere");
    QVERIFY(writeFile(path(), file));

    const std::unique_ptr<LocalConfigSession> fresh = session();
    const bool other = load.startsWith(QLatin1String("other"));
    ConfigSession &target = other ? *fresh : *kept;
    const ConfigSession::Loaded loaded = kept->load();
    QVERIFY(loaded.state.fingerprint != earlier.state.fingerprint);
    QString fingerprint;
    if (load.endsWith(QLatin1String("earlier")))
        fingerprint = earlier.state.fingerprint;
    else if (!load.isEmpty())
        fingerprint = loaded.state.fingerprint;

    QList<Share> shares = loaded.shares;
    shares[0].setComment(QStringLiteral("new"));
    try {
        if (preview) {
            const ConfigSession::Preview shown = target.preview(loaded.settings, shares, fingerprint);
            QVERIFY(QByteArray::fromStdString(shown.file.proposed).contains("comment = new"));
        } else {
            target.save(loaded.settings, shares, fingerprint);
        }
        QVERIFY2(accepted, "accepted records of another load");
    } catch (const ConfigChangedError &error) {
        QVERIFY2(!accepted, error.what());
        QVERIFY(QString::fromUtf8(error.what()).contains(QLatin1String("Reload")));
    }
    QCOMPARE(readFile(path()),
             accepted && !preview ? QByteArray(file).replace("edited elsewhere", "new") : file);
}

void TestLocalConfigSession::saveTakesUpItsFingerprint()
{
    const std::unique_ptr<LocalConfigSession> window = session();
    const ConfigSession::Loaded loaded = window->load();
    QList<Share> shares = loaded.shares;
    shares[0].setName(QStringLiteral("renamed"));
    const ConfigSession::Saved saved = window->save(loaded.settings, shares, loaded.state.fingerprint);
    QVERIFY(saved.outcome.installed);
    QVERIFY(!saved.outcome.registryChanged);
    QCOMPARE(saved.outcome.replacedText, baseConfig.toStdString());
    QVERIFY(saved.outcome.historyError.isEmpty());
    QCOMPARE(saved.shares.value(0).originalName(), QStringLiteral("renamed"));

    // The fingerprint of the file saved, as a load of it gives, and the next save goes on from it.
    QVERIFY(saved.fingerprint != loaded.state.fingerprint);
    QCOMPARE(session()->load().state.fingerprint, saved.fingerprint);
    shares = saved.shares;
    shares[0].setComment(QStringLiteral("again"));
    QVERIFY(window->save(loaded.settings, shares, saved.fingerprint).outcome.installed);
    QVERIFY(readFile(path()).contains("[renamed]\n   path = /tmp\n   comment = again\n"));
}

void TestLocalConfigSession::repairAsShown_data()
{
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<int>("shiftLine");
    QTest::addColumn<bool>("repaired");

    const QByteArray broken = "[global]\n   security = share\n   workgroup = HOME\n";
    QTest::newRow("as shown") << QByteArray() << 0 << true;
    // The file changed, and the same repair now removes another line.
    QTest::newRow("smb.conf changed since") << "# a comment\n" + broken << 0 << false;
    QTest::newRow("other changes than shown") << QByteArray() << 1 << false;
}

void TestLocalConfigSession::repairAsShown()
{
    QFETCH(QByteArray, meanwhile);
    QFETCH(int, shiftLine);
    QFETCH(bool, repaired);

    const QByteArray broken = "[global]\n   security = share\n   workgroup = HOME\n";
    QVERIFY(writeFile(path(), broken));
    const std::unique_ptr<LocalConfigSession> window = session();
    ConfigSession::RepairPlan plan = window->planRepair(ConfigRepair::InvalidSecurity);
    QVERIFY(plan.possible);
    QCOMPARE(plan.changes.size(), 1);
    QCOMPARE(plan.changes.first().line, 2);
    plan.changes.first().line += shiftLine;
    if (!meanwhile.isEmpty())
        QVERIFY(writeFile(path(), meanwhile));
    const QByteArray before = readFile(path());

    try {
        const QString historyError = window->repair(ConfigRepair::InvalidSecurity, plan.changes);
        QVERIFY2(repaired, "repaired what was not shown");
        QVERIFY2(historyError.isEmpty(), qPrintable(historyError));
        QCOMPARE(readFile(path()), QByteArray("[global]\n   workgroup = HOME\n"));
        QCOMPARE(window->versions().size(), 2);
    } catch (const ConfigChangedError &error) {
        QVERIFY2(!repaired, error.what());
        QCOMPARE(readFile(path()), before);
        QVERIFY(window->versions().isEmpty());
    }
}

void TestLocalConfigSession::restoresVersions()
{
    const std::unique_ptr<LocalConfigSession> window = session();
    ConfigSession::Loaded loaded = window->load();
    QList<Share> shares = loaded.shares;
    shares[0].setComment(QStringLiteral("second"));
    window->save(loaded.settings, shares, loaded.state.fingerprint);
    const QByteArray second = readFile(path());

    // The version saved over, then the one saved, newest first.
    const QList<ConfigHistory::Version> versions = window->versions();
    QCOMPARE(versions.size(), 2);
    QVERIFY(versions.at(0).number > versions.at(1).number);
    const int first = versions.at(1).number;
    QVERIFY(window->versionDiff(first, true)
                .contains(QLatin1String("-   comment = old\n+   comment = second\n")));
    QVERIFY(
        window->versionDiff(versions.at(0).number, false).contains(QLatin1String("+   comment = second\n")));
    QVERIFY_EXCEPTION_THROWN(window->versionDiff(first + 100, true), std::runtime_error);

    const ConfigSession::Outcome outcome = window->restoreVersion(first);
    QVERIFY(outcome.installed);
    QCOMPARE(QByteArray::fromStdString(outcome.replacedText), second);
    QCOMPARE(readFile(path()), baseConfig);
    QCOMPARE(window->versions().first().summary, QStringLiteral("version %1 restored").arg(first));
    QVERIFY_EXCEPTION_THROWN(window->restoreVersion(first + 100), std::runtime_error);
    QCOMPARE(readFile(path()), baseConfig);
}

QTEST_GUILESS_MAIN(TestLocalConfigSession)
#include "tst_localconfigsession.moc"
