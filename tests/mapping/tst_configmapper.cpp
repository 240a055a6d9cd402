// Loading smb.conf into records and writing records back, on files written here.
#include "aclxattr.h"
#include "audit.h"
#include "configdocument.h"
#include "configmapper.h"
#include "fullaudit.h"
#include "recordjson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sstream>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// One smb.conf in a temporary directory, loaded the way the window loads it.
struct Loaded
{
    explicit Loaded(const QByteArray &text)
        : path(dir.filePath(QStringLiteral("smb.conf")))
        , mapper(document, path)
    {
        writeFile(path, text);
        settings = mapper.loadGlobal();
        shares = mapper.loadShares(*settings.global());
    }

    Share *share(const QString &name)
    {
        for (Share &share : shares) {
            if (share.name() == name)
                return &share;
        }
        return nullptr;
    }

    // The document after the records were written into it, as it would be saved.
    QByteArray applied()
    {
        mapper.applyRecords(settings, shares);
        std::ostringstream out;
        document.write(out);
        return QByteArray::fromStdString(out.str());
    }

    QTemporaryDir dir;
    QString path;
    ConfigDocument document;
    ConfigMapper mapper;
    SambaSettings settings;
    QList<Share> shares;
};

using Edit = std::function<void(Loaded &)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestConfigMapper : public QObject
{
    Q_OBJECT

private slots:
    void conversions();
    void loadFields_data();
    void loadFields();
    void loadOrderAndSections();
    void loadModules();
    void loadMissingFile();
    void applyRecords_data();
    void applyRecords();
    void savesAreFixedPoints();
    void saveInstallsCheckedFile();
    void saveRefusesChangedFile();
    void saveRejectedByTestparm();
    void lineBreaksAreRefused_data();
    void lineBreaksAreRefused();
};

void TestConfigMapper::conversions()
{
    QCOMPARE(ConfigMapper::canonicalKey("writeable"), std::string("read only"));
    QCOMPARE(ConfigMapper::canonicalKey("vfs object"), std::string("vfs objects"));
    QCOMPARE(ConfigMapper::canonicalKey("read  only"), std::string("read  only"));
    QCOMPARE(ConfigMapper::synonymsOf("read only"),
             (std::vector<std::string>{"writable", "write ok", "writeable"}));
    QVERIFY(ConfigMapper::synonymsOf("comment").empty());
    QCOMPARE(ConfigMapper::invertBool("Yes"), std::string("no"));
    QCOMPARE(ConfigMapper::invertBool("0"), std::string("1"));
    QCOMPARE(ConfigMapper::invertBool("maybe"), std::string());
    QVERIFY(ConfigMapper::parseBool(std::string("TRUE")));
    QVERIFY(!ConfigMapper::parseBool(std::string("on")));
    QVERIFY(!ConfigMapper::parseBool(std::string()));
}

