// The records through JSON and back, as they travel between the window and its backend: the
// records of real files come back so that a save writes nothing, edited records write what
// the originals write, every field of every module kind survives, and malformed input is
// refused with a sentence naming the field.
#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "configdocument.h"
#include "configmapper.h"
#include "contexttranslator.h"
#include "fruit.h"
#include "fullaudit.h"
#include "privateregistry.h"
#include "recordcodec.h"
#include "recorddescription.h"
#include "recyclebin.h"
#include "saveresultcodec.h"
#include "shadowcopy.h"
#include "sharefeatures.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <optional>
#include <typeinfo>

namespace {

using RecordDescription::described;

// A share with a module of every kind, "vfs objects" in an order of its own, and a parameter
// only an "other parameter" edit touches.
const char *const modulesConf = "[global]\n"
                                "   workgroup = TEAM\n"
                                "   server string = Team server\n"
                                "   guest account = guest\n"
                                "[archive]\n"
                                "   path = /srv/archive\n"
                                "   comment = Archived files\n"
                                "   valid users = alice, @staff\n"
                                "   write list = @editors\n"
                                "   read only = no\n"
                                "   oplocks = no\n"
                                "   vfs objects = fruit catia full_audit streams_xattr recycle acl_xattr\n"
                                "   full_audit:prefix = %u|%I|%S\n"
                                "   full_audit:success = mkdirat renameat unlinkat\n"
                                "   full_audit:failure = connect\n"
                                "   full_audit:facility = local5\n"
                                "   full_audit:priority = notice\n"
                                "   fruit:metadata = stream\n"
                                "   fruit:time machine = yes\n"
                                "   recycle:repository = .recycle/%U\n"
                                "   recycle:keeptree = yes\n"
                                "   acl_xattr:ignore system acls = yes\n"
                                "[printers]\n"
                                "   path = /var/spool/samba\n"
                                "   printable = yes\n";

struct Loaded
{
    explicit Loaded(const QString &path, const QString &net = QString(), const QString &testparm = QString())
        : mapper(document, path, testparm.isEmpty() ? SystemPrograms::testparm() : testparm)
    {
        mapper.setNetProgram(net);
        settings = mapper.loadGlobal();
        shares = mapper.loadShares(*settings.global());
    }
    // What applyRecords writes for these records: smb.conf, then the registry; or its refusal.
    QByteArray written(const SambaSettings &s, const QList<Share> &l)
    {
        try {
            mapper.applyRecords(s, l);
        } catch (const std::runtime_error &error) {
            return QByteArray("refused: ") + error.what();
        }
        return QByteArray::fromStdString(document.text() + "\n--- registry ---\n"
                                         + mapper.registryProposed());
    }

    ConfigDocument document;
    ConfigMapper mapper;
    SambaSettings settings;
    QList<Share> shares;
};

// The records as bytes on the pipe.
QByteArray encoded(const SambaSettings &settings, const QList<Share> &shares)
{
    const QJsonObject message{{QStringLiteral("settings"), RecordCodec::encode(settings)},
                              {QStringLiteral("shares"), RecordCodec::encode(shares)}};
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QJsonObject parsed(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("the encoded records are no JSON: %s", qPrintable(error.errorString()));
    return document.object();
}

struct Decoded
{
    explicit Decoded(const QByteArray &bytes)
    {
        const QJsonObject message = parsed(bytes);
        try {
            settings = RecordCodec::decodeSettings(message.value(QLatin1String("settings")));
            shares = RecordCodec::decodeShares(message.value(QLatin1String("shares")));
        } catch (const std::runtime_error &refusal) {
            error = QString::fromStdString(refusal.what());
        }
    }
    SambaSettings settings;
    QList<Share> shares;
    QString error; // why what was encoded was refused
};

// The corpus, and the file with every module kind.
void addFiles(const QString &modulesFile)
{
    QTest::addColumn<QString>("file");
    for (const QString &file : smbConfCorpus())
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
    QTest::newRow("modules") << modulesFile;
}

using Edit = std::function<void(SambaSettings &, Share &)>;

// A module replaced by a new one, as the dialogs do: stored modules are shared by copies.
template<typename Module>
std::shared_ptr<Module> replaced(Share &share, const QString &name)
{
    const auto old = std::dynamic_pointer_cast<Module>(share.vfsModule(name));
    auto module = old ? std::make_shared<Module>(*old) : std::make_shared<Module>();
    share.addVfsModule(module);
    return module;
}

// A copy of root with the value at path (object keys and array indexes) replaced, or removed
// when value is none.
QJsonValue changed(const QJsonValue &root, QStringList path, const std::optional<QJsonValue> &value)
{
    if (path.isEmpty())
        return value ? *value : QJsonValue(QJsonValue::Undefined);
    const QString step = path.takeFirst();
    if (root.isArray()) {
        QJsonArray array = root.toArray();
        const int index = step.toInt();
        if (path.isEmpty() && !value)
            array.removeAt(index);
        else
            array.replace(index, changed(array.at(index), path, value));
        return array;
    }
    QJsonObject object = root.toObject();
    if (path.isEmpty() && !value)
        object.remove(step);
    else
        object.insert(step, changed(object.value(step), path, value));
    return object;
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(std::optional<QJsonValue>)

class TestRecordCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void loadedRecordsComeBack_data() { addFiles(m_modulesFile); }
    void loadedRecordsComeBack();
    void editsWriteAlike_data();
    void editsWriteAlike();
    void registryRecordsWriteAlike();
    void fieldsComeBack_data();
    void fieldsComeBack();
    void noGuestAccountTravelsAsFlag();
    void malformedInputIsRefused_data();
    void malformedInputIsRefused();
    void defaultsAreLeftOut();
    void previewComesBack();
    void transferComesBack();

private:
    QTemporaryDir m_dir;
    QString m_modulesFile;
};

void TestRecordCodec::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_modulesFile = m_dir.filePath(QStringLiteral("modules.conf"));
    QVERIFY(writeFile(m_modulesFile, modulesConf));
    QVERIFY2(smbConfCorpus().size() >= smbConfCorpusMinimum(), "smb.conf files of the corpus are missing");
}

// Loaded, through bytes and back: nothing to write, and every field as loaded.
void TestRecordCodec::loadedRecordsComeBack()
{
    QFETCH(QString, file);
    Loaded loaded(file);
    const QByteArray bytes = encoded(loaded.settings, loaded.shares);
    const Decoded decoded(bytes);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));

    QVERIFY(!loaded.mapper.applyRecords(decoded.settings, decoded.shares));
    QCOMPARE(described(decoded.settings), described(loaded.settings));
    QCOMPARE(decoded.shares.size(), loaded.shares.size());
    for (int i = 0; i < loaded.shares.size(); ++i)
        QCOMPARE(described(decoded.shares.at(i)), described(loaded.shares.at(i)));
    QCOMPARE(encoded(decoded.settings, decoded.shares), bytes);
}

