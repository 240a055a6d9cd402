// smb.conf beside Samba's registry configuration, with the real net and testparm on a
// registry of the test's own: where records come from, where saves and transfers write, and
// that a refused or failing change leaves both as they were.
#include "configdocument.h"
#include "confighistory.h"
#include "configmapper.h"
#include "fakeprogram.h"
#include "privateregistry.h"
#include "registrystore.h"
#include "testfiles.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

namespace {

using Sections = std::map<QString, std::map<QString, QString>>;

// A directory with smb.conf and a registry of its own, and a mapper loaded from them.
struct Setup
{
    QTemporaryDir dir;
    PrivateRegistry registry{dir.path()};
    ConfigDocument document;
    std::unique_ptr<ConfigMapper> mapper;
    SambaSettings settings;
    QList<Share> shares;

    QString net; // the real net and testparm, told the private directories
    QString testparm;

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // smb.conf is the private [global] lines and fileText; the registry holds registryText.
    bool prepare(const QString &fileText, const QByteArray &registryText)
    {
        if (!dir.isValid() || !registry.writeConfig(fileText))
            return false;
        net = registry.program(QStringLiteral("net"));
        testparm = registry.program(QStringLiteral("testparm"));
        if (net.isEmpty() || testparm.isEmpty() || run({QStringLiteral("drop")}).exitCode != 0)
            return false;
        if (registryText.isEmpty())
            return true;
        return writeFile(path("import.conf"), registryText)
            && run({QStringLiteral("import"), path("import.conf")}).exitCode == 0;
    }
    ProcessRun run(const QStringList &arguments) const
    {
        return runProcess(
            net, QStringList{QStringLiteral("-s"), registry.config(), QStringLiteral("conf")} + arguments);
    }
    QByteArray listed() const { return run({QStringLiteral("list")}).out; }
    void load() { loadWith(net, testparm); }
    void loadWith(const QString &netProgram, const QString &testparm)
    {
        mapper = std::make_unique<ConfigMapper>(document, registry.config(), testparm);
        mapper->setLockDirectory(dir.path());
        mapper->setNetProgram(netProgram);
        settings = mapper->loadGlobal();
        shares = mapper->loadShares(*settings.global());
    }
    Share *share(const QString &name, Share::StoredIn in)
    {
        for (Share &share : shares) {
            if (share.name() == name && share.storedIn() == in)
                return &share;
        }
        return nullptr;
    }
    QByteArray file() const { return readFile(registry.config()); }
    // testparm -s of smb.conf with the registry: section -> key -> value.
    Sections effective() const
    {
        Sections sections;
        QString section;
        const QString out =
            QString::fromUtf8(runProcess(testparm, {QStringLiteral("-s"), registry.config()}).out);
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('[')))
                section = trimmed;
            else if (const int equals = trimmed.indexOf(QLatin1Char('=')); equals > 0)
                sections[section][trimmed.left(equals).trimmed()] = trimmed.mid(equals + 1).trimmed();
        }
        // How Samba is led to the registry is no setting of the configuration itself.
        sections[QStringLiteral("[global]")].erase(QStringLiteral("registry shares"));
        sections[QStringLiteral("[global]")].erase(QStringLiteral("include"));
        return sections;
    }
};

// The texts of the history's versions of the registry, newest first.
QList<std::string> registryVersions(const ConfigHistory &history, const ConfigMapper &mapper)
{
    QList<std::string> texts;
    for (const ConfigHistory::Version &version : history.versions(mapper.registryHistoryFile())) {
        std::string text;
        if (history.read(version.number, text))
            texts.append(text);
    }
    return texts;
}

const QString included = QStringLiteral("\tinclude = registry\n");
const QByteArray
    registryShares("[global]\n\tworkgroup = REGGROUP\n\n[r]\n\tpath = /srv/r\n\tcomment = in registry\n\n"
                   "[dup]\n\tpath = /srv/dup-registry\n\n");
const QString fileShares =
    QStringLiteral("[a]\n\tpath = /srv/a\n\tcomment = in file\n[dup]\n\tpath = /srv/dup-file\n");

QString namesOf(const QList<Share> &shares)
{
    QStringList lines;
    for (const Share &share : shares)
        lines << QStringLiteral("%1 %2%3").arg(
            share.name(),
            share.storedIn() == Share::StoredInRegistry ? QStringLiteral("registry") : QStringLiteral("file"),
            share.shadowed() ? QStringLiteral(" shadowed") : QString());
    return lines.join(QLatin1Char(','));
}

} // namespace