// Each row: a file, a record ("" for [global]), a field as the JSON of the record names
// it, and the value loaded.
void TestConfigMapper::loadFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("expected");

    auto row = [](const char *name, const char *text, const char *record, const char *field,
                  const QVariant &value) {
        QTest::newRow(name) << QByteArray(text) << QString::fromUtf8(record) << QString::fromUtf8(field)
                            << value;
    };
    row("[Global] is the global section", "[Global]\nworkgroup = W\n", "", "name", QStringLiteral("Global"));
    row("writable inverted", "[s]\nWritable = yes\n", "s", "readOnly", false);
    row("writeable maybe", "[s]\nwriteable = maybe\n", "s", "readOnly", false);
    row("read only as written", "[s]\nRead Only = yes\n", "s", "readOnly", true);
    row("later line wins", "[s]\nwritable = yes\nread only = yes\n", "s", "readOnly", true);
    row("public", "[s]\npublic = yes\n", "s", "guestOk", true);
    row("browsable", "[s]\nbrowsable = no\n", "s", "browseable", false);
    row("create mode", "[s]\ncreate mode = 0700\n", "s", "createMask", QStringLiteral("0700"));
    row("directory", "[s]\ndirectory = /srv/d\n", "s", "path", QStringLiteral("/srv/d"));
    row("comment falls back to server string", "[global]\nserver string = Files\n[s]\npath = /s\n", "s",
        "comment", QStringLiteral("Files"));
    row("own comment", "[global]\nserver string = Files\n[s]\ncomment = Mine\n", "s", "comment",
        QStringLiteral("Mine"));
    row("security user + map to guest", "[global]\nsecurity = USER\nmap to guest = Bad User\n", "",
        "security", QStringLiteral("SHARE"));
    row("security user + realm", "[global]\nsecurity = user\nrealm = EXAMPLE.COM\n", "", "security",
        QStringLiteral("KERBEROS DOMAIN"));
    row("ads reads realm", "[global]\nsecurity = ads\nrealm = EXAMPLE.COM\n", "", "realm",
        QStringLiteral("EXAMPLE.COM"));
    row("ads stays ads", "[global]\nsecurity = ads\nrealm = EXAMPLE.COM\n", "", "security",
        QStringLiteral("ADS"));
    row("domain ignores realm", "[global]\nsecurity = domain\nrealm = EXAMPLE.COM\n", "", "realm", QString());
    row("empty realm leaves user", "[global]\nsecurity = user\nrealm =\n", "", "security",
        QStringLiteral("USER"));
    row("unknown security", "[global]\nsecurity = share\n", "", "security", QStringLiteral("USER"));
    row("kerberos method case", "[global]\nkerberos method = Secrets Only\n", "", "kerberosMethod",
        QStringLiteral("default"));
    row("kerberos method", "[global]\nkerberos method = system keytab\n", "", "kerberosMethod",
        QStringLiteral("system keytab"));
    row("guest account lower-cased", "[global]\nguest account = Nobody\n", "", "guestAccount",
        QStringLiteral("nobody"));
    row("no guest account", "[global]\nworkgroup = W\n", "", "guestAccount", GlobalShare::noGuestAccount());
    row("encrypt passwords", "[global]\nencrypt passwords = no\n", "", "encryptPasswords", false);
    row("valid users", "[s]\nvalid users = alice  @staff\tbob\n", "s", "validUsers",
        QStringList{QStringLiteral("alice"), QStringLiteral("@staff"), QStringLiteral("bob")});
    row("write list everybody", "[s]\nwrite list = @everybody\n", "s", "writeListEverybody", true);
    row("write list group", "[s]\nwrite list = @staff\n", "s", "writeList",
        QStringList{QStringLiteral("staff")});
    row("write list first character only", "[s]\nwrite list = @staff @admins\n", "s", "writeList",
        QStringList{QStringLiteral("staff"), QStringLiteral("@admins")});
    row("write list users", "[s]\nwrite list = root alice\n", "s", "writeList",
        QStringList{QStringLiteral("root"), QStringLiteral("alice")});
    row("one acl key clears by-default", "[global]\nnt acl support = no\n[s]\ninherit acls = yes\n", "s",
        "aclByDefault", false);
    row("acl keys fall back to global", "[global]\nnt acl support = no\n[s]\ninherit acls = yes\n", "s",
        "ntAclSupport", false);
    row("acl default without keys", "[global]\nnt acl support = no\n[s]\npath = /s\n", "s", "aclByDefault",
        true);
    // Values are read as Samba reads them: trailing blanks and CRs are not part of them.
    row("crlf security", "[global]\r\nsecurity = ADS\r\nrealm = R\r\n", "", "security",
        QStringLiteral("ADS"));
    row("trailing blank boolean", "[s]\nread only = yes \n", "s", "readOnly", true);
    row("trailing tab inverted", "[s]\nwritable = no\t\n", "s", "readOnly", true);
    row("crlf path", "[s]\r\npath = /srv/s\r\n", "s", "path", QStringLiteral("/srv/s"));
    // [global] holds the share settings shares fall back to.
    row("global read only", "[global]\nread only = no\n[s]\npath = /s\n", "s", "readOnly", false);
    row("global guest ok", "[global]\nguest ok = yes\n[s]\npath = /s\n", "s", "guestOk", true);
    row("global browseable", "[global]\nbrowseable = no\n[s]\npath = /s\n", "s", "browseable", false);
    row("global create mask", "[global]\ncreate mask = 0644\n[s]\npath = /s\n", "s", "createMask",
        QStringLiteral("0644"));
    row("global path", "[global]\npath = /srv/%S\n[s]\ncomment = x\n", "s", "path",
        QStringLiteral("/srv/%S"));
    row("global printable", "[global]\nprintable = yes\n[s]\npath = /s\n", "s", "printable", true);
    row("global guest only", "[global]\nguest only = yes\n[s]\npath = /s\n", "s", "guestOnly", true);
    row("share beats global", "[global]\nread only = no\n[s]\nread only = yes\n", "s", "readOnly", true);
    // A section of many parameters is looked up through an index; later lines still win.
    std::string large = "[s]\nread only = yes\n";
    for (int i = 0; i < 50; ++i)
        large += "key" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    large += "writable = yes\npath = /big\n";
    row("large section", large.c_str(), "s", "readOnly", false);
    row("large section path", large.c_str(), "s", "path", QStringLiteral("/big"));
}

