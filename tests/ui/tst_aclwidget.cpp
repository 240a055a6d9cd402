// The ACL panel of the share and server settings dialogs, driven through its object names.
#include "aclwidget.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "globalshare.h"
#include "share.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <iterator>

namespace {

// The nine parameter boxes and the record flags they stand for.
struct Parameter
{
    const char *box;
    bool (Share::*get)() const;
    void (Share::*set)(bool);
};

const Parameter s_parameters[] = {
    {"checkBoxNTACLSupport", &Share::ntAclSupport, &Share::setNtAclSupport},
    {"checkBoxInheritACLs", &Share::inheritAcls, &Share::setInheritAcls},
    {"checkBoxMapACLInherit", &Share::mapAclInherit, &Share::setMapAclInherit},
    {"checkBoxDOSFilemode", &Share::dosFilemode, &Share::setDosFilemode},
    {"checkBoxStoreDOSAttributes", &Share::storeDosAttributes, &Share::setStoreDosAttributes},
    {"checkBoxACLAllowExecuteAlways", &Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
    {"checkBoxACLGroupControl", &Share::aclGroupControl, &Share::setAclGroupControl},
    {"checkBoxACLMapFullControl", &Share::aclMapFullControl, &Share::setAclMapFullControl},
    {"checkBoxForceUnknownACLUser", &Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
};

const QString s_tdb = QStringLiteral("acl_tdb");
const QString s_xattr = QStringLiteral("acl_xattr");

template<class T>
T *child(const QWidget &widget, const QString &name)
{
    return widget.findChild<T *>(name);
}

QCheckBox *box(const QWidget &widget, const char *name)
{
    return child<QCheckBox>(widget, QString::fromLatin1(name));
}

QRadioButton *radio(const QWidget &widget, const QString &name)
{
    return child<QRadioButton>(widget, name);
}

QGroupBox *group(const QWidget &widget, const char *name)
{
    return child<QGroupBox>(widget, QString::fromLatin1(name));
}

QComboBox *styleCombo(const QWidget &widget)
{
    return child<QComboBox>(widget, QStringLiteral("comboBoxDefaultACLStyle"));
}

// Clicks a check box or radio button on its indicator, as a user does: the middle of a
// button stretched by its layout is empty space that does not take clicks.
void clickButton(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

void setAllFlags(Share &share, bool value)
{
    for (const Parameter &parameter : s_parameters)
        (share.*parameter.set)(value);
}

// A share with its own ACL settings, every flag false.
Share ownShare()
{
    Share share(QStringLiteral("data"));
    share.setName(QStringLiteral("data"));
    share.setAclByDefault(false);
    setAllFlags(share, false);
    return share;
}

template<class Module>
std::shared_ptr<Module> aclModule(bool ignoreSystemAcls, const QString &style)
{
    auto module = std::make_shared<Module>();
    module->setIgnoreSystemAcls(ignoreSystemAcls);
    module->setDefaultAclStyle(style);
    return module;
}

// "none", "tdb", "xattr" or "both" modules on the share.
void addModules(Share &share, const QString &modules)
{
    if (modules == QLatin1String("tdb") || modules == QLatin1String("both"))
        share.addVfsModule(aclModule<ACLTDB>(true, QStringLiteral("windows")));
    if (modules == QLatin1String("xattr") || modules == QLatin1String("both"))
        share.addVfsModule(aclModule<ACLXAttr>(false, QStringLiteral("everyone")));
}

std::shared_ptr<ACL> writtenModule(const Share &share, const QString &name)
{
    return std::dynamic_pointer_cast<ACL>(share.vfsModule(name));
}

} // namespace

class TestACLWidget : public QObject
{
    Q_OBJECT

private slots:
    void form_data();
    void form();
    void moduleChoice();
    void readModules_data();
    void readModules();
    void bothModulesKeepTdb();
    void switchModule_data();
    void switchModule();
    void byDefault();
    void untickByDefault();
    void wording_data();
    void wording();
    void unknownStyle();
    void parameters_data();
    void parameters();
    void stateChanged_data();
    void stateChanged();
    void quietBeforeRecord();
    void moduleOptionsFollowRadios_data();
    void moduleOptionsFollowRadios();
};

void TestACLWidget::form_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    const QString styleTip = QStringLiteral(
        "Type of ACL that is synthesized in case a file or directory lacks an security.NTACL xattr.");
    QTest::newRow("module") << QStringLiteral("groupBoxModule") << QStringLiteral("Module") << QString();
    QTest::newRow("options") << QStringLiteral("groupBoxModuleOptions") << QStringLiteral("Module Options")
                             << QString();
    QTest::newRow("none") << QStringLiteral("radioButtonNone") << QStringLiteral("None") << QString();
    QTest::newRow("xattr") << QStringLiteral("radioButtonXattr") << QStringLiteral("Xattr")
                           << QStringLiteral("Save NTFS-ACLs in Extended Attributes");
    QTest::newRow("tdb") << QStringLiteral("radioButtonTDB") << QStringLiteral("TDB")
                         << QStringLiteral("Save NTFS-ACLs in a tdb file");
    QTest::newRow("ignore") << QStringLiteral("checkBoxIgnoreSystemACLs")
                            << QStringLiteral("Ignore system ACLs") << QString();
    QTest::newRow("style label") << QStringLiteral("labelDefaultACLStyle")
                                 << QStringLiteral("Default ACL style:") << styleTip;
    QTest::newRow("style combo") << QStringLiteral("comboBoxDefaultACLStyle") << QString() << styleTip;
    QTest::newRow("nt acl support") << QStringLiteral("checkBoxNTACLSupport")
                                    << QStringLiteral("NT ACL support")
                                    << QStringLiteral("controls whether smbd will attempt to map UNIX "
                                                      "permissions into Windows NT access control lists.");
    QTest::newRow("inherit acls")
        << QStringLiteral("checkBoxInheritACLs") << QStringLiteral("Inherit ACLs")
        << QStringLiteral("This parameter can be used to ensure that if default acls exist on "
                          "parent directories, they are always honored when creating a new file "
                          "or subdirectory in these parent directories.");
    QTest::newRow("map acl inherit")
        << QStringLiteral("checkBoxMapACLInherit") << QStringLiteral("Map ACL inherit")
        << QStringLiteral(
               "Controls whether smbd will attempt to map the 'inherit' and 'protected' access control "
               "entry flags stored in Windows ACLs into an extended attribute called user.SAMBA_PAI.");
    QTest::newRow("dos filemode")
        << QStringLiteral("checkBoxDOSFilemode") << QStringLiteral("DOS filemode")
        << QStringLiteral("Enabling this parameter allows a user who has write access to the file "
                          "(by whatever means, including an ACL permission) to modify the "
                          "permissions (including ACL) on it.");
    QTest::newRow("store dos attributes")
        << QStringLiteral("checkBoxStoreDOSAttributes") << QStringLiteral("Store DOS attributes")
        << QStringLiteral("Samba attempts to first read DOS attributes from a filesystem extended attribute, "
                          "before mapping DOS attributes to UNIX permission bits.");
    QTest::newRow("acl allow execute always")
        << QStringLiteral("checkBoxACLAllowExecuteAlways") << QStringLiteral("ACL allow execute always")
        << QStringLiteral("This boolean parameter controls the behaviour of smbd when receiving a protocol "
                          "request of \"open for execution\" from a Windows client.");
    QTest::newRow("acl group control")
        << QStringLiteral("checkBoxACLGroupControl") << QStringLiteral("ACL group control")
        << QStringLiteral(
               "This parameter allows Samba to also permit delegation of the control over a point in "
               "the exported directory hierarchy in much the same way as Windows.");
    QTest::newRow("acl map full control")
        << QStringLiteral("checkBoxACLMapFullControl") << QStringLiteral("ACL map full control")
        << QStringLiteral(
               "This boolean parameter controls whether smbd(8) maps a POSIX ACE entry of \"rwx\" "
               "(read/write/execute), the maximum allowed POSIX permission set, into a Windows ACL of "
               "\"FULL CONTROL\".");
    QTest::newRow("force unknown acl user")
        << QStringLiteral("checkBoxForceUnknownACLUser") << QStringLiteral("Force unknown ACL user")
        << QStringLiteral(
               "If this parameter is set, a Windows NT ACL that contains an unknown SID (security "
               "descriptor, or representation of a user or group id) as the owner or group owner of the "
               "file will be silently mapped into the current UNIX uid or gid of the currently "
               "connected user. ");
}

void TestACLWidget::form()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    ACLWidget widget;
    const QWidget *found = child<QWidget>(widget, name);
    QVERIFY(found);
    QCOMPARE(found->toolTip(), toolTip);
    if (const auto *groupBox = qobject_cast<const QGroupBox *>(found))
        QCOMPARE(groupBox->title(), text);
    else if (!text.isEmpty())
        QCOMPARE(found->property("text").toString(), text);
}

void TestACLWidget::moduleChoice()
{
    ACLWidget widget;
    QComboBox *combo = styleCombo(widget);
    QVERIFY(combo);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("posix"));
    QCOMPARE(combo->itemText(1), QStringLiteral("windows"));
    QCOMPARE(combo->itemText(2), QStringLiteral("everyone"));

