// The Features tab driven by object names: each feature turned on and off changes the record
// as ShareFeatures does, an untouched form changes nothing, and the offer to load the Apple
// modules in [global].
#include "boxdriver.h"
#include "fruit.h"
#include "recyclebin.h"
#include "shadowcopy.h"
#include "share.h"
#include "sharefeatures.h"
#include "sharefeatureswidget.h"
#include "sharerecordsupport.h"
#include "widgetlookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include <functional>

namespace {

using Change = std::function<void(Share &)>;
using Action = std::function<void(QWidget &)>;
using PreviousVersions = ShareFeatures::PreviousVersions;

const Change noChange = [](Share &) {
};
const Action untouched = [](QWidget &) {
};

Share plainShare()
{
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setPath(QStringLiteral("/srv/samba/data"));
    return share;
}

// Ticks a check box or a checkable group box as the administrator does.
Action tick(const char *name, bool on)
{
    return [=](QWidget &w) {
        if (auto *group = w.findChild<QGroupBox *>(QLatin1String(name)))
            group->setChecked(on);
        else
            child<QCheckBox>(w, name)->setChecked(on);
    };
}

Action type(const char *name, const QString &text)
{
    return [=](QWidget &w) {
        child<QLineEdit>(w, name)->setText(text);
    };
}

Action choose(PreviousVersions preset)
{
    return [=](QWidget &w) {
        child<QComboBox>(w, "comboBoxPreviousVersions")->setCurrentIndex(int(preset));
    };
}

Action steps(const QList<Action> &actions)
{
    return [=](QWidget &w) {
        for (const Action &action : actions)
            action(w);
    };
}

Change changes(const QList<Change> &list)
{
    return [=](Share &share) {
        for (const Change &change : list)
            change(share);
    };
}

Change recycleBin(bool on)
{
    return [=](Share &share) {
        ShareFeatures::setRecycleBin(share, on);
    };
}

Change appleClients(bool on)
{
    return [=](Share &share) {
        ShareFeatures::setAppleClients(share, on);
    };
}

Change timeMachine(bool on, const QString &size = QString())
{
    return [=](Share &share) {
        ShareFeatures::setTimeMachine(share, on, size);
    };
}

Change previousVersions(PreviousVersions preset, const QString &dir = QString(),
                        const QString &format = QString())
{
    return [=](Share &share) {
        ShareFeatures::setPreviousVersions(share, preset, dir, format);
    };
}

// One option of the share's recycle module, set on a copy as an editor must.
Change recycleOption(const QString &key, const QString &value)
{
    return [=](Share &share) {
        auto module = std::make_shared<RecycleBin>(
            *std::dynamic_pointer_cast<RecycleBin>(share.vfsModule(QStringLiteral("recycle"))));
        module->setOption(key, value);
        share.addVfsModule(module);
    };
}

// A recycle bin of the administrator's, with an option the form does not show.
const Change recycleShare = [](Share &share) {
    auto module = std::make_shared<RecycleBin>();
    module->setOption(RecycleBin::Repository, QStringLiteral("bin"));
    module->setOption(RecycleBin::Versions, QStringLiteral("yes"));
    module->setOption(RecycleBin::MaxSize, QStringLiteral("1000000"));
    module->setOption(QStringLiteral("directory_mode"), QStringLiteral("0770"));
    share.addVfsModule(module);
};

const Change timeMachineShare = timeMachine(true, QStringLiteral("2T"));
const Change customShare =
    previousVersions(PreviousVersions::Custom, QStringLiteral("/snaps"), QStringLiteral("snap-%Y%m%d"));

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result << QLatin1String(name);
    return result;
}

QString toolTipOf(QWidget &w, const char *name)
{
    return child<QWidget>(w, name)->toolTip();
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Action)

class TestShareFeaturesWidget : public QObject
{
    Q_OBJECT

private slots:
    void writtenAsShareFeatures_data();
    void writtenAsShareFeatures();
    void recycleRepositoryPrefilled();
    void timeMachineNeedsAppleClients();
    void globalOffer_data();
    void globalOffer();
    void presets();
    void validators_data();
    void validators();
    void missingModules_data();
    void missingModules();
};

