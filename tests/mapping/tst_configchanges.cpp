#include "configchanges.h"

#include "testfiles.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

namespace {

// A file of count shares [share0]..., each with its own path and a few parameters.
std::string generatedShares(int count, int changedEvery = 0)
{
    std::string text = "[global]\n\tworkgroup = TEAM\n\tserver role = standalone server\n\n";
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        text += "[share" + number + "]\n\tpath = /srv/share" + number + "\n\tread only = no\n";
        const bool changed = changedEvery > 0 && i % changedEvery == 0;
        text += changed ? "\tcomment = changed\n" : "\tcomment = share " + number + "\n";
        text += "\tvalid users = @staff\n\n";
    }
    return text;
}

QStringList names(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

} // namespace

Q_DECLARE_METATYPE(std::function<void(QList<QByteArray> &, int)>)

class TestConfigChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void between_data();
    void between();
    void lists();
    void needsRestart_data();
    void needsRestart();
    void corpusAgainstItself();
    void lineEditsOnCorpus_data();
    void lineEditsOnCorpus();
    void largeFile();
};

void TestConfigChanges::between_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("restart");

    const QByteArray base =
        "[global]\n   workgroup = TEAM\n\n[data]\n   path = /srv/data\n   read only = no\n";
    QTest::newRow("same text") << base << base << "no change" << QStringList();
    QTest::newRow("comments, blank lines and layout")
        << base
        << QByteArray("# edited\n[ global ]\r\nWorkGroup=TEAM\r\n\r\n; data\n[data]\n\tpath\t=  /srv/data  \n"
                      "read only = \\\n no\n")
        << "no change" << QStringList();
    QTest::newRow("key spellings") << base
                                   << QByteArray("[global]\nworkgroup = TEAM\n[data]\ndirectory = /srv/data\n"
                                                 "Writeable = Yes\n")
                                   << "no change" << QStringList();
    QTest::newRow("boolean spellings")
        << QByteArray("[a]\npath = /a\nbrowseable = yes\n")
        << QByteArray("[a]\npath = /a\nbrowsable = True\n") << "no change" << QStringList();
    QTest::newRow("[globals] and parameters before the first header")
        << QByteArray("workgroup = TEAM\n[globals]\nnetbios name = FS\n")
        << QByteArray("[global]\nnetbios name = FS\nworkgroup = TEAM\n") << "no change" << QStringList();
    QTest::newRow("repeated section, last value wins")
        << QByteArray("[a]\npath = /a\nread only = yes\n[b]\npath = /b\n[A]\nread only = no\n")
        << QByteArray("[a]\npath = /a\nread only = no\n[b]\npath = /b\n") << "no change" << QStringList();
    QTest::newRow("section without parameters is no share")
        << QByteArray("[empty]\n# nothing\n[a]\npath = /a\n") << QByteArray("[a]\npath = /a\n[new]\n")
        << "no change" << QStringList();
    QTest::newRow("share added") << base << base + "[team]\npath = /srv/team\n"
                                 << "share team added" << QStringList();
    QTest::newRow("share removed") << base + "[old]\npath = /srv/old\n"
                                   << base << "share old removed" << QStringList();
    QTest::newRow("share emptied is removed") << base + "[old]\npath = /srv/old\n"
                                              << base + "[old]\n"
                                              << "share old removed" << QStringList();
    QTest::newRow("share renamed") << base
                                   << QByteArray("[global]\nworkgroup = TEAM\n[Daten]\npath = /srv/data\n"
                                                 "writable = yes\n")
                                   << "share data renamed to Daten" << QStringList();
    QTest::newRow("renamed and changed is removed and added")
        << base << QByteArray("[global]\nworkgroup = TEAM\n[daten]\npath = /srv/daten\nread only = no\n")
        << "share daten added; share data removed" << QStringList();
    QTest::newRow("value changed") << base << QByteArray(base).replace("read only = no", "read only = yes")
                                   << "share data changed" << QStringList();
    QTest::newRow("key removed from share") << base << QByteArray(base).replace("   read only = no\n", "")
                                            << "share data changed" << QStringList();
    QTest::newRow("key added to share") << base << base + "   comment = Data\n"
                                        << "share data changed" << QStringList();
    QTest::newRow("case of a value") << base << QByteArray(base).replace("/srv/data", "/srv/Data")
                                     << "share data changed" << QStringList();
    QTest::newRow("non-ASCII share name") << base << base + "[B\xc3\xbcro]\npath = /srv/buero\n"
                                          << QStringLiteral("share B\u00fcro added") << QStringList();
    QTest::newRow("workgroup changed")
        << base << QByteArray(base).replace("TEAM", "OFFICE") << "workgroup changed" << names({"workgroup"});
    QTest::newRow("global key removed, named after the added")
        << QByteArray("[global]\nNetBIOS Name = FS\nlog level = 1\nworkgroup = A\n")
        << QByteArray("[global]\nworkgroup = B\nserver string = files\nlog level = 1\n")
        << "workgroup changed; server string changed; netbios name changed"
        << names({"workgroup", "netbios name"});
    QTest::newRow("include line") << base << QByteArray("include = /etc/samba/extra.conf\n") + base
                                  << "include changed" << QStringList();
    QTest::newRow("restart keys in any spelling")
        << QByteArray("[global]\nsmb ports = 445\nidmap config * : backend = tdb\nlock dir = /run/a\n")
        << QByteArray(
               "[global]\nSMBPorts = 4445\nidmap config * : backend = autorid\nlock directory = /run/b\n"
               "socket address = 10.0.0.1\n")
        << "smb ports changed; idmap config * : backend changed; lock directory changed; and 1 more "
           "setting changed"
        << names({"smb ports", "idmap config * : backend", "lock directory", "nbt client socket address"});
    QTest::newRow("synonym of a restart key")
        << QByteArray("[global]\nprivate directory = /p\n") << QByteArray("[global]\nprivate dir = /p\n")
        << "no change" << QStringList();
    QTest::newRow("every kind, in order")
        << QByteArray(
               "[global]\nworkgroup = A\n[gone]\npath = /gone\n[old]\npath = /old\n[kept]\npath = /k\n")
        << QByteArray(
               "[new]\npath = /new\n[kept]\npath = /k2\n[renamed]\npath = /old\n[global]\nworkgroup = B\n")
        << "share new added; share old renamed to renamed; share kept changed; workgroup changed; share "
           "gone removed"
        << names({"workgroup"});
    QTest::newRow("more than three of a kind")
        << QByteArray(
               "[r1]\npath = /r1\n[r2]\npath = /r2\n[r3]\npath = /r3\n[r4]\npath = /r4\n[r5]\npath = /r5\n")
        << QByteArray("[a1]\npath = /a1\n[a2]\npath = /a2\n[a3]\npath = /a3\n[a4]\npath = /a4\n")
        << "share a1 added; share a2 added; share a3 added; and 1 more share added; share r1 removed; share "
           "r2 "
           "removed; share r3 removed; and 2 more shares removed"
        << QStringList();
    QTest::newRow("alike shares rename in file order")
        << QByteArray("[x]\npath = /same\n[y]\npath = /same\n")
        << QByteArray("[u]\npath = /same\n[v]\npath = /same\n")
        << "share x renamed to u; share y renamed to v" << QStringList();
}

