// The recycle, fruit and shadow_copy2 modules in smb.conf: their options read in every
// spelling, the features turned on and off as edits of exactly their lines, the order of
// "vfs objects", and testparm's verdict on what is written.
#include "configdocument.h"
#include "configmapper.h"
#include "fruit.h"
#include "processrun.h"
#include "recyclebin.h"
#include "sharefeatures.h"
#include "testfiles.h"
#include "vfsorder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

struct Loaded
{
    explicit Loaded(const QByteArray &text)
        : path(dir.filePath(QStringLiteral("smb.conf")))
        , mapper(document, path)
    {
        writeFile(path, text);
        settings = mapper.loadGlobal();
        shares = mapper.loadShares(*settings.global());
    }

    Share &share()
    {
        for (Share &share : shares) {
            if (share.name() == QLatin1String("s"))
                return share;
        }
        qFatal("no share [s]");
    }

    QTemporaryDir dir;
    QString path;
    ConfigDocument document;
    ConfigMapper mapper;
    SambaSettings settings;
    QList<Share> shares;
};

// A module's options as "key=value|key=value", in key order.
QString describe(const std::shared_ptr<VFSModule> &module)
{
    const auto options = std::dynamic_pointer_cast<OptionModule>(module);
    if (!options)
        return module ? QStringLiteral("(no options)") : QStringLiteral("(no module)");
    QStringList pairs;
    for (auto it = options->options().begin(); it != options->options().end(); ++it)
        pairs << it.key() + QLatin1Char('=') + it.value();
    return pairs.join(QLatin1Char('|'));
}

// Stores a copy of an option module with one option changed, as the dialogs do.
template<class Module>
void setOption(Share &share, const QString &name, const QString &key, const QString &value)
{
    auto module = std::make_shared<Module>(*std::dynamic_pointer_cast<Module>(share.vfsModule(name)));
    module->setOption(key, value);
    share.addVfsModule(module);
}

using Edit = std::function<void(Share &)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestVfsModules : public QObject
{
    Q_OBJECT

private slots:
    void arrange_data();
    void arrange();
    void readOptions_data();
    void readOptions();
    void exactEdits_data();
    void exactEdits();
};

void TestVfsModules::arrange_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apple next to full_audit") << "full_audit"
                                              << "catia fruit full_audit streams_xattr"
                                              << "full_audit catia fruit streams_xattr";
    QTest::newRow("recycle after apple") << "catia fruit streams_xattr"
                                         << "catia fruit recycle streams_xattr"
                                         << "catia fruit streams_xattr recycle";
    QTest::newRow("new line") << ""
                              << "catia fruit full_audit recycle streams_xattr"
                              << "catia fruit streams_xattr full_audit recycle";
    QTest::newRow("fruit into its chain") << "acl_xattr catia streams_xattr recycle"
                                          << "acl_xattr catia fruit recycle streams_xattr"
                                          << "acl_xattr catia fruit streams_xattr recycle";
    QTest::newRow("catia before fruit") << "acl_xattr fruit streams_xattr"
                                        << "acl_xattr catia fruit streams_xattr"
                                        << "acl_xattr catia fruit streams_xattr";
    QTest::newRow("broken chain put right") << "fruit catia full_audit streams_xattr"
                                            << "catia fruit full_audit recycle streams_xattr"
                                            << "catia fruit streams_xattr full_audit recycle";
    QTest::newRow("unknown modules keep their order") << "zz_mod recycle aa_mod"
                                                      << "aa_mod zz_mod"
                                                      << "zz_mod aa_mod";
    QTest::newRow("new module before the last one") << "acl_xattr glusterfs"
                                                    << "acl_xattr glusterfs recycle"
                                                    << "acl_xattr recycle glusterfs";
    QTest::newRow("last one moved last") << "io_uring recycle"
                                         << "io_uring recycle"
                                         << "recycle io_uring";
    QTest::newRow("two last ones keep their order") << "ceph aio_pthread recycle"
                                                    << "aio_pthread ceph recycle"
                                                    << "recycle ceph aio_pthread";
    QTest::newRow("virusfilter after streams") << "virusfilter catia fruit streams_xattr"
                                               << "catia fruit streams_xattr virusfilter"
                                               << "catia fruit streams_xattr virusfilter";
    QTest::newRow("ceph_snapshots first") << "ceph"
                                          << "ceph ceph_snapshots"
                                          << "ceph_snapshots ceph";
    QTest::newRow("nothing left") << "recycle"
                                  << ""
                                  << "";
}