using Edit = std::function<void(Setup &)>;
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Share::StoredIn)
Q_DECLARE_METATYPE(ConfigMapper::UnusedRegistry)

class TestRegistryMapper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listing_data();
    void listing();
    void savesWhereStored_data();
    void savesWhereStored();
    void globalsWhereKeyLives_data();
    void globalsWhereKeyLives();
    void refusedSaves_data();
    void refusedSaves();
    void backendSavesToRegistry();
    void oneShareLoaded_data();
    void oneShareLoaded();
    void preview();
    void changedByAnotherProgram_data();
    void changedByAnotherProgram();
    void moveShare();
    void moveRefusals_data();
    void moveRefusals();
    void storeAllInRegistry();
    void restoreAndHistory();
    void registryUnreadable();
    void refusedRegistryText_data();
    void refusedRegistryText();
    void failedImportKeptInHistory();
    void unusedRegistryContent_data();
    void unusedRegistryContent();
};

void TestRegistryMapper::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("net")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty())
        QSKIP("Samba's net and testparm are needed");
}

void TestRegistryMapper::listing_data()
{
    QTest::addColumn<QString>("globals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("include") << included
                             << QStringLiteral("a file,dup file shadowed,dup registry,r registry");
    QTest::newRow("registry shares") << QStringLiteral("\tregistry shares = yes\n")
                                     << QStringLiteral("a file,dup file shadowed,dup registry,r registry");
    QTest::newRow("backend") << QStringLiteral("\tconfig backend = registry\n")
                             << QStringLiteral("a file shadowed,dup file shadowed,dup registry,r registry");
    QTest::newRow("not used") << QString() << QStringLiteral("a file,dup file");
}

void TestRegistryMapper::listing()
{
    QFETCH(QString, globals);
    QFETCH(QString, expected);
    Setup setup;
    QVERIFY(setup.prepare(globals + fileShares, registryShares));
    setup.load();
    QVERIFY2(setup.mapper->registryError().isEmpty(), qPrintable(setup.mapper->registryError()));
    QCOMPARE(namesOf(setup.shares), expected);
    QStringList names;
    for (const Share &share : qAsConst(setup.shares))
        names << share.name();
    QCOMPARE(setup.mapper->shareNames(), names);
    QList<Share> read;
    setup.mapper->readShares(*setup.settings.global(), [&read](const Share &share) { read << share; });
    std::sort(read.begin(), read.end(), [](const Share &a, const Share &b) {
        return std::make_pair(a.name(), a.storedIn()) < std::make_pair(b.name(), b.storedIn());
    });
    QCOMPARE(namesOf(read), expected);
}

void TestRegistryMapper::savesWhereStored_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("fileChanges");
    // What "net conf list" holds afterwards (a regular expression), or empty for unchanged.
    QTest::addColumn<QString>("registryAfter");
    QTest::newRow("registry share edited") << Edit([](Setup &s) {
        s.share(QStringLiteral("r"), Share::StoredInRegistry)->setComment(QStringLiteral("edited"));
    }) << false << QStringLiteral("\\[r\\]\n\tpath = /srv/r\n\tcomment = edited\n");
    QTest::newRow("file share edited") << Edit([](Setup &s) {
        s.share(QStringLiteral("a"), Share::StoredInFile)->setComment(QStringLiteral("edited"));
    }) << true << QString();
    QTest::newRow("new registry share") << Edit([](Setup &s) {
        Share share;
        share.setName(QStringLiteral("new"));
        share.setPath(QStringLiteral("/srv/new"));
        share.setStoredIn(Share::StoredInRegistry);
        s.shares.append(share);
    }) << false << QStringLiteral("\\[new\\]\n\tpath = /srv/new\n");
    QTest::newRow("registry share renamed")
        << Edit([](Setup &s) {
               s.share(QStringLiteral("r"), Share::StoredInRegistry)->setName(QStringLiteral("renamed"));
           })
        << false
        << QStringLiteral("^(?!.*\\[r\\]).*\\[renamed\\]\n\tpath = /srv/r\n\tcomment = in registry\n");
    QTest::newRow("registry share made writable")
        << Edit([](Setup &s) { s.share(QStringLiteral("r"), Share::StoredInRegistry)->setReadOnly(false); })
        << false << QStringLiteral("\\[r\\][^\\[]*\tread only = no\n");
    QTest::newRow("new registry share, name beyond ASCII")
        << Edit([](Setup &s) {
               Share share;
               share.setName(QStringLiteral("B\u00fcro 50%"));
               share.setPath(QStringLiteral("/srv/b\u00fcro"));
               share.setComment(QStringLiteral("\"quoted\" words"));
               share.setStoredIn(Share::StoredInRegistry);
               s.shares.append(share);
           })
        << false
        << QStringLiteral("\\[B\u00fcro 50%\\]\n\tpath = /srv/b\u00fcro\n\tcomment = \"quoted\" words\n");
    QTest::newRow("registry share deleted") << Edit([](Setup &s) {
        for (int i = 0; i < s.shares.size(); ++i) {
            if (s.shares.at(i).storedIn() == Share::StoredInRegistry
                && s.shares.at(i).name() == QLatin1String("r"))
                s.shares.removeAt(i--);
        }
    }) << false << QStringLiteral("^(?!.*\\[r\\]).*\\[dup\\]");
}

