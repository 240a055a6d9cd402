#include "contexttranslator.h"
#include "sambasettings.h"

#include <QCoreApplication>
#include <QTest>

Q_DECLARE_METATYPE(SambaUser)
Q_DECLARE_METATYPE(SambaGroup)

class TestSambaSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void copyOwnsItsGlobalShare();
    void assignmentOwnsItsGlobalShare();
    void setGlobalStoresACopy();
    void securityModeTexts();
    void kerberosMethodFromText_data();
    void kerberosMethodFromText();
    void guestAccountMarker();
    void userEquality_data();
    void userEquality();
    void groupEquality_data();
    void groupEquality();
    void editedUserMapDiffers();
};

void TestSambaSettings::defaults()
{
    const SambaSettings settings;
    QCOMPARE(settings.security(), SambaSettings::SecurityUser);
    QCOMPARE(settings.kerberosMethod(), SambaSettings::KerberosDefault);
    QVERIFY(settings.users().isEmpty());
    QVERIFY(settings.groups().isEmpty());

    const auto global = settings.global();
    QVERIFY(global);
    QCOMPARE(global->originalName(), QStringLiteral("global"));
    QCOMPARE(global->name(), QStringLiteral("global"));
    QCOMPARE(global->encryptPasswords(), true);
    QVERIFY(global->guestAccount().isEmpty());
    QCOMPARE(global->readOnly(), true);
    QCOMPARE(global->aclByDefault(), true);

    // Without an owner the record's name stays empty.
    QVERIFY(GlobalShare().name().isEmpty());
    QCOMPARE(GlobalShare().originalName(), QStringLiteral("global"));
}

void TestSambaSettings::copyOwnsItsGlobalShare()
{
    SambaSettings source;
    source.setSecurity(SambaSettings::SecurityAds);
    source.setKerberosMethod(SambaSettings::KerberosSystemKeytab);
    source.global()->setGuestAccount(QStringLiteral("nobody"));
    source.global()->setWorkgroup(QStringLiteral("OFFICE"));
    source.users().insert(QStringLiteral("alice"), SambaUser(QStringLiteral("alice")));
    source.groups().insert(QStringLiteral("staff"), SambaGroup(QStringLiteral("staff")));

    SambaSettings copy(source);
    QCOMPARE(copy.security(), SambaSettings::SecurityAds);
    QCOMPARE(copy.kerberosMethod(), SambaSettings::KerberosSystemKeytab);
    QCOMPARE(copy.users(), source.users());
    QCOMPARE(copy.groups(), source.groups());
    QCOMPARE(copy.global()->workgroup(), QStringLiteral("OFFICE"));
    QVERIFY(copy.global() != source.global());

    copy.global()->setGuestAccount(QStringLiteral("guest"));
    QCOMPARE(source.global()->guestAccount(), QStringLiteral("nobody"));
    source.global()->setWorkgroup(QStringLiteral("HOME"));
    QCOMPARE(copy.global()->workgroup(), QStringLiteral("OFFICE"));
}

void TestSambaSettings::assignmentOwnsItsGlobalShare()
{
    SambaSettings source;
    source.global()->setRealm(QStringLiteral("EXAMPLE.COM"));
    SambaSettings saved;
    const auto previous = saved.global();
    saved = source;

    QCOMPARE(saved.global()->realm(), QStringLiteral("EXAMPLE.COM"));
    saved.global()->setRealm(QStringLiteral("OTHER.COM"));
    QCOMPARE(source.global()->realm(), QStringLiteral("EXAMPLE.COM"));
    // Whoever still holds the old record is not affected either.
    QVERIFY(previous->realm().isEmpty());

    SambaSettings &self = saved;
    saved = self;
    QVERIFY(saved.global());
    QCOMPARE(saved.global()->realm(), QStringLiteral("OTHER.COM"));
}

void TestSambaSettings::setGlobalStoresACopy()
{
    SambaSettings settings;
    GlobalShare global;
    global.setWorkgroup(QStringLiteral("OFFICE"));
    settings.setGlobal(global);
    global.setWorkgroup(QStringLiteral("HOME"));
    QCOMPARE(settings.global()->workgroup(), QStringLiteral("OFFICE"));
}

void TestSambaSettings::securityModeTexts()
{
    // The dialog's item index is the enumeration value.
    const QStringList texts = SambaSettings::securityModeTexts();
    QCOMPARE(texts,
             QStringList({ QStringLiteral("USER"), QStringLiteral("KERBEROS DOMAIN"), QStringLiteral("SHARE"),
                           QStringLiteral("DOMAIN"), QStringLiteral("ADS") }));
    QCOMPARE(texts.at(SambaSettings::SecurityDomain),
             SambaSettings::securityModeText(SambaSettings::SecurityDomain));
}