void TestShareFeaturesWidget::writtenAsShareFeatures_data()
{
    QTest::addColumn<Change>("initial");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Change>("expected");

    QTest::newRow("untouched") << noChange << untouched << noChange;
    QTest::newRow("untouched, every feature")
        << changes({recycleShare, timeMachineShare, customShare}) << untouched << noChange;
    QTest::newRow("untouched, values the form does not write") << Change([](Share &share) {
        auto recycle = std::make_shared<RecycleBin>();
        recycle->setOption(RecycleBin::Repository, QStringLiteral(" bin "));
        recycle->setOption(RecycleBin::KeepTree, QStringLiteral("maybe"));
        recycle->setOption(RecycleBin::MaxSize, QStringLiteral("1 M"));
        share.addVfsModule(recycle);
        ShareFeatures::setTimeMachine(share, true, QStringLiteral("lots"));
    }) << untouched << noChange;

    const auto recycle = "groupBoxRecycleBin";
    QTest::newRow("recycle bin on") << noChange << tick(recycle, true) << recycleBin(true);
    QTest::newRow("recycle bin on and off") << noChange << steps({tick(recycle, true), tick(recycle, false)})
                                            << changes({recycleBin(true), recycleBin(false)});
    QTest::newRow("recycle bin off") << recycleShare << tick(recycle, false) << recycleBin(false);
    // Turned on again, the form shows the share's own bin: nothing changes.
    QTest::newRow("recycle bin off and on")
        << recycleShare << steps({tick(recycle, false), tick(recycle, true)}) << noChange;
    QTest::newRow("recycle bin on, folder typed")
        << noChange
        << steps({tick(recycle, true), type("lineEditRecycleRepository", QStringLiteral("trash"))})
        << changes({recycleBin(true), recycleOption(RecycleBin::Repository, QStringLiteral("trash"))});

    const struct
    {
        const char *row;
        Action action;
        QString key;
        QString value;
    } fields[] = {
        {"folder", type("lineEditRecycleRepository", QStringLiteral(" .trash/%U ")), RecycleBin::Repository,
         QStringLiteral(".trash/%U")},
        {"folder cleared", type("lineEditRecycleRepository", QString()), RecycleBin::Repository, QString()},
        {"keep tree", tick("checkBoxRecycleKeepTree", true), RecycleBin::KeepTree, QStringLiteral("yes")},
        {"versions off", tick("checkBoxRecycleVersions", false), RecycleBin::Versions, QStringLiteral("no")},
        {"touch", tick("checkBoxRecycleTouch", true), RecycleBin::Touch, QStringLiteral("yes")},
        {"maximum size", type("lineEditRecycleMaxSize", QStringLiteral("42")), RecycleBin::MaxSize,
         QStringLiteral("42")},
        {"maximum size cleared", type("lineEditRecycleMaxSize", QString()), RecycleBin::MaxSize, QString()},
        {"exclude", type("lineEditRecycleExclude", QStringLiteral("*.tmp,*.bak")), RecycleBin::Exclude,
         QStringLiteral("*.tmp,*.bak")},
        {"exclude directories", type("lineEditRecycleExcludeDir", QStringLiteral("/tmp")),
         RecycleBin::ExcludeDir, QStringLiteral("/tmp")},
    };
    for (const auto &field : fields)
        QTest::newRow(field.row) << recycleShare << field.action << recycleOption(field.key, field.value);

    QTest::newRow("apple clients on") << noChange << tick("checkBoxAppleClients", true) << appleClients(true);
    QTest::newRow("apple clients on and off")
        << noChange << steps({tick("checkBoxAppleClients", true), tick("checkBoxAppleClients", false)})
        << changes({appleClients(true), appleClients(false)});
    QTest::newRow("apple clients off, Time Machine with them")
        << timeMachineShare << tick("checkBoxAppleClients", false) << appleClients(false);
    QTest::newRow("time machine on") << noChange
                                     << steps({tick("checkBoxTimeMachine", true),
                                               type("lineEditTimeMachineMaxSize", QStringLiteral("1T"))})
                                     << timeMachine(true, QStringLiteral("1T"));
    QTest::newRow("time machine on without a size")
        << noChange << tick("checkBoxTimeMachine", true) << timeMachine(true);
    QTest::newRow("time machine on and off")
        << noChange << steps({tick("checkBoxTimeMachine", true), tick("checkBoxTimeMachine", false)})
        << changes({timeMachine(true), timeMachine(false)});
    QTest::newRow("time machine off")
        << timeMachineShare << tick("checkBoxTimeMachine", false) << timeMachine(false);
    QTest::newRow("time machine size")
        << timeMachineShare << type("lineEditTimeMachineMaxSize", QStringLiteral("500G"))
        << timeMachine(true, QStringLiteral("500G"));
    QTest::newRow("time machine size cleared")
        << timeMachineShare << type("lineEditTimeMachineMaxSize", QString()) << timeMachine(true);

    QTest::newRow("snapper") << noChange << choose(PreviousVersions::Snapper)
                             << previousVersions(PreviousVersions::Snapper);
    QTest::newRow("zfs") << noChange << choose(PreviousVersions::Zfs)
                         << previousVersions(PreviousVersions::Zfs);
    QTest::newRow("snapper and none")
        << noChange << steps({choose(PreviousVersions::Snapper), choose(PreviousVersions::None)})
        << changes({previousVersions(PreviousVersions::Snapper), previousVersions(PreviousVersions::None)});
    QTest::newRow("custom") << noChange
                            << steps({choose(PreviousVersions::Custom),
                                      type("lineEditSnapshotDirectory", QStringLiteral(".snap")),
                                      type("lineEditSnapshotFormat", QStringLiteral("%Y"))})
                            << previousVersions(PreviousVersions::Custom, QStringLiteral(".snap"),
                                                QStringLiteral("%Y"));
    QTest::newRow("custom format edited")
        << customShare << type("lineEditSnapshotFormat", QStringLiteral("s-%s"))
        << previousVersions(PreviousVersions::Custom, QStringLiteral("/snaps"), QStringLiteral("s-%s"));
    QTest::newRow("custom to zfs and back")
        << customShare << steps({choose(PreviousVersions::Zfs), choose(PreviousVersions::Custom)})
        << noChange;
    QTest::newRow("previous versions off")
        << customShare << choose(PreviousVersions::None) << previousVersions(PreviousVersions::None);
}

