// ServerAccountsCodec: what goes through it comes back equal in every field, and what another
// process sends of the wrong shape is refused with a sentence naming the field, never quoting
// a password.
#include "serveraccountscodec.h"

#include <QJsonDocument>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(SambaUserMap)

namespace {

// The fields of a reply, as the client reads them.
JsonFieldReader replyFields(const QJsonObject &reply)
{
    return JsonFieldReader(QJsonValue(reply), QStringLiteral("reply"));
}

using Reader = std::function<void(JsonFieldReader &)>;

// The readers by name, each taking the whole of the fields as a reply or a request does.
const QMap<QString, Reader> &readers()
{
    static const QMap<QString, Reader> all{
        {QStringLiteral("users"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readUsers(f, QStringLiteral("users"));
         }},
        {QStringLiteral("groups"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readGroups(f, QStringLiteral("groups"));
         }},
        {QStringLiteral("system"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readSystemAccounts(f);
         }},
        {QStringLiteral("regular"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readRegularAccounts(f);
         }},
        {QStringLiteral("creation"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readCreation(f);
         }},
        {QStringLiteral("failures"),
         [](JsonFieldReader &f) {
             ServerAccountsCodec::readFailures(f, QStringLiteral("failures"));
         }},
    };
    return all;
}

SambaUser user(const QString &name, const QString &password, bool changed)
{
    SambaUser record(name);
    record.setPassword(password);
    record.setChanged(changed);
    return record;
}

SambaGroup group(const QString &name, bool changed)
{
    SambaGroup record(name);
    record.setChanged(changed);
    return record;
}

// Reads fields with read as the backend does, finishing them.
void readAll(const QJsonObject &fields, const Reader &read)
{
    JsonFieldReader reader = replyFields(fields);
    read(reader);
    reader.finish();
}

} // namespace

class TestServerAccountsCodec : public QObject
{
    Q_OBJECT

private slots:
    void usersRoundTrip_data();
    void usersRoundTrip();
    void groupsRoundTrip();
    void listsRoundTrip();
    void creationRoundTrip_data();
    void creationRoundTrip();
    void failuresRoundTrip();
    void malformed_data();
    void malformed();
};

void TestServerAccountsCodec::usersRoundTrip_data()
{
    QTest::addColumn<SambaUserMap>("users");
    QTest::newRow("none") << SambaUserMap();
    QTest::newRow("listed, without passwords")
        << SambaUserMap{{QStringLiteral("alice"), SambaUser(QStringLiteral("alice"))},
                        {QStringLiteral("pc01$"), SambaUser(QStringLiteral("pc01$"))}};
    QTest::newRow("edited, with passwords") << SambaUserMap{
        {QStringLiteral("bob"), user(QStringLiteral("bob"), QStringLiteral("p\u00e4ss \"w\"\\rd"), true)},
        {QStringLiteral("carol"), user(QStringLiteral("carol"), QStringLiteral(""), true)},
        {QStringLiteral("EXAMPLE\\eve"), user(QStringLiteral("EXAMPLE\\eve"), QString(), false)}};
    // A key other than the name and a null name stay as they are.
    QTest::newRow("odd records") << SambaUserMap{
        {QStringLiteral("key"), user(QString(), QString(), true)},
        {QStringLiteral("other"), user(QStringLiteral("name"), QString(), false)}};
}

void TestServerAccountsCodec::usersRoundTrip()
{
    QFETCH(SambaUserMap, users);
    const QJsonObject fields{{QStringLiteral("users"), ServerAccountsCodec::encode(users)}};
    // Through text, as it travels.
    JsonFieldReader reader = replyFields(QJsonDocument::fromJson(QJsonDocument(fields).toJson()).object());
    const SambaUserMap decoded = ServerAccountsCodec::readUsers(reader, QStringLiteral("users"));
    reader.finish();
    QCOMPARE(decoded, users);
    for (auto it = users.begin(); it != users.end(); ++it) {
        QCOMPARE(decoded.value(it.key()).password().isNull(), it->password().isNull());
        QCOMPARE(decoded.value(it.key()).name().isNull(), it->name().isNull());
    }
}

