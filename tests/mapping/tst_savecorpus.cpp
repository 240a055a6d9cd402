// Real smb.conf files through the real command-line tool and the real testparm: a save
// with no edit leaves the file as it was, modification time included; an edit keeps a
// valid file valid; and the settings the tool reads can be shown as JSON.
#include "processrun.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const char *const cliProgram = SHAREWARD_BINARY_DIR "/src/cli/shareward-cli";

ProcessRun runCli(const QStringList &arguments)
{
    return runProcess(QString::fromLatin1(cliProgram), arguments);
}

QString runText(const ProcessRun &result)
{
    return QStringLiteral("exit code %1, standard error:\n%2")
        .arg(result.exitCode)
        .arg(QString::fromUtf8(result.err));
}

// Samba's own verdict, judged as the tool judges it: a non-zero exit code or an
// ERROR: line rejects the file. Empty when accepted, otherwise testparm's output.
QString testparmRejection(const QString &path)
{
    const ProcessRun result = runProcess(
        QStringLiteral("testparm"), {QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"), path});
    if (result.exitCode == 0 && !result.err.contains("ERROR:"))
        return QString();
    return runText(result);
}

// What Samba makes of a file, as testparm prints it.
QList<QByteArray> effectiveConfig(const QString &path)
{
    return runProcess(QStringLiteral("testparm"), {QStringLiteral("-s"), path}).out.split('\n');
}

// The first line where two texts part, for a readable failure.
QString firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> left = expected.split('\n');
    const QList<QByteArray> right = actual.split('\n');
    for (int i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QByteArray a = i < left.size() ? left.at(i) : QByteArrayLiteral("<end of file>");
        const QByteArray b = i < right.size() ? right.at(i) : QByteArrayLiteral("<end of file>");
        if (a != b) {
            return QStringLiteral("line %1: \"%2\" became \"%3\"")
                .arg(i + 1)
                .arg(QString::fromUtf8(a), QString::fromUtf8(b));
        }
    }
    return QString();
}

} // namespace

class TestSaveCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveWithoutEditKeepsFile_data() { corpus(); }
    void saveWithoutEditKeepsFile();
    void editKeepsFileValid_data() { corpus(); }
    void editKeepsFileValid();
    void showPrintsJson_data() { corpus(); }
    void showPrintsJson();

private:
    static void corpus();
    // Puts a copy of the corpus file in place as smb.conf.
    bool copyIn(const QString &source);
    QString save(QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_config;
};

void TestSaveCorpus::initTestCase()
{
    QVERIFY2(QFileInfo(QString::fromLatin1(cliProgram)).isExecutable(), cliProgram);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed (scripts/install-deps.sh installs samba-common-bin)");
}

void TestSaveCorpus::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_config = m_root->filePath(QStringLiteral("smb.conf"));
}

void TestSaveCorpus::cleanup()
{
    m_root.reset();
}

void TestSaveCorpus::corpus()
{
    QTest::addColumn<QString>("source");
    // The files Samba ships must be accepted; the others may not be.
    QTest::addColumn<bool>("required");
    for (const QString &file : smbConfCorpus())
        QTest::newRow(qPrintable(QFileInfo(file).fileName()))
            << file << file.startsWith(QLatin1String("/usr/share/"));
}

bool TestSaveCorpus::copyIn(const QString &source)
{
    return QFileInfo(source).isFile() && QFile::copy(source, m_config)
        && QFile::setPermissions(m_config,
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                     | QFileDevice::ReadOther);
}

// One load + save with no edits; bytes gets the installed text. Empty when it worked,
// otherwise what went wrong.
QString TestSaveCorpus::save(QByteArray &bytes)
{
    const ProcessRun result = runCli({QStringLiteral("save"), m_config});
    if (result.exitCode != 0 || !result.err.isEmpty())
        return runText(result);
    bytes = readFile(m_config);
    return QString();
}