void TestRegistryMapper::savesWhereStored()
{
    QFETCH(Edit, edit);
    QFETCH(bool, fileChanges);
    QFETCH(QString, registryAfter);
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    setup.load();
    const QByteArray file = setup.file();
    const QByteArray registry = setup.listed();
    edit(setup);
    setup.mapper->save(setup.settings, setup.shares);
    QCOMPARE(setup.file() != file, fileChanges);
    QCOMPARE(setup.mapper->registryChangedLast(), !registryAfter.isEmpty());
    const QByteArray listed = setup.listed();
    if (registryAfter.isEmpty())
        QCOMPARE(listed, registry);
    else
        QVERIFY2(QRegularExpression(registryAfter, QRegularExpression::DotMatchesEverythingOption)
                     .match(QString::fromUtf8(listed))
                     .hasMatch(),
                 listed.constData());
    // The mapper holds what it saved: a second save has nothing to write.
    QCOMPARE(QByteArray::fromStdString(setup.mapper->registryText()), listed);
    setup.mapper->save(setup.settings, setup.shares);
    QVERIFY(!setup.mapper->registryChangedLast() && !setup.mapper->installedLast());
}

void TestRegistryMapper::globalsWhereKeyLives_data()
{
    QTest::addColumn<QString>("fileGlobals");
    QTest::addColumn<QByteArray>("registryText");
    QTest::addColumn<bool>("toRegistry");
    QTest::newRow("key in the registry")
        << included << QByteArray("[global]\n\tserver string = old\n") << true;
    QTest::newRow("key in the file") << included + QStringLiteral("\tserver string = old\n")
                                     << QByteArray("[global]\n\tworkgroup = W\n") << false;
    // Changed in place: the registry, which does not hold the key, cannot override it.
    QTest::newRow("key in the file before the include")
        << QStringLiteral("\tserver string = old\n") + included << QByteArray("[global]\n\tworkgroup = W\n")
        << false;
    QTest::newRow("key in both, the file's before the include")
        << QStringLiteral("\tserver string = file\n") + included
        << QByteArray("[global]\n\tserver string = old\n") << true;
    QTest::newRow("key in both, the file's after the include")
        << included + QStringLiteral("\tserver string = file\n")
        << QByteArray("[global]\n\tserver string = old\n") << false;
    QTest::newRow("new key, registry keeps globals")
        << included << QByteArray("[global]\n\tworkgroup = W\n") << true;
    QTest::newRow("new key, registry has no globals")
        << included << QByteArray("[r]\n\tpath = /srv/r\n") << false;
    QTest::newRow("registry shares only") << QStringLiteral("\tregistry shares = yes\n")
                                          << QByteArray("[global]\n\tserver string = old\n") << false;
}

void TestRegistryMapper::globalsWhereKeyLives()
{
    QFETCH(QString, fileGlobals);
    QFETCH(QByteArray, registryText);
    QFETCH(bool, toRegistry);
    Setup setup;
    QVERIFY(setup.prepare(fileGlobals, registryText));
    setup.load();
    const QByteArray file = setup.file();
    const QByteArray registry = setup.listed();
    setup.settings.global()->setServerString(QStringLiteral("new words"));
    setup.mapper->save(setup.settings, setup.shares);
    QCOMPARE(setup.listed().contains("server string = new words"), toRegistry);
    QCOMPARE(setup.listed() == registry, !toRegistry);
    QCOMPARE(setup.file().contains("server string = new words"), !toRegistry);
    QCOMPARE(setup.file() == file, toRegistry);
    // No second, dead line.
    if (!toRegistry)
        QCOMPARE(setup.file().count("server string"), 1);
    QCOMPARE(setup.effective()[QStringLiteral("[global]")][QStringLiteral("server string")],
             QStringLiteral("new words"));
}

