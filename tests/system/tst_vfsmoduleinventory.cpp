#include "testfiles.h"
#include "vfsmoduleinventory.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Lines of "smbd -b" from Samba 4.17 on Debian 12, trimmed to the sections around the two
// that matter. MODULESDIR is replaced to point elsewhere.
const char realOutput[] = R"(
Paths:
   SBINDIR: /usr/sbin
   BINDIR: /usr/bin
   MODULESDIR: /usr/lib/x86_64-linux-gnu/samba
   SHLIBEXT: so
   LOCKDIR: /run/samba

System Headers:
   HAVE_SYS_ACL_H
   STRING_SHARED_MODULES
   STRING_STATIC_MODULES
   sizeof(ino_t):        8
   sizeof(dev_t):        8

Builtin modules:
   vfs_default vfs_not_implemented vfs_posixacl auth_builtin auth_sam auth_winbind pdb_smbpasswd pdb_tdbsam auth_unix nss_info_template idmap_tdb idmap_passdb idmap_nss pdb_samba_dsdb pdb_ldapsam
)";

const char realModulesDir[] = "/usr/lib/x86_64-linux-gnu/samba";

QByteArray outputWithModulesDir(const QString &directory)
{
    return QByteArray(realOutput).replace(realModulesDir, QFile::encodeName(directory));
}

QStringList builtins()
{
    return {QStringLiteral("default"), QStringLiteral("not_implemented"), QStringLiteral("posixacl")};
}

} // namespace

class TestVfsModuleInventory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromBuildOptions_data();
    void fromBuildOptions();
    void addDirectory();
    void missing_data();
    void missing();
    void unknownCountsEverythingInstalled();
    void load_data();
    void load();
    void loadRealSmbd();
};

void TestVfsModuleInventory::fromBuildOptions_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("modules");

    const QByteArray real(realOutput);
    const int builtinsAt = real.indexOf("Builtin modules:");
    const QString dir = QString::fromLatin1(realModulesDir);
    QTest::newRow("real") << real << true << dir << builtins();
    QTest::newRow("no builtin section") << real.left(builtinsAt) << true << dir << QStringList();
    QTest::newRow("builtin heading last") << real.left(builtinsAt) + "Builtin modules:\n"
                                          << true << dir << QStringList();
    QTest::newRow("no modules dir") << QByteArray(real).replace("MODULESDIR", "MODULES") << false << QString()
                                    << QStringList();
    QTest::newRow("empty") << QByteArray() << false << QString() << QStringList();
    QTest::newRow("blank line ends builtins") << real + "\nLater:\n   vfs_later\n"
                                              << true << dir << builtins();
    QTest::newRow("builtins over two lines, mixed case")
        << real.left(builtinsAt) + "Builtin modules:\n   vfs_Zeta auth_sam\n\tvfs_alpha vfs_zeta\n"
        << true << dir << QStringList{QStringLiteral("alpha"), QStringLiteral("Zeta")};
}

void TestVfsModuleInventory::fromBuildOptions()
{
    QFETCH(QByteArray, output);
    QFETCH(bool, known);
    QFETCH(QString, directory);
    QFETCH(QStringList, modules);

    const VfsModuleInventory inventory = VfsModuleInventory::fromBuildOptions(output);
    QCOMPARE(inventory.known(), known);
    QCOMPARE(inventory.modulesDirectory(), directory);
    QCOMPARE(inventory.modules(), modules);
}

void TestVfsModuleInventory::addDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"recycle.so", "full_audit.so", "README", "fruit.so.1", "CATIA.SO"})
        QVERIFY(writeFile(dir.filePath(QString::fromLatin1(name)),
                          "\x7f"
                          "ELF"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("shadow_copy2.so")));

    VfsModuleInventory inventory = VfsModuleInventory::fromBuildOptions(realOutput);
    inventory.addDirectory(dir.path());
    inventory.addDirectory(dir.path()); // adds nothing twice
    inventory.addDirectory(dir.filePath(QStringLiteral("absent")));
    QCOMPARE(inventory.modules(),
             (QStringList{QStringLiteral("default"), QStringLiteral("full_audit"),
                          QStringLiteral("not_implemented"), QStringLiteral("posixacl"),
                          QStringLiteral("recycle")}));
}