void TestShareFeaturesWidget::writtenAsShareFeatures()
{
    QFETCH(Change, initial);
    QFETCH(Action, action);
    QFETCH(Change, expected);
    Share original = plainShare();
    initial(original);
    const QStringList originalLines = recordLines(original);
    ShareFeaturesWidget widget;
    widget.setRecord(original);
    QSignalSpy changed(&widget, &ShareFeaturesWidget::stateChanged);
    action(widget);

    Share written = original;
    widget.writeRecord(written);
    Share wanted = original;
    expected(wanted);
    QCOMPARE(recordLines(written), recordLines(wanted));
    // The modules the original shares with its copies are never changed in place.
    QCOMPARE(recordLines(original), originalLines);
    QCOMPARE(changed.isEmpty(),
             QLatin1String(QTest::currentDataTag()).startsWith(QLatin1String("untouched")));
}

void TestShareFeaturesWidget::recycleRepositoryPrefilled()
{
    ShareFeaturesWidget widget;
    widget.setRecord(plainShare());
    auto *repository = child<QLineEdit>(widget, "lineEditRecycleRepository");
    QVERIFY(repository->text().isEmpty());
    child<QGroupBox>(widget, "groupBoxRecycleBin")->setChecked(true);
    QCOMPARE(repository->text(), RecycleBin::suggestedRepository());
    Share proposed = plainShare();
    ShareFeatures::setRecycleBin(proposed, true);
    const auto module = std::dynamic_pointer_cast<RecycleBin>(proposed.vfsModule(QStringLiteral("recycle")));
    QCOMPARE(child<QCheckBox>(widget, "checkBoxRecycleKeepTree")->isChecked(),
             module->flag(RecycleBin::KeepTree, false));

    // A bin that uses Samba's default folder shows none: the field offers the default only as
    // its placeholder.
    Share defaultFolder = plainShare();
    defaultFolder.addVfsModule(std::make_shared<RecycleBin>());
    ShareFeaturesWidget existing;
    existing.setRecord(defaultFolder);
    QVERIFY(child<QGroupBox>(existing, "groupBoxRecycleBin")->isChecked());
    QCOMPARE(child<QLineEdit>(existing, "lineEditRecycleRepository")->text(), QString());
    QCOMPARE(child<QLineEdit>(existing, "lineEditRecycleRepository")->placeholderText(),
             QStringLiteral(".recycle"));
}