void TestRecordCodec::editsWriteAlike_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Edit>("edit");
    // Whether the edit changes the file: each does in the file with every module kind.
    QTest::addColumn<bool>("changes");

    const QList<QPair<const char *, Edit>> edits{
        {"comment",
         [](SambaSettings &, Share &s) {
             s.setComment(QStringLiteral("Edited in the window"));
         }},
        {"path",
         [](SambaSettings &, Share &s) {
             s.setPath(QStringLiteral("/srv/edited"));
         }},
        {"valid users",
         [](SambaSettings &, Share &s) {
             s.setValidUsers({QStringLiteral("bob"), QStringLiteral("@admins")});
         }},
        {"write list",
         [](SambaSettings &, Share &s) {
             s.setWriteListEverybody(false);
             s.setWriteList({QStringLiteral("writers")});
         }},
        {"guest flags",
         [](SambaSettings &, Share &s) {
             s.setGuestOk(!s.guestOk());
             s.setGuestOnly(!s.guestOnly());
         }},
        {"ACL module added",
         [](SambaSettings &, Share &s) {
             auto acl = std::make_shared<ACLTDB>();
             acl->setDefaultAclStyle(QStringLiteral("windows"));
             s.addVfsModule(acl);
         }},
        {"plain module added",
         [](SambaSettings &, Share &s) {
             s.addVfsModule(VFSModule::create(QStringLiteral("worm")));
         }},
        {"full_audit operations",
         [](SambaSettings &, Share &s) {
             auto full = replaced<FullAudit>(s, QStringLiteral("full_audit"));
             full->setSuccessOperations(parseOperationSet(QStringLiteral("openat fsync_send")));
             full->setFailureOperations(parseOperationSet(QStringLiteral("all !connect")));
             full->setLogSecDesc(true);
         }},
        {"fruit options",
         [](SambaSettings &, Share &s) {
             ShareFeatures::setTimeMachine(s, true, QStringLiteral("3T"));
             replaced<Fruit>(s, QStringLiteral("fruit"))
                 ->setOption(Fruit::Metadata, QStringLiteral("netatalk"));
         }},
        {"recycle options",
         [](SambaSettings &, Share &s) {
             auto recycle = replaced<RecycleBin>(s, QStringLiteral("recycle"));
             recycle->setOption(RecycleBin::Versions, QStringLiteral("yes"));
             recycle->setOption(RecycleBin::KeepTree, QString());
             recycle->setOption(RecycleBin::Exclude, QStringLiteral("*.tmp"));
         }},
        {"other parameter set",
         [](SambaSettings &, Share &s) {
             s.setOtherParameter(QStringLiteral("veto files"), QStringLiteral("/.DS_Store/"));
         }},
        {"other parameter unset",
         [](SambaSettings &, Share &s) {
             s.unsetOtherParameter(QStringLiteral("oplocks"));
             s.setOtherParameter(QStringLiteral("hide dot files"), QStringLiteral(""));
         }},
        {"rename",
         [](SambaSettings &, Share &s) {
             s.setName(QStringLiteral("renamed-in-window"));
         }},
        {"workgroup",
         [](SambaSettings &g, Share &) {
             g.global()->setWorkgroup(QStringLiteral("EDITED"));
         }},
        // Empty and null differ: an empty server string is written, a null one removes the line.
        {"server string emptied",
         [](SambaSettings &g, Share &) {
             g.global()->setServerString(QStringLiteral(""));
         }},
        {"server string removed",
         [](SambaSettings &g, Share &) {
             g.global()->setServerString(QString());
         }},
        {"guest account",
         [](SambaSettings &g, Share &) {
             g.global()->setGuestAccount(QStringLiteral("visitor"));
         }},
        {"no guest account",
         [](SambaSettings &g, Share &) {
             g.global()->setGuestAccount(GlobalShare::noGuestAccount());
         }},
        {"security",
         [](SambaSettings &g, Share &) {
             g.setSecurity(SambaSettings::SecurityAds);
             g.setKerberosMethod(SambaSettings::KerberosSecretsAndKeytab);
             g.global()->setRealm(QStringLiteral("TEAM.EXAMPLE"));
         }},
    };
    QStringList files = smbConfCorpus();
    files << m_modulesFile;
    for (const QString &file : files) {
        for (const auto &[name, edit] : edits) {
            QTest::newRow(qPrintable(QFileInfo(file).fileName() + QLatin1Char('/') + QLatin1String(name)))
                << file << edit << (file == m_modulesFile);
        }
    }
}