void TestServerAccountsCodec::groupsRoundTrip()
{
    const SambaGroupMap groups{{QStringLiteral("staff"), group(QStringLiteral("staff"), true)},
                               {QStringLiteral("Domain Users"), group(QStringLiteral("Domain Users"), false)},
                               {QStringLiteral("null"), group(QString(), false)}};
    JsonFieldReader reader =
        replyFields(QJsonObject{{QStringLiteral("groups"), ServerAccountsCodec::encode(groups)}});
    QCOMPARE(ServerAccountsCodec::readGroups(reader, QStringLiteral("groups")), groups);
    reader.finish();
}

void TestServerAccountsCodec::listsRoundTrip()
{
    const ServerAccounts::SystemAccounts system{{QStringLiteral("root"), QStringLiteral("daemon")},
                                                {QStringLiteral("root")},
                                                {QStringLiteral("nobody"), QStringLiteral("\u00fcber")}};
    JsonFieldReader systemReader = replyFields(ServerAccountsCodec::encode(system));
    const ServerAccounts::SystemAccounts systemDecoded =
        ServerAccountsCodec::readSystemAccounts(systemReader);
    systemReader.finish();
    QCOMPARE(systemDecoded.users, system.users);
    QCOMPARE(systemDecoded.groups, system.groups);
    QCOMPARE(systemDecoded.guests, system.guests);

    const ServerAccounts::RegularAccounts regular{{QStringLiteral("alice")}, {}};
    JsonFieldReader regularReader = replyFields(ServerAccountsCodec::encode(regular));
    const ServerAccounts::RegularAccounts regularDecoded =
        ServerAccountsCodec::readRegularAccounts(regularReader);
    regularReader.finish();
    QCOMPARE(regularDecoded.users, regular.users);
    QCOMPARE(regularDecoded.groups, regular.groups);
}

void TestServerAccountsCodec::creationRoundTrip_data()
{
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("created") << true << QString();
    QTest::newRow("refused") << false << QStringLiteral("useradd: user 'x' already exists");
    QTest::newRow("failed without a word") << false << QString();
}

void TestServerAccountsCodec::creationRoundTrip()
{
    QFETCH(bool, succeeded);
    QFETCH(QString, errorText);
    JsonFieldReader reader =
        replyFields(ServerAccountsCodec::encode(ServerAccounts::Creation{succeeded, errorText}));
    const ServerAccounts::Creation decoded = ServerAccountsCodec::readCreation(reader);
    reader.finish();
    QCOMPARE(decoded.succeeded, succeeded);
    QCOMPARE(decoded.errorText, errorText);
}

void TestServerAccountsCodec::failuresRoundTrip()
{
    SambaAccountFailures failures;
    for (const auto operation :
         {SambaAccountFailure::AddUser, SambaAccountFailure::DeleteUser, SambaAccountFailure::AddGroup,
          SambaAccountFailure::DeleteGroup, SambaAccountFailure::SetPassword})
        failures << SambaAccountFailure(QStringLiteral("acc%1").arg(int(operation)), operation,
                                        QStringLiteral("message %1").arg(int(operation)));
    JsonFieldReader reader =
        replyFields(QJsonObject{{QStringLiteral("failures"), ServerAccountsCodec::encode(failures)}});
    QCOMPARE(ServerAccountsCodec::readFailures(reader, QStringLiteral("failures")), failures);
    reader.finish();
}

