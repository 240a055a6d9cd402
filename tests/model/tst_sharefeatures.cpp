// The option modules and the features that turn them on and off as a whole.
#include "fruit.h"
#include "recyclebin.h"
#include "shadowcopy.h"
#include "share.h"
#include "sharefeatures.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>

using Features = ShareFeatures::PreviousVersions;

namespace {

// A share's modules in a line: "name" or "name{key=value|key=value}", in name order.
Share shareWith(const QString &modules)
{
    Share share(QStringLiteral("s"));
    for (const QString &word : modules.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int brace = word.indexOf(QLatin1Char('{'));
        std::shared_ptr<VFSModule> module = VFSModule::create(brace < 0 ? word : word.left(brace));
        if (brace >= 0) {
            auto options = std::dynamic_pointer_cast<OptionModule>(module);
            for (const QString &option : word.mid(brace + 1).chopped(1).split(QLatin1Char('|'))) {
                const int equals = option.indexOf(QLatin1Char('='));
                options->setOption(option.left(equals).replace(QLatin1Char('_'), QLatin1Char(' ')),
                                   option.mid(equals + 1));
            }
        }
        share.addVfsModule(module);
    }
    return share;
}

// Keys are written with '_' for ' ' so that a description is one word per module; keys that
// have an '_' of their own (exclude_dir) are not used here.
QString describe(const Share &share)
{
    QStringList words;
    for (const auto &module : share.vfsModuleList()) {
        QString word = module->name();
        if (const auto options = std::dynamic_pointer_cast<OptionModule>(module);
            options && !options->options().isEmpty()) {
            QStringList pairs;
            for (auto it = options->options().begin(); it != options->options().end(); ++it)
                pairs << QString(it.key()).replace(QLatin1Char(' '), QLatin1Char('_')) + QLatin1Char('=')
                        + it.value();
            word += QLatin1Char('{') + pairs.join(QLatin1Char('|')) + QLatin1Char('}');
        }
        words << word;
    }
    return words.join(QLatin1Char(' '));
}

const QString zfsPrefix = QStringLiteral(
    "^zfs-auto-snap_\\(frequent\\)\\{0,1\\}\\(hourly\\)\\{0,1\\}\\(daily\\)\\{0,1\\}\\(monthly\\)\\{0,1\\}");
const QString zfs = QStringLiteral("shadow_copy2{delimiter=-20|format=-%Y-%m-%d-%H%M|localtime=yes|"
                                   "snapdir=.zfs/snapshot|snapprefix=%1|sort=desc}")
                        .arg(zfsPrefix);

// The preset with an option of the administrator's.
const QString zfsEverywhere =
    QString(zfs).replace(QLatin1String("snapshot|"), QLatin1String("snapshot|snapdirseverywhere=yes|"));

using Change = std::function<void(Share &)>;

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(ShareFeatures::PreviousVersions)

class TestShareFeatures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flag_data();
    void flag();
    void keySpellings();
    void createFromWord_data();
    void createFromWord();
    void features_data();
    void features();
    void storedModulesStayUnchanged();
};

void TestShareFeatures::flag_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<bool>("expected");

    QTest::newRow("yes") << "yes" << false << true;
    QTest::newRow("No in capitals") << "NO" << true << false;
    QTest::newRow("true with blanks") << "  True\t" << false << true;
    QTest::newRow("off") << "off" << true << false;
    QTest::newRow("on") << "On" << false << true;
    QTest::newRow("1") << "1" << false << true;
    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("no boolean") << "maybe" << true << true;
    QTest::newRow("no boolean, other fallback") << "2" << false << false;
    QTest::newRow("empty") << "" << true << true;
    QTest::newRow("unset") << QString() << false << false;
}

void TestShareFeatures::flag()
{
    QFETCH(QString, value);
    QFETCH(bool, fallback);
    QFETCH(bool, expected);

    RecycleBin bin;
    bin.setOption(RecycleBin::KeepTree, value);
    QCOMPARE(bin.flag(RecycleBin::KeepTree, fallback), expected);
}