    // One exclusive group, inside the module box, around the options box.
    QGroupBox *module = group(widget, "groupBoxModule");
    QVERIFY(module);
    QVERIFY(module->isAncestorOf(group(widget, "groupBoxModuleOptions")));
    QVERIFY(group(widget, "groupBoxModuleOptions")->isAncestorOf(combo));
    QVERIFY(group(widget, "groupBoxModuleOptions")->isAncestorOf(box(widget, "checkBoxIgnoreSystemACLs")));
    QButtonGroup *buttons = radio(widget, QStringLiteral("radioButtonNone"))->group();
    QVERIFY(buttons);
    QVERIFY(buttons->exclusive());
    for (const QString &name : {QStringLiteral("radioButtonNone"), QStringLiteral("radioButtonXattr"),
                                QStringLiteral("radioButtonTDB")}) {
        QVERIFY(module->isAncestorOf(radio(widget, name)));
        QCOMPARE(radio(widget, name)->group(), buttons);
    }
    QCOMPARE(buttons->buttons().size(), 3);
}

void TestACLWidget::readModules_data()
{
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("checkedRadio");
    QTest::addColumn<bool>("ignoreSystemAcls");
    QTest::addColumn<QString>("style");
    QTest::newRow("none") << QStringLiteral("none") << QStringLiteral("radioButtonNone") << false
                          << QStringLiteral("posix");
    QTest::newRow("tdb") << QStringLiteral("tdb") << QStringLiteral("radioButtonTDB") << true
                         << QStringLiteral("windows");
    QTest::newRow("xattr") << QStringLiteral("xattr") << QStringLiteral("radioButtonXattr") << false
                           << QStringLiteral("everyone");
    QTest::newRow("both: tdb wins") << QStringLiteral("both") << QStringLiteral("radioButtonTDB") << true
                                    << QStringLiteral("windows");
}

