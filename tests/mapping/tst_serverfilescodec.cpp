// ServerFilesCodec: what goes through it comes back equal, and what another process sends of
// the wrong shape is refused with a sentence naming the field.
#include "serverfilescodec.h"

#include <QJsonDocument>
#include <QTest>

#include <functional>

namespace {

// The fields of a reply or a request, as the other side reads them after they travelled.
JsonFieldReader travelled(const QJsonObject &fields)
{
    return JsonFieldReader(QJsonValue(QJsonDocument::fromJson(QJsonDocument(fields).toJson()).object()),
                           QStringLiteral("reply"));
}

QString text(const VfsModuleInventory &inventory)
{
    return QStringLiteral("%1 %2 %3")
        .arg(inventory.known())
        .arg(inventory.modulesDirectory(), inventory.modules().join(QLatin1Char(',')));
}

} // namespace

class TestServerFilesCodec : public QObject
{
    Q_OBJECT

private slots:
    void inventoryRoundTrip_data();
    void inventoryRoundTrip();
    void requestsRoundTrip();
    void changesRoundTrip();
    void malformed_data();
    void malformed();
};

void TestServerFilesCodec::inventoryRoundTrip_data()
{
    QTest::addColumn<QByteArray>("buildOptions");
    QTest::newRow("nothing known") << QByteArray();
    QTest::newRow("built-in modules only") << QByteArray("Builtin modules:\n   vfs_default vfs_posixacl\n"
                                                         "MODULESDIR: /usr/lib/x86_64-linux-gnu/samba\n");
    QTest::newRow("no modules") << QByteArray("MODULESDIR: /opt/samba/lib\n");
}

void TestServerFilesCodec::inventoryRoundTrip()
{
    QFETCH(QByteArray, buildOptions);
    const VfsModuleInventory inventory = VfsModuleInventory::fromBuildOptions(buildOptions);
    JsonFieldReader reader = travelled(ServerFilesCodec::encode(inventory));
    const VfsModuleInventory decoded = ServerFilesCodec::readInventory(reader);
    reader.finish();
    QCOMPARE(text(decoded), text(inventory));
}

void TestServerFilesCodec::requestsRoundTrip()
{
    const QList<SaveSteps::ModeRequest> requests{{QStringLiteral("/srv/a"), Share::KeepDirectoryMode},
                                                 {QStringLiteral("/srv/b b"), Share::MakeReadOnly},
                                                 {QStringLiteral("/srv/\u00e4"), Share::MakeWritable},
                                                 {QStringLiteral("/srv/d"), Share::UndoDirectoryMode}};
    JsonFieldReader reader = travelled({{QStringLiteral("requests"), ServerFilesCodec::encode(requests)}});
    const QList<SaveSteps::ModeRequest> decoded =
        ServerFilesCodec::readRequests(reader, QStringLiteral("requests"));
    reader.finish();
    QCOMPARE(decoded.size(), requests.size());
    for (int i = 0; i < requests.size(); ++i) {
        QCOMPARE(decoded.at(i).path, requests.at(i).path);
        QCOMPARE(decoded.at(i).change, requests.at(i).change);
    }
}

void TestServerFilesCodec::changesRoundTrip()
{
    const QList<SaveSteps::ModeChange> changes{{QStringLiteral("/srv/a"), 0755, 0555},
                                               {QStringLiteral("/srv/b"), 0, 07777}};
    JsonFieldReader reader = travelled({{QStringLiteral("changes"), ServerFilesCodec::encode(changes)}});
    const QList<SaveSteps::ModeChange> decoded =
        ServerFilesCodec::readChanges(reader, QStringLiteral("changes"));
    reader.finish();
    QCOMPARE(decoded.size(), changes.size());
    for (int i = 0; i < changes.size(); ++i) {
        QCOMPARE(decoded.at(i).path, changes.at(i).path);
        QCOMPARE(decoded.at(i).oldMode, changes.at(i).oldMode);
        QCOMPARE(decoded.at(i).newMode, changes.at(i).newMode);
    }
}