// The window edits a decoded copy; the backend writes it as it would write the records edited
// in place.
void TestRecordCodec::editsWriteAlike()
{
    QFETCH(QString, file);
    QFETCH(Edit, edit);
    QFETCH(bool, changes);
    Loaded loaded(file);
    if (loaded.shares.isEmpty())
        QSKIP("no share in this file");
    const QByteArray original = loaded.written(loaded.settings, loaded.shares);

    SambaSettings settings = loaded.settings;
    QList<Share> shares = loaded.shares;
    edit(settings, shares.first());
    const QByteArray expected = loaded.written(settings, shares);
    if (changes)
        QVERIFY(expected != original);

    const Decoded decoded(encoded(settings, shares));
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QCOMPARE(loaded.written(decoded.settings, decoded.shares), expected);
}

// Shares of Samba's registry configuration, one shadowed by a file share: they come back, and
// a share moved into the registry or edited there is written alike.
void TestRecordCodec::registryRecordsWriteAlike()
{
    QTemporaryDir dir;
    PrivateRegistry registry{dir.path()};
    QVERIFY(registry.writeConfig(QStringLiteral("\tinclude = registry\n"
                                                "[data]\n\tpath = /srv/data\n"
                                                "[files]\n\tpath = /srv/files\n")));
    QVERIFY(registry.net({QStringLiteral("drop")}).exitCode == 0);
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("addshare"), QStringLiteral("data"),
                      QStringLiteral("/srv/registry-data")},
          QStringList{QStringLiteral("addshare"), QStringLiteral("r"), QStringLiteral("/srv/r")}}) {
        const ProcessRun run = registry.net(arguments);
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
    Loaded loaded(registry.config(), registry.program(QStringLiteral("net")),
                  registry.program(QStringLiteral("testparm")));
    QVERIFY2(loaded.mapper.registryLoaded(), qPrintable(loaded.mapper.registryError()));
    int inRegistry = 0;
    int shadowed = 0;
    for (const Share &share : loaded.shares) {
        inRegistry += share.storedIn() == Share::StoredInRegistry;
        shadowed += share.shadowed();
    }
    QCOMPARE(inRegistry, 2);
    QCOMPARE(shadowed, 1);

    const Decoded unchanged(encoded(loaded.settings, loaded.shares));
    QVERIFY2(unchanged.error.isEmpty(), qPrintable(unchanged.error));
    QVERIFY(!loaded.mapper.applyRecords(unchanged.settings, unchanged.shares));
    for (int i = 0; i < loaded.shares.size(); ++i)
        QCOMPARE(described(unchanged.shares.at(i)), described(loaded.shares.at(i)));

    const QByteArray original = loaded.written(loaded.settings, loaded.shares);
    QList<Share> shares = loaded.shares;
    for (Share &share : shares) {
        if (share.name() == QLatin1String("files"))
            share.setStoredIn(Share::StoredInRegistry);
        if (share.name() == QLatin1String("r"))
            share.setComment(QStringLiteral("Edited in the registry"));
    }
    const QByteArray expected = loaded.written(loaded.settings, shares);
    QVERIFY(expected.contains("Edited in the registry"));
    QVERIFY(expected != original);
    const Decoded decoded(encoded(loaded.settings, shares));
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QCOMPARE(loaded.written(decoded.settings, decoded.shares), expected);
}

using ShareChange = std::function<void(Share &)>;
using SettingsChange = std::function<void(SambaSettings &)>;
Q_DECLARE_METATYPE(ShareChange)
Q_DECLARE_METATYPE(SettingsChange)