void TestConfigMapper::loadFields()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, record);
    QFETCH(QString, field);
    QFETCH(QVariant, expected);

    Loaded loaded(text);
    QJsonObject json = RecordJson::configuration(loaded.settings, loaded.shares);
    QJsonValue value;
    if (field == QLatin1String("security") || field == QLatin1String("kerberosMethod")) {
        value = json.value(field);
    } else if (record.isEmpty()) {
        value = json.value(QStringLiteral("global")).toObject().value(field);
    } else {
        const Share *share = loaded.share(record);
        QVERIFY2(share, qPrintable(record));
        value = RecordJson::share(*share).value(field);
    }
    QVERIFY2(!value.isUndefined(), qPrintable(field));
    QCOMPARE(value.toVariant(), expected);
}

void TestConfigMapper::loadOrderAndSections()
{
    Loaded loaded("[b]\npath = /b\n[global]\nworkgroup = W\n[A]\npath = /a\n[c]\npath = /c\n[empty]\n"
                  "[Global]\nserver string = S\n");
    QStringList names;
    for (const Share &share : loaded.shares)
        names << share.name();
    // Ordered by lower-cased name; [Global] is the global section; a section without
    // parameters is no share.
    QCOMPARE(names, (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(loaded.shares.first().originalName(), QStringLiteral("A"));
    QCOMPARE(loaded.settings.global()->serverString(), QStringLiteral("S"));
    QCOMPARE(loaded.settings.global()->workgroup(), QStringLiteral("W"));

    // Loading again describes only the file read: a section gone from the file is no
    // share any more.
    writeFile(loaded.path, "[global]\nworkgroup = W\n[c]\npath = /c\n");
    const SambaSettings again = loaded.mapper.loadGlobal();
    QCOMPARE(loaded.mapper.loadShares(*again.global()).size(), 1);
}

void TestConfigMapper::loadModules()
{
    Loaded loaded("[global]\nfull_audit:prefix = %u\nfull_audit:failure = none\n"
                  "[a]\nvfs objects = full_audit   Recycle\nfull_audit:success = all !open\n"
                  "full_audit:facility = local3\nfull_audit:syslog = no\n"
                  "[b]\nvfs objects = audit audit\naudit:priority = warn\n"
                  "[c]\nvfs objects = acl_xattr\nacl_xattr:default acl style = Windows\n");
    const Share *a = loaded.share(QStringLiteral("a"));
    QCOMPARE(a->vfsModuleList().size(), 2);
    auto full = std::dynamic_pointer_cast<FullAudit>(a->vfsModule(QStringLiteral("full_audit")));
    QVERIFY(full);
    QVERIFY(a->hasVfsModule(QStringLiteral("recycle")));
    QCOMPARE(full->prefix(), QStringLiteral("%u"));
    QCOMPARE(full->successOperations().size(), allOperations().size() - 1);
    QVERIFY(!full->successOperations().contains(VfsOperation(QStringLiteral("open"))));
    QVERIFY(full->failureOperations().isEmpty());
    QCOMPARE(full->facility().name(), QStringLiteral("LOCAL3"));
    QVERIFY(!full->syslog());
    QVERIFY(a->aclByDefault());

    const QJsonArray b = RecordJson::modules(*loaded.share(QStringLiteral("b")));
    QCOMPARE(b.size(), 1);
    QCOMPARE(b.first().toObject().value(QStringLiteral("priority")).toString(), QStringLiteral("WARN"));

    const Share *c = loaded.share(QStringLiteral("c"));
    QVERIFY(!c->aclByDefault());
    QCOMPARE(RecordJson::modules(*c).first().toObject().value(QStringLiteral("defaultAclStyle")).toString(),
             QStringLiteral("windows"));
}

void TestConfigMapper::loadMissingFile()
{
    ConfigDocument document;
    ConfigMapper mapper(document, QStringLiteral("/nonexistent/smb.conf"));
    try {
        mapper.loadGlobal();
        QFAIL("loading a missing file did not throw");
    } catch (const std::runtime_error &error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Can't open smb.conf."));
    }
}

// Each row: a file, an edit of the loaded records, and the exact text written back.
void TestConfigMapper::applyRecords_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("expected");

    const Edit none = [](Loaded &) {
    };
    auto onShare = [](const char *name, std::function<void(Share &)> change) -> Edit {
        return [name, change](Loaded &loaded) {
            change(*loaded.share(QString::fromUtf8(name)));
        };
    };
    auto onGlobal = [](std::function<void(SambaSettings &)> change) -> Edit {
        return [change](Loaded &loaded) {
            change(loaded.settings);
        };
    };
    const QByteArray flags =
        "read only = yes\nprintable = no\nbrowseable = yes\nguest ok = no\nguest only = no\n";

    QTest::newRow("unchanged explicit share")
        << QByteArray("[global]\n   workgroup = W\n\n# data\n[data]\n   path = /d\n   "
                      + flags.trimmed().replace("\n", "\n   ") + "\n\n")
        << none
        << QByteArray("[global]\n   workgroup = W\n\n# data\n[data]\n   path = /d\n   "
                      + flags.trimmed().replace("\n", "\n   ") + "\n\n");
    QTest::newRow("writable replaced by read only")
        << QByteArray("[s]\npath = /s\nwritable = yes\n" + flags.mid(16) + "\n") << none
        << QByteArray("[s]\npath = /s\n" + flags.mid(16) + "read only = no\n\n");
    QTest::newRow("read only keeps its spelling")
        << QByteArray("[s]\npath = /s\nRead Only = yes\n" + flags.mid(16) + "\n")
        << onShare("s", [](Share &s) { s.setReadOnly(false); })
        << QByteArray("[s]\npath = /s\nRead Only = no\n" + flags.mid(16) + "\n");
    QTest::newRow("browsable rewritten")
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nbrowsable = yes\nguest ok = "
                      "no\nguest only = no\n\n")
        << none
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nguest ok = no\nguest only = "
                      "no\nbrowseable = yes\n\n");
    QTest::newRow("empty comment and path removed")
        << QByteArray("[s]\ndirectory = /x\npath = /s\ncomment = C\n" + flags + "\n")
        << onShare("s",
                   [](Share &s) {
                       s.setPath(QString());
                       s.setComment(QString());
                   })
        << QByteArray("[s]\n" + flags + "\n");
    QTest::newRow("first save writes the inherited comment")
        << QByteArray("[global]\nserver string = Files\n\n[s]\npath = /s\n" + flags + "\n") << none
        << QByteArray("[global]\nserver string = Files\n\n[s]\npath = /s\n" + flags + "comment = Files\n\n");
    QTest::newRow("encrypt passwords yes disappears")
        << QByteArray("[global]\nworkgroup = W\nencrypt passwords = yes\n\n") << none
        << QByteArray("[global]\nworkgroup = W\n\n");
    QTest::newRow("encrypt passwords no written")
        << QByteArray("[global]\nworkgroup = W\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setEncryptPasswords(false); })
        << QByteArray("[global]\nworkgroup = W\nencrypt passwords = no\n\n");
    QTest::newRow("share to user removes map to guest")
        << QByteArray("[global]\nsecurity = user\nmap to guest = Bad User\n\n")
        << onGlobal([](SambaSettings &s) { s.setSecurity(SambaSettings::SecurityUser); })
        << QByteArray("[global]\nsecurity = user\n\n");
    QTest::newRow("to domain")
        << QByteArray("[global]\nsecurity = user\nrealm = R.COM\nkerberos method = system keytab\n\n")
        << onGlobal([](SambaSettings &s) { s.setSecurity(SambaSettings::SecurityDomain); })
        << QByteArray("[global]\nsecurity = domain\nidmap config * : backend = tdb\nidmap config * : range = "
                      "3000-7999\n\n");
    QTest::newRow("kerberos domain without method")
        << QByteArray("[global]\nsecurity = user\n\n") << onGlobal([](SambaSettings &s) {
               s.setSecurity(SambaSettings::SecurityKerberosDomain);
               s.global()->setRealm(QStringLiteral("R.COM"));
           })
        << QByteArray("[global]\nsecurity = user\nrealm = R.COM\nkerberos method = dedicated keytab\n"
                      "dedicated keytab file = /etc/krb5.keytab\n\n");
    QTest::newRow("kerberos domain keeps its method")
        << QByteArray("[global]\nsecurity = user\nrealm = R.COM\nkerberos method = system keytab\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setRealm(QStringLiteral("S.COM")); })
        << QByteArray("[global]\nsecurity = user\nrealm = S.COM\nkerberos method = system keytab\n\n");
    // The consequences of the mode are written only when it changed: an AD member
    // with a hand-made idmap setup is left alone.
    QTest::newRow("ads member unchanged")
        << QByteArray(
               "[global]\n\tsecurity = ADS\n\trealm = EXAMPLE.COM\n\tidmap config * : range = 10000-20000\n"
               "\tidmap config EX : backend = rid\n\n")
        << none
        << QByteArray(
               "[global]\n\tsecurity = ADS\n\trealm = EXAMPLE.COM\n\tidmap config * : range = 10000-20000\n"
               "\tidmap config EX : backend = rid\n\n");
    QTest::newRow("share mode unchanged keeps share flags")
        << QByteArray("[global]\nsecurity = user\nmap to guest = Bad User\n\n[s]\npath = /s\n" + flags + "\n")
        << none
        << QByteArray("[global]\nsecurity = user\nmap to guest = Bad User\n\n[s]\npath = /s\n" + flags
                      + "\n");
    QTest::newRow("switching to share mode opens shares")
        << QByteArray("[global]\nsecurity = user\n\n[s]\npath = /s\n" + flags + "\n")
        << onGlobal([](SambaSettings &s) { s.setSecurity(SambaSettings::SecurityShare); })
        << QByteArray(
               "[global]\nsecurity = user\nmap to guest = Bad User\n\n[s]\npath = /s\n"
               "read only = yes\nprintable = no\nbrowseable = yes\nguest ok = yes\nguest only = yes\n\n");
    QTest::newRow("guest added to valid users")
        << QByteArray("[global]\nguest account = nobody\n\n[s]\npath = /s\n" + flags
                      + "valid users = alice bob\n\n")
        << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray(
               "[global]\nguest account = nobody\n\n[s]\npath = /s\nread only = yes\nprintable = no\n"
               "browseable = yes\nguest ok = yes\nguest only = no\nvalid users = alice bob nobody\n\n");
    QTest::newRow("guest by substring")
        << QByteArray("[s]\npath = /s\n" + flags + "valid users = nobodyelse\n\n")
        << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nbrowseable = yes\nguest ok = yes\n"
                      "guest only = no\nvalid users = nobodyelse\n\n");
    QTest::newRow("empty valid users stay empty for guests")
        << QByteArray("[s]\npath = /s\n" + flags + "\n") << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nbrowseable = yes\nguest ok = yes\n"
                      "guest only = no\n\n");
    QTest::newRow("write list chosen in the tool") << QByteArray(
        "[s]\npath = /s\n" + flags + "\n") << onShare("s", [](Share &s) {
        s.setWriteList({QStringLiteral("staff"), QStringLiteral("@admins")});
    }) << QByteArray("[s]\npath = /s\n" + flags + "write list = @staff @admins\n\n");
    QTest::newRow("write list of users unchanged")
        << QByteArray("[s]\npath = /s\n" + flags + "write list = root, alice\n\n") << none
        << QByteArray("[s]\npath = /s\n" + flags + "write list = root, alice\n\n");
    QTest::newRow("write list users stay users")
        << QByteArray("[s]\npath = /s\n" + flags + "write list = root @wheel\n\n")
        << onShare("s", [](Share &s) { s.setWriteList(s.writeList() << QStringLiteral("staff")); })
        << QByteArray("[s]\npath = /s\n" + flags + "write list = root @wheel @staff\n\n");
    QTest::newRow("write list emptied") << QByteArray("[s]\npath = /s\n" + flags + "write list = @staff\n\n")
                                        << onShare("s", [](Share &s) { s.setWriteList({}); })
                                        << QByteArray("[s]\npath = /s\n" + flags + "\n");
    QTest::newRow("modules written in name order")
        << QByteArray("[s]\npath = /s\n" + flags + "\n")
        << onShare("s",
                   [](Share &s) {
                       s.addVfsModule(std::make_shared<Audit>());
                       s.addVfsModule(std::make_shared<ACLXAttr>());
                   })
        << QByteArray("[s]\npath = /s\n" + flags
                      + "acl_xattr:ignore system acls = false\nacl_xattr:default acl style = posix\n"
                        "audit:facility = USER\naudit:priority = INFO\nvfs objects = acl_xattr audit\n\n");
    QTest::newRow("module stack order kept")
        << QByteArray("[s]\npath = /s\n" + flags + "vfs objects = recycle full_audit\n\n")
        << onShare("s", [](Share &s) { s.addVfsModule(std::make_shared<Audit>()); })
        << QByteArray(
               "[s]\npath = /s\n" + flags
               + "vfs objects = recycle full_audit audit\naudit:facility = USER\naudit:priority = INFO\n"
                 "full_audit:prefix = %u|%I\nfull_audit:success = none\nfull_audit:failure = none\n"
                 "full_audit:facility = USER\nfull_audit:priority = INFO\nfull_audit:syslog = true\n"
                 "full_audit:log_secdesc = false\n\n");
    QTest::newRow("last module removed")
        << QByteArray("[s]\npath = /s\n" + flags
                      + "vfs object = audit\naudit:facility = LOCAL1\naudit:priority = INFO\n\n")
        << onShare("s", [](Share &s) { s.removeVfsModule(QStringLiteral("audit")); })
        << QByteArray("[s]\npath = /s\n" + flags + "\n");
    QTest::newRow("renamed share keeps its place")
        << QByteArray("# first\n[a]\npath = /a\n" + flags + "\n# about b\n[b]\npath = /b\n" + flags
                      + "unmanaged = 1\n\n[c]\npath = /c\n" + flags + "\n")
        << onShare("b", [](Share &s) { s.setName(QStringLiteral("bee")); })
        << QByteArray("# first\n[a]\npath = /a\n" + flags + "\n# about b\n[bee]\npath = /b\n" + flags
                      + "unmanaged = 1\n\n[c]\npath = /c\n" + flags + "\n");
    QTest::newRow("deleted share goes with its comments")
        << QByteArray("[global]\nworkgroup = W\n\n# about b\n[b]\npath = /b\n" + flags
                      + "\n[notes]\n; kept\n\n")
        << Edit([](Loaded &l) { l.shares.clear(); })
        << QByteArray("[global]\nworkgroup = W\n\n[notes]\n; kept\n\n");
    // Samba reads [data] and [Data] as one section: neither is lost, and the record
    // of both is written into the spelling read last.
    QTest::newRow("middle share deleted, the next edited")
        << QByteArray("[a]\npath = /a\n" + flags + "\n[b]\npath = /b\n" + flags + "\n[c]\npath = /c\n" + flags
                      + "\n")
        << Edit([](Loaded &l) {
               l.shares.removeAt(1);
               l.shares[1].setPath(QStringLiteral("/cc"));
               Share added;
               added.setName(QStringLiteral("b2"));
               added.setPath(QStringLiteral("/b2"));
               l.shares.insert(1, added);
           })
        << QByteArray(
               "[a]\npath = /a\n" + flags + "\n[c]\npath = /cc\n" + flags
               + "\n[b2]\npath = /b2\nread only = yes\nprintable = no\nbrowseable = yes\nguest ok = no\n"
                 "guest only = no\n\n");
    QTest::newRow("sections compared without case")
        << QByteArray("[global]\nworkgroup = W\n\n[Global]\nserver string = S\n\n[data]\npath = /d\n" + flags
                      + "\n[Data]\ncomment = C\n\n")
        << none
        << QByteArray(
               "[global]\nworkgroup = W\n\n[Global]\nserver string = S\nworkgroup = W\n\n[data]\npath = /d\n"
               + flags + "\n[Data]\ncomment = C\npath = /d\n" + flags + "\n");
    QTest::newRow("new share")
        << QByteArray("[global]\nworkgroup = W\n\n") << Edit([](Loaded &l) {
               Share share;
               share.setName(QStringLiteral("new"));
               share.setPath(QStringLiteral("/srv/new"));
               share.setComment(QStringLiteral("New"));
               share.setCreateMask(QStringLiteral("0700"));
               l.shares.append(share);
           })
        << QByteArray("[global]\nworkgroup = W\n\n[new]\npath = /srv/new\ncomment = New\nread only = "
                      "yes\nprintable = no\n"
                      "browseable = yes\ncreate mask = 0700\nguest ok = no\nguest only = no\n\n");
    QTest::newRow("no global section")
        << QByteArray("[s]\npath = /s\n" + flags + "\n")
        << onGlobal([](SambaSettings &s) { s.global()->setWorkgroup(QStringLiteral("W")); })
        << QByteArray("[s]\npath = /s\n" + flags + "\n[global]\nworkgroup = W\n\n");
    QTest::newRow("acl options by default removed")
        << QByteArray("[s]\npath = /s\n" + flags + "inherit acls = yes\n\n")
        << onShare("s", [](Share &s) { s.setAclByDefault(true); })
        << QByteArray("[s]\npath = /s\n" + flags + "\n");
    QTest::newRow("acl options written")
        << QByteArray("[s]\npath = /s\n" + flags + "\n")
        << onShare("s", [](Share &s) { s.setAclByDefault(false); })
        << QByteArray(
               "[s]\npath = /s\n" + flags
               + "nt acl support = true\ninherit acls = false\nmap acl inherit = false\ndos filemode = "
                 "false\n"
                 "store dos attributes = true\nacl allow execute always = false\nacl group control = false\n"
                 "acl map full control = true\nforce unknown acl user = false\n\n");
    // Saying the same again leaves lines byte for byte, line endings and bytes that are
    // not UTF-8 included; a changed value keeps the CR of a CRLF file.
    QTest::newRow("crlf file") << QByteArray(
        "[s]\r\npath = /s\r\nread only = yes\r\nprintable = no\r\nbrowseable = yes\r\nguest ok = no\r\n"
        "guest only = no\r\n\r\n")
                               << onShare("s", [](Share &s) { s.setReadOnly(false); })
                               << QByteArray("[s]\npath = /s\r\nread only = no\r\nprintable = "
                                             "no\r\nbrowseable = yes\r\nguest ok = no\r\n"
                                             "guest only = no\r\n\n");
    QTest::newRow("latin-1 bytes kept")
        << QByteArray("[s]\npath = /srv/caf\xe9\ncomment = Donn\xe9\x65s \n" + flags + "\n") << none
        << QByteArray("[s]\npath = /srv/caf\xe9\ncomment = Donn\xe9\x65s \n" + flags + "\n");
    QTest::newRow("latin-1 section name")
        << QByteArray("[donn\xe9\x65s]\npath = /d\n" + flags + "\n")
        << onShare("donn\xef\xbf\xbd\x65s", [](Share &s) { s.setReadOnly(false); })
        << QByteArray("[donn\xe9\x65s]\npath = /d\nread only = no\n" + flags.mid(16) + "\n");
}