void TestShareFeaturesWidget::timeMachineNeedsAppleClients()
{
    ShareFeaturesWidget widget;
    widget.setRecord(plainShare());
    auto *apple = child<QCheckBox>(widget, "checkBoxAppleClients");
    auto *timeMachine = child<QCheckBox>(widget, "checkBoxTimeMachine");
    auto *size = child<QLineEdit>(widget, "lineEditTimeMachineMaxSize");
    QCOMPARE(timeMachine->text(), QStringLiteral("Time Machine backup target"));
    QVERIFY(!size->isEnabled());
    timeMachine->click();
    QVERIFY(apple->isChecked());
    QVERIFY(size->isEnabled());
    apple->click();
    QVERIFY(!timeMachine->isChecked());
    QVERIFY(!size->isEnabled());
}

void TestShareFeaturesWidget::globalOffer_data()
{
    QTest::addColumn<bool>("globalGiven");
    QTest::addColumn<bool>("globalHasApple");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("turnedOn");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("adds");
    QTest::newRow("apple clients, yes") << true << false << "Yes"
                                        << "checkBoxAppleClients" << 1 << true;
    QTest::newRow("time machine, yes") << true << false << "Yes"
                                       << "checkBoxTimeMachine" << 1 << true;
    QTest::newRow("apple clients, no") << true << false << "No"
                                       << "checkBoxAppleClients" << 1 << false;
    QTest::newRow("global has them") << true << true << QString() << "checkBoxTimeMachine" << 0 << false;
    QTest::newRow("no global") << false << false << QString() << "checkBoxTimeMachine" << 0 << false;
}