void TestRegistryMapper::refusedSaves_data()
{
    // A stand-in that fails: "testparm" always, "testparm-second" on its second run (when smb.conf
    // is installed after the registry changed), "net-setparm" on the second setparm.
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    // Who refused: testparm before anything changes, or a later step, the registry put back.
    QTest::addColumn<QString>("message");
    const QString byTestparm = QStringLiteral("Samba configuration will not be saved.");
    const QString putBack = QStringLiteral("The registry was put back as it was.");
    QTest::newRow("testparm fails") << QStringLiteral("testparm") << QStringLiteral("comment")
                                    << QStringLiteral("x") << byTestparm;
    QTest::newRow("invalid value") << QString() << QStringLiteral("force create mode")
                                   << QStringLiteral("banana") << byTestparm;
    // testparm only ignores a parameter it does not know, which net conf refuses.
    QTest::newRow("unknown parameter")
        << QString() << QStringLiteral("no such parameter") << QStringLiteral("x")
        << QStringLiteral("Unknown parameter encountered: \"no such parameter\"");
    // The registry's values pass the same gate as smb.conf's: net conf list would print them
    // on lines Samba reads otherwise.
    QTest::newRow("value ending in a backslash")
        << QString() << QStringLiteral("shareward:note") << QStringLiteral("C:\\")
        << QStringLiteral(
               "The value of \"shareward:note\" cannot be written to smb.conf: it ends with a backslash");
    QTest::newRow("key opening a section")
        << QString() << QStringLiteral("[root]path") << QStringLiteral("/")
        << QStringLiteral("The parameter name \"[root]path\" cannot be written");
    QTest::newRow("second setparm fails") << QStringLiteral("net-setparm") << QStringLiteral("path")
                                          << QStringLiteral("/srv/elsewhere") << putBack;
    QTest::newRow("smb.conf refused after the registry changed")
        << QStringLiteral("testparm-second") << QStringLiteral("comment") << QStringLiteral("x") << putBack;
}

void TestRegistryMapper::refusedSaves()
{
    QFETCH(QString, failing);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, message);
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    const QString stand = setup.path("stand-in");
    QString net = setup.net;
    QString testparm = setup.testparm;
    if (failing == QLatin1String("testparm"))
        QVERIFY(writeFakeProgram(testparm = stand) && writeFile(setup.path("answer"), "1"));
    else if (failing == QLatin1String("testparm-second"))
        QVERIFY(writeFailingCall(testparm = stand, setup.testparm, QStringLiteral("*")));
    else if (failing == QLatin1String("net-setparm"))
        QVERIFY(writeFailingCall(net = stand, setup.net, QStringLiteral("setparm")));
    setup.loadWith(net, testparm);
    ConfigHistory history(setup.path("history"));
    setup.mapper->setHistory(&history, QStringLiteral("shareward"));
    const QByteArray file = setup.file();
    const QByteArray registry = setup.listed();
    Share *r = setup.share(QStringLiteral("r"), Share::StoredInRegistry);
    r->setComment(QStringLiteral("edited"));
    r->setOtherParameter(key, value);
    setup.share(QStringLiteral("a"), Share::StoredInFile)->setComment(QStringLiteral("edited"));
    try {
        setup.mapper->save(setup.settings, setup.shares);
        QFAIL("the save went through");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(message), error.what());
    }
    if (failing.endsWith(QLatin1String("second")) || failing.endsWith(QLatin1String("setparm")))
        QCOMPARE(readFile(setup.path("calls")), QByteArray("2\n"));
    QCOMPARE(setup.listed(), registry);
    QCOMPARE(setup.file(), file);
    // A change put back was never in effect: the history's newest version is the registry as it is.
    const QList<std::string> versions = registryVersions(history, *setup.mapper);
    QVERIFY(versions.isEmpty() || versions.first() == registry.toStdString());
}