void TestConfigChanges::between()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, summary);
    QFETCH(QStringList, restart);

    const ConfigChanges changes = ConfigChanges::between(before.toStdString(), after.toStdString());
    QCOMPARE(changes.summary(), summary);
    QCOMPARE(changes.isEmpty(), summary == QLatin1String("no change"));
    QCOMPARE(changes.restartParameters(), restart);
    QCOMPARE(changes.needsRestart(), !restart.isEmpty());
}

void TestConfigChanges::lists()
{
    const ConfigChanges changes = ConfigChanges::between(
        "[global]\nworkgroup = A\nsecurity = user\n[a]\npath = /a\n[b]\npath = /b\n[c]\npath = /c\n",
        "[global]\nrealm = R\nworkgroup = A\n[c]\npath = /c2\n[a2]\npath = /a\n[d]\npath = /d\n");
    QCOMPARE(changes.addedShares, names({"d"}));
    QCOMPARE(changes.removedShares, names({"b"}));
    QCOMPARE(changes.renamedShares,
             (QList<QPair<QString, QString>>{{QStringLiteral("a"), QStringLiteral("a2")}}));
    QCOMPARE(changes.changedShares, names({"c"}));
    QCOMPARE(changes.changedGlobals, (names({"realm", "security"})));
}

void TestConfigChanges::needsRestart_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("restart");

    for (const char *key : {"interfaces",
                            "bind interfaces only",
                            "smb ports",
                            "netbios name",
                            "netbios aliases",
                            "netbios scope",
                            "server role",
                            "security",
                            "workgroup",
                            "realm",
                            "server services",
                            "disable netbios",
                            "nmbd bind explicit broadcast",
                            "nbt client socket address",
                            "socket address",
                            "passdb backend",
                            "private dir",
                            "private directory",
                            "lock directory",
                            "lock dir",
                            "state directory",
                            "cache directory",
                            "pid directory",
                            "ncalrpc dir",
                            "idmap config * : backend",
                            "idmap config CORP:backend",
                            "Bind Interfaces  Only",
                            "NETBIOSNAME"})
        QTest::newRow(key) << QString::fromLatin1(key) << true;
    for (const char *key : {"log level", "path", "read only", "server string", "idmap config * : range",
                            "idmap config", "backend", "netbios", "interfaces only", "max log size"})
        QTest::newRow(key) << QString::fromLatin1(key) << false;
}

void TestConfigChanges::needsRestart()
{
    QFETCH(QString, key);
    QFETCH(bool, restart);
    QCOMPARE(ConfigChanges::needsRestart(key), restart);
}

void TestConfigChanges::corpusAgainstItself()
{
    const QStringList files = smbConfCorpus();
    QVERIFY(!files.isEmpty());
    for (const QString &file : files) {
        const QByteArray text = readFile(file);
        QVERIFY2(!text.isEmpty(), qPrintable(file));
        const ConfigChanges changes = ConfigChanges::between(text.toStdString(), text.toStdString());
        QVERIFY2(changes.isEmpty(), qPrintable(file + QLatin1String(": ") + changes.summary()));
    }
}

