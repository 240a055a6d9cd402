#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "configdocument.h"
#include "configmapper.h"
#include "configurationjsonwriter.h"
#include "fruit.h"
#include "fullaudit.h"
#include "globalshare.h"
#include "recordjson.h"
#include "recyclebin.h"
#include "sambasettings.h"
#include "shadowcopy.h"
#include "sharefeatures.h"

#include "../support/testfiles.h"

#include <QJsonDocument>
#include <QtTest>

#include <sstream>

// The streamed JSON must be byte for byte what QJsonDocument writes for the same records.
class TestConfigurationJsonWriter : public QObject
{
    Q_OBJECT

private slots:
    void matchesQtOnTheCorpus_data();
    void matchesQtOnTheCorpus();
    void zeroShares();
    void everyFlagOnItsOwn();
    void places();
    void trickyStrings_data();
    void trickyStrings();
    void modules_data();
    void modules();
};

namespace {

QByteArray written(const SambaSettings &settings, const QList<Share> &shares, bool places = false)
{
    std::ostringstream out;
    ConfigurationJsonWriter writer(out);
    writer.begin(settings, places);
    for (const Share &share : shares)
        writer.share(share);
    writer.end();
    return QByteArray::fromStdString(out.str());
}

// On a difference, the first line that differs rather than two walls of text.
void compareWithQt(const SambaSettings &settings, const QList<Share> &shares, bool places = false)
{
    const QByteArray expected = QJsonDocument(RecordJson::configuration(settings, shares, places)).toJson();
    const QByteArray actual = written(settings, shares, places);
    if (actual == expected)
        return;
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    for (int i = 0; i < std::max(want.size(), got.size()); ++i)
        QCOMPARE(QString::fromUtf8(got.value(i)), QString::fromUtf8(want.value(i)));
    QCOMPARE(actual, expected);
}

// A share that sets every string field, and its lists, to text.
Share shareSaying(const QString &text)
{
    Share share(text);
    share.setName(text);
    share.setPath(text);
    share.setComment(text);
    share.setCreateMask(text);
    share.setValidUsers({text, QStringLiteral("alice")});
    share.setWriteList({text});
    return share;
}

} // namespace