void TestRegistryMapper::backendSavesToRegistry()
{
    Setup setup;
    QVERIFY(setup.prepare(QStringLiteral("\tconfig backend = registry\n") + fileShares, registryShares));
    setup.load();
    QCOMPARE(setup.mapper->registryUse(), RegistryConfig::Backend);
    QCOMPARE(setup.settings.global()->workgroup(), QStringLiteral("REGGROUP"));
    const QByteArray file = setup.file();
    setup.settings.global()->setServerString(QStringLiteral("new words"));
    setup.share(QStringLiteral("dup"), Share::StoredInRegistry)->setComment(QStringLiteral("served"));
    setup.mapper->save(setup.settings, setup.shares);
    QCOMPARE(setup.file(), file);
    const QByteArray listed = setup.listed();
    QVERIFY2(listed.contains("server string = new words") && listed.contains("comment = served"),
             listed.constData());
}

void TestRegistryMapper::oneShareLoaded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Share::StoredIn>("in");
    QTest::newRow("registry's, served instead of the file's")
        << QStringLiteral("DUP") << Share::StoredInRegistry;
    QTest::newRow("registry only") << QStringLiteral("r") << Share::StoredInRegistry;
    QTest::newRow("file only") << QStringLiteral("a") << Share::StoredInFile;
}

void TestRegistryMapper::oneShareLoaded()
{
    QFETCH(QString, name);
    QFETCH(Share::StoredIn, in);
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    setup.load();
    const QByteArray file = setup.file();
    const QByteArray registry = setup.listed();
    setup.settings = setup.mapper->loadGlobal(); // instead of every share, this one
    std::optional<Share> share = setup.mapper->loadShare(*setup.settings.global(), name);
    QVERIFY(share);
    QCOMPARE(share->storedIn(), in);
    share->setComment(QStringLiteral("only this one"));
    QList<Share> one{*share};
    setup.mapper->save(setup.settings, one);
    // The other shares stay where they are, unloaded.
    const QByteArray listed = setup.listed();
    QCOMPARE(setup.file().contains("comment = only this one"), in == Share::StoredInFile);
    QCOMPARE(listed.contains("comment = only this one"), in == Share::StoredInRegistry);
    QCOMPARE(setup.file().count('['), file.count('['));
    QCOMPARE(listed.count('['), registry.count('['));
}

void TestRegistryMapper::preview()
{
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    setup.load();
    const QByteArray registry = setup.listed();
    Share *r = setup.share(QStringLiteral("r"), Share::StoredInRegistry);
    r->setComment(QStringLiteral("previewed"));
    ConfigMapper::Preview preview = setup.mapper->preview(setup.settings, setup.shares);
    QCOMPARE(preview.proposed, preview.current);
    QCOMPARE(QByteArray::fromStdString(setup.mapper->registryCurrent()), registry);
    QVERIFY(QByteArray::fromStdString(setup.mapper->registryProposed()).contains("comment = previewed"));
    QVERIFY(preview.verdict.status != TestParmResult::Errors);
    r->setOtherParameter(QStringLiteral("force create mode"), QStringLiteral("banana"));
    preview = setup.mapper->preview(setup.settings, setup.shares);
    QCOMPARE(preview.verdict.status, TestParmResult::Errors);
    r->unsetOtherParameter(QStringLiteral("force create mode"));
    r->setOtherParameter(QStringLiteral("no such parameter"), QStringLiteral("x"));
    QCOMPARE(setup.mapper->preview(setup.settings, setup.shares).verdict.status, TestParmResult::Errors);
    QCOMPARE(setup.listed(), registry);
}

void TestRegistryMapper::changedByAnotherProgram_data()
{
    QTest::addColumn<bool>("transfer");
    QTest::newRow("save") << false;
    QTest::newRow("transfer") << true;
}

void TestRegistryMapper::changedByAnotherProgram()
{
    QFETCH(bool, transfer);
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    setup.load();
    QCOMPARE(setup
                 .run({QStringLiteral("setparm"), QStringLiteral("r"), QStringLiteral("comment"),
                       QStringLiteral("by another program")})
                 .exitCode,
             0);
    const QByteArray registry = setup.listed();
    const QByteArray file = setup.file();
    setup.share(QStringLiteral("r"), Share::StoredInRegistry)->setPath(QStringLiteral("/srv/elsewhere"));
    if (transfer) {
        const ConfigMapper::Transfer move =
            setup.mapper->moveShare(QStringLiteral("a"), Share::StoredInRegistry);
        QVERIFY_EXCEPTION_THROWN(setup.mapper->applyTransfer(move), ConfigChangedError);
    } else {
        QVERIFY_EXCEPTION_THROWN(setup.mapper->save(setup.settings, setup.shares), ConfigChangedError);
    }
    QCOMPARE(setup.listed(), registry);
    QCOMPARE(setup.file(), file);
}