using LineEdit = std::function<void(QList<QByteArray> &lines, int at)>;

void TestConfigChanges::lineEditsOnCorpus_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<LineEdit>("edit");
    QTest::addColumn<double>("where");
    const QList<QPair<const char *, LineEdit>> edits{
        {"value changed",
         [](QList<QByteArray> &l, int at) {
             l[at].replace("=", "= x");
         }},
        {"line removed",
         [](QList<QByteArray> &l, int at) {
             l.removeAt(at);
         }},
        {"line joined to the next",
         [](QList<QByteArray> &l, int at) {
             l[at].replace("\n", " \\\n");
         }},
        {"joined line with a parameter after it",
         [](QList<QByteArray> &l, int at) {
             l[at].replace("\n", " \\\n");
             l.insert(at + 1, "path = /joined\n");
         }},
        {"header inserted",
         [](QList<QByteArray> &l, int at) {
             l.insert(at, "[Inserted]\n");
         }},
        {"global header inserted",
         [](QList<QByteArray> &l, int at) {
             l.insert(at, "[global]\n");
         }},
        {"parameter inserted",
         [](QList<QByteArray> &l, int at) {
             l.insert(at, "comment = inserted\n");
         }},
        {"first header repeated",
         [](QList<QByteArray> &l, int at) {
             for (const QByteArray &line : QList<QByteArray>(l)) {
                 if (line.trimmed().startsWith('[')) {
                     l.insert(at, line);
                     return;
                 }
             }
         }},
        {"last header removed",
         [](QList<QByteArray> &l, int) {
             for (int i = l.size() - 1; i >= 0; --i) {
                 if (l.at(i).trimmed().startsWith('[')) {
                     l.removeAt(i);
                     return;
                 }
             }
         }},
    };
    for (const QString &file : smbConfCorpus()) {
        for (const auto &[name, edit] : edits) {
            for (double where : {0.0, 0.5, 1.0})
                QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3")
                                             .arg(QFileInfo(file).fileName(), QLatin1String(name))
                                             .arg(where)))
                    << file << edit << where;
        }
    }
}

// Sections untouched by an edit are not compared; the result must be that of comparing all.
void TestConfigChanges::lineEditsOnCorpus()
{
    QFETCH(QString, file);
    QFETCH(LineEdit, edit);
    QFETCH(double, where);
    const QByteArray text = readFile(file);
    QList<QByteArray> lines;
    for (int start = 0; start < text.size();) {
        const int feed = text.indexOf('\n', start);
        const int end = feed < 0 ? text.size() : feed + 1;
        lines << text.mid(start, end - start);
        start = end;
    }
    if (lines.isEmpty())
        QSKIP("empty file");
    edit(lines, std::min<int>(lines.size() - 1, static_cast<int>(where * lines.size())));
    const QByteArray edited = lines.join();

    // A comment first and last in one text and not in the other: every line differs between
    // the start and the end, so every section is compared.
    const QByteArray end = text.endsWith('\n') && edited.endsWith('\n') ? "" : "\n";
    const ConfigChanges all =
        ConfigChanges::between(QByteArray("# a\n" + text + end + "# a\n").toStdString(),
                               QByteArray("# b\n" + edited + end + "# b\n").toStdString());
    const ConfigChanges changes = ConfigChanges::between(text.toStdString(), edited.toStdString());
    QCOMPARE(changes.addedShares, all.addedShares);
    QCOMPARE(changes.removedShares, all.removedShares);
    QCOMPARE(changes.renamedShares, all.renamedShares);
    QCOMPARE(changes.changedShares, all.changedShares);
    QCOMPARE(changes.changedGlobals, all.changedGlobals);
}

void TestConfigChanges::largeFile()
{
    constexpr int shares = 20000;
    const std::string before = generatedShares(shares);
    // Every 100th share changed, the last renamed, one added and one [global] key changed.
    std::string after = generatedShares(shares, 100);
    const std::string last = "[share" + std::to_string(shares - 1) + "]";
    after.replace(after.find(last), last.size(), "[moved]");
    after += "[extra]\npath = /srv/extra\n";
    after.replace(after.find("TEAM"), 4, "OFFICE");

    QElapsedTimer timer;
    timer.start();
    const ConfigChanges changes = ConfigChanges::between(before, after);
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(changes.changedShares.size(), shares / 100);
    QCOMPARE(changes.addedShares, names({"extra"}));
    QCOMPARE(changes.renamedShares.size(), 1);
    QCOMPARE(changes.renamedShares.front().second, QStringLiteral("moved"));
    QVERIFY(changes.removedShares.isEmpty());
    QCOMPARE(changes.restartParameters(), names({"workgroup"}));
    // Comparing every share with every other would take minutes here; a linear comparison takes
    // well under a second, and a few under the sanitizers on a busy machine.
    QVERIFY2(elapsed < 15000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(TestConfigChanges)

#include "tst_configchanges.moc"