void TestShareFeaturesWidget::globalOffer()
{
    QFETCH(bool, globalGiven);
    QFETCH(bool, globalHasApple);
    QFETCH(QString, answer);
    QFETCH(QString, turnedOn);
    Share global;
    if (globalHasApple)
        ShareFeatures::setAppleClients(global, true);
    ShareFeaturesWidget widget;
    if (globalGiven)
        widget.setGlobalRecord(global);
    widget.setRecord(plainShare());
    BoxDriver driver(answer.isEmpty() ? QStringList() : QStringList{answer});
    widget.findChild<QCheckBox *>(turnedOn)->click();
    // Asked once: turning the features off and on again asks nothing more.
    child<QCheckBox>(widget, "checkBoxAppleClients")->click();
    child<QCheckBox>(widget, "checkBoxTimeMachine")->click();
    QTEST(driver.seen(), "boxes");
    QTEST(widget.addsAppleModulesToGlobal(), "adds");
    QVERIFY(!driver.unanswered);
    if (driver.seen()) {
        QCOMPARE(driver.last().title, QStringLiteral("Apple clients"));
        QCOMPARE(driver.last().buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
        QVERIFY(driver.last().text.contains(QLatin1String("catia, fruit and streams_xattr")));
    }
}

void TestShareFeaturesWidget::presets()
{
    ShareFeaturesWidget widget;
    Share custom = plainShare();
    customShare(custom);
    widget.setRecord(custom);
    auto *combo = child<QComboBox>(widget, "comboBoxPreviousVersions");
    auto *dir = child<QLineEdit>(widget, "lineEditSnapshotDirectory");
    auto *format = child<QLineEdit>(widget, "lineEditSnapshotFormat");
    QCOMPARE(items(combo),
             (QStringList{QStringLiteral("None"), QStringLiteral("Snapper (btrfs)"), QStringLiteral("ZFS"),
                          QStringLiteral("Custom")}));
    QCOMPARE(combo->currentIndex(), int(PreviousVersions::Custom));
    QCOMPARE(dir->text(), QStringLiteral("/snaps"));
    QVERIFY(dir->isEnabled() && format->isEnabled());

    combo->setCurrentIndex(int(PreviousVersions::Zfs));
    Share zfs;
    ShareFeatures::setPreviousVersions(zfs, PreviousVersions::Zfs);
    const auto module =
        std::dynamic_pointer_cast<OptionModule>(zfs.vfsModule(QStringLiteral("shadow_copy2")));
    QVERIFY(module && !module->option(ShadowCopy::SnapDir).isEmpty());
    QCOMPARE(dir->text(), module->option(ShadowCopy::SnapDir));
    QCOMPARE(format->text(), module->option(ShadowCopy::Format));
    QVERIFY(!dir->isEnabled() && !format->isEnabled());
    // vfs_snapper finds snapper's snapshots by itself: nothing to show but how they lie.
    combo->setCurrentIndex(int(PreviousVersions::Snapper));
    QVERIFY(dir->text().isEmpty() && format->text().isEmpty());
    QVERIFY(dir->placeholderText().contains(QLatin1String("snapper")));
    QVERIFY(!dir->isEnabled() && !format->isEnabled());
    combo->setCurrentIndex(int(PreviousVersions::None));
    QVERIFY(dir->text().isEmpty() && format->text().isEmpty());
    QVERIFY(!dir->isEnabled());

    // A share without snapshots starts a custom setting from the preset shown last.
    ShareFeaturesWidget fresh;
    fresh.setRecord(plainShare());
    child<QComboBox>(fresh, "comboBoxPreviousVersions")->setCurrentIndex(int(PreviousVersions::Zfs));
    const QString zfsDir = child<QLineEdit>(fresh, "lineEditSnapshotDirectory")->text();
    child<QComboBox>(fresh, "comboBoxPreviousVersions")->setCurrentIndex(int(PreviousVersions::Custom));
    QCOMPARE(child<QLineEdit>(fresh, "lineEditSnapshotDirectory")->text(), zfsDir);
    QVERIFY(child<QLineEdit>(fresh, "lineEditSnapshotDirectory")->isEnabled());
}

void TestShareFeaturesWidget::validators_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bytes") << "lineEditRecycleMaxSize"
                           << "1048576"
                           << "1048576";
    QTest::newRow("bytes without a unit") << "lineEditRecycleMaxSize"
                                          << "10M"
                                          << "10";
    QTest::newRow("terabytes") << "lineEditTimeMachineMaxSize"
                               << "1T"
                               << "1T";
    QTest::newRow("lower-case unit") << "lineEditTimeMachineMaxSize"
                                     << "500g"
                                     << "500g";
    QTest::newRow("unit first") << "lineEditTimeMachineMaxSize"
                                << "T1"
                                << "1";
    QTest::newRow("one unit only") << "lineEditTimeMachineMaxSize"
                                   << "2TB"
                                   << "2T";
    QTest::newRow("no fraction") << "lineEditTimeMachineMaxSize"
                                 << "1.5T"
                                 << "15T";
}

void TestShareFeaturesWidget::validators()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    ShareFeaturesWidget widget;
    Share share = plainShare();
    ShareFeatures::setTimeMachine(share, true);
    share.addVfsModule(std::make_shared<RecycleBin>());
    widget.setRecord(share);
    auto *edit = widget.findChild<QLineEdit *>(field);
    QTest::keyClicks(edit, typed);
    QTEST(edit->text(), "shown");
}