void TestSambaSettings::kerberosMethodFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("method");

    QTest::newRow("secrets only") << "secrets only" << int(SambaSettings::KerberosSecretsOnly);
    QTest::newRow("system keytab") << "system keytab" << int(SambaSettings::KerberosSystemKeytab);
    QTest::newRow("dedicated keytab") << "dedicated keytab" << int(SambaSettings::KerberosDedicatedKeytab);
    QTest::newRow("secrets and keytab")
        << "secrets and keytab" << int(SambaSettings::KerberosSecretsAndKeytab);
    QTest::newRow("other case") << "Secrets Only" << int(SambaSettings::KerberosDefault);
    QTest::newRow("empty") << "" << int(SambaSettings::KerberosDefault);
    QTest::newRow("default") << "default" << int(SambaSettings::KerberosDefault);
}

void TestSambaSettings::kerberosMethodFromText()
{
    QFETCH(QString, text);
    QFETCH(int, method);

    const auto parsed = SambaSettings::kerberosMethodFromText(text);
    QCOMPARE(int(parsed), method);
    if (parsed != SambaSettings::KerberosDefault) {
        QCOMPARE(SambaSettings::kerberosMethodText(parsed), text);
    }
}

void TestSambaSettings::guestAccountMarker()
{
    GlobalShare global;
    global.setGuestAccount(QStringLiteral("nobody"));
    QVERIFY(global.hasGuestAccount());
    global.setGuestAccount(GlobalShare::noGuestAccount());
    QVERIFY(!global.hasGuestAccount());
    QCOMPARE(GlobalShare::noGuestAccount(), QStringLiteral("no guest account"));

    ContextTranslator translator("Audit");
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(GlobalShare::noGuestAccount(), QStringLiteral("[no guest account]"));
    global.setGuestAccount(GlobalShare::noGuestAccount());
    QVERIFY(!global.hasGuestAccount());
    QCoreApplication::removeTranslator(&translator);
}

void TestSambaSettings::userEquality_data()
{
    QTest::addColumn<SambaUser>("a");
    QTest::addColumn<SambaUser>("b");
    QTest::addColumn<bool>("equal");

    const SambaUser alice(QStringLiteral("alice"));
    SambaUser samePassword = alice;
    samePassword.setPassword(alice.password());
    SambaUser renamed(QStringLiteral("bob"));
    renamed.setName(QStringLiteral("alice"));
    SambaUser cleared = renamed;
    cleared.setChanged(false);
    SambaUser withPassword = alice;
    withPassword.setPassword(QStringLiteral("secret"));
    withPassword.setChanged(false);

    QTest::newRow("same name") << alice << SambaUser(QStringLiteral("alice")) << true;
    QTest::newRow("other name") << alice << SambaUser(QStringLiteral("bob")) << false;
    QTest::newRow("password set to the same text") << alice << samePassword << false;
    QTest::newRow("renamed to the same name") << alice << renamed << false;
    QTest::newRow("changed flag cleared") << alice << cleared << true;
    QTest::newRow("password differs") << alice << withPassword << false;
}

void TestSambaSettings::userEquality()
{
    QFETCH(SambaUser, a);
    QFETCH(SambaUser, b);
    QFETCH(bool, equal);

    QCOMPARE(a == b, equal);
    QCOMPARE(a != b, !equal);
}

void TestSambaSettings::groupEquality_data()
{
    QTest::addColumn<SambaGroup>("a");
    QTest::addColumn<SambaGroup>("b");
    QTest::addColumn<bool>("equal");

    const SambaGroup staff(QStringLiteral("staff"));
    SambaGroup renamed = staff;
    renamed.setName(QStringLiteral("staff"));

    QTest::newRow("same name") << staff << SambaGroup(QStringLiteral("staff")) << true;
    QTest::newRow("other name") << staff << SambaGroup(QStringLiteral("admins")) << false;
    QTest::newRow("renamed to the same name") << staff << renamed << false;
}

void TestSambaSettings::groupEquality()
{
    QFETCH(SambaGroup, a);
    QFETCH(SambaGroup, b);
    QFETCH(bool, equal);

    QCOMPARE(a == b, equal);
    QCOMPARE(a != b, !equal);
}

void TestSambaSettings::editedUserMapDiffers()
{
    // The users dialog's result replaces the settings' map only when the maps differ.
    SambaSettings settings;
    settings.users().insert(QStringLiteral("alice"), SambaUser(QStringLiteral("alice")));
    SambaUserMap edited = settings.users();
    QVERIFY(edited == settings.users());

    edited[QStringLiteral("alice")].setPassword(QString());
    QVERIFY(edited != settings.users());
    settings.setUsers(edited);
    QVERIFY(settings.users().value(QStringLiteral("alice")).changed());
}

QTEST_GUILESS_MAIN(TestSambaSettings)
#include "tst_sambasettings.moc"