void TestConfigurationJsonWriter::matchesQtOnTheCorpus_data()
{
    QTest::addColumn<QString>("path");
    const QStringList files = smbConfCorpus();
    QVERIFY(files.size() >= smbConfCorpusMinimum());
    for (const QString &path : files)
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

void TestConfigurationJsonWriter::matchesQtOnTheCorpus()
{
    QFETCH(QString, path);
    ConfigDocument document;
    ConfigMapper mapper(document, path);
    const SambaSettings settings = mapper.loadGlobal();
    compareWithQt(settings, mapper.loadShares(*settings.global()));
}

void TestConfigurationJsonWriter::zeroShares()
{
    SambaSettings settings;
    settings.setSecurity(SambaSettings::SecurityAds);
    settings.setKerberosMethod(SambaSettings::KerberosSecretsAndKeytab);
    compareWithQt(settings, {});
    QVERIFY(written(settings, {}).endsWith("\"shares\": [\n    ]\n}\n"));
}

void TestConfigurationJsonWriter::everyFlagOnItsOwn()
{
    // Each share turns one flag from its default, so a member written from the wrong getter
    // shows; the global turns them all.
    const QList<std::pair<bool (Share::*)() const, void (Share::*)(bool)>> flags{
        {&Share::readOnly, &Share::setReadOnly},
        {&Share::guestOk, &Share::setGuestOk},
        {&Share::guestOnly, &Share::setGuestOnly},
        {&Share::printable, &Share::setPrintable},
        {&Share::browseable, &Share::setBrowseable},
        {&Share::writeListEverybody, &Share::setWriteListEverybody},
        {&Share::aclByDefault, &Share::setAclByDefault},
        {&Share::ntAclSupport, &Share::setNtAclSupport},
        {&Share::inheritAcls, &Share::setInheritAcls},
        {&Share::mapAclInherit, &Share::setMapAclInherit},
        {&Share::dosFilemode, &Share::setDosFilemode},
        {&Share::storeDosAttributes, &Share::setStoreDosAttributes},
        {&Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
        {&Share::aclGroupControl, &Share::setAclGroupControl},
        {&Share::aclMapFullControl, &Share::setAclMapFullControl},
        {&Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
    };
    SambaSettings settings;
    std::shared_ptr<GlobalShare> global = settings.global();
    global->setEncryptPasswords(!global->encryptPasswords());
    QList<Share> shares;
    for (const auto &flag : flags) {
        Share share(QStringLiteral("share%1").arg(shares.size()));
        (share.*flag.second)(!(share.*flag.first)());
        shares << share;
        (*global.*flag.second)(!(*global.*flag.first)());
    }
    compareWithQt(settings, shares);
}

// Where a share is stored, for a configuration that uses Samba's registry.
void TestConfigurationJsonWriter::places()
{
    QList<Share> shares;
    for (const bool registry : {false, true}) {
        for (const bool shadowed : {false, true}) {
            Share share(QStringLiteral("share%1").arg(shares.size()));
            share.setStoredIn(registry ? Share::StoredInRegistry : Share::StoredInFile);
            share.setShadowed(shadowed);
            shares << share;
        }
    }
    compareWithQt(SambaSettings(), shares, true);
    QVERIFY(!written(SambaSettings(), shares).contains("storedIn"));
}

void TestConfigurationJsonWriter::trickyStrings_data()
{
    QTest::addColumn<QString>("text");
    QString controls;
    for (ushort c = 0; c < 0x20; ++c)
        controls += QChar(c);
    QTest::newRow("null") << QString();
    QTest::newRow("empty") << QStringLiteral("");
    QTest::newRow("control characters") << controls;
    QTest::newRow("quote, backslash, slash") << QStringLiteral("\"a\\b/c\" 'd' <e>");
    QTest::newRow("DEL") << QStringLiteral("a\x7f"
                                           "b");
    QTest::newRow("Latin-1 and two-byte UTF-8") << QString::fromUtf8("caf\xc3\xa9 \xc2\x80 \xdf\xbf");
    QTest::newRow("three-byte UTF-8")
        << QString::fromUtf8("\xe0\xa0\x80 \xe6\x97\xa5\xe6\x9c\xac \xef\xbf\xbf");
    QTest::newRow("outside the BMP") << QString::fromUcs4(U"\U0001F600 \U0010FFFF \U00010000");
    QTest::newRow("U+FFFD") << QString::fromUtf8("bad \xff byte");
    QTest::newRow("lone high surrogate") << QString(QChar(0xd83d)) + QLatin1Char('x');
    QTest::newRow("high surrogate at the end") << QStringLiteral("x") + QChar(0xdbff);
    QTest::newRow("lone low surrogate") << QString(QChar(0xde00)) + QLatin1Char('x');
    QTest::newRow("two high surrogates, then a pair")
        << QString(QChar(0xd83d)) + QChar(0xd83d) + QChar(0xde00);
    QTest::newRow("reversed pair") << QString(QChar(0xde00)) + QChar(0xd83d);
}

void TestConfigurationJsonWriter::trickyStrings()
{
    QFETCH(QString, text);
    SambaSettings settings;
    std::shared_ptr<GlobalShare> global = settings.global();
    global->setWorkgroup(text);
    global->setServerString(text);
    global->setRealm(text);
    global->setGuestAccount(text);
    global->setComment(text);
    global->setValidUsers({text});
    // Option keys and values, and a module's own strings, go through Qt's own objects.
    Share share = shareSaying(text);
    auto recycle = std::make_shared<RecycleBin>();
    recycle->setOption(text.isEmpty() ? QStringLiteral("k") : text,
                       text.isNull() ? QStringLiteral("") : text);
    share.addVfsModule(recycle);
    auto audit = std::make_shared<FullAudit>();
    audit->setPrefix(text);
    share.addVfsModule(audit);
    compareWithQt(settings, {shareSaying(QStringLiteral("plain")), share, shareSaying(text)});
}

void TestConfigurationJsonWriter::modules_data()
{
    QTest::addColumn<QStringList>("kinds");
    QTest::newRow("full_audit") << QStringList{QStringLiteral("full_audit")};
    QTest::newRow("audit") << QStringList{QStringLiteral("audit")};
    QTest::newRow("acl_tdb") << QStringList{QStringLiteral("acl_tdb")};
    QTest::newRow("acl_xattr") << QStringList{QStringLiteral("acl_xattr")};
    QTest::newRow("recycle") << QStringList{QStringLiteral("recycle")};
    QTest::newRow("recycle without options") << QStringList{QStringLiteral("bare recycle")};
    QTest::newRow("apple clients") << QStringList{QStringLiteral("apple")};
    QTest::newRow("time machine") << QStringList{QStringLiteral("time machine")};
    QTest::newRow("zfs snapshots") << QStringList{QStringLiteral("zfs")};
    QTest::newRow("custom snapshots") << QStringList{QStringLiteral("custom")};
    QTest::newRow("snapper") << QStringList{QStringLiteral("snapper")};
    QTest::newRow("unknown module") << QStringList{QStringLiteral("unknown")};
    QTest::newRow("all together") << QStringList{QStringLiteral("full_audit"), QStringLiteral("acl_xattr"),
                                                 QStringLiteral("recycle"),    QStringLiteral("time machine"),
                                                 QStringLiteral("custom"),     QStringLiteral("unknown")};
}

void TestConfigurationJsonWriter::modules()
{
    QFETCH(QStringList, kinds);
    Share share = shareSaying(QStringLiteral("modules"));
    for (const QString &kind : kinds) {
        if (kind == QLatin1String("full_audit")) {
            auto module = std::make_shared<FullAudit>();
            module->setPrefix(QStringLiteral("%u|%I"));
            module->setSuccessOperations(parseOperationSet(QStringLiteral("unlinkat mkdirat renameat")));
            module->setFailureOperations(parseOperationSet(QStringLiteral("all")));
            module->setFacility(Syslog::Facility(QStringLiteral("local5")));
            module->setPriority(Syslog::Priority(QStringLiteral("notice")));
            module->setSyslog(false);
            module->setLogSecDesc(true);
            share.addVfsModule(module);
        } else if (kind == QLatin1String("audit")) {
            auto module = std::make_shared<Audit>();
            module->setFacility(Syslog::Facility(QStringLiteral("daemon")));
            share.addVfsModule(module);
        } else if (kind == QLatin1String("acl_tdb")) {
            share.addVfsModule(std::make_shared<ACLTDB>());
        } else if (kind == QLatin1String("acl_xattr")) {
            auto module = std::make_shared<ACLXAttr>();
            module->setIgnoreSystemAcls(true);
            module->setDefaultAclStyle(QStringLiteral("windows"));
            share.addVfsModule(module);
        } else if (kind == QLatin1String("recycle")) {
            ShareFeatures::setRecycleBin(share, true);
            auto module = std::make_shared<RecycleBin>(
                *std::dynamic_pointer_cast<RecycleBin>(share.vfsModule(QStringLiteral("recycle"))));
            module->setOption(RecycleBin::Exclude, QStringLiteral("*.tmp|*.~*"));
            module->setOption(QStringLiteral("Zeta"), QStringLiteral("last"));
            share.addVfsModule(module);
        } else if (kind == QLatin1String("bare recycle")) {
            share.addVfsModule(std::make_shared<RecycleBin>());
        } else if (kind == QLatin1String("apple")) {
            ShareFeatures::setAppleClients(share, true);
        } else if (kind == QLatin1String("time machine")) {
            ShareFeatures::setTimeMachine(share, true, QStringLiteral("2T"));
        } else if (kind == QLatin1String("zfs")) {
            ShareFeatures::setPreviousVersions(share, ShareFeatures::PreviousVersions::Zfs);
        } else if (kind == QLatin1String("custom")) {
            ShareFeatures::setPreviousVersions(share, ShareFeatures::PreviousVersions::Custom,
                                               QStringLiteral(".snaps"), QStringLiteral("@GMT-%Y"));
        } else if (kind == QLatin1String("snapper")) {
            ShareFeatures::setPreviousVersions(share, ShareFeatures::PreviousVersions::Snapper);
        } else {
            share.addVfsModule(VFSModule::create(QStringLiteral("Zzz_Custom")));
        }
    }
    QVERIFY(!share.vfsModuleList().isEmpty());
    // The same modules on [global], whose object sits a level higher than a share's.
    SambaSettings settings;
    Share &global = *settings.global();
    for (const auto &module : share.vfsModuleList())
        global.addVfsModule(module);
    compareWithQt(settings, {Share(QStringLiteral("first")), share, Share(QStringLiteral("last"))});
}

QTEST_GUILESS_MAIN(TestConfigurationJsonWriter)
#include "tst_configurationjsonwriter.moc"