void TestACLWidget::readModules()
{
    QFETCH(QString, modules);
    QFETCH(QString, checkedRadio);
    QFETCH(bool, ignoreSystemAcls);
    QFETCH(QString, style);
    Share share = ownShare();
    addModules(share, modules);
    ACLWidget widget;
    widget.setRecord(share);
    QVERIFY(radio(widget, checkedRadio)->isChecked());
    QCOMPARE(box(widget, "checkBoxIgnoreSystemACLs")->isChecked(), ignoreSystemAcls);
    QCOMPARE(styleCombo(widget)->currentText(), style);
    QCOMPARE(group(widget, "groupBoxModuleOptions")->isEnabled(), modules != QLatin1String("none"));
}

void TestACLWidget::bothModulesKeepTdb()
{
    Share share = ownShare();
    addModules(share, QStringLiteral("both"));
    share.addVfsModule(VFSModule::create(QStringLiteral("recycle")));
    const std::shared_ptr<VFSModule> before = share.vfsModule(s_tdb);
    const Share copy = share;

    ACLWidget widget;
    widget.setRecord(share);
    QVERIFY(radio(widget, QStringLiteral("radioButtonTDB"))->isChecked());
    widget.writeRecord(share);

    QVERIFY(!share.hasVfsModule(s_xattr));
    QVERIFY(share.hasVfsModule(QStringLiteral("recycle")));
    const std::shared_ptr<ACL> tdb = writtenModule(share, s_tdb);
    QVERIFY(tdb);
    QVERIFY(std::dynamic_pointer_cast<ACLTDB>(tdb));
    QVERIFY(tdb->ignoreSystemAcls());
    QCOMPARE(tdb->defaultAclStyle(), QStringLiteral("windows"));
    QVERIFY(!share.aclByDefault());
    // A new module object: the copy taken before still holds the old one, unchanged.
    QVERIFY(tdb != before);
    QCOMPARE(copy.vfsModule(s_tdb), before);
    QVERIFY(copy.hasVfsModule(s_xattr));
}