void TestShareFeatures::keySpellings()
{
    Fruit fruit;
    fruit.setOption(QStringLiteral("Time  Machine"), QStringLiteral("yes"));
    fruit.setOption(QStringLiteral("timemachinemaxsize"), QStringLiteral("1T"));
    fruit.setOption(QStringLiteral("ressource"), QStringLiteral("file"));
    fruit.setOption(QStringLiteral("Res Source"), QStringLiteral("xattr"));
    QCOMPARE(fruit.options(),
             (QMap<QString, QString>{{Fruit::TimeMachine, QStringLiteral("yes")},
                                     {Fruit::TimeMachineMaxSize, QStringLiteral("1T")},
                                     {QStringLiteral("ressource"), QStringLiteral("xattr")}}));
    fruit.setFlag(QStringLiteral("TIME MACHINE"), false);
    QCOMPARE(fruit.option(Fruit::TimeMachine), QStringLiteral("no"));
    fruit.setOption(QStringLiteral("RESSOURCE"), QString());
    fruit.setOption(Fruit::TimeMachineMaxSize, QString());
    QCOMPARE(fruit.options().keys(), QStringList{Fruit::TimeMachine});
    // An empty value is a value: "recycle:exclude =" excludes nothing, but says so.
    fruit.setOption(Fruit::Model, QStringLiteral(""));
    QVERIFY(fruit.options().contains(Fruit::Model));
}

void TestShareFeatures::createFromWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("recycle") << "Recycle"
                             << "recycle"
                             << "recycle";
    QTest::newRow("fruit") << "FRUIT"
                           << "fruit"
                           << "fruit";
    QTest::newRow("shadow_copy2") << "shadow_copy2"
                                  << "shadow_copy2"
                                  << "shadow";
    QTest::newRow("shadow_copy is another module") << "shadow_copy"
                                                   << "shadow_copy" << QString();
    QTest::newRow("catia has no options here") << "catia"
                                               << "catia" << QString();
}

void TestShareFeatures::createFromWord()
{
    QFETCH(QString, word);
    QFETCH(QString, name);
    QFETCH(QString, prefix);

    const std::shared_ptr<VFSModule> module = VFSModule::create(word);
    QCOMPARE(module->name(), name);
    const auto options = std::dynamic_pointer_cast<OptionModule>(module);
    QCOMPARE(options ? options->optionPrefix() : QString(), prefix);
    if (name == QLatin1String("recycle"))
        QVERIFY(std::dynamic_pointer_cast<RecycleBin>(module));
    if (name == QLatin1String("fruit"))
        QVERIFY(std::dynamic_pointer_cast<Fruit>(module));
    if (name == QLatin1String("shadow_copy2"))
        QVERIFY(std::dynamic_pointer_cast<ShadowCopy>(module));
}

void TestShareFeatures::features_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("after");

    auto recycle = [](bool on) {
        return Change([on](Share &s) { ShareFeatures::setRecycleBin(s, on); });
    };
    auto apple = [](bool on) {
        return Change([on](Share &s) { ShareFeatures::setAppleClients(s, on); });
    };
    auto timeMachine = [](bool on, const QString &size = QString()) {
        return Change([on, size](Share &s) { ShareFeatures::setTimeMachine(s, on, size); });
    };
    auto versions = [](Features preset, const QString &dir = QString(), const QString &format = QString()) {
        return Change([=](Share &s) { ShareFeatures::setPreviousVersions(s, preset, dir, format); });
    };

    QTest::newRow("recycle on") << "full_audit" << recycle(true)
                                << "full_audit recycle{keeptree=yes|repository=.recycle/%U}";
    QTest::newRow("recycle on when on keeps its options")
        << "recycle{noversions=*.tmp}" << recycle(true) << "recycle{noversions=*.tmp}";
    QTest::newRow("recycle off") << "acl_xattr recycle{noversions=*.tmp|repository=.bin}" << recycle(false)
                                 << "acl_xattr";

    QTest::newRow("apple on") << "full_audit" << apple(true) << "catia fruit full_audit streams_xattr";
    QTest::newRow("apple on keeps fruit's options") << "fruit{metadata=stream} streams_xattr" << apple(true)
                                                    << "catia fruit{metadata=stream} streams_xattr";
    QTest::newRow("apple off") << "catia fruit{time_machine=yes|zero_file_id=no} recycle streams_xattr"
                               << apple(false) << "recycle";
    QTest::newRow("apple off leaves a lone streams_xattr")
        << "acl_xattr streams_xattr" << apple(false) << "acl_xattr streams_xattr";

    QTest::newRow("time machine on")
        << "" << timeMachine(true, QStringLiteral("1T"))
        << "catia fruit{time_machine=yes|time_machine_max_size=1T} streams_xattr";
    QTest::newRow("time machine on keeps its spelling")
        << "catia fruit{time_machine=True} streams_xattr" << timeMachine(true)
        << "catia fruit{time_machine=True} streams_xattr";
    QTest::newRow("time machine size dropped")
        << "catia fruit{time_machine=yes|time_machine_max_size=2T} streams_xattr" << timeMachine(true)
        << "catia fruit{time_machine=yes} streams_xattr";
    QTest::newRow("time machine was off")
        << "catia fruit{time_machine=no} streams_xattr" << timeMachine(true, QStringLiteral("500G"))
        << "catia fruit{time_machine=yes|time_machine_max_size=500G} streams_xattr";
    QTest::newRow("time machine off")
        << "catia fruit{metadata=stream|time_machine=yes|time_machine_max_size=2T} streams_xattr"
        << timeMachine(false) << "catia fruit{metadata=stream} streams_xattr";
    QTest::newRow("time machine off without fruit")
        << "streams_xattr" << timeMachine(false) << "streams_xattr";

    QTest::newRow("zfs on") << "recycle" << versions(Features::Zfs)
                            << QString(QStringLiteral("recycle ") + zfs);
    QTest::newRow("zfs on keeps the administrator's options")
        << "shadow_copy2{localtime=no|snapdirseverywhere=yes}" << versions(Features::Zfs) << zfsEverywhere;
    QTest::newRow("zfs to custom") << zfsEverywhere
                                   << versions(Features::Custom, QStringLiteral("/snap"),
                                               QStringLiteral("%s"))
                                   << "shadow_copy2{format=%s|snapdir=/snap|snapdirseverywhere=yes}";
    QTest::newRow("custom keeps sort")
        << "shadow_copy2{format=%s|sort=asc}" << versions(Features::Custom, QStringLiteral(".snaps"))
        << "shadow_copy2{snapdir=.snaps|sort=asc}";
    QTest::newRow("snapper replaces shadow_copy2")
        << QString(QStringLiteral("acl_xattr ") + zfs) << versions(Features::Snapper) << "acl_xattr snapper";
    QTest::newRow("zfs replaces snapper") << "snapper" << versions(Features::Zfs) << zfs;
    QTest::newRow("none") << "recycle shadow_copy2{format=%s|snapdirseverywhere=yes}"
                          << versions(Features::None) << "recycle";
    QTest::newRow("none removes snapper") << "snapper" << versions(Features::None) << "";
}