void TestConfigMapper::applyRecords()
{
    QFETCH(QByteArray, text);
    QFETCH(Edit, edit);
    Loaded loaded(text);
    edit(loaded);
    QFETCH(QByteArray, expected);
    QCOMPARE(loaded.applied(), expected);
    // A save that failed later (testparm, rename) leaves the document written; saving
    // the same records again writes nothing twice (module options move to the end
    // again, so the order may differ once) and then changes nothing.
    const QByteArray again = loaded.applied();
    QCOMPARE(again.count('\n'), expected.count('\n'));
    QCOMPARE(loaded.applied(), again);
}

// Saving with no edits, again and again, settles within three saves.
void TestConfigMapper::savesAreFixedPoints()
{
    Loaded loaded(
        "[global]\n  workgroup = W\n  server string = S\n[homes]\n  browsable = no\n  writable = yes\n"
        "  vfs objects = full_audit\n  full_audit:success = open\n[printers]\n  print ok = yes\n"
        "  path = /var/spool/samba\n");
    QByteArray previous;
    for (int round = 0; round < 4; ++round) {
        const QByteArray text = round == 0 ? readFile(loaded.path) : previous;
        Loaded again(text);
        previous = again.applied();
        if (round == 3)
            QCOMPARE(previous, text);
    }
}

