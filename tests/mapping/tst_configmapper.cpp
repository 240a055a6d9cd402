// Loading smb.conf into records and writing records back, on files written here.
#include "aclxattr.h"
#include "audit.h"
#include "configdocument.h"
#include "configfilelock.h"
#include "confighistory.h"
#include "configmapper.h"
#include "configvalues.h"
#include "fullaudit.h"
#include "recordjson.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sstream>

#include <sys/file.h>

namespace {

// One smb.conf in a temporary directory, loaded the way the window loads it.
struct Loaded
{
    explicit Loaded(const QByteArray &text)
        : path(dir.filePath(QStringLiteral("smb.conf")))
        , mapper(document, path)
    {
        mapper.setLockDirectory(dir.filePath(QStringLiteral("run")));
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

    // What the directory of smb.conf holds: no save may leave anything beside it.
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
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
    void auditedOperationsInCommas();
    void loadOrderAndSections();
    void loadModules();
    void loadMissingFile();
    void applyRecords_data();
    void applyRecords();
    void saveWithoutEditWritesNothing();
    void saveInstallsCheckedFile();
    void saveRefusesChangedFile();
    void saveRejectedByTestparm();
    void lineBreaksAreRefused_data();
    void lineBreaksAreRefused();
    void encryptPasswordsIsNeverWritten_data();
    void encryptPasswordsIsNeverWritten();
    void saveWaitsForTheLock();
    void saveNamesAnOrphanedHolder();
    void changeWhileCheckingIsKept();
    void changeByAnotherSharewardIsNamed_data();
    void changeByAnotherSharewardIsNamed();
    void failedSaveLeavesRecords();
};

void TestConfigMapper::conversions()
{
    QCOMPARE(ConfigValues::canonicalOf("writeable"), std::string_view("readonly"));
    QCOMPARE(ConfigValues::canonicalOf(ConfigValues::lookupKey("VFS  Object")),
             std::string_view("vfsobjects"));
    QCOMPARE(ConfigValues::lookupKey(" Read \t Only"), std::string("readonly"));
    QVERIFY(ConfigValues::sameKey("Full_Audit : Prefix", "full_audit:prefix"));
    QVERIFY(!ConfigValues::sameKey("path2", "path"));
    QCOMPARE(ConfigValues::sectionKey("Glo Bals"), std::string("global"));
    QCOMPARE(ConfigValues::sectionKey("My Share"), std::string("my share"));
    // Samba's booleans in every spelling and case; inverted and written in the same spelling.
    QCOMPARE(ConfigValues::invertBool("Yes"), std::string("No"));
    QCOMPARE(ConfigValues::invertBool("0"), std::string("1"));
    QCOMPARE(ConfigValues::invertBool("OFF"), std::string("ON"));
    QCOMPARE(ConfigValues::invertBool("maybe"), std::string());
    QVERIFY(ConfigValues::parseBool(std::string_view("TRUE")));
    QVERIFY(ConfigValues::parseBool(std::string_view("On")));
    QVERIFY(!ConfigValues::parseBool(std::string_view("off")));
    QVERIFY(!ConfigValues::parseBool(std::string_view()));
    QCOMPARE(ConfigValues::formatBool(false, "True"), std::string("False"));
    QCOMPARE(ConfigValues::formatBool(true, "no"), std::string("yes"));
    QCOMPARE(ConfigValues::formatBool(true, "maybe"), std::string("yes"));
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
    // Only bad user maps unknown names to the guest; Samba compares the value without case
    // and blanks, and user-level security is the default of a standalone server.
    row("map to guest never is user", "[global]\nsecurity = user\nmap to guest = Never\n", "", "security",
        QStringLiteral("USER"));
    row("map to guest bad password is user", "[global]\nsecurity = user\nmap to guest = Bad Password\n", "",
        "security", QStringLiteral("USER"));
    row("map to guest baduser", "[global]\nsecurity = user\nmap to guest = baduser\n", "", "security",
        QStringLiteral("SHARE"));
    row("bad user without a security line", "[global]\nmap to guest = bad user\n", "", "security",
        QStringLiteral("SHARE"));
    row("bad user on a standalone server",
        "[global]\nserver role = standalone server\nmap to guest = bad user\n", "", "security",
        QStringLiteral("SHARE"));
    row("bad user on a member server", "[global]\nserver role = member server\nmap to guest = bad user\n", "",
        "security", QStringLiteral("USER"));
    row("bad user in domain mode", "[global]\nsecurity = domain\nmap to guest = bad user\n", "", "security",
        QStringLiteral("DOMAIN"));
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
    // Keys, names and values as Samba reads them.
    row("on is yes", "[s]\nread only = on\n", "s", "readOnly", true);
    row("off inverted", "[s]\nwritable = OFF\n", "s", "readOnly", true);
    row("key without blanks", "[s]\nReadOnly = no\n", "s", "readOnly", false);
    row("continued value", "[s]\nvalid users = alice \\\n  bob\n", "s", "validUsers",
        QStringList{QStringLiteral("alice"), QStringLiteral("bob")});
    row("text after a header", "[s] path = /other\npath = /s\n", "s", "path", QStringLiteral("/s"));
    row("parameters before any header are global", "workgroup = EARLY\n[s]\npath = /s\n", "", "workgroup",
        QStringLiteral("EARLY"));
    row("[globals] is global", "[Globals]\nworkgroup = G\n", "", "workgroup", QStringLiteral("G"));
    row("service braces belong to the section before", "[s]\nservice t {\npath = /t\n}\n", "s", "path",
        QStringLiteral("/t"));
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
    row("valid users in commas", "[s]\nvalid users = PECULIO, DIRETOR,CHEFE\n", "s", "validUsers",
        QStringList{QStringLiteral("PECULIO"), QStringLiteral("DIRETOR"), QStringLiteral("CHEFE")});
    row("valid users quoted", "[s]\nvalid users = @\"DOM\\Domain Users\";alice\n", "s", "validUsers",
        QStringList{QStringLiteral("@DOM\\Domain Users"), QStringLiteral("alice")});
    row("write list in commas", "[s]\nwrite list = PECULIO, DIRETOR\n", "s", "writeList",
        QStringList{QStringLiteral("PECULIO"), QStringLiteral("DIRETOR")});
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

// vfs_full_audit reads its operations as Samba reads every list.
void TestConfigMapper::auditedOperationsInCommas()
{
    Loaded loaded("[s]\npath = /s\nvfs objects = full_audit\nfull_audit:success = rmdir, mkdir;write\n"
                  "full_audit:failure = open,close\n");
    const Share *share = loaded.share(QStringLiteral("s"));
    QVERIFY(share);
    const auto module = std::dynamic_pointer_cast<FullAudit>(share->vfsModule(QStringLiteral("full_audit")));
    QVERIFY(module);
    QCOMPARE(formatOperationSet(module->successOperations()), QStringLiteral("mkdir rmdir write"));
    QCOMPARE(formatOperationSet(module->failureOperations()), QStringLiteral("close open"));
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
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("Can't open /nonexistent/smb.conf: No such file or directory."));
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

    // Nothing edited: nothing written, whatever spellings, synonyms and inherited values
    // the file has.
    const QByteArray untouched =
        "[global]\n\tworkgroup = W\n\tserver string = Files\n\tencrypt passwords = yes\n"
        "\n[Global]\nsecurity = user\n\n[s]\n  directory = /s\n  writable = Yes\n  "
        "browsable = no\n  public = on\n  vfs object = full_audit\n\n[S]\ncomment = C\r\n";
    QTest::newRow("no edit") << untouched << none << untouched;
    QTest::newRow("writable edited keeps its spelling")
        << QByteArray("[s]\npath = /s\nwritable = yes\n" + flags.mid(16) + "\n")
        << onShare("s", [](Share &s) { s.setReadOnly(true); })
        << QByteArray("[s]\npath = /s\nwritable = no\n" + flags.mid(16) + "\n");
    QTest::newRow("read only keeps its spelling")
        << QByteArray("[s]\npath = /s\nRead Only = yes\n" + flags.mid(16) + "\n")
        << onShare("s", [](Share &s) { s.setReadOnly(false); })
        << QByteArray("[s]\npath = /s\nRead Only = no\n" + flags.mid(16) + "\n");
    QTest::newRow("boolean spelt like its line") << QByteArray("[s]\npath = /s\nreadonly = True\n")
                                                 << onShare("s", [](Share &s) { s.setReadOnly(false); })
                                                 << QByteArray("[s]\npath = /s\nreadonly = False\n");
    QTest::newRow("empty comment and path removed in every spelling")
        << QByteArray("[s]\ndirectory = /x\npath = /s\ncomment = C\n" + flags + "\n")
        << onShare("s",
                   [](Share &s) {
                       s.setPath(QString());
                       s.setComment(QString());
                   })
        << QByteArray("[s]\n" + flags + "\n");
    QTest::newRow("one field, one line")
        << QByteArray("[global]\nserver string = Files\n\n[s]\npath = /s\n\n[t]\npath = /t\ncomment = T\n\n")
        << onShare("t", [](Share &s) { s.setComment(QStringLiteral("Tee")); })
        << QByteArray(
               "[global]\nserver string = Files\n\n[s]\npath = /s\n\n[t]\npath = /t\ncomment = Tee\n\n");
    QTest::newRow("encrypt passwords no removed by yes")
        << QByteArray("[global]\nworkgroup = W\nencrypt passwords = no\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setEncryptPasswords(true); })
        << QByteArray("[global]\nworkgroup = W\n\n");
    QTest::newRow("empty server string written empty")
        << QByteArray("[global]\nworkgroup = W\nserver string = Files\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setServerString(QStringLiteral("")); })
        << QByteArray("[global]\nworkgroup = W\nserver string = \n\n");
    QTest::newRow("empty server string added")
        << QByteArray("[global]\nworkgroup = W\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setServerString(QStringLiteral("")); })
        << QByteArray("[global]\nworkgroup = W\nserver string = \n\n");
    QTest::newRow("server string removed when unset")
        << QByteArray("[global]\nworkgroup = W\nserver string = Files\n\n")
        << onGlobal([](SambaSettings &s) { s.global()->setServerString(QString()); })
        << QByteArray("[global]\nworkgroup = W\n\n");
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
    // The mode decides who logs on as the guest, not which shares admit it.
    QTest::newRow("switching to share mode leaves the shares")
        << QByteArray("[global]\nsecurity = user\n\n[s]\npath = /s\n" + flags + "\n")
        << onGlobal([](SambaSettings &s) { s.setSecurity(SambaSettings::SecurityShare); })
        << QByteArray(
               "[global]\nsecurity = user\nmap to guest = Bad User\n\n[s]\npath = /s\n"
               "read only = yes\nprintable = no\nbrowseable = yes\nguest ok = no\nguest only = no\n\n");
    QTest::newRow("guest added to valid users when chosen")
        << QByteArray("[global]\nguest account = nobody\n\n[s]\npath = /s\n" + flags
                      + "valid users = alice bob\n\n")
        << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray(
               "[global]\nguest account = nobody\n\n[s]\npath = /s\nread only = yes\nprintable = no\n"
               "browseable = yes\nguest ok = yes\nguest only = no\nvalid users = alice bob nobody\n\n");
    // Lists keep the style of their line; a name with a blank goes in quotes.
    QTest::newRow("valid users in commas")
        << QByteArray("[s]\npath = /s\nvalid users = PECULIO, DIRETOR\n")
        << onShare("s", [](Share &s) { s.setValidUsers(s.validUsers() << QStringLiteral("FABIO")); })
        << QByteArray("[s]\npath = /s\nvalid users = PECULIO, DIRETOR, FABIO\n");
    QTest::newRow("write list in commas")
        << QByteArray("[s]\npath = /s\nwrite list = PECULIO, DIRETOR\n")
        << onShare("s", [](Share &s) { s.setWriteList(s.writeList() << QStringLiteral("@FABIO")); })
        << QByteArray("[s]\npath = /s\nwrite list = PECULIO, DIRETOR, @FABIO\n");
    QTest::newRow("quoted domain group kept")
        << QByteArray("[s]\npath = /s\nvalid users = @\"DOM\\Domain Users\";alice\n")
        << onShare("s",
                   [](Share &s) {
                       s.setValidUsers({s.validUsers().first(), QStringLiteral("Domain Admin")});
                   })
        << QByteArray("[s]\npath = /s\nvalid users = @\"DOM\\Domain Users\";\"Domain Admin\"\n");
    QTest::newRow("guest is a whole name")
        << QByteArray("[s]\npath = /s\n" + flags + "valid users = nobodyelse\n\n")
        << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nbrowseable = yes\nguest ok = yes\n"
                      "guest only = no\nvalid users = nobodyelse nobody\n\n");
    QTest::newRow("guest share's list not touched by another edit")
        << QByteArray("[s]\npath = /s\nguest ok = yes\nvalid users = root\n")
        << onShare("s", [](Share &s) { s.setPath(QStringLiteral("/t")); })
        << QByteArray("[s]\npath = /t\nguest ok = yes\nvalid users = root\n");
    QTest::newRow("empty valid users stay empty for guests")
        << QByteArray("[s]\npath = /s\n" + flags + "\n") << onShare("s", [](Share &s) { s.setGuestOk(true); })
        << QByteArray("[s]\npath = /s\nread only = yes\nprintable = no\nbrowseable = yes\nguest ok = yes\n"
                      "guest only = no\n\n");
    QTest::newRow("write list chosen in the tool") << QByteArray(
        "[s]\npath = /s\n" + flags + "\n") << onShare("s", [](Share &s) {
        s.setWriteList({QStringLiteral("staff"), QStringLiteral("@admins")});
    }) << QByteArray("[s]\npath = /s\n" + flags + "write list = @staff @admins\n\n");
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
    QTest::newRow("module stack order kept, other modules untouched")
        << QByteArray("[s]\npath = /s\n" + flags
                      + "vfs objects = recycle full_audit\nfull_audit:prefix = %u\n\n")
        << onShare("s", [](Share &s) { s.addVfsModule(std::make_shared<Audit>()); })
        << QByteArray(
               "[s]\npath = /s\n" + flags
               + "vfs objects = recycle full_audit audit\nfull_audit:prefix = %u\naudit:facility = USER\n"
                 "audit:priority = INFO\n\n");
    QTest::newRow("one module option changed")
        << QByteArray("[s]\npath = /s\nvfs objects = audit\naudit:priority = INFO\naudit:facility = LOCAL1\n")
        << onShare("s",
                   [](Share &s) {
                       auto audit = std::make_shared<Audit>();
                       audit->setFacility(Syslog::Facility(QStringLiteral("LOCAL2")));
                       s.addVfsModule(audit);
                   })
        << QByteArray(
               "[s]\npath = /s\nvfs objects = audit\naudit:priority = INFO\naudit:facility = LOCAL2\n");
    QTest::newRow("last module removed")
        << QByteArray("[s]\npath = /s\n" + flags
                      + "vfs object = audit\naudit:facility = LOCAL1\naudit:priority = INFO\n\n")
        << onShare("s", [](Share &s) { s.removeVfsModule(QStringLiteral("audit")); })
        << QByteArray("[s]\npath = /s\n" + flags + "\n");
    QTest::newRow("renamed share keeps its place and header text")
        << QByteArray("# first\n[a]\npath = /a\n" + flags + "\n# about b\n[b]   ; bee\npath = /b\n" + flags
                      + "unmanaged = 1\n\n[c]\npath = /c\n" + flags + "\n")
        << onShare("b", [](Share &s) { s.setName(QStringLiteral("bee")); })
        << QByteArray("# first\n[a]\npath = /a\n" + flags + "\n# about b\n[bee]   ; bee\npath = /b\n" + flags
                      + "unmanaged = 1\n\n[c]\npath = /c\n" + flags + "\n");
    QTest::newRow("deleted share goes with its comments")
        << QByteArray("[global]\nworkgroup = W\n\n# about b\n[b]\npath = /b\n" + flags
                      + "\n# about notes\n[notes]\n; kept\n\n")
        << Edit([](Loaded &l) { l.shares.clear(); })
        << QByteArray("[global]\nworkgroup = W\n\n# about notes\n[notes]\n; kept\n\n");
    QTest::newRow("deleted share in every run and spelling")
        << QByteArray("[data]\npath = /d\n\n[t]\npath = /t\n\n[Data]\ncomment = C\n")
        << Edit([](Loaded &l) { l.shares.removeAt(0); }) << QByteArray("[t]\npath = /t\n\n");
    QTest::newRow("middle share deleted, the next edited, one added")
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
    // Samba reads [data] and [Data] as one section whose last line of a key wins.
    QTest::newRow("key changed at its last line in a repeated section")
        << QByteArray("[data]\npath = /d\ncomment = one\n\n[t]\npath = /t\n\n[Data]\ncomment = two\n")
        << onShare("Data", [](Share &s) { s.setComment(QStringLiteral("three")); })
        << QByteArray("[data]\npath = /d\ncomment = one\n\n[t]\npath = /t\n\n[Data]\ncomment = three\n");
    QTest::newRow("new key in the last run of a repeated section")
        << QByteArray(
               "[data]\npath = /d\n\n[t]\npath = /t\n\n[Data]\ncomment = two\n\n# about u\n[u]\npath = /u\n")
        << onShare("Data", [](Share &s) { s.setCreateMask(QStringLiteral("0700")); })
        << QByteArray("[data]\npath = /d\n\n[t]\npath = /t\n\n[Data]\ncomment = two\ncreate mask = 0700\n\n"
                      "# about u\n[u]\npath = /u\n");
    QTest::newRow("new value after an include that follows the key")
        << QByteArray("[s]\npath = /s\ninclude = /etc/samba/s.conf\n\n[t]\npath = /t\n")
        << onShare("s", [](Share &s) { s.setPath(QStringLiteral("/new")); })
        << QByteArray("[s]\npath = /s\ninclude = /etc/samba/s.conf\npath = /new\n\n[t]\npath = /t\n");
    QTest::newRow("new line indented and ended like its section")
        << QByteArray("[global]\r\n\tworkgroup = W\r\n\r\n[s]\r\n   path = /s\r\n")
        << onShare("s", [](Share &s) { s.setComment(QStringLiteral("c")); })
        << QByteArray("[global]\r\n\tworkgroup = W\r\n\r\n[s]\r\n   path = /s\r\n   comment = c\r\n");
    QTest::newRow("new share in the file's style")
        << QByteArray("[global]\r\n\tworkgroup=W") << Edit([](Loaded &l) {
               Share share;
               share.setName(QStringLiteral("new"));
               share.setPath(QStringLiteral("/srv/new"));
               share.setReadOnly(false);
               l.shares.append(share);
           })
        << QByteArray("[global]\r\n\tworkgroup=W\r\n\r\n[new]\r\n\tpath=/srv/new\r\n\tread only=no\r\n"
                      "\tprintable=no\r\n\tbrowseable=yes\r\n\tguest ok=no\r\n\tguest only=no\r\n\r\n");
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
    QTest::newRow("parameters before any header are global")
        << QByteArray("workgroup = W\n\n[s]\npath = /s\n")
        << onGlobal([](SambaSettings &s) { s.global()->setServerString(QStringLiteral("S")); })
        << QByteArray("workgroup = W\nserver string = S\n\n[s]\npath = /s\n");
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
    QTest::newRow("continued value written on one line")
        << QByteArray("[s]\nvalid users = alice \\\n   bob\npath = /s\n")
        << onShare("s", [](Share &s) { s.setValidUsers({QStringLiteral("carol")}); })
        << QByteArray("[s]\nvalid users = carol\npath = /s\n");
    QTest::newRow("crlf file") << QByteArray("[s]\r\npath = /s\r\nread only = yes\r\nprintable = no\r\n\r\n")
                               << onShare("s", [](Share &s) { s.setReadOnly(false); })
                               << QByteArray("[s]\r\npath = /s\r\nread only = no\r\nprintable = no\r\n\r\n");
    QTest::newRow("latin-1 bytes kept")
        << QByteArray("[s]\npath = /srv/caf\xe9\ncomment = Donn\xe9\x65s \n" + flags + "\n")
        << onShare("s", [](Share &s) { s.setBrowseable(false); })
        << QByteArray("[s]\npath = /srv/caf\xe9\ncomment = Donn\xe9\x65s \n"
                      + QByteArray(flags).replace("browseable = yes", "browseable = no") + "\n");
    QTest::newRow("latin-1 section name")
        << QByteArray("[donn\xe9\x65s]\npath = /d\nread only = yes\n")
        << onShare("donn\xef\xbf\xbd\x65s", [](Share &s) { s.setReadOnly(false); })
        << QByteArray("[donn\xe9\x65s]\npath = /d\nread only = no\n");
}

void TestConfigMapper::applyRecords()
{
    QFETCH(QByteArray, text);
    QFETCH(Edit, edit);
    Loaded loaded(text);
    edit(loaded);
    QFETCH(QByteArray, expected);
    QCOMPARE(loaded.applied(), expected);
    // Each attempt starts from the file as read: a second one writes exactly the same.
    QCOMPARE(loaded.applied(), expected);
    QCOMPARE(QByteArray::fromStdString(loaded.document.bytes()), text);
}

// A save with nothing to write writes nothing: no temporary file, no testparm, no rename.
void TestConfigMapper::saveWithoutEditWritesNothing()
{
    Loaded loaded("[global]\n  workgroup = W\n[homes]\n  browsable = no\n  writable = yes\n");
    const QDateTime modified = QFileInfo(loaded.path).lastModified();
    QTest::qWait(20);
    // A checker that would fail proves it is not run.
    ConfigMapper strict(loaded.document, loaded.path, QStringLiteral("/nonexistent/testparm"));
    SambaSettings settings = strict.loadGlobal();
    QList<Share> shares = strict.loadShares(*settings.global());
    strict.save(settings, shares);
    QCOMPARE(QFileInfo(loaded.path).lastModified(), modified);
    QCOMPARE(QDir(loaded.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("smb.conf")});
}

void TestConfigMapper::saveInstallsCheckedFile()
{
    Loaded loaded("[global]\n   workgroup = W\n\n[s]\n   path = /srv/s\n");
    loaded.share(QStringLiteral("s"))->setName(QStringLiteral("renamed"));
    loaded.mapper.save(loaded.settings, loaded.shares);
    QCOMPARE(loaded.shares.first().originalName(), QStringLiteral("renamed"));
    const QByteArray saved = readFile(loaded.path);
    QVERIFY(saved.contains("[renamed]\n   path = /srv/s\n"));
    QCOMPARE(loaded.files(), QStringList{QStringLiteral("smb.conf")});
    // The document and tables describe the new file.
    QCOMPARE(QByteArray::fromStdString(loaded.document.bytes()), saved);
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
    QCOMPARE(loaded.files(), QStringList{QStringLiteral("smb.conf")});
    // After a reload the save goes through.
    SambaSettings settings = loaded.mapper.loadGlobal();
    QList<Share> shares = loaded.mapper.loadShares(*settings.global());
    settings.global()->setServerString(QStringLiteral("S"));
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
    QCOMPARE(loaded.files(), QStringList{QStringLiteral("smb.conf")});
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
    QCOMPARE(loaded.files(), QStringList{QStringLiteral("smb.conf")});
}

void TestConfigMapper::encryptPasswordsIsNeverWritten_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::newRow("field") << Edit([](Loaded &l) { l.settings.global()->setEncryptPasswords(false); });
    QTest::newRow("parameter") << Edit([](Loaded &l) {
        l.settings.global()->setOtherParameter(QStringLiteral("encrypt passwords"), QStringLiteral("no"));
    });
    QTest::newRow("parameter saying yes") << Edit([](Loaded &l) {
        l.settings.global()->setOtherParameter(QStringLiteral("Encrypt Passwords"), QStringLiteral("yes"));
    });
    QTest::newRow("in a share") << Edit([](Loaded &l) {
        l.share(QStringLiteral("s"))
            ->setOtherParameter(QStringLiteral("encryptpasswords"), QStringLiteral("no"));
    });
}

// testparm warns of the deprecated parameter whatever it says: it is refused in testparm's
// words, not written.
void TestConfigMapper::encryptPasswordsIsNeverWritten()
{
    QFETCH(Edit, edit);
    const QByteArray text = "[global]\n   workgroup = W\n[s]\n   path = /srv/s\n";
    Loaded loaded(text);
    edit(loaded);
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("encrypt passwords was written");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(QLatin1String("The \"encrypt passwords\" option is deprecated")),
                 qPrintable(message));
    }
    QCOMPARE(readFile(loaded.path), text);
}

// A save of the same file by another process is waited for; one that takes too long is
// named, and nothing is written meanwhile.
void TestConfigMapper::saveWaitsForTheLock()
{
    Loaded loaded("[global]\nworkgroup = W\n");
    loaded.settings.global()->setWorkgroup(QStringLiteral("NEW"));
    loaded.mapper.setLockTimeout(200);
    {
        ConfigFileLock held(QFileInfo(loaded.path).canonicalFilePath(),
                            loaded.dir.filePath(QStringLiteral("run")));
        QVERIFY2(held.acquire(0), qPrintable(held.errorString()));
        try {
            loaded.mapper.save(loaded.settings, loaded.shares);
            QFAIL("a save went on while another held the lock");
        } catch (const std::runtime_error &error) {
            const QString message = QString::fromUtf8(error.what());
            QVERIFY2(
                message.contains(QStringLiteral("Another save of this file is under way (tst_configmapper, "
                                                "process %1)")
                                     .arg(QCoreApplication::applicationPid())),
                qPrintable(message));
        }
        QCOMPARE(readFile(loaded.path), QByteArray("[global]\nworkgroup = W\n"));
        QCOMPARE(loaded.files(), QStringList{QStringLiteral("smb.conf")});
    }
    loaded.mapper.save(loaded.settings, loaded.shares);
    QCOMPARE(readFile(loaded.path), QByteArray("[global]\nworkgroup = NEW\n"));
}

// A lock whose taker has ended but which another process still holds (a child that got its
// descriptor): the message names that process and says what to do.
void TestConfigMapper::saveNamesAnOrphanedHolder()
{
    Loaded loaded("[global]\nworkgroup = W\n");
    loaded.settings.global()->setWorkgroup(QStringLiteral("NEW"));
    loaded.mapper.setLockTimeout(200);
    ConfigFileLock probe(QFileInfo(loaded.path).canonicalFilePath(),
                         loaded.dir.filePath(QStringLiteral("run")));
    QVERIFY2(probe.acquire(0), qPrintable(probe.errorString()));
    probe.release();
    QProcess holder;
    holder.start(QStringLiteral("flock"), {probe.lockPath(), QStringLiteral("sleep"), QStringLiteral("30")});
    QVERIFY(holder.waitForStarted());
    const auto stop = qScopeGuard([&holder] {
        holder.kill();
        holder.waitForFinished();
    });
    QFile lockFile(probe.lockPath());
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    const auto heldElsewhere = [&lockFile] {
        if (::flock(int(lockFile.handle()), LOCK_EX | LOCK_NB) != 0)
            return true;
        ::flock(int(lockFile.handle()), LOCK_UN);
        return false;
    };
    QTRY_VERIFY(heldElsewhere());
    // A process number above any the kernel hands out names the ended taker.
    QVERIFY(lockFile.resize(0));
    lockFile.write("2147483000 shareward-cli\n");
    lockFile.close();
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("a save went on while another held the lock");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        const QString pid = QString::number(holder.processId());
        QVERIFY2(message.contains(QStringLiteral("still held by process %1 (").arg(pid)),
                 qPrintable(message));
        QVERIFY2(
            message.contains(QStringLiteral("process 2147483000 (shareward-cli) that took it has ended")),
            qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("kill %1").arg(pid)), qPrintable(message));
    }
    QCOMPARE(readFile(loaded.path), QByteArray("[global]\nworkgroup = W\n"));
}