void TestSaveCorpus::saveWithoutEditKeepsFile()
{
    QFETCH(QString, source);
    QVERIFY2(copyIn(source), qPrintable(source));
    QFile file(m_config);
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(past, QFileDevice::FileModificationTime));
    file.close();

    QByteArray saved;
    const QString failure = save(saved);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(saved == readFile(source), qPrintable(firstDifference(readFile(source), saved)));
    QCOMPARE(QFileInfo(m_config).lastModified(), past);
    QCOMPARE(QDir(m_root->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("smb.conf")});
}

// A comment edited with the real tool and judged by the real testparm: a file testparm
// accepted stays accepted.
void TestSaveCorpus::editKeepsFileValid()
{
    QFETCH(QString, source);
    QFETCH(bool, required);
    QVERIFY2(copyIn(source), qPrintable(source));
    const QString original = testparmRejection(m_config);
    if (!original.isEmpty()) {
        QVERIFY2(!required, qPrintable(QStringLiteral("testparm rejects a file Samba ships: ") + original));
        QSKIP("testparm rejects this file before any save");
    }
    const ProcessRun shown = runCli({QStringLiteral("show"), m_config});
    const QJsonArray shares =
        QJsonDocument::fromJson(shown.out).object().value(QLatin1String("shares")).toArray();
    if (shares.isEmpty())
        QSKIP("no share in this file");
    const QString name = shares.first().toObject().value(QLatin1String("name")).toString();
    const QList<QByteArray> before = effectiveConfig(m_config);

    const ProcessRun result =
        runCli({QStringLiteral("--config"), m_config, QStringLiteral("share"), QStringLiteral("set"), name,
                QStringLiteral("--comment"), QStringLiteral("Edited through shareward-cli")});
    QVERIFY2(result.exitCode == 0 && result.err.isEmpty(), qPrintable(runText(result)));
    QVERIFY(readFile(m_config).contains("Edited through shareward-cli"));
    QCOMPARE(QDir(m_root->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("smb.conf")});
    const QString rejection = testparmRejection(m_config);
    QVERIFY2(rejection.isEmpty(),
             qPrintable(QStringLiteral("testparm rejects the saved file: ") + rejection));

    // To Samba the file means what it meant, but for that one comment.
    const QList<QByteArray> after = effectiveConfig(m_config);
    QStringList differences;
    for (const QByteArray &line : after) {
        if (!before.contains(line) && line != "\tcomment = Edited through shareward-cli")
            differences << QStringLiteral("added: ") + QString::fromUtf8(line);
    }
    for (const QByteArray &line : before) {
        if (!after.contains(line) && !line.startsWith("\tcomment = "))
            differences << QStringLiteral("removed: ") + QString::fromUtf8(line);
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
}

void TestSaveCorpus::showPrintsJson()
{
    QFETCH(QString, source);

    const ProcessRun result = runCli({QStringLiteral("show"), source});
    QVERIFY2(result.exitCode == 0, qPrintable(runText(result)));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(document.isObject());
    const QJsonObject object = document.object();
    const QStringList keys = object.keys();
    for (const char *key : {"security", "kerberosMethod", "global", "shares"})
        QVERIFY2(keys.contains(QLatin1String(key)), key);
    QVERIFY(object.value(QLatin1String("security")).isString());
    QVERIFY(!object.value(QLatin1String("security")).toString().isEmpty());
    QVERIFY(object.value(QLatin1String("kerberosMethod")).isString());
    QVERIFY(object.value(QLatin1String("global")).isObject());
    QVERIFY(object.value(QLatin1String("global")).toObject().contains(QLatin1String("workgroup")));
    QVERIFY(object.value(QLatin1String("shares")).isArray());
    const QJsonArray shares = object.value(QLatin1String("shares")).toArray();
    for (const QJsonValue &share : shares) {
        QVERIFY(share.isObject());
        QVERIFY(share.toObject().value(QLatin1String("name")).isString());
        QVERIFY(share.toObject().value(QLatin1String("vfsModules")).isArray());
    }
}

QTEST_GUILESS_MAIN(TestSaveCorpus)
#include "tst_savecorpus.moc"
