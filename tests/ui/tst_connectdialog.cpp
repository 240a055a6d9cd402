// Connect to a server…: the fields become the destination ssh is given, and what ssh would
// take for something else than a host is refused before anything runs.
#include "connectdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

class TestConnectDialog : public QObject
{
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
};

void TestConnectDialog::fields_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("address"); // "" when Connect stays disabled
    QTest::newRow("empty") << ""
                           << "" << 0 << "";
    QTest::newRow("alias") << "files"
                           << "" << 0 << "files";
    QTest::newRow("blanks around") << "  files "
                                   << " admin " << 0 << "admin@files";
    QTest::newRow("everything") << "files.example.org"
                                << "admin" << 2222 << "admin@files.example.org:2222";
    QTest::newRow("ipv6") << "fe80::1"
                          << "" << 22 << "[fe80::1]:22";
    QTest::newRow("ipv6 in brackets") << "[::1]"
                                      << "root" << 0 << "root@[::1]";
    QTest::newRow("an option") << "-oProxyCommand=sh"
                               << "" << 0 << "";
    QTest::newRow("a command") << "files;reboot"
                               << "" << 0 << "";
    QTest::newRow("user with blank") << "files"
                                     << "a b" << 0 << "";
    QTest::newRow("this machine's name") << "local"
                                         << "" << 0 << "";
}

void TestConnectDialog::fields()
{
    QFETCH(QString, host);
    QFETCH(QString, user);
    QFETCH(int, port);
    QFETCH(QString, address);
    ConnectDialog dialog({QStringLiteral("files"), QStringLiteral("backup")});
    auto *hostEdit = dialog.findChild<QLineEdit *>(QStringLiteral("hostEdit"));
    auto *userEdit = dialog.findChild<QLineEdit *>(QStringLiteral("userEdit"));
    auto *portBox = dialog.findChild<QSpinBox *>(QStringLiteral("portSpinBox"));
    auto *problem = dialog.findChild<QLabel *>(QStringLiteral("problemLabel"));
    QVERIFY(hostEdit && userEdit && portBox && problem);
    hostEdit->setText(host);
    userEdit->setText(user);
    portBox->setValue(port);
    QPushButton *connect = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QCOMPARE(connect->isEnabled(), !address.isEmpty());
    if (address.isEmpty()) {
        // A refused host says why; an empty one needs no words.
        QCOMPARE(problem->text().isEmpty(), host.isEmpty());
        return;
    }
    QVERIFY(dialog.address());
    QCOMPARE(dialog.address()->text(), address);
    QVERIFY(problem->text().isEmpty());
}

QTEST_MAIN(TestConnectDialog)
#include "tst_connectdialog.moc"