void TestACLWidget::switchModule_data()
{
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("tdb");
    QTest::addColumn<bool>("xattr");
    QTest::newRow("tdb to xattr") << QStringLiteral("tdb") << QStringLiteral("radioButtonXattr") << false
                                  << true;
    QTest::newRow("xattr to tdb") << QStringLiteral("xattr") << QStringLiteral("radioButtonTDB") << true
                                  << false;
    QTest::newRow("both to none") << QStringLiteral("both") << QStringLiteral("radioButtonNone") << false
                                  << false;
    QTest::newRow("none to tdb") << QStringLiteral("none") << QStringLiteral("radioButtonTDB") << true
                                 << false;
}

void TestACLWidget::switchModule()
{
    QFETCH(QString, modules);
    QFETCH(QString, click);
    QFETCH(bool, tdb);
    QFETCH(bool, xattr);
    Share share = ownShare();
    addModules(share, modules);
    ACLWidget widget;
    widget.setRecord(share);
    radio(widget, click)->click();
    box(widget, "checkBoxIgnoreSystemACLs")->setChecked(true);
    styleCombo(widget)->setCurrentIndex(2);
    widget.writeRecord(share);

    QCOMPARE(share.hasVfsModule(s_tdb), tdb);
    QCOMPARE(share.hasVfsModule(s_xattr), xattr);
    if (tdb || xattr) {
        const std::shared_ptr<ACL> module = writtenModule(share, tdb ? s_tdb : s_xattr);
        QVERIFY(module);
        QVERIFY(module->ignoreSystemAcls());
        QCOMPARE(module->defaultAclStyle(), QStringLiteral("everyone"));
        QCOMPARE(module->name(), tdb ? s_tdb : s_xattr);
    }
}

void TestACLWidget::byDefault()
{
    Share share = ownShare();
    share.setAclByDefault(true);
    addModules(share, QStringLiteral("both"));
    share.addVfsModule(VFSModule::create(QStringLiteral("full_audit")));
    share.setInheritAcls(true);
    share.setAclMapFullControl(true);

    ACLWidget widget;
    widget.setRecord(share);
    QVERIFY(box(widget, "checkBoxByDefault")->isChecked());
    QVERIFY(!group(widget, "groupBoxModule")->isEnabled());
    for (const Parameter &parameter : s_parameters) {
        QVERIFY2(!box(widget, parameter.box)->isEnabled(), parameter.box);
        QCOMPARE(box(widget, parameter.box)->isChecked(), (share.*parameter.get)());
    }
    // The module is still shown, and its options box follows the radios on its own.
    QVERIFY(radio(widget, QStringLiteral("radioButtonTDB"))->isChecked());
    QVERIFY(group(widget, "groupBoxModuleOptions")->isEnabledTo(group(widget, "groupBoxModule")));

    // The boxes are written whatever "by default" says, even one changed behind it.
    box(widget, "checkBoxDOSFilemode")->setChecked(true);
    widget.writeRecord(share);
    QVERIFY(share.aclByDefault());
    QVERIFY(!share.hasVfsModule(s_tdb));
    QVERIFY(!share.hasVfsModule(s_xattr));
    QVERIFY(share.hasVfsModule(QStringLiteral("full_audit")));
    for (const Parameter &parameter : s_parameters) {
        const bool expected = parameter.get == &Share::inheritAcls
            || parameter.get == &Share::aclMapFullControl || parameter.get == &Share::dosFilemode;
        QCOMPARE((share.*parameter.get)(), expected);
    }
}

