// The window in German: ctest runs this with LANG and LC_ALL set to de_DE.UTF-8, and the
// translations are installed as at start-up, from the program's resources and Qt's own.
#include "boxdriver.h"
#include "startup.h"
#include "widgetlookup.h"
#include "windowsandbox.h"

#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

class TestMainWindowTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowTexts();
    void toolBarTexts_data();
    void toolBarTexts();
    void messageBox();
    void standardButtons();

private:
    QTemporaryDir m_settings;
};

void TestMainWindowTranslation::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_settings.isValid());
    useTestSettings(m_settings.path(), QStringLiteral("tst_mainwindowtranslation"));
    QCOMPARE(QLocale::system().name(), QStringLiteral("de_DE"));
    QVERIFY(Startup::installTranslators(*qApp, QLocale::system()));
}

void TestMainWindowTranslation::windowTexts()
{
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    // The program's name is not translated, the server's is.
    QCOMPARE(window.windowTitle(), QStringLiteral("Dieser Computer[*] \u2014 Shareward"));
    QStringList menus;
    for (QAction *menu : window.menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus,
             (QStringList{QStringLiteral("&Datei"), QStringLiteral("&Aktionen"),
                          QStringLiteral("&Einstellungen"), QStringLiteral("&Hilfe")}));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Freigaben"));
    // Shortcuts stay in their portable form, so they keep working.
    QCOMPARE(window.findChild<QAction *>(QStringLiteral("actionSave"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_S));
}

void TestMainWindowTranslation::toolBarTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << QStringLiteral("actionStart") << QStringLiteral("Starten");
    QTest::newRow("save") << QStringLiteral("actionSave") << QStringLiteral("&Speichern");
    QTest::newRow("check") << QStringLiteral("actionCheckConfig") << QStringLiteral("Konfiguration prüfen");
    QTest::newRow("groups") << QStringLiteral("actionSambaGroups") << QStringLiteral("Samba-&Gruppen");
}

void TestMainWindowTranslation::toolBarTexts()
{
    QFETCH(QString, name);
    Sandbox sandbox;
    MainWindow window(sandbox.environment());
    auto *toolBar = window.findChild<QToolBar *>(QStringLiteral("toolBar"));
    QVERIFY(toolBar);
    auto *action = window.findChild<QAction *>(name);
    QVERIFY(action);
    QVERIFY(toolBar->actions().contains(action));
    QTEST(action->text(), "text");
}

// A box the window shows, its text from the translation of MainWindow's context.
void TestMainWindowTranslation::messageBox()
{
    QTemporaryDir dir;
    MainWindow::Environment environment;
    environment.configPath = dir.filePath(QStringLiteral("smb.conf"));
    environment.testparm = dir.filePath(QStringLiteral("testparm"));
    QFile checker(environment.testparm);
    QVERIFY(checker.open(QIODevice::WriteOnly));
    checker.write("#!/bin/sh\nexit 0\n");
    checker.close();
    QVERIFY(checker.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    MainWindow window(environment);
    BoxDriver driver;
    window.findChild<QAction *>(QStringLiteral("actionCheckConfig"))->trigger();
    QTRY_VERIFY(driver.seen() > 0);
    QCOMPARE(driver.last().text, QStringLiteral("Die Samba-Konfigurationsdatei ist in Ordnung."));
}

// Qt's own texts come from qtbase_de.qm (qttranslations5-l10n).
void TestMainWindowTranslation::standardButtons()
{
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));
    // The platform theme decides whether Cancel has a mnemonic.
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
             QStringLiteral("Abbrechen"));
}

QTEST_MAIN(TestMainWindowTranslation)
#include "tst_mainwindowtranslation.moc"