void TestShareFeaturesWidget::missingModules_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<Change>("initial");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QString>("appleToolTip");
    QTest::addColumn<QStringList>("presetsOff");

    const QStringList controls = names(
        {"groupBoxRecycleBin", "checkBoxAppleClients", "checkBoxTimeMachine", "comboBoxPreviousVersions"});
    const QString appleMissing =
        QStringLiteral("The Samba modules catia, streams_xattr are not installed; install the package "
                       "samba-vfs-modules.");
    const QString appleAllMissing =
        QStringLiteral("The Samba modules catia, fruit, streams_xattr are not installed; install the package "
                       "samba-vfs-modules.");
    const QStringList allPresets = names({"Snapper (btrfs)", "ZFS", "Custom"});
    QTest::newRow("all installed") << names(
        {"recycle", "catia", "fruit", "streams_xattr", "shadow_copy2", "snapper"})
                                   << noChange << QStringList() << QString() << QStringList();
    QTest::newRow("none installed") << QStringList() << noChange << controls << appleAllMissing << allPresets;
    QTest::newRow("some installed") << names({"fruit"}) << noChange << controls << appleMissing << allPresets;
    QTest::newRow("used ones stay") << names({"fruit"}) << changes({recycleShare, timeMachineShare})
                                    << names({"comboBoxPreviousVersions"}) << QString() << allPresets;
    // streams_xattr serves other ends too: alone it does not keep the Apple boxes.
    QTest::newRow("streams_xattr alone")
        << names({"streams_xattr"}) << Change([](Share &share) {
               share.addVfsModule(VFSModule::create(QStringLiteral("streams_xattr")));
           })
        << controls
        << "The Samba modules catia, fruit are not installed; install the package samba-vfs-modules."
        << allPresets;
    // One of the two snapshot modules: only the presets of the other one go.
    QTest::newRow("snapper only") << names({"snapper"}) << noChange
                                  << names({"groupBoxRecycleBin", "checkBoxAppleClients",
                                            "checkBoxTimeMachine"})
                                  << appleAllMissing << names({"ZFS", "Custom"});
    QTest::newRow("shadow_copy2 used")
        << QStringList() << customShare
        << names({"groupBoxRecycleBin", "checkBoxAppleClients", "checkBoxTimeMachine"}) << appleAllMissing
        << names({"Snapper (btrfs)"});
}

void TestShareFeaturesWidget::missingModules()
{
    QFETCH(QStringList, installed);
    QFETCH(Change, initial);
    QFETCH(QStringList, disabled);
    QFETCH(QString, appleToolTip);
    QTemporaryDir dir;
    Share share = plainShare();
    initial(share);
    ShareFeaturesWidget widget;
    widget.setRecord(share);
    const QString ownRecycleTip = toolTipOf(widget, "groupBoxRecycleBin");
    widget.setInstalledModules(inventoryWith(dir, installed));

    const struct
    {
        const char *control;
        QString missing;
    } controls[] = {
        {"groupBoxRecycleBin",
         QStringLiteral("The Samba module recycle is not installed; install the package samba-vfs-modules.")},
        {"checkBoxAppleClients", appleToolTip},
        {"checkBoxTimeMachine", appleToolTip},
        {"comboBoxPreviousVersions",
         QStringLiteral("The Samba modules shadow_copy2, snapper are not installed; install the package "
                        "samba-vfs-modules.")},
    };
    for (const auto &control : controls) {
        const bool off = disabled.contains(QLatin1String(control.control));
        QVERIFY2(child<QWidget>(widget, control.control)->isEnabled() != off, control.control);
        if (off)
            QCOMPARE(toolTipOf(widget, control.control), control.missing);
        else
            QVERIFY2(!toolTipOf(widget, control.control).contains(QLatin1String("not installed")),
                     control.control);
    }
    if (!disabled.contains(QStringLiteral("groupBoxRecycleBin")))
        QCOMPARE(toolTipOf(widget, "groupBoxRecycleBin"), ownRecycleTip);
    QFETCH(QStringList, presetsOff);
    auto *presets =
        qobject_cast<QStandardItemModel *>(child<QComboBox>(widget, "comboBoxPreviousVersions")->model());
    for (int row = 0; row < presets->rowCount(); ++row) {
        const QStandardItem *item = presets->item(row);
        QVERIFY2(item->isEnabled() != presetsOff.contains(item->text()), qPrintable(item->text()));
        QCOMPARE(item->toolTip().isEmpty(), item->isEnabled());
    }

    // Everything installed again gives every control back.
    widget.setInstalledModules(VfsModuleInventory());
    for (const auto &control : controls)
        QVERIFY2(child<QWidget>(widget, control.control)->isEnabled(), control.control);
    QCOMPARE(toolTipOf(widget, "groupBoxRecycleBin"), ownRecycleTip);
}

QTEST_MAIN(TestShareFeaturesWidget)
#include "tst_sharefeatureswidget.moc"
