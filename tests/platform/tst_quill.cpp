// The desktop integration calls and the Help menu's About box.
#include "micdetect.h"
#include "quill.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestQuill : public QObject
{
    Q_OBJECT

private slots:
    void aboutShowsVersionAndText();
    void integrityIsHighest();
};

void TestQuill::aboutShowsVersionAndText()
{
    quillInit("1.5.15+ci5", "Shareward\nSAMBA server management application");
    QCOMPARE(quillVersion(), QStringLiteral("1.5.15+ci5"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.5.15+ci5"));

    QWidget window;
    QuillHelpMenu menu(&window);
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

void TestQuill::integrityIsHighest()
{
    QVERIFY(MICDetect::isCurrentProcessHasMaxMIC());
}

QTEST_MAIN(TestQuill)
#include "tst_quill.moc"