namespace {

// A checker standing in for testparm.
QString writeChecker(const QString &path, const QByteArray &body)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body) < 0)
        return QString();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

} // namespace

// Another program changes smb.conf while testparm checks the new text: the save stops, and
// the change stays.
void TestConfigMapper::changeWhileCheckingIsKept()
{
    Loaded loaded("[global]\nworkgroup = W\n");
    const QString checker =
        writeChecker(loaded.dir.filePath(QStringLiteral("checker")),
                     "echo 'server string = meanwhile' >> '" + QFile::encodeName(loaded.path) + "'\n");
    ConfigMapper mapper(loaded.document, loaded.path, checker);
    SambaSettings settings = mapper.loadGlobal();
    QList<Share> shares = mapper.loadShares(*settings.global());
    settings.global()->setWorkgroup(QStringLiteral("NEW"));
    QVERIFY_EXCEPTION_THROWN(mapper.save(settings, shares), ConfigChangedError);
    QCOMPARE(readFile(loaded.path), QByteArray("[global]\nworkgroup = W\nserver string = meanwhile\n"));
    QCOMPARE(loaded.files(), (QStringList{QStringLiteral("checker"), QStringLiteral("smb.conf")}));
}

void TestConfigMapper::changeByAnotherSharewardIsNamed_data()
{
    QTest::addColumn<bool>("byShareward");
    QTest::addColumn<QString>("expected");
    QTest::newRow("shareward-cli")
        << true
        << QStringLiteral("smb.conf was changed by shareward-cli (%1, at ").arg(ConfigHistory::currentUser());
    QTest::newRow("an editor") << false
                               << QStringLiteral("smb.conf was changed by another program after it was "
                                                 "loaded. Reload it before saving.");
}