void TestServerFilesCodec::malformed_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    QTest::newRow("known without a directory")
        << "inventory" << QByteArray(R"({"known":true,"modulesDirectory":"","modules":["acl_xattr"]})")
        << R"(The field "reply.modulesDirectory" must name a directory.)";
    QTest::newRow("modules though nothing is known")
        << "inventory" << QByteArray(R"({"known":false,"modulesDirectory":"","modules":["acl_xattr"]})")
        << R"(The field "reply.known" must be true with modules.)";
    QTest::newRow("modules a text") << "inventory"
                                    << QByteArray(
                                           R"({"known":true,"modulesDirectory":"/x","modules":"fruit"})")
                                    << R"(The field "reply.modules" must be a list of texts.)";
    QTest::newRow("inventory with more")
        << "inventory" << QByteArray(R"({"known":false,"modulesDirectory":"","modules":[],"x":1})")
        << R"(The field "reply.x" is not known to this version of Shareward.)";
    QTest::newRow("unknown change")
        << "requests" << QByteArray(R"({"requests":[{"path":"/srv","change":"chmod 4755"}]})")
        << R"(The field "reply.requests[0].change" must be one of "keep", "read only", "writable", "undo", )"
           R"(not "chmod 4755".)";
    QTest::newRow("change as a number")
        << "requests" << QByteArray(R"({"requests":[{"path":"/srv","change":1}]})")
        << R"(The field "reply.requests[0].change" must be one of "keep", "read )"
           R"(only", "writable", "undo".)";
    QTest::newRow("request with a mode")
        << "requests" << QByteArray(R"({"requests":[{"path":"/srv","change":"keep","mode":511}]})")
        << R"(The field "reply.requests[0].mode" is not known to this version of Shareward.)";
    QTest::newRow("path missing") << "requests" << QByteArray(R"({"requests":[{"change":"keep"}]})")
                                  << R"(The field "reply.requests[0].path" is missing.)";
    QTest::newRow("mode above 07777")
        << "changes" << QByteArray(R"({"changes":[{"path":"/srv","oldMode":4096,"newMode":493}]})")
        << R"(The field "reply.changes[0].oldMode" must be a whole number from 0 to 4095.)";
    QTest::newRow("mode negative")
        << "changes" << QByteArray(R"({"changes":[{"path":"/srv","oldMode":493,"newMode":-1}]})")
        << R"(The field "reply.changes[0].newMode" must be a whole number from 0 to 4095.)";
    QTest::newRow("mode a fraction")
        << "changes" << QByteArray(R"({"changes":[{"path":"/srv","oldMode":493.5,"newMode":1}]})")
        << R"(The field "reply.changes[0].oldMode" must be a whole number from 0 to 4095.)";
    QTest::newRow("mode a text")
        << "changes" << QByteArray(R"({"changes":[{"path":"/srv","oldMode":"0755","newMode":1}]})")
        << R"(The field "reply.changes[0].oldMode" must be a whole number from 0 to 4095.)";
}

void TestServerFilesCodec::malformed()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const std::function<void(JsonFieldReader &)> read = [&](JsonFieldReader &fields) {
        if (reader == QLatin1String("inventory"))
            ServerFilesCodec::readInventory(fields);
        else if (reader == QLatin1String("requests"))
            ServerFilesCodec::readRequests(fields, QStringLiteral("requests"));
        else
            ServerFilesCodec::readChanges(fields, QStringLiteral("changes"));
        fields.finish();
    };
    const QJsonObject fields = QJsonDocument::fromJson(json).object();
    QVERIFY(!fields.isEmpty());
    try {
        JsonFieldReader all = travelled(fields);
        read(all);
        QFAIL("read without an error");
    } catch (const JsonFieldReader::Error &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
}

QTEST_GUILESS_MAIN(TestServerFilesCodec)
#include "tst_serverfilescodec.moc"