void TestConfigMapper::saveInstallsCheckedFile()
{
    Loaded loaded("[global]\n   workgroup = W\n\n[s]\n   path = /srv/s\n");
    loaded.share(QStringLiteral("s"))->setName(QStringLiteral("renamed"));
    loaded.mapper.save(loaded.settings, loaded.shares);
    QCOMPARE(loaded.shares.first().originalName(), QStringLiteral("renamed"));
    const QByteArray saved = readFile(loaded.path);
    QVERIFY(saved.contains("[renamed]\n   path = /srv/s\n"));
    QVERIFY(!QFile::exists(loaded.mapper.temporaryPath()));
    // The document and tables describe the new file.
    QVERIFY(loaded.document.findSection("renamed"));
    QCOMPARE(loaded.mapper.loadShares(*loaded.mapper.loadGlobal().global()).first().name(),
             QStringLiteral("renamed"));
}

void TestConfigMapper::saveRefusesChangedFile()
{
    Loaded loaded("[global]\nworkgroup = W\n");
    const QByteArray changed = "[global]\nworkgroup = OTHER\n";
    writeFile(loaded.path, changed);
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("save overwrote a file changed on disk");
    } catch (const std::runtime_error &error) {
        QVERIFY(QString::fromUtf8(error.what()).contains(QLatin1String("Reload it before saving")));
    }
    QCOMPARE(readFile(loaded.path), changed);
    QVERIFY(!QFile::exists(loaded.mapper.temporaryPath()));
    // After a reload the save goes through.
    SambaSettings settings = loaded.mapper.loadGlobal();
    QList<Share> shares = loaded.mapper.loadShares(*settings.global());
    loaded.mapper.save(settings, shares);
    QVERIFY(readFile(loaded.path).contains("workgroup = OTHER"));
}