void TestRegistryMapper::moveShare()
{
    Setup setup;
    QVERIFY(setup.prepare(
        included
            + QStringLiteral("[m]\n\tdirectory = /srv/m\n\tcomment = moving\n\twritable = yes\n"
                             "\tbrowseable = no\n\tvalid users = alice, @staff\n"
                             "\tcreate mode = 0640\n\tvfs objects = acl_xattr\n\tpath = /srv/m2\n"),
        QByteArray("[r]\n\tpath = /srv/r\n")));
    setup.load();
    const Sections before = setup.effective();
    QVERIFY(before.count(QStringLiteral("[m]")));
    setup.mapper->applyTransfer(setup.mapper->moveShare(QStringLiteral("m"), Share::StoredInRegistry));
    QVERIFY(!setup.file().contains("[m]"));
    QVERIFY(setup.listed().contains("[m]"));
    QCOMPARE(setup.effective(), before);
    QVERIFY(setup.mapper->registryChangedLast());

    setup.mapper->applyTransfer(setup.mapper->moveShare(QStringLiteral("M"), Share::StoredInFile));
    QVERIFY(setup.file().contains("[m]"));
    QVERIFY(!setup.listed().contains("[m]"));
    QCOMPARE(setup.effective(), before);
}

void TestRegistryMapper::moveRefusals_data()
{
    QTest::addColumn<QString>("globals");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Share::StoredIn>("to");
    QTest::newRow("in both places, to the registry")
        << included << QStringLiteral("dup") << Share::StoredInRegistry;
    QTest::newRow("in both places, to the file") << included << QStringLiteral("dup") << Share::StoredInFile;
    QTest::newRow("share with an include") << included << QStringLiteral("inc") << Share::StoredInRegistry;
    QTest::newRow("not in the file") << included << QStringLiteral("r") << Share::StoredInRegistry;
    QTest::newRow("not in the registry") << included << QStringLiteral("a") << Share::StoredInFile;
    // Samba would never read it there.
    QTest::newRow("to the file under the registry backend")
        << QStringLiteral("\tconfig backend = registry\n") << QStringLiteral("r") << Share::StoredInFile;
}

void TestRegistryMapper::moveRefusals()
{
    QFETCH(QString, globals);
    QFETCH(QString, name);
    QFETCH(Share::StoredIn, to);
    Setup setup;
    QVERIFY(setup.prepare(
        globals + fileShares
            + QStringLiteral("[inc]\n\tpath = /srv/inc\n\tinclude = %1\n").arg(setup.path("extra.conf")),
        registryShares));
    QVERIFY(writeFile(setup.path("extra.conf"), "\tcomment = included\n"));
    setup.load();
    QVERIFY_EXCEPTION_THROWN(setup.mapper->moveShare(name, to), std::runtime_error);
}

void TestRegistryMapper::storeAllInRegistry()
{
    Setup setup;
    QVERIFY(
        writeFile(setup.path("extra.conf"), "\tserver string = from an include\n\tmax connections = 2\n"));
    QVERIFY(setup.prepare(
        QStringLiteral("# Our server\r\n\tworkgroup = OFFICE\r\n\tserver string = overridden\r\n"
                       "\tinclude = %1\r\n\tmax connections = 7\r\n\tmap to guest = bad user\r\n\r\n; the "
                       "public share\r\n"
                       "[public]\r\n\tpath = /srv/public\r\n\tguest ok = yes\r\n"
                       "\twriteable = yes\r\n[homes]\r\n\tbrowseable = no\r\n"
                       "[Projects]\r\n\tpath = /srv/projects\r\n\tvalid users = @staff\r\n"
                       "\tvfs objects = acl_xattr recycle\r\n\trecycle:repository = .bin\r\n")
            .arg(setup.path("extra.conf")),
        QByteArray()));
    setup.load();
    const Sections before = setup.effective();
    QCOMPARE(before.at(QStringLiteral("[global]")).at(QStringLiteral("server string")),
             QStringLiteral("from an include"));
    QCOMPARE(before.at(QStringLiteral("[global]")).at(QStringLiteral("max connections")),
             QStringLiteral("7"));
    setup.mapper->applyTransfer(setup.mapper->storeAllInRegistry());
    const QByteArray file = setup.file();
    QVERIFY2(file.contains("include = registry") && !file.contains("[public]") && !file.contains("workgroup"),
             file.constData());
    const QByteArray registry = setup.listed();
    QVERIFY2(registry.contains("[Projects]") && registry.contains("workgroup = OFFICE"),
             registry.constData());
    QCOMPARE(setup.effective(), before);
    QCOMPARE(setup.mapper->registryUse(), RegistryConfig::Included);
}