void TestVfsModules::arrange()
{
    QFETCH(QString, line);
    QFETCH(QString, modules);
    QFETCH(QString, expected);

    const QStringList arranged = VfsOrder::arrange(line.split(QLatin1Char(' '), Qt::SkipEmptyParts),
                                                   modules.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    QCOMPARE(arranged.join(QLatin1Char(' ')), expected);
}

void TestVfsModules::readOptions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("expected");

    QTest::newRow("known keys in any spelling")
        << QByteArray("[s]\nvfs objects = Fruit\nFruit : Time Machine = Yes\nfruit:TIMEMACHINEMAXSIZE=1T\n")
        << "fruit"
        << "time machine=Yes|time machine max size=1T";
    QTest::newRow("other keys kept") << QByteArray(
        "[s]\nvfs objects = recycle\nrecycle:noversions = *.tmp\nrecycle:repository = .bin\n")
                                     << "recycle"
                                     << "noversions=*.tmp|repository=.bin";
    QTest::newRow("last line wins") << QByteArray(
        "[s]\nvfs objects = recycle\nrecycle:repository = a\nRecycle:Repository = b\n")
                                    << "recycle"
                                    << "repository=b";
    QTest::newRow("shadow_copy2 reads shadow:")
        << QByteArray("[s]\nvfs objects = shadow_copy2\nshadow:snapdir = .snap\nshadow_copy2:format = x\n")
        << "shadow_copy2"
        << "snapdir=.snap";
    QTest::newRow("another module's options")
        << QByteArray("[s]\nvfs objects = recycle catia\ncatia:mappings = 0x22:0xa8\nrecycleX:a = 1\n")
        << "recycle"
        << "";
    QTest::newRow("not those of [global]")
        << QByteArray("[global]\nrecycle:repository = g\n[s]\nvfs objects = recycle\nrecycle:touch = yes\n")
        << "recycle"
        << "touch=yes";
    QTest::newRow("options without the module")
        << QByteArray("[s]\npath = /srv\nrecycle:repository = .bin\n") << "recycle"
        << "(no module)";
    QTest::newRow("empty value") << QByteArray("[s]\nvfs objects = recycle\nrecycle:exclude =\n") << "recycle"
                                 << "exclude=";
}

void TestVfsModules::readOptions()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, module);
    QFETCH(QString, expected);

    Loaded loaded(file);
    QCOMPARE(describe(loaded.share().vfsModule(module)), expected);
}