void TestConfigMapper::saveRejectedByTestparm()
{
    const QByteArray text = "[global]\n   security = bogus\n";
    Loaded loaded(text);
    loaded.settings.global()->setWorkgroup(QStringLiteral("NEW"));
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("testparm's errors did not stop the save");
    } catch (const std::runtime_error &error) {
        const QStringList lines = QString::fromUtf8(error.what()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("Samba configuration file contains errors."));
        QCOMPARE(lines.value(1), QStringLiteral("Samba configuration will not be saved."));
        QCOMPARE(lines.value(2), QStringLiteral("testparm output is:"));
    }
    QCOMPARE(readFile(loaded.path), text);
    // The rejected text stays beside smb.conf for the administrator to look at.
    QVERIFY(readFile(loaded.mapper.temporaryPath()).contains("workgroup = NEW"));
}

void TestConfigMapper::lineBreaksAreRefused_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("named");
    const auto share = [](Loaded &loaded) {
        return loaded.share(QStringLiteral("s"));
    };
    QTest::newRow("share name") << Edit([=](Loaded &l) { share(l)->setName(QStringLiteral("s\n[x]")); })
                                << QStringLiteral("share name");
    QTest::newRow("share name, carriage return")
        << Edit([=](Loaded &l) { share(l)->setName(QStringLiteral("s\r")); }) << QStringLiteral("share name");
    QTest::newRow("comment") << Edit([=](Loaded &l) {
        share(l)->setComment(QStringLiteral("a\nguest ok = yes"));
    }) << QStringLiteral("comment");
    QTest::newRow("path") << Edit([=](Loaded &l) { share(l)->setPath(QStringLiteral("/srv/s\r\n")); })
                          << QStringLiteral("path");
    QTest::newRow("valid users") << Edit([=](Loaded &l) {
        share(l)->setValidUsers({QStringLiteral("alice\nroot")});
    }) << QStringLiteral("valid users");
    QTest::newRow("new share") << Edit([](Loaded &l) {
        Share added;
        added.setName(QStringLiteral("new"));
        added.setPath(QStringLiteral("/tmp\n[global]"));
        l.shares.append(added);
    }) << QStringLiteral("path");
    QTest::newRow("workgroup") << Edit([](Loaded &l) {
        l.settings.global()->setWorkgroup(QStringLiteral("W\nX"));
    }) << QStringLiteral("workgroup");
}

// What would add lines to smb.conf is refused with a clear text, and the file stays.
void TestConfigMapper::lineBreaksAreRefused()
{
    QFETCH(Edit, edit);
    QFETCH(QString, named);
    const QByteArray text = "[global]\n   workgroup = W\n[s]\n   path = /srv/s\n   comment = c\n";
    Loaded loaded(text);
    edit(loaded);
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("a line break reached smb.conf");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(QLatin1String("line break")), qPrintable(message));
        QVERIFY2(message.contains(named), qPrintable(message));
    }
    QCOMPARE(readFile(loaded.path), text);
    QVERIFY(!QFile::exists(loaded.mapper.temporaryPath()));
}

QTEST_GUILESS_MAIN(TestConfigMapper)
#include "tst_configmapper.moc"