void TestShareFeatures::features()
{
    QFETCH(QString, before);
    QFETCH(Change, change);
    QFETCH(QString, after);

    Share share = shareWith(before);
    QCOMPARE(describe(share), before); // the table reads as written
    change(share);
    QCOMPARE(describe(share), after);

    // What the getters say of the share each row leaves.
    QCOMPARE(ShareFeatures::recycleBin(share), after.contains(QLatin1String("recycle")));
    QCOMPARE(ShareFeatures::appleClients(share), after.contains(QLatin1String("catia fruit")));
    QCOMPARE(ShareFeatures::timeMachine(share),
             ShareFeatures::appleClients(share)
                 && QRegularExpression(QStringLiteral("time_machine=(yes|True)")).match(after).hasMatch());
    const QStringList zfsParts{
        QStringLiteral("{delimiter=-20|format=-%Y-%m-%d-%H%M|localtime=yes|"),
        QStringLiteral("|snapdir=.zfs/snapshot|"),
        QString(QStringLiteral("|snapprefix=") + zfsPrefix + QStringLiteral("|sort=desc}"))};
    Features expected = Features::None;
    if (after.contains(QLatin1String("shadow_copy2")))
        expected = std::all_of(zfsParts.begin(), zfsParts.end(),
                               [&after](const QString &part) { return after.contains(part); })
            ? Features::Zfs
            : Features::Custom;
    else if (after.contains(QLatin1String("snapper")))
        expected = Features::Snapper;
    QCOMPARE(ShareFeatures::previousVersions(share), expected);
}

void TestShareFeatures::storedModulesStayUnchanged()
{
    // Copies of a record share their modules: an edit stores a new one.
    const Share loaded = shareWith(QStringLiteral("catia fruit{time_machine=yes} streams_xattr ") + zfs);
    const QString before = describe(loaded);
    Share edited = loaded;
    ShareFeatures::setTimeMachine(edited, false);
    ShareFeatures::setPreviousVersions(edited, Features::Custom, QStringLiteral(".snap"));
    QVERIFY(describe(edited) != before);
    QCOMPARE(describe(loaded), before);
    // A feature that changes nothing keeps the very module.
    Share same = loaded;
    ShareFeatures::setPreviousVersions(same, Features::Zfs);
    ShareFeatures::setTimeMachine(same, true);
    QCOMPARE(same.vfsModule(QStringLiteral("shadow_copy2")),
             loaded.vfsModule(QStringLiteral("shadow_copy2")));
    QCOMPARE(same.vfsModule(QStringLiteral("fruit")), loaded.vfsModule(QStringLiteral("fruit")));
}

QTEST_GUILESS_MAIN(TestShareFeatures)
#include "tst_sharefeatures.moc"