void TestRecordCodec::fieldsComeBack_data()
{
    QTest::addColumn<SettingsChange>("change");

    auto share = [](const ShareChange &change) {
        return SettingsChange([change](SambaSettings &settings) { change(*settings.global()); });
    };
    auto module = [share](const std::shared_ptr<VFSModule> &added) {
        return share([added](Share &s) { s.addVfsModule(added); });
    };
    auto fullAudit = std::make_shared<FullAudit>();
    fullAudit->setPrefix(QString());
    fullAudit->setSuccessOperations(parseOperationSet(QStringLiteral("all")));
    fullAudit->setFailureOperations({VfsOperation(QStringLiteral("Not_Known"), QString())});
    fullAudit->setFacility(Syslog::Facility(QStringLiteral("LOCAL7")));
    fullAudit->setPriority(Syslog::Priority(QStringLiteral("crit")));
    fullAudit->setSyslog(false);
    fullAudit->setLogSecDesc(true);
    auto audit = std::make_shared<Audit>();
    audit->setFacility(Syslog::Facility(QStringLiteral("daemon")));
    audit->setPriority(Syslog::Priority(QStringLiteral("Odd"), QString()));
    auto aclXattr = std::make_shared<ACLXAttr>();
    aclXattr->setIgnoreSystemAcls(true);
    aclXattr->setDefaultAclStyle(QStringLiteral("everyone"));
    auto aclTdb = std::make_shared<ACLTDB>();
    aclTdb->setDefaultAclStyle(QString());
    auto recycle = std::make_shared<RecycleBin>();
    recycle->setOption(RecycleBin::Repository, QStringLiteral(".bin/%U"));
    recycle->setOption(QStringLiteral("some future key"), QStringLiteral(""));
    auto fruit = std::make_shared<Fruit>();
    fruit->setFlag(Fruit::TimeMachine, true);
    auto shadow = std::make_shared<ShadowCopy>();
    shadow->setOption(ShadowCopy::Format, QStringLiteral("@GMT-%Y.%m.%d-%H.%M.%S"));
    auto options = std::make_shared<OptionModule>(QStringLiteral("streams_depot"));
    options->setOption(QStringLiteral("directory"), QStringLiteral("/srv/streams"));

    const QList<QPair<const char *, SettingsChange>> changes{
        {"originalName", share([](Share &s) { s.setOriginalName(QStringLiteral("Old Name")); })},
        {"name", share([](Share &s) { s.setName(QStringLiteral("Grüße ∂ \"quoted\"\n")); })},
        {"path empty", share([](Share &s) { s.setPath(QStringLiteral("")); })},
        {"comment with NUL", share([](Share &s) { s.setComment(QString::fromUtf8("a\0b", 3)); })},
        {"createMask", share([](Share &s) { s.setCreateMask(QStringLiteral("0700")); })},
        {"validUsers", share([](Share &s) {
             s.setValidUsers({QStringLiteral("a"), QString(), QStringLiteral("")});
         })},
        {"writeList", share([](Share &s) {
             s.setWriteList({QStringLiteral("editors"), QStringLiteral("@x")});
         })},
        {"readOnly", share([](Share &s) { s.setReadOnly(false); })},
        {"readWrite", share([](Share &s) { s.setReadWrite(true); })},
        {"setDirectoryPermissions", share([](Share &s) { s.setSetDirectoryPermissions(true); })},
        {"directoryModeChange", share([](Share &s) { s.setDirectoryModeChange(Share::UndoDirectoryMode); })},
        {"guestOk", share([](Share &s) { s.setGuestOk(true); })},
        {"guestOnly", share([](Share &s) { s.setGuestOnly(true); })},
        {"printable", share([](Share &s) { s.setPrintable(true); })},
        {"browseable", share([](Share &s) { s.setBrowseable(false); })},
        {"writeListEverybody", share([](Share &s) { s.setWriteListEverybody(true); })},
        {"aclByDefault", share([](Share &s) { s.setAclByDefault(false); })},
        {"ntAclSupport", share([](Share &s) { s.setNtAclSupport(false); })},
        {"inheritAcls", share([](Share &s) { s.setInheritAcls(true); })},
        {"mapAclInherit", share([](Share &s) { s.setMapAclInherit(true); })},
        {"dosFilemode", share([](Share &s) { s.setDosFilemode(true); })},
        {"storeDosAttributes", share([](Share &s) { s.setStoreDosAttributes(false); })},
        {"aclAllowExecuteAlways", share([](Share &s) { s.setAclAllowExecuteAlways(true); })},
        {"aclGroupControl", share([](Share &s) { s.setAclGroupControl(true); })},
        {"aclMapFullControl", share([](Share &s) { s.setAclMapFullControl(false); })},
        {"forceUnknownAclUser", share([](Share &s) { s.setForceUnknownAclUser(true); })},
        {"storedIn", share([](Share &s) { s.setStoredIn(Share::StoredInRegistry); })},
        {"shadowed", share([](Share &s) { s.setShadowed(true); })},
        {"otherParameters", share([](Share &s) {
             s.setOtherParameter(QStringLiteral("oplocks"), QStringLiteral("no"));
             s.setOtherParameter(QStringLiteral("veto files"), QStringLiteral(""));
             s.unsetOtherParameter(QStringLiteral("hide files"));
         })},
        {"full_audit", module(fullAudit)},
        {"audit", module(audit)},
        {"acl_xattr", module(aclXattr)},
        {"acl_tdb", module(aclTdb)},
        {"recycle", module(recycle)},
        {"fruit", module(fruit)},
        {"shadow_copy2", module(shadow)},
        {"option module", module(options)},
        {"plain module", module(VFSModule::create(QStringLiteral("Catia")))},
        {"plain module of a known name", module(std::make_shared<VFSModule>(QStringLiteral("fruit")))},
        {"security",
         [](SambaSettings &s) {
             s.setSecurity(SambaSettings::SecurityDomain);
         }},
        {"kerberosMethod",
         [](SambaSettings &s) {
             s.setKerberosMethod(SambaSettings::KerberosSystemKeytab);
         }},
        {"workgroup",
         [](SambaSettings &s) {
             s.global()->setWorkgroup(QStringLiteral("W"));
         }},
        {"serverString empty",
         [](SambaSettings &s) {
             s.global()->setServerString(QStringLiteral(""));
         }},
        {"realm",
         [](SambaSettings &s) {
             s.global()->setRealm(QStringLiteral("R.EXAMPLE"));
         }},
        {"guestAccount",
         [](SambaSettings &s) {
             s.global()->setGuestAccount(QStringLiteral("visitor"));
         }},
        {"noGuestAccount",
         [](SambaSettings &s) {
             s.global()->setGuestAccount(GlobalShare::noGuestAccount());
         }},
        {"encryptPasswords",
         [](SambaSettings &s) {
             s.global()->setEncryptPasswords(false);
         }},
        {"users",
         [](SambaSettings &s) {
             SambaUser changed(QStringLiteral("alice"));
             changed.setPassword(QStringLiteral("sécret"));
             s.users().insert(QStringLiteral("alice"), changed);
             SambaUser machine(QStringLiteral("pc01$"));
             s.users().insert(QStringLiteral("old key"), machine);
         }},
        {"groups",
         [](SambaSettings &s) {
             SambaGroup group(QStringLiteral("staff"));
             group.setChanged(true);
             s.groups().insert(QStringLiteral("staff"), group);
             s.groups().insert(QStringLiteral("x"), SambaGroup(QStringLiteral("y")));
         }},
    };
    for (const auto &[name, change] : changes)
        QTest::newRow(name) << change;
}

