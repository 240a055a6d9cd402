// The choice of the desktop's user accounts settings, with the installed programs stubbed.
#include "usersettingsprogram.h"

#include <QtTest>

class TestUserSettingsProgram : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
    void arguments_data();
    void arguments();
};

void TestUserSettingsProgram::choice_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected");

    const QString kde = QStringLiteral("/usr/bin/systemsettings");
    const QString gnome = QStringLiteral("/usr/bin/gnome-control-center");
    QTest::newRow("KDE only") << QStringList{kde} << kde;
    QTest::newRow("GNOME only") << QStringList{gnome} << gnome;
    QTest::newRow("both: KDE") << QStringList{gnome, kde} << kde;
    QTest::newRow("neither: none") << QStringList{} << QString();
    QTest::newRow("other programs only")
        << QStringList{QStringLiteral("/usr/bin/norva-systemsettings")} << QString();
}

void TestUserSettingsProgram::choice()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);

    QStringList asked;
    const auto finder = [&](const QString &name) {
        asked << name;
        for (const QString &path : installed) {
            if (path.endsWith(QLatin1Char('/') + name))
                return path;
        }
        return QString();
    };
    QCOMPARE(UserSettingsProgram::find(finder), expected);
    // Names are looked up, never paths: PATH decides where they are.
    for (const QString &name : qAsConst(asked))
        QVERIFY(!name.contains(QLatin1Char('/')));
}

void TestUserSettingsProgram::arguments_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("KDE") << QStringLiteral("/usr/bin/systemsettings")
                         << QStringList{QStringLiteral("kcm_users")};
    QTest::newRow("GNOME") << QStringLiteral("/usr/bin/gnome-control-center")
                           << QStringList{QStringLiteral("user-accounts")};
    QTest::newRow("unknown") << QStringLiteral("/usr/bin/xterm") << QStringList{};
    QTest::newRow("none") << QString() << QStringList{};
}

void TestUserSettingsProgram::arguments()
{
    QFETCH(QString, program);
    QFETCH(QStringList, expected);
    QCOMPARE(UserSettingsProgram::arguments(program), expected);
}

QTEST_GUILESS_MAIN(TestUserSettingsProgram)
#include "tst_usersettingsprogram.moc"
