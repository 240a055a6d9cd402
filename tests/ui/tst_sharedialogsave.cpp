// The share dialog on every share of real files: Ok after changing only the description
// changes exactly that one line of smb.conf, in every authentication mode.
#include "boxdriver.h"
#include "configdocument.h"
#include "configmapper.h"
#include "linechange.h"
#include "sambasettings.h"
#include "share.h"
#include "sharedialog.h"
#include "sharerecordsupport.h"
#include "testfiles.h"
#include "widgetlookup.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

class TestShareDialogSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void descriptionOnly_data();
    void descriptionOnly();

private:
    QTemporaryDir m_dir;
};

void TestShareDialogSave::initTestCase()
{
    QVERIFY(m_dir.isValid());
    useTestSettings(m_dir.filePath(QStringLiteral("settings")), QStringLiteral("tst_sharedialogsave"));
    QSettings().setValue(QStringLiteral("do-not-remind-about-srv"), true);
    QVERIFY(smbConfCorpus().size() >= smbConfCorpusMinimum());
}

void TestShareDialogSave::descriptionOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("share");
    for (const QString &file : smbConfCorpus()) {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("smb.conf"));
        QVERIFY(writeFile(config, readFile(file)));
        ConfigDocument document;
        ConfigMapper mapper(document, config);
        mapper.loadGlobal();
        for (const QString &name : mapper.shareNames())
            QTest::newRow(qPrintable(QFileInfo(file).fileName() + QLatin1Char('/') + name)) << file << name;
    }
}

void TestShareDialogSave::descriptionOnly()
{
    QFETCH(QString, file);
    QFETCH(QString, share);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    const QByteArray original = readFile(file);
    QVERIFY(writeFile(config, original));
    ConfigDocument document;
    ConfigMapper mapper(document, config);
    SambaSettings settings = mapper.loadGlobal();
    QList<Share> shares = mapper.loadShares(*settings.global());
    QSet<QString> names;
    int index = -1;
    for (int i = 0; i < shares.size(); ++i) {
        names.insert(shares.at(i).name().trimmed().toLower());
        if (shares.at(i).name() == share)
            index = i;
    }
    QVERIFY(index >= 0);

    {
        ShareDialog dialog(shares[index], settings, names, localFiles());
        child<QLineEdit>(dialog, "lineEditDescription")->setText(QStringLiteral("Edited in the dialog"));
        // A directory missing on this machine is kept.
        BoxDriver driver({QStringLiteral("Yes")});
        dialog.accept();
        QVERIFY2(dialog.result() == QDialog::Accepted,
                 qPrintable(driver.seen() ? driver.last().text : QStringLiteral("refused")));
    }
    QVERIFY(mapper.applyRecords(settings, shares));
    const QByteArray written = QByteArray::fromStdString(document.text());

    const LineChange change(original, written);
    QVERIFY2(change.removed <= 1 && change.added == 1,
             qPrintable(QStringLiteral("%1 lines became %2 at line %3:\n%4")
                            .arg(change.removed)
                            .arg(change.added)
                            .arg(change.head + 1)
                            .arg(QString::fromUtf8(change.addedText()))));
    QVERIFY2(change.addedText().contains("Edited in the dialog"), change.addedText().constData());
}

QTEST_MAIN(TestShareDialogSave)
#include "tst_sharedialogsave.moc"