// One field changed from a record's defaults at a time: it comes back, as a share and as
// [global]; so a field the codec forgot fails its own row.
void TestRecordCodec::fieldsComeBack()
{
    QFETCH(SettingsChange, change);
    SambaSettings settings;
    const QString defaults = described(settings);
    change(settings);
    QVERIFY(described(settings) != defaults);
    Share share(*settings.global());

    const Decoded decoded(encoded(settings, {share}));
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QCOMPARE(described(decoded.settings), described(settings));
    QCOMPARE(decoded.shares.size(), 1);
    QCOMPARE(described(decoded.shares.first()), described(share));
    QCOMPARE(described(RecordCodec::decodeShare(RecordCodec::encode(share))), described(share));
}

// The marker of "no guest account" is a translated text: the side that reads the records puts
// its own, so that the other side's language is never taken for an account.
void TestRecordCodec::noGuestAccountTravelsAsFlag()
{
    SambaSettings settings;
    QJsonObject json;
    {
        ContextTranslator window("Audit");
        QCoreApplication::installTranslator(&window);
        settings.global()->setGuestAccount(GlobalShare::noGuestAccount());
        QCOMPARE(settings.global()->guestAccount(), QStringLiteral("[no guest account]"));
        json = RecordCodec::encode(settings);
        QCoreApplication::removeTranslator(&window);
    }
    QVERIFY(!QJsonDocument(json).toJson().contains("no guest account"));
    const SambaSettings decoded = RecordCodec::decodeSettings(json);
    QVERIFY(!decoded.global()->hasGuestAccount());
    QCOMPARE(decoded.global()->guestAccount(), GlobalShare::noGuestAccount());
}