void TestVfsModules::exactEdits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("after");

    const Edit nothing = [](Share &) {
    };
    const Edit recycleOn = [](Share &s) {
        ShareFeatures::setRecycleBin(s, true);
    };
    const Edit appleOn = [](Share &s) {
        ShareFeatures::setAppleClients(s, true);
    };
    const Edit appleOff = [](Share &s) {
        ShareFeatures::setAppleClients(s, false);
    };

    const QByteArray tabs =
        "[global]\n\tworkgroup = HOME\n\n[s]\n\tpath = /srv/s\n\tvfs objects = full_audit\n"
        "\tfull_audit:prefix = %u\n";
    auto tabsWith = [](const char *objects, const char *lines) -> QByteArray {
        return QByteArray("[global]\n\tworkgroup = HOME\n\n[s]\n\tpath = /srv/s\n\tvfs objects = ") + objects
            + "\n\tfull_audit:prefix = %u\n" + lines;
    };
    QTest::newRow("tabs, no edit") << tabs << nothing << tabs;
    QTest::newRow("tabs, recycle on")
        << tabs << recycleOn
        << tabsWith("full_audit recycle", "\trecycle:keeptree = yes\n\trecycle:repository = .recycle/%U\n");
    QTest::newRow("tabs, apple on") << tabs << appleOn
                                    << tabsWith("full_audit catia fruit streams_xattr", "");
    QTest::newRow("tabs, time machine on")
        << tabs << Edit([](Share &s) { ShareFeatures::setTimeMachine(s, true, QStringLiteral("1T")); })
        << tabsWith("full_audit catia fruit streams_xattr",
                    "\tfruit:time machine = yes\n\tfruit:time machine max size = 1T\n");
    QTest::newRow("tabs, zfs")
        << tabs
        << Edit([](Share &s) { ShareFeatures::setPreviousVersions(s, ShareFeatures::PreviousVersions::Zfs); })
        << tabsWith("full_audit shadow_copy2",
                    "\tshadow:delimiter = -20\n\tshadow:format = -%Y-%m-%d-%H%M\n\tshadow:localtime = yes\n"
                    "\tshadow:snapdir = .zfs/snapshot\n"
                    "\tshadow:snapprefix = ^zfs-auto-snap_\\(frequent\\)\\{0,1\\}\\(hourly\\)\\{0,1\\}"
                    "\\(daily\\)\\{0,1\\}\\(monthly\\)\\{0,1\\}\n\tshadow:sort = desc\n");
    QTest::newRow("tabs, snapper") << tabs << Edit([](Share &s) {
        ShareFeatures::setPreviousVersions(s, ShareFeatures::PreviousVersions::Snapper);
    }) << tabsWith("full_audit snapper", "");

    const QByteArray crlf = "[global]\r\n   workgroup = HOME\r\n\r\n[s]\r\n   path = /srv/s\r\n"
                            "   vfs objects = recycle\r\n   recycle:repository = .trash\r\n"
                            "   recycle:noversions = *.tmp\r\n";
    QTest::newRow("crlf, no edit") << crlf << nothing << crlf;
    QTest::newRow("crlf, recycle off")
        << crlf << Edit([](Share &s) { ShareFeatures::setRecycleBin(s, false); })
        << QByteArray("[global]\r\n   workgroup = HOME\r\n\r\n[s]\r\n   path = /srv/s\r\n");
    QTest::newRow("crlf, repository alone") << crlf << Edit([](Share &s) {
        setOption<RecycleBin>(s, QStringLiteral("recycle"), RecycleBin::Repository, QStringLiteral(".bin"));
    }) << QByteArray(crlf).replace(".trash", ".bin");
    QTest::newRow("crlf, other option removed alone") << crlf << Edit([](Share &s) {
        setOption<RecycleBin>(s, QStringLiteral("recycle"), QStringLiteral("noversions"), QString());
    }) << QByteArray(crlf).replace("   recycle:noversions = *.tmp\r\n", "");
    QTest::newRow("crlf, apple on") << crlf << appleOn
                                    << QByteArray(crlf).replace("= recycle\r",
                                                                "= recycle catia fruit streams_xattr\r");

    const QByteArray apple =
        "# Time Machine\n[s]\n\tpath = /srv/tm\n\tvfs objects = catia fruit streams_xattr\n"
        "\tFruit:Time Machine = Yes\n\tfruit:metadata = stream\n"
        "\tfruit:time machine max size = 2T\n[other]\n\tpath = /srv/other\n";
    QTest::newRow("apple, no edit") << apple << nothing << apple;
    QTest::newRow("apple, recycle on")
        << apple << recycleOn
        << QByteArray(apple)
               .replace("streams_xattr\n", "streams_xattr recycle\n")
               .replace("2T\n", "2T\n\trecycle:keeptree = yes\n\trecycle:repository = .recycle/%U\n");
    QTest::newRow("apple, time machine off")
        << apple << Edit([](Share &s) { ShareFeatures::setTimeMachine(s, false); })
        << QByteArray(apple)
               .replace("\tFruit:Time Machine = Yes\n", "")
               .replace("\tfruit:time machine max size = 2T\n", "");
    QTest::newRow("apple, max size alone")
        << apple << Edit([](Share &s) { ShareFeatures::setTimeMachine(s, true, QStringLiteral("4T")); })
        << QByteArray(apple).replace("2T", "4T");
    QTest::newRow("apple, apple off")
        << apple << appleOff
        << QByteArray("# Time Machine\n[s]\n\tpath = /srv/tm\n[other]\n\tpath = /srv/other\n");

    // A line in an order the manual pages advise against stays until its modules change.
    const QByteArray broken = "[s]\npath=/srv/b\nvfs objects=fruit catia streams_xattr full_audit\n";
    QTest::newRow("broken order, no edit") << broken << nothing << broken;
    QTest::newRow("broken order, recycle on")
        << broken << recycleOn
        << QByteArray("[s]\npath=/srv/b\nvfs objects=catia fruit streams_xattr full_audit recycle\n"
                      "recycle:keeptree=yes\nrecycle:repository=.recycle/%U\n");
}

void TestVfsModules::exactEdits()
{
    QFETCH(QByteArray, before);
    QFETCH(Edit, edit);
    QFETCH(QByteArray, after);

    Loaded loaded(before);
    edit(loaded.share());
    QCOMPARE(loaded.mapper.applyRecords(loaded.settings, loaded.shares), before != after);
    const QByteArray written = QByteArray::fromStdString(loaded.document.text());
    QCOMPARE(written, after);

    // testparm takes the file as written, and it reads back as the records say.
    QVERIFY(writeFile(loaded.path, written));
    const ProcessRun run = runProcess(QStringLiteral("testparm"), {QStringLiteral("-s"), loaded.path});
    QVERIFY2(run.exitCode == 0 && run.err.contains("Loaded services file OK")
                 && !run.err.contains("Unknown parameter"),
             run.err.constData());
    Loaded reread(written);
    for (const auto &module : loaded.share().vfsModuleList())
        QCOMPARE(describe(reread.share().vfsModule(module->name())), describe(module));
    QCOMPARE(reread.share().vfsModuleList().size(), loaded.share().vfsModuleList().size());
}

QTEST_GUILESS_MAIN(TestVfsModules)
#include "tst_vfsmodules.moc"