// The window's save of a file changed since it was loaded is refused; the message names the
// Shareward that changed it, from the history it recorded.
void TestConfigMapper::changeByAnotherSharewardIsNamed()
{
    QFETCH(bool, byShareward);
    QFETCH(QString, expected);
    Loaded loaded("[global]\nworkgroup = W\n");
    ConfigHistory history(loaded.dir.filePath(QStringLiteral("history")));
    loaded.mapper.setHistory(&history, QStringLiteral("shareward"));
    if (byShareward) {
        ConfigDocument document;
        ConfigMapper other(document, loaded.path);
        other.setLockDirectory(loaded.dir.filePath(QStringLiteral("run")));
        other.setHistory(&history, QStringLiteral("shareward-cli"));
        SambaSettings settings = other.loadGlobal();
        QList<Share> shares = other.loadShares(*settings.global());
        settings.global()->setServerString(QStringLiteral("by the command line"));
        other.save(settings, shares);
    } else {
        QVERIFY(writeFile(loaded.path, "[global]\nworkgroup = W\nserver string = by hand\n"));
    }
    loaded.settings.global()->setWorkgroup(QStringLiteral("NEW"));
    try {
        loaded.mapper.save(loaded.settings, loaded.shares);
        QFAIL("a changed file was saved over");
    } catch (const ConfigChangedError &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.startsWith(expected), qPrintable(message));
    }
}

