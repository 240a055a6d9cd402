// The files of this machine as the window's server gives them: a shared directory's mode and
// the verdict on a path, through links, and nothing for what is no directory.
#include "localserverfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestLocalServerFiles : public QObject
{
    Q_OBJECT

private slots:
    void directoryMode_data();
    void directoryMode();
};

void TestLocalServerFiles::directoryMode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("refused");

    QTest::newRow("read-only") << QStringLiteral("ro") << 0555 << false;
    QTest::newRow("made read/write, sticky") << QStringLiteral("rw") << 01777 << false;
    QTest::newRow("set-group-ID") << QStringLiteral("sgid") << 02770 << false;
    QTest::newRow("link to a directory") << QStringLiteral("link") << 0555 << false;
    QTest::newRow("a file") << QStringLiteral("file") << -1 << true;
    QTest::newRow("missing") << QStringLiteral("missing") << -1 << true;
}

void TestLocalServerFiles::directoryMode()
{
    QFETCH(QString, name);
    QFETCH(int, expected);
    QFETCH(bool, refused);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir base(dir.path());
    const QList<QPair<const char *, mode_t>> directories = {{"ro", 0555}, {"rw", 01777}, {"sgid", 02770}};
    for (const auto &[directory, mode] : directories) {
        QVERIFY(base.mkdir(QLatin1String(directory)));
        QVERIFY(::chmod(QFile::encodeName(base.filePath(QLatin1String(directory))).constData(), mode) == 0);
    }
    QVERIFY(QFile::link(base.filePath(QStringLiteral("ro")), base.filePath(QStringLiteral("link"))));
    QFile file(base.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    LocalServerFiles files;
    const QString path = base.filePath(name);
    QCOMPARE(files.directoryMode(path), expected);
    QCOMPARE(!files.directoryProblem(path).isEmpty(), refused);
}

QTEST_GUILESS_MAIN(TestLocalServerFiles)
#include "tst_localserverfiles.moc"