void TestACLWidget::untickByDefault()
{
    GlobalShare global;
    global.setAclByDefault(true);
    addModules(global, QStringLiteral("xattr"));
    ACLWidget widget;
    widget.setRecord(global);
    QCheckBox *byDefault = box(widget, "checkBoxByDefault");
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));

    clickButton(byDefault);
    QVERIFY(!byDefault->isChecked());
    QVERIFY(group(widget, "groupBoxModule")->isEnabled());
    QVERIFY(group(widget, "groupBoxModuleOptions")->isEnabled());
    for (const Parameter &parameter : s_parameters)
        QVERIFY2(box(widget, parameter.box)->isEnabled(), parameter.box);
    widget.writeRecord(global);
    QVERIFY(!global.aclByDefault());
    QVERIFY(global.hasVfsModule(s_xattr));
    QVERIFY(!global.hasVfsModule(s_tdb));

    clickButton(byDefault);
    QVERIFY(!group(widget, "groupBoxModule")->isEnabled());
    QVERIFY(!box(widget, "checkBoxNTACLSupport")->isEnabled());
    widget.writeRecord(global);
    QVERIFY(global.aclByDefault());
    QVERIFY(!global.hasVfsModule(s_xattr));
}

void TestACLWidget::wording_data()
{
    QTest::addColumn<bool>("global");
    QTest::addColumn<QString>("originalName");
    QTest::addColumn<bool>("predefined");
    QTest::newRow("server settings") << true << QString() << true;
    QTest::newRow("global section") << false << QStringLiteral("global") << true;
    QTest::newRow("Global in another case") << false << QStringLiteral("GLOBAL") << true;
    QTest::newRow("share") << false << QStringLiteral("data") << false;
    QTest::newRow("new share") << false << QString() << false;
    QTest::newRow("global-like name") << false << QStringLiteral("globals") << false;
}

void TestACLWidget::wording()
{
    QFETCH(bool, global);
    QFETCH(QString, originalName);
    QFETCH(bool, predefined);
    ACLWidget widget;
    if (global)
        widget.setRecord(GlobalShare());
    else
        widget.setRecord(Share(originalName));
    QCOMPARE(box(widget, "checkBoxByDefault")->text(),
             predefined ? QStringLiteral("By default (Use predefinded samba parameters).")
                        : QStringLiteral("By default (Use global samba server parameters)."));
}

void TestACLWidget::unknownStyle()
{
    Share share = ownShare();
    share.addVfsModule(aclModule<ACLTDB>(false, QStringLiteral("ntfs")));
    ACLWidget widget;
    styleCombo(widget)->setCurrentIndex(2);
    widget.setRecord(share);
    QCOMPARE(styleCombo(widget)->currentText(), QStringLiteral("everyone"));
    // Saving writes what the combo shows.
    widget.writeRecord(share);
    QCOMPARE(writtenModule(share, s_tdb)->defaultAclStyle(), QStringLiteral("everyone"));
}

void TestACLWidget::parameters_data()
{
    QTest::addColumn<int>("parameter");
    for (int i = 0; i < int(std::size(s_parameters)); ++i)
        QTest::newRow(s_parameters[i].box) << i;
}

void TestACLWidget::parameters()
{
    QFETCH(int, parameter);
    const Parameter &tested = s_parameters[parameter];
    for (const bool value : {true, false}) {
        // Every flag the opposite of the tested one, so the box shows and writes only its own.
        Share share = ownShare();
        setAllFlags(share, !value);
        (share.*tested.set)(value);
        ACLWidget widget;
        widget.setRecord(share);
        for (const Parameter &other : s_parameters)
            QCOMPARE(box(widget, other.box)->isChecked(), &other == &tested ? value : !value);

        box(widget, tested.box)->click();
        Share written = ownShare();
        setAllFlags(written, value);
        widget.writeRecord(written);
        for (const Parameter &other : s_parameters)
            QCOMPARE((written.*other.get)(), !value);
    }
}