void TestRecordCodec::malformedInputIsRefused_data()
{
    QTest::addColumn<QString>("decoder"); // settings, shares, share, preview, transfer
    QTest::addColumn<QStringList>("path"); // of the value changed, from the decoder's value
    QTest::addColumn<std::optional<QJsonValue>>("value"); // none: the field is removed
    QTest::addColumn<QString>("message"); // a part of the message

    const std::optional<QJsonValue> removed;
    auto path = [](const char *text) {
        return QString::fromLatin1(text).split(QLatin1Char('/'));
    };
    // In modules.conf's share, the modules by name: acl_xattr catia fruit full_audit recycle
    // streams_xattr.
    QTest::newRow("settings not an object")
        << "settings" << QStringList() << std::optional(QJsonValue(QJsonArray()))
        << "\"settings\" must be an object";
    QTest::newRow("settings null") << "settings" << QStringList() << std::optional(QJsonValue())
                                   << "\"settings\" must be an object";
    QTest::newRow("shares not a list")
        << "shares" << QStringList() << std::optional(QJsonValue(QJsonObject()))
        << "\"shares\" must be a list";
    QTest::newRow("share not an object")
        << "shares" << path("1") << std::optional(QJsonValue(7)) << "\"shares[1]\" must be an object";
    QTest::newRow("field missing") << "settings" << path("global/workgroup") << removed
                                   << "\"settings.global.workgroup\" is missing";
    QTest::newRow("unknown field") << "shares" << path("0/colour") << std::optional(QJsonValue(1))
                                   << "\"shares[0].colour\" is not known";
    QTest::newRow("flag as text") << "shares" << path("0/readOnly")
                                  << std::optional(QJsonValue(QStringLiteral("yes")))
                                  << "\"shares[0].readOnly\" must be true or false";
    QTest::newRow("text as number") << "shares" << path("0/comment") << std::optional(QJsonValue(1e308))
                                    << "\"shares[0].comment\" must be a text or null";
    QTest::newRow("list item an object")
        << "shares" << path("0/validUsers/1") << std::optional(QJsonValue(QJsonObject()))
        << "\"shares[0].validUsers[1]\" must be a text or null";
    QTest::newRow("list as text") << "shares" << path("0/writeList")
                                  << std::optional(QJsonValue(QStringLiteral("editors")))
                                  << "\"shares[0].writeList\" must be a list of texts";
    QTest::newRow("security out of range") << "settings" << path("security") << std::optional(QJsonValue(7))
                                           << "\"settings.security\" must be one of";
    QTest::newRow("security unknown")
        << "settings" << path("security") << std::optional(QJsonValue(QStringLiteral("user")))
        << "must be one of \"USER\"";
    QTest::newRow("directory mode absurd") << "shares" << path("0/directoryModeChange")
                                           << std::optional(QJsonValue(QStringLiteral("chmod 4777")))
                                           << "\"shares[0].directoryModeChange\" must be one of";
    QTest::newRow("storedIn unknown")
        << "shares" << path("0/storedIn") << std::optional(QJsonValue(QStringLiteral("ldap")))
        << "\"shares[0].storedIn\" must be one of";
    QTest::newRow("modules not a list") << "shares" << path("0/vfsModules") << std::optional(QJsonValue(true))
                                        << "\"shares[0].vfsModules\" must be a list of objects";
    QTest::newRow("module kind unknown")
        << "shares" << path("0/vfsModules/1/kind") << std::optional(QJsonValue(QStringLiteral("catia")))
        << "\"shares[0].vfsModules[1].kind\" must be one of";
    QTest::newRow("module kind missing") << "shares" << path("0/vfsModules/1/kind") << removed
                                         << "\"shares[0].vfsModules[1].kind\" is missing";
    QTest::newRow("module name empty")
        << "shares" << path("0/vfsModules/1/name") << std::optional(QJsonValue(QStringLiteral("")))
        << "\"shares[0].vfsModules[1].name\" must not be empty";
    QTest::newRow("known kind, other name")
        << "shares" << path("0/vfsModules/2/name") << std::optional(QJsonValue(QStringLiteral("fruity")))
        << "\"shares[0].vfsModules[2].name\" must be \"fruit\"";
    QTest::newRow("module twice") << "shares" << path("0/vfsModules/5/name")
                                  << std::optional(QJsonValue(QStringLiteral("catia")))
                                  << "\"shares[0].vfsModules[5].name\" names a module given before";
    QTest::newRow("field of another kind")
        << "shares" << path("0/vfsModules/1/prefix") << std::optional(QJsonValue(QStringLiteral("%u")))
        << "\"shares[0].vfsModules[1].prefix\" is not known";
    QTest::newRow("operations as text")
        << "shares" << path("0/vfsModules/3/successOperations")
        << std::optional(QJsonValue(QStringLiteral("all")))
        << "\"shares[0].vfsModules[3].successOperations\" must be a list of texts";
    QTest::newRow("operation empty")
        << "shares" << path("0/vfsModules/3/failureOperations/0")
        << std::optional(QJsonValue(QStringLiteral("")))
        << "\"shares[0].vfsModules[3].failureOperations\" must not hold an empty";
    QTest::newRow("facility missing") << "shares" << path("0/vfsModules/3/facility") << removed
                                      << "\"shares[0].vfsModules[3].facility\" is missing";
    QTest::newRow("ACL flag as number")
        << "shares" << path("0/vfsModules/0/ignoreSystemAcls") << std::optional(QJsonValue(1))
        << "\"shares[0].vfsModules[0].ignoreSystemAcls\" must be true or false";
    QTest::newRow("option value null")
        << "shares" << path("0/vfsModules/4/options/keeptree") << std::optional(QJsonValue())
        << "\"shares[0].vfsModules[4].options.keeptree\" must be a text";
    QTest::newRow("option key empty")
        << "shares" << path("0/vfsModules/4/options/") << std::optional(QJsonValue(QStringLiteral("x")))
        << "\"shares[0].vfsModules[4].options\" has an empty name";
    QTest::newRow("option in two spellings") << "shares" << path("0/vfsModules/4/options/Keep Tree")
                                             << std::optional(QJsonValue(QStringLiteral("no")))
                                             << "\"shares[0].vfsModules[4].options\" names the option";
    QTest::newRow("options missing") << "shares" << path("0/vfsModules/2/options") << removed
                                     << "\"shares[0].vfsModules[2].options\" is missing";
    QTest::newRow("other parameter a number")
        << "shares" << path("0/otherParameters/oplocks") << std::optional(QJsonValue(0))
        << "\"shares[0].otherParameters.oplocks\" must be a text or null";
    QTest::newRow("guest account with no guest account")
        << "settings" << path("global/noGuestAccount") << std::optional(QJsonValue(true))
        << "\"settings.global.guestAccount\" must be null";
    QTest::newRow("guest account the marker") << "settings" << path("global/guestAccount")
                                              << std::optional(QJsonValue(GlobalShare::noGuestAccount()))
                                              << "\"settings.global.guestAccount\" must name an account";
    QTest::newRow("user not an object")
        << "settings" << path("users/alice") << std::optional(QJsonValue(true))
        << "\"settings.users.alice\" must be an object";
    QTest::newRow("users a list") << "settings" << path("users") << std::optional(QJsonValue(QJsonArray()))
                                  << "\"settings.users\" must be an object of objects";
    QTest::newRow("group flag missing") << "settings" << path("groups/staff/changed") << removed
                                        << "\"settings.groups.staff.changed\" is missing";
    QTest::newRow("global share field wrong") << "settings" << path("global/vfsModules/0/kind")
                                              << std::optional(QJsonValue(QStringLiteral("shadow")))
                                              << "\"settings.global.vfsModules[0].kind\" must be one of";
    QTest::newRow("single share") << "share" << path("name") << std::optional(QJsonValue(false))
                                  << "\"share.name\" must be a text or null";
    QTest::newRow("bytes not base64")
        << "preview" << path("proposed64") << std::optional(QJsonValue(QStringLiteral("[global]\n")))
        << "\"preview.proposed64\" must be base64 text";
    QTest::newRow("bytes not Latin-1")
        << "preview" << path("current64") << std::optional(QJsonValue(QStringLiteral("AAA€")))
        << "\"preview.current64\" must be base64 text";
    QTest::newRow("verdict status absurd")
        << "preview" << path("verdict/status") << std::optional(QJsonValue(-1))
        << "\"preview.verdict.status\" must be one of \"ok\"";
    QTest::newRow("renamed share pair") << "preview" << path("changes/renamedShares/0/to") << removed
                                        << "\"preview.changes.renamedShares[0].to\" is missing";
    QTest::newRow("transfer flag") << "transfer" << path("replaceRegistry")
                                   << std::optional(QJsonValue(QStringLiteral("true")))
                                   << "\"transfer.replaceRegistry\" must be true or false";
    QTest::newRow("transfer bytes missing") << "transfer" << path("registryNotInEffect64") << removed
                                            << "\"transfer.registryNotInEffect64\" is missing";
}