void TestServerAccountsCodec::malformed_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    QTest::newRow("users not an object") << "users" << QByteArray(R"({"users":[]})")
                                         << R"(The field "reply.users" must be an object of objects.)";
    QTest::newRow("user not an object") << "users" << QByteArray(R"({"users":{"a":"a"}})")
                                        << R"(The field "reply.users.a" must be an object.)";
    QTest::newRow("password a number")
        << "users" << QByteArray(R"({"users":{"a":{"name":"a","password":5,"changed":true}}})")
        << R"(The field "reply.users.a.password" must be a text or null.)";
    // The password is in the request, never in the answer to it.
    QTest::newRow("changed missing, password not quoted")
        << "users" << QByteArray(R"({"users":{"a":{"name":"a","password":"s3cr3t"}}})")
        << R"(The field "reply.users.a.changed" is missing.)";
    QTest::newRow("changed a text, password not quoted")
        << "users" << QByteArray(R"({"users":{"a":{"name":"a","password":"s3cr3t","changed":"yes"}}})")
        << R"(The field "reply.users.a.changed" must be true or false.)";
    QTest::newRow("unknown user field")
        << "users" << QByteArray(R"({"users":{"a":{"name":"a","password":null,"changed":true,"sid":"S-1"}}})")
        << R"(The field "reply.users.a.sid" is not known to this version of Shareward.)";
    QTest::newRow("users missing") << "users" << QByteArray("{}") << R"(The field "reply.users" is missing.)";
    QTest::newRow("group name a list")
        << "groups" << QByteArray(R"({"groups":{"g":{"name":[],"changed":true}}})")
        << R"(The field "reply.groups.g.name" must be a text or null.)";
    QTest::newRow("group with a password")
        << "groups" << QByteArray(R"({"groups":{"g":{"name":"g","changed":true,"password":"x"}}})")
        << R"(The field "reply.groups.g.password" is not known to this version of Shareward.)";
    QTest::newRow("system users a text")
        << "system" << QByteArray(R"({"users":"root","groups":[],"guests":[]})")
        << R"(The field "reply.users" must be a list of texts.)";
    QTest::newRow("system guest a number")
        << "system" << QByteArray(R"({"users":[],"groups":[],"guests":[1]})")
        << R"(The field "reply.guests[0]" must be a text or null.)";
    QTest::newRow("system guests missing")
        << "system" << QByteArray(R"({"users":[],"groups":[]})") << R"(The field "reply.guests" is missing.)";
    QTest::newRow("regular with guests")
        << "regular" << QByteArray(R"({"users":[],"groups":[],"guests":[]})")
        << R"(The field "reply.guests" is not known to this version of Shareward.)";
    QTest::newRow("creation succeeded a number")
        << "creation" << QByteArray(R"({"succeeded":1,"errorText":""})")
        << R"(The field "reply.succeeded" must be true or false.)";
    QTest::newRow("creation error text null")
        << "creation" << QByteArray(R"({"succeeded":false,"errorText":null})")
        << R"(The field "reply.errorText" must be a text.)";
    QTest::newRow("failures an object") << "failures" << QByteArray(R"({"failures":{}})")
                                        << R"(The field "reply.failures" must be a list of objects.)";
    QTest::newRow("failure of an unknown operation")
        << "failures"
        << QByteArray(R"({"failures":[{"account":"a","operation":"rename-user","message":""}]})")
        << R"(The field "reply.failures[0].operation" must be one of "add-user", "delete-user", "add-group", )"
           R"("delete-group", "set-password", not "rename-user".)";
    QTest::newRow("failure without message")
        << "failures" << QByteArray(R"({"failures":[{"account":"a","operation":"add-user"}]})")
        << R"(The field "reply.failures[0].message" is missing.)";
}

void TestServerAccountsCodec::malformed()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const QJsonObject fields = QJsonDocument::fromJson(json).object();
    QVERIFY(!fields.isEmpty() || json == "{}");
    try {
        readAll(fields, readers().value(reader));
        QFAIL("read without an error");
    } catch (const JsonFieldReader::Error &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
}

QTEST_GUILESS_MAIN(TestServerAccountsCodec)
#include "tst_serveraccountscodec.moc"