void TestACLWidget::stateChanged_data()
{
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("name");
    QTest::newRow("by default") << QStringLiteral("tdb") << QStringLiteral("checkBoxByDefault");
    QTest::newRow("none") << QStringLiteral("tdb") << QStringLiteral("radioButtonNone");
    QTest::newRow("xattr") << QStringLiteral("tdb") << QStringLiteral("radioButtonXattr");
    QTest::newRow("tdb") << QStringLiteral("xattr") << QStringLiteral("radioButtonTDB");
    QTest::newRow("tdb again") << QStringLiteral("tdb") << QStringLiteral("radioButtonTDB");
    QTest::newRow("ignore system acls")
        << QStringLiteral("tdb") << QStringLiteral("checkBoxIgnoreSystemACLs");
    QTest::newRow("style") << QStringLiteral("tdb") << QStringLiteral("comboBoxDefaultACLStyle");
    for (const Parameter &parameter : s_parameters)
        QTest::newRow(parameter.box) << QStringLiteral("none") << QString::fromLatin1(parameter.box);
}

void TestACLWidget::stateChanged()
{
    QFETCH(QString, modules);
    QFETCH(QString, name);
    Share share = ownShare();
    setAllFlags(share, true);
    addModules(share, modules);
    ACLWidget widget;
    QSignalSpy changed(&widget, &ACLWidget::stateChanged);
    widget.setRecord(share);
    QCOMPARE(changed.count(), 0);

    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QWidget *target = child<QWidget>(widget, name);
    QVERIFY(target);
    QVERIFY(target->isEnabled());
    if (qobject_cast<QComboBox *>(target))
        QTest::keyClick(target, Qt::Key_Down);
    else
        clickButton(target);
    QCOMPARE(changed.count(), 1);
}

void TestACLWidget::quietBeforeRecord()
{
    ACLWidget widget;
    QSignalSpy changed(&widget, &ACLWidget::stateChanged);
    box(widget, "checkBoxNTACLSupport")->click();
    box(widget, "checkBoxByDefault")->click();
    radio(widget, QStringLiteral("radioButtonTDB"))->click();
    styleCombo(widget)->setCurrentIndex(1);
    QCOMPARE(changed.count(), 0);

    // Filling changes nearly every control, still without a signal.
    Share share = ownShare();
    setAllFlags(share, true);
    share.addVfsModule(aclModule<ACLXAttr>(true, QStringLiteral("everyone")));
    widget.setRecord(share);
    QCOMPARE(changed.count(), 0);
    // Programmatic changes count once the record is in.
    box(widget, "checkBoxInheritACLs")->setChecked(false);
    styleCombo(widget)->setCurrentIndex(0);
    QCOMPARE(changed.count(), 2);
}

void TestACLWidget::moduleOptionsFollowRadios_data()
{
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("enabled");
    for (const QString &modules : {QStringLiteral("none"), QStringLiteral("tdb"), QStringLiteral("xattr")}) {
        QTest::addRow("%s, click None", qPrintable(modules))
            << modules << QStringLiteral("radioButtonNone") << false;
        QTest::addRow("%s, click Xattr", qPrintable(modules))
            << modules << QStringLiteral("radioButtonXattr") << true;
        QTest::addRow("%s, click TDB", qPrintable(modules))
            << modules << QStringLiteral("radioButtonTDB") << true;
    }
}

void TestACLWidget::moduleOptionsFollowRadios()
{
    QFETCH(QString, modules);
    QFETCH(QString, click);
    QFETCH(bool, enabled);
    Share share = ownShare();
    addModules(share, modules);
    ACLWidget widget;
    widget.setRecord(share);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QGroupBox *options = group(widget, "groupBoxModuleOptions");
    QCOMPARE(options->isEnabled(), modules != QLatin1String("none"));
    clickButton(radio(widget, click));
    QVERIFY(radio(widget, click)->isChecked());
    QCOMPARE(options->isEnabled(), enabled);
    QCOMPARE(box(widget, "checkBoxIgnoreSystemACLs")->isEnabled(), enabled);
    QCOMPARE(styleCombo(widget)->isEnabled(), enabled);
}

QTEST_MAIN(TestACLWidget)
#include "tst_aclwidget.moc"