// After a refused save the records and the document are as before it, and saving again
// writes exactly what a first successful save writes.
void TestConfigMapper::failedSaveLeavesRecords()
{
    const QByteArray text =
        "# a\n[a]\npath = /a\n\n# about b\n[b]\npath = /b\nunmanaged = 1\n\n[c]\npath = /c\n";
    Loaded reference(text);
    reference.share(QStringLiteral("b"))->setName(QStringLiteral("bee"));
    const QByteArray expected = reference.applied();
    QVERIFY(expected.contains("[bee]\npath = /b\nunmanaged = 1\n"));

    Loaded loaded(text);
    const QString flag = loaded.dir.filePath(QStringLiteral("refuse-once"));
    QVERIFY(writeFile(flag, QByteArray()));
    const QString checker =
        writeChecker(loaded.dir.filePath(QStringLiteral("checker")),
                     "if [ -e '" + QFile::encodeName(flag) + "' ]; then rm '" + QFile::encodeName(flag)
                         + "'; echo 'ERROR: refused once'; exit 1; fi\n");
    ConfigMapper mapper(loaded.document, loaded.path, checker);
    SambaSettings settings = mapper.loadGlobal();
    QList<Share> shares = mapper.loadShares(*settings.global());
    shares[1].setName(QStringLiteral("bee"));
    QVERIFY_EXCEPTION_THROWN(mapper.save(settings, shares), std::runtime_error);
    QCOMPARE(shares[1].originalName(), QStringLiteral("b"));
    QCOMPARE(readFile(loaded.path), text);
    QCOMPARE(QByteArray::fromStdString(loaded.document.text()), text);

    mapper.save(settings, shares);
    QCOMPARE(readFile(loaded.path), expected);
    QCOMPARE(shares[1].originalName(), QStringLiteral("bee"));
}

QTEST_GUILESS_MAIN(TestConfigMapper)
#include "tst_configmapper.moc"