// What another process sends is refused with a sentence naming the field, never taken in part.
void TestRecordCodec::malformedInputIsRefused()
{
    QFETCH(QString, decoder);
    QFETCH(QStringList, path);
    QFETCH(std::optional<QJsonValue>, value);
    QFETCH(QString, message);

    Loaded loaded(m_modulesFile);
    loaded.settings.users().insert(QStringLiteral("alice"), SambaUser(QStringLiteral("alice")));
    loaded.settings.groups().insert(QStringLiteral("staff"), SambaGroup(QStringLiteral("staff")));
    loaded.settings.global()->addVfsModule(VFSModule::create(QStringLiteral("shadow_copy2")));
    QCOMPARE(loaded.shares.first().vfsModuleList().size(), 6);
    ConfigMapper::Preview preview;
    preview.current = "[global]\n";
    preview.changes.renamedShares.append({QStringLiteral("a"), QStringLiteral("b")});
    ConfigMapper::Transfer transfer;

    const QHash<QString, std::function<QJsonValue()>> valid{
        {QStringLiteral("settings"),
         [&] {
             return RecordCodec::encode(loaded.settings);
         }},
        {QStringLiteral("shares"),
         [&] {
             return RecordCodec::encode(loaded.shares);
         }},
        {QStringLiteral("share"),
         [&] {
             return RecordCodec::encode(loaded.shares.first());
         }},
        {QStringLiteral("preview"),
         [&] {
             return SaveResultCodec::encode(preview);
         }},
        {QStringLiteral("transfer"),
         [&] {
             return SaveResultCodec::encode(transfer);
         }},
    };
    const std::function<void(const QJsonValue &)> decoders[] = {
        [](const QJsonValue &v) { RecordCodec::decodeSettings(v); },
        [](const QJsonValue &v) { RecordCodec::decodeShares(v); },
        [](const QJsonValue &v) { RecordCodec::decodeShare(v); },
        [](const QJsonValue &v) { SaveResultCodec::decodePreview(v); },
        [](const QJsonValue &v) { SaveResultCodec::decodeTransfer(v); },
    };
    const int which =
        QStringList{QStringLiteral("settings"), QStringLiteral("shares"), QStringLiteral("share"),
                    QStringLiteral("preview"), QStringLiteral("transfer")}
            .indexOf(decoder);
    QVERIFY(which >= 0);
    // The valid value is taken; only the change is refused.
    const QJsonValue original = valid.value(decoder)();
    decoders[which](original);

    // Through bytes, as it comes from the pipe.
    const QJsonValue bad = changed(original, path, value);
    const QJsonObject received =
        parsed(QJsonDocument(QJsonObject{{QStringLiteral("value"), bad}}).toJson(QJsonDocument::Compact));
    try {
        decoders[which](received.value(QLatin1String("value")));
        QFAIL("the malformed value was taken");
    } catch (const JsonFieldReader::Error &error) {
        const QString said = QString::fromStdString(error.what());
        QVERIFY2(said.contains(message), qPrintable(said));
        QVERIFY2(said.startsWith(QLatin1String("The field \"")) && said.endsWith(QLatin1Char('.')),
                 qPrintable(said));
    }
}