void TestRegistryMapper::restoreAndHistory()
{
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    ConfigHistory history(setup.path("history"));
    setup.load();
    setup.mapper->setHistory(&history, QStringLiteral("shareward"));
    const std::string first = setup.mapper->registryText();
    setup.share(QStringLiteral("r"), Share::StoredInRegistry)->setComment(QStringLiteral("edited"));
    setup.mapper->save(setup.settings, setup.shares);
    QVERIFY2(setup.mapper->historyError().isEmpty(), qPrintable(setup.mapper->historyError()));
    const std::string second = setup.listed().toStdString();
    QVERIFY(second != first);

    const QList<ConfigHistory::Version> versions = history.versions(setup.mapper->registryHistoryFile());
    QCOMPARE(versions.size(), 2);
    std::string older, newer;
    QVERIFY(history.read(versions.at(0).number, older) && history.read(versions.at(1).number, newer));
    QVERIFY((older == first && newer == second) || (older == second && newer == first));
    QVERIFY(history.versions(QFileInfo(setup.registry.config()).absoluteFilePath()).isEmpty());

    setup.mapper->applyTransfer(setup.mapper->restoreRegistry(first, QStringLiteral("restored")));
    QCOMPARE(setup.listed().toStdString(), first);
    QCOMPARE(setup.mapper->registryText(), first);
    QVERIFY(setup.mapper->registryChangedLast());
}

void TestRegistryMapper::registryUnreadable()
{
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    const QString net = setup.path("net");
    QVERIFY(writeFakeProgram(net) && writeFile(setup.path("answer"), "255")
            && writeFile(setup.path("stderr"), "no registry here\n"));
    setup.loadWith(net, setup.testparm);
    QVERIFY2(setup.mapper->registryError().contains(QLatin1String("no registry here")),
             qPrintable(setup.mapper->registryError()));
    QVERIFY(!setup.mapper->registryLoaded());
    QCOMPARE(namesOf(setup.shares), QStringLiteral("a file,dup file"));
    Share share;
    share.setName(QStringLiteral("new"));
    share.setPath(QStringLiteral("/srv/new"));
    share.setStoredIn(Share::StoredInRegistry);
    setup.shares.append(share);
    const QByteArray file = setup.file();
    QVERIFY_EXCEPTION_THROWN(setup.mapper->save(setup.settings, setup.shares), std::runtime_error);
    QCOMPARE(setup.file(), file);
    // Nor is smb.conf changed while Samba may read a share of that name in the registry.
    setup.shares.removeLast();
    setup.share(QStringLiteral("a"), Share::StoredInFile)->setComment(QStringLiteral("edited"));
    try {
        setup.mapper->save(setup.settings, setup.shares);
        QFAIL("saved while the registry could not be read");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(QLatin1String("no registry here")), error.what());
    }
    QCOMPARE(setup.file(), file);
}

void TestRegistryMapper::refusedRegistryText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("include") << QByteArray("[global]\n\tinclude = registry\n");
    QTest::newRow("lock directory") << QByteArray("[global]\n\tlock dir = /tmp\n");
    QTest::newRow("config backend") << QByteArray("[global]\n\tconfig backend = registry\n");
    // testparm only warns; net conf import refuses it half-way.
    QTest::newRow("server-wide parameter in a share")
        << QByteArray("[global]\n\tworkgroup = W\n[y]\n\tpath = /y\n\tnetbios name = N\n");
}

