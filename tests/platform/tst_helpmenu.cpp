// The Help menu's About box.
#include "helpmenu.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestHelpMenu : public QObject
{
    Q_OBJECT

private slots:
    void aboutShowsVersionAndText();
};

void TestHelpMenu::aboutShowsVersionAndText()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("1.5.15+ci5"));
    QWidget window;
    HelpMenu menu(QStringLiteral("Shareward\nSAMBA server management application"), &window);
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    menu.aboutAction()->trigger();
    QVERIFY(shown.contains(QLatin1String("SAMBA server management application")));
    QVERIFY(shown.contains(QLatin1String("1.5.15+ci5")));
}

QTEST_MAIN(TestHelpMenu)
#include "tst_helpmenu.moc"