void TestVfsModuleInventory::missing_data()
{
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("missing");

    QTest::newRow("none asked") << QStringList() << QStringList();
    QTest::newRow("built-in and loadable")
        << QStringList{QStringLiteral("default"), QStringLiteral("recycle")} << QStringList();
    QTest::newRow("other case") << QStringList{QStringLiteral("Recycle"), QStringLiteral("POSIXACL")}
                                << QStringList();
    QTest::newRow("some missing, in order")
        << QStringList{QStringLiteral("fruit"), QStringLiteral("recycle"), QStringLiteral("catia")}
        << QStringList{QStringLiteral("fruit"), QStringLiteral("catia")};
    QTest::newRow("repeated once") << QStringList{QStringLiteral("fruit"), QStringLiteral("Fruit")}
                                   << QStringList{QStringLiteral("fruit")};
    QTest::newRow("prefixed name is not the module")
        << QStringList{QStringLiteral("vfs_recycle")} << QStringList{QStringLiteral("vfs_recycle")};
}

void TestVfsModuleInventory::missing()
{
    QFETCH(QStringList, asked);
    QFETCH(QStringList, missing);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recycle.so")), QByteArray()));
    VfsModuleInventory inventory = VfsModuleInventory::fromBuildOptions(realOutput);
    inventory.addDirectory(dir.path());

    QCOMPARE(inventory.missing(asked), missing);
    for (const QString &module : asked)
        QCOMPARE(inventory.isInstalled(module), !missing.contains(module, Qt::CaseInsensitive));
}

void TestVfsModuleInventory::unknownCountsEverythingInstalled()
{
    const VfsModuleInventory inventory;
    QVERIFY(!inventory.known());
    QVERIFY(inventory.isInstalled(QStringLiteral("fruit")));
    QCOMPARE(inventory.missing({QStringLiteral("fruit"), QStringLiteral("catia")}), QStringList());
}

void TestVfsModuleInventory::load_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("known");

    // "output" beside the script is the captured output pointing at the temporary directory.
    QTest::newRow("answers") << QByteArray("cat \"$(dirname \"$0\")/output\"\n") << true;
    QTest::newRow("fails silently") << QByteArray("exit 1\n") << false;
    QTest::newRow("fails after printing")
        << QByteArray("cat \"$(dirname \"$0\")/output\"\nexit 1\n") << false;
    QTest::newRow("no modules dir") << QByteArray("grep -v MODULESDIR \"$(dirname \"$0\")/output\"\n")
                                    << false;
    QTest::newRow("does not start") << QByteArray() << false;
}

void TestVfsModuleInventory::load()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, known);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString smbd = dir.filePath(QStringLiteral("smbd"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("output")), outputWithModulesDir(dir.path())));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("vfs")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("vfs/recycle.so")), QByteArray()));
    if (!script.isEmpty()) {
        QVERIFY(writeFile(smbd, "#!/bin/sh\n" + script));
        QVERIFY(QFile(smbd).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    const VfsModuleInventory inventory = VfsModuleInventory::load(smbd);
    QCOMPARE(inventory.known(), known);
    QCOMPARE(inventory.missing({QStringLiteral("fruit")}).isEmpty(), !known);
    if (known) {
        QCOMPARE(inventory.modulesDirectory(), dir.path());
        QCOMPARE(inventory.modules(), builtins() << QStringLiteral("recycle"));
    } else {
        QCOMPARE(inventory.modules(), QStringList());
    }
}

void TestVfsModuleInventory::loadRealSmbd()
{
    const QString smbd = QStandardPaths::findExecutable(QStringLiteral("smbd"));
    if (smbd.isEmpty())
        QSKIP("smbd is not installed");
    const VfsModuleInventory inventory = VfsModuleInventory::load(smbd);
    QVERIFY(inventory.known());
    QVERIFY(QDir(inventory.modulesDirectory()).exists());
    QVERIFY(inventory.isInstalled(QStringLiteral("default")));
    QVERIFY(inventory.modules().contains(QStringLiteral("default")));
}

QTEST_GUILESS_MAIN(TestVfsModuleInventory)
#include "tst_vfsmoduleinventory.moc"
