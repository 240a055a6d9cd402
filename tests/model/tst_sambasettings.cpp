#include "contexttranslator.h"
#include "sambasettings.h"

#include <QCoreApplication>
#include <QTest>

Q_DECLARE_METATYPE(SambaUser)

class TestSambaSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void copyOwnsItsGlobalShare();
    void assignmentOwnsItsGlobalShare();
    void securityModeTexts();
    void kerberosMethodFromText_data();
    void kerberosMethodFromText();
    void guestAccountMarker();
    void userEquality_data();
    void userEquality();
    void groupEquality();
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
}

void TestSambaSettings::securityModeTexts()
{
    // The dialog's item index is the enumeration value.
    const QStringList texts = SambaSettings::securityModeTexts();
    QCOMPARE(texts,
             QStringList({QStringLiteral("USER"), QStringLiteral("KERBEROS DOMAIN"), QStringLiteral("SHARE"),
                          QStringLiteral("DOMAIN"), QStringLiteral("ADS")}));
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

void TestSambaSettings::groupEquality()
{
    const SambaGroup staff(QStringLiteral("staff"));
    QVERIFY(staff == SambaGroup(QStringLiteral("staff")));
    QVERIFY(staff != SambaGroup(QStringLiteral("admins")));
    SambaGroup renamed = staff;
    renamed.setName(QStringLiteral("staff"));
    QVERIFY(renamed.changed());
    QVERIFY(staff != renamed);
}

QTEST_GUILESS_MAIN(TestSambaSettings)
#include "tst_sambasettings.moc"