// A version that net conf import would take half-way, or that would make the registry include
// itself, is refused before the registry is dropped.
void TestRegistryMapper::refusedRegistryText()
{
    QFETCH(QByteArray, text);
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    const QString net = setup.path("net");
    QVERIFY(writeFailingCall(net, setup.net, QStringLiteral("import"), -1));
    setup.loadWith(net, setup.testparm);
    const QByteArray registry = setup.listed();
    QVERIFY_EXCEPTION_THROWN(setup.mapper->applyTransfer(setup.mapper->restoreRegistry(
                                 text.toStdString() + "[x]\n\tpath = /x\n", QStringLiteral("restored"))),
                             std::runtime_error);
    QCOMPARE(setup.listed(), registry);
    // Refused before net changed anything, not put back afterwards.
    const QByteArray calls = readFile(setup.path("calls.log"));
    QVERIFY2(!calls.contains("import") && !calls.contains("drop") && !calls.contains("setparm"),
             calls.constData());
}

// When a whole import fails and so does putting the registry back, the registry as it was is
// in the history, and the message says which version; nothing empties the registry first.
void TestRegistryMapper::failedImportKeptInHistory()
{
    Setup setup;
    QVERIFY(setup.prepare(included + fileShares, registryShares));
    const QString net = setup.path("net");
    QVERIFY(writeFailingCall(net, setup.net, QStringLiteral("import"), 0));
    setup.loadWith(net, setup.testparm);
    ConfigHistory history(setup.path("history"));
    setup.mapper->setHistory(&history, QStringLiteral("shareward"));
    const QByteArray registry = setup.listed();
    const QByteArray file = setup.file();
    try {
        setup.mapper->applyTransfer(setup.mapper->storeAllInRegistry());
        QFAIL("the import went through");
    } catch (const std::runtime_error &error) {
        const QString said = QString::fromUtf8(error.what());
        const QRegularExpression version(QStringLiteral("Version (\\d+) of the history holds it"));
        const QRegularExpressionMatch match = version.match(said);
        QVERIFY2(match.hasMatch() && said.contains(QLatin1String("could not be put back")), error.what());
        // The window tells this from a failure that changed nothing.
        QVERIFY(dynamic_cast<const RegistryNotRestoredError *>(&error));
        std::string kept;
        QVERIFY(history.read(match.captured(1).toInt(), kept));
        QCOMPARE(QByteArray::fromStdString(kept), registry);
    }
    QCOMPARE(setup.listed(), registry);
    QCOMPARE(setup.file(), file);
    QVERIFY(!readFile(setup.path("calls.log")).contains("drop"));
}

void TestRegistryMapper::unusedRegistryContent_data()
{
    QTest::addColumn<ConfigMapper::UnusedRegistry>("unused");
    QTest::newRow("kept") << ConfigMapper::UnusedRegistry::Keep;
    QTest::newRow("replaced") << ConfigMapper::UnusedRegistry::Replace;
}

// A registry smb.conf never led Samba to, holding a share smb.conf defines too: storing says
// so, shows what Samba will serve differently when it is kept, and serves what was in effect
// when it is replaced.
void TestRegistryMapper::unusedRegistryContent()
{
    QFETCH(ConfigMapper::UnusedRegistry, unused);
    Setup setup;
    QVERIFY(setup.prepare(QStringLiteral("[filedata]\n\tpath = /srv/filedata\n"),
                          "[global]\n\tserver string = stale\n[filedata]\n\tpath = /old/stale/path\n"));
    setup.load();
    const Sections before = setup.effective();
    const ConfigMapper::Transfer transfer = setup.mapper->storeAllInRegistry(unused);
    const QByteArray notRead = QByteArray::fromStdString(transfer.registryNotInEffect);
    QVERIFY2(notRead.contains("/old/stale/path") && notRead.contains("server string = stale"),
             notRead.constData());
    const bool kept = unused == ConfigMapper::UnusedRegistry::Keep;
    QCOMPARE(QByteArray::fromStdString(transfer.effectiveBefore).contains("/old/stale/path"), false);
    QCOMPARE(QByteArray::fromStdString(transfer.effectiveAfter).contains("/old/stale/path"), kept);
    QCOMPARE(QByteArray::fromStdString(transfer.effectiveAfter).contains("server string = stale"), kept);
    setup.mapper->applyTransfer(transfer);
    const Sections after = setup.effective();
    QCOMPARE(after.at(QStringLiteral("[filedata]")).at(QStringLiteral("path")),
             kept ? QStringLiteral("/old/stale/path") : QStringLiteral("/srv/filedata"));
    if (!kept)
        QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(TestRegistryMapper)
#include "tst_registrymapper.moc"