// A preview of an edit of a file with bytes that are not UTF-8, judged by the real testparm,
// comes back byte for byte.
void TestRecordCodec::previewComesBack()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config,
                      readFile(QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/confdoc/data/highbytes.conf"))
                          + "[more]\n\tpath = /srv/more\n\tcomment = caf\xe9\n"));
    Loaded loaded(config);
    QVERIFY(!loaded.shares.isEmpty());
    loaded.shares.first().setComment(QStringLiteral("Vorschau für das Fenster"));
    loaded.shares.removeLast();
    const ConfigMapper::Preview preview = loaded.mapper.preview(loaded.settings, loaded.shares);
    QVERIFY(preview.current != preview.proposed);
    QVERIFY(!preview.changes.isEmpty());
    QVERIFY(QByteArray::fromStdString(preview.current).contains("caf\xe9"));

    const QByteArray bytes = QJsonDocument(SaveResultCodec::encode(preview)).toJson();
    const ConfigMapper::Preview back = SaveResultCodec::decodePreview(parsed(bytes));
    QCOMPARE(back.current, preview.current);
    QCOMPARE(back.proposed, preview.proposed);
    QCOMPARE(back.verdict.status, preview.verdict.status);
    QCOMPARE(back.verdict.output, preview.verdict.output);
    QCOMPARE(back.changes.summary(), preview.changes.summary());
    QCOMPARE(back.changes.removedShares, preview.changes.removedShares);
    QCOMPARE(back.changes.changedShares, preview.changes.changedShares);
    QCOMPARE(QJsonDocument(SaveResultCodec::encode(back)).toJson(), bytes);
}

// Every field of a transfer, and a verdict and changes of every kind.
void TestRecordCodec::transferComesBack()
{
    ConfigMapper::Transfer transfer;
    transfer.fileBefore = std::string("[global]\n\0\xff\xfe", 13);
    transfer.fileAfter = "[global]\n\tinclude = registry\n";
    transfer.registryBefore = "";
    transfer.registryAfter = "[data]\n\tpath = /srv/\xe4\n";
    transfer.summary = QStringLiteral("Move all to the registry");
    transfer.replaceRegistry = true;
    transfer.effectiveBefore = "a";
    transfer.effectiveAfter = "ab";
    transfer.registryNotInEffect = "abc";
    const ConfigMapper::Transfer back =
        SaveResultCodec::decodeTransfer(parsed(QJsonDocument(SaveResultCodec::encode(transfer)).toJson()));
    QCOMPARE(back.fileBefore, transfer.fileBefore);
    QCOMPARE(back.fileAfter, transfer.fileAfter);
    QCOMPARE(back.registryBefore, transfer.registryBefore);
    QCOMPARE(back.registryAfter, transfer.registryAfter);
    QCOMPARE(back.summary, transfer.summary);
    QCOMPARE(back.replaceRegistry, transfer.replaceRegistry);
    QCOMPARE(back.effectiveBefore, transfer.effectiveBefore);
    QCOMPARE(back.effectiveAfter, transfer.effectiveAfter);
    QCOMPARE(back.registryNotInEffect, transfer.registryNotInEffect);

    for (int status = TestParmResult::Ok; status <= TestParmResult::Failed; ++status) {
        const TestParmResult verdict{status, QStringLiteral("line %1").arg(status)};
        const TestParmResult result = SaveResultCodec::decodeVerdict(SaveResultCodec::encode(verdict));
        QCOMPARE(result.status, verdict.status);
        QCOMPARE(result.output, verdict.output);
    }
    ConfigChanges changes;
    changes.addedShares = QStringList{QStringLiteral("new")};
    changes.removedShares = QStringList{QStringLiteral("gone")};
    changes.renamedShares = {{QStringLiteral("old"), QStringLiteral("young")},
                             {QStringLiteral("a"), QStringLiteral("b")}};
    changes.changedShares = QStringList{QStringLiteral("data"), QStringLiteral("Daten")};
    changes.changedGlobals = QStringList{QStringLiteral("workgroup"), QStringLiteral("server string")};
    const ConfigChanges result = SaveResultCodec::decodeChanges(SaveResultCodec::encode(changes));
    QCOMPARE(result.addedShares, changes.addedShares);
    QCOMPARE(result.removedShares, changes.removedShares);
    QCOMPARE(result.renamedShares, changes.renamedShares);
    QCOMPARE(result.changedShares, changes.changedShares);
    QCOMPARE(result.changedGlobals, changes.changedGlobals);
}

// A field that holds its default travels as nothing, and a missing field reads as its default:
// a share with a path alone is one field.
void TestRecordCodec::defaultsAreLeftOut()
{
    Share share;
    share.setPath(QStringLiteral("/srv/data"));
    const QJsonObject encoded = RecordCodec::encode(share);
    QCOMPARE(encoded.keys(), QStringList{QStringLiteral("path")});
    const Share decoded = RecordCodec::decodeShare(encoded, QStringLiteral("share"));
    QCOMPARE(decoded.path(), share.path());
    QCOMPARE(decoded.readOnly(), Share().readOnly());
    QCOMPARE(decoded.browseable(), Share().browseable());
    QVERIFY(decoded.name().isNull());

    // A flag set against its default travels, and comes back.
    share.setBrowseable(!Share().browseable());
    QCOMPARE(RecordCodec::decodeShare(RecordCodec::encode(share), QStringLiteral("share")).browseable(),
             share.browseable());
}

QTEST_GUILESS_MAIN(TestRecordCodec)
#include "tst_recordcodec.moc"
