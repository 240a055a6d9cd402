// How smb.conf leads Samba to the registry, the configuration Samba then reads, and the
// net conf commands between two registry texts.
#include "configdocument.h"
#include "configtables.h"
#include "registryconfig.h"

#include <QtTest>

namespace {

QByteArray bytes(const std::string &text)
{
    return QByteArray::fromStdString(text);
}

// One command a line: "set SECTION|KEY|VALUE", "delparm SECTION|KEY", "delshare SECTION".
QByteArrayList commandLines(const std::vector<RegistryConfig::Command> &commands)
{
    QByteArrayList lines;
    for (const RegistryConfig::Command &command : commands) {
        switch (command.kind) {
        case RegistryConfig::Command::SetParameter:
            lines << bytes("set " + command.section + "|" + command.key + "|" + command.value);
            break;
        case RegistryConfig::Command::DeleteParameter:
            lines << bytes("delparm " + command.section + "|" + command.key);
            break;
        case RegistryConfig::Command::DeleteShare:
            lines << bytes("delshare " + command.section);
            break;
        }
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(RegistryConfig::Use)

class TestRegistryConfig : public QObject
{
    Q_OBJECT

private slots:
    void useOf_data();
    void useOf();
    void effectiveText_data();
    void effectiveText();
    void parametersOf_data();
    void parametersOf();
    void staysInFile_data();
    void staysInFile();
    void unknownParameter_data();
    void unknownParameter();
    void unreadAndRead_data();
    void unreadAndRead();
    void globalInShare_data();
    void globalInShare();
    void commandsBetween_data();
    void commandsBetween();
};

void TestRegistryConfig::useOf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<RegistryConfig::Use>("use");
    QTest::newRow("include") << QByteArray("[global]\n\tinclude = registry\n") << RegistryConfig::Included;
    QTest::newRow("include any case")
        << QByteArray("[Global]\n\tINCLUDE = Registry\n") << RegistryConfig::Included;
    QTest::newRow("include before any header")
        << QByteArray("include = registry\n[a]\n\tpath = /a\n") << RegistryConfig::Included;
    QTest::newRow("include in a second [global]")
        << QByteArray("[global]\n\tworkgroup = W\n[a]\n\tpath = /a\n[global]\n\tinclude = registry\n")
        << RegistryConfig::Included;
    QTest::newRow("include in a share")
        << QByteArray("[global]\n\tworkgroup = W\n[a]\n\tinclude = registry\n") << RegistryConfig::NotUsed;
    QTest::newRow("include of a file")
        << QByteArray("[global]\n\tinclude = /etc/samba/registry\n") << RegistryConfig::NotUsed;
    QTest::newRow("backend") << QByteArray("[global]\n\tconfig backend = registry\n")
                             << RegistryConfig::Backend;
    QTest::newRow("backend wins over include")
        << QByteArray("[global]\n\tinclude = registry\n\tconfigbackend = REGISTRY\n")
        << RegistryConfig::Backend;
    QTest::newRow("backend file") << QByteArray("[global]\n\tconfig backend = file\n")
                                  << RegistryConfig::NotUsed;
    QTest::newRow("registry shares") << QByteArray("[global]\n\tregistry shares = yes\n")
                                     << RegistryConfig::SharesOnly;
    QTest::newRow("registry shares no")
        << QByteArray("[global]\n\tregistry shares = no\n") << RegistryConfig::NotUsed;
    QTest::newRow("none") << QByteArray("[global]\n\tworkgroup = W\n[a]\n\tpath = /a\n")
                          << RegistryConfig::NotUsed;
    QTest::newRow("empty") << QByteArray() << RegistryConfig::NotUsed;
}

void TestRegistryConfig::useOf()
{
    QFETCH(QByteArray, file);
    QFETCH(RegistryConfig::Use, use);
    ConfigDocument document;
    document.load(file.toStdString());
    ConfigTables tables;
    tables.build(document);
    QCOMPARE(RegistryConfig::useOf(document, tables), use);
}

void TestRegistryConfig::effectiveText_data()
{
    QTest::addColumn<RegistryConfig::Use>("use");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("registry");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray registry(
        "[global]\n\tserver string = S\n\tworkgroup = R\n\n[r]\n\tpath = /r\n\tread only = no\n\n");
    QTest::newRow("included")
        << RegistryConfig::Included
        << QByteArray(
               "# top\n[global]\n\tworkgroup = W\n\tinclude = registry\n\tlog level = 1\n[a]\n\tpath = /a\n")
        << registry
        << QByteArray(
               "# top\n[global]\n\tworkgroup = W\n\tserver string = S\n\tworkgroup = R\n\tlog level = 1\n"
               "[a]\n\tpath = /a\n\n[r]\n\tpath = /r\n\tread only = no\n\n");
    QTest::newRow("included, CRLF file without a last line ending")
        << RegistryConfig::Included << QByteArray("[global]\r\n\tinclude = registry\r\n[a]\r\n\tpath = /a")
        << registry
        << QByteArray("[global]\r\n\tserver string = S\n\tworkgroup = R\n[a]\r\n\tpath = /a\n\n"
                      "[r]\n\tpath = /r\n\tread only = no\n\n");
    QTest::newRow("included in a share stays")
        << RegistryConfig::Included
        << QByteArray("[global]\n\tinclude = registry\n[a]\n\tinclude = registry\n\tpath = /a\n")
        << QByteArray("[global]\n\tworkgroup = R\n")
        << QByteArray("[global]\n\tworkgroup = R\n[a]\n\tinclude = registry\n\tpath = /a\n");
    QTest::newRow("included, empty registry")
        << RegistryConfig::Included << QByteArray("[global]\n\tinclude = registry\n\tworkgroup = W\n")
        << QByteArray() << QByteArray("[global]\n\tworkgroup = W\n");
    QTest::newRow("shares only")
        << RegistryConfig::SharesOnly << QByteArray("[global]\n\tregistry shares = yes\n") << registry
        << QByteArray("[global]\n\tregistry shares = yes\n\n[r]\n\tpath = /r\n\tread only = no\n\n");
    QTest::newRow("backend") << RegistryConfig::Backend
                             << QByteArray("[global]\n\tconfig backend = registry\n") << registry << registry;
    QTest::newRow("not used") << RegistryConfig::NotUsed << QByteArray("[a]\n\tpath = /a\n") << registry
                              << QByteArray("[a]\n\tpath = /a\n");
}

void TestRegistryConfig::effectiveText()
{
    QFETCH(RegistryConfig::Use, use);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, registry);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(RegistryConfig::effectiveText(use, file.toStdString(), registry.toStdString())), expected);
}

void TestRegistryConfig::parametersOf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    // "[name]" and "\tkey = value" lines, as sectionText writes them.
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("last wins, order of the first line")
        << QByteArray("[a]\n\tpath = /x\n\tcomment = c\n\tpath = /y\n") << QByteArray("a")
        << QByteArray("[a]\n\tpath = /y\n\tcomment = c\n\n");
    QTest::newRow("several occurrences")
        << QByteArray("[a]\n\tpath = /x\n[b]\n\tpath = /b\n[A]\n\tbrowseable = no\n\tpath = /z\n")
        << QByteArray("a") << QByteArray("[a]\n\tpath = /z\n\tbrowseable = no\n\n");
    QTest::newRow("synonyms are one key")
        << QByteArray("[a]\n\tdirectory = /d\n\tpath = /p\n\tpublic = yes\n") << QByteArray("a")
        << QByteArray("[a]\n\tpath = /p\n\tguestok = yes\n\n");
    QTest::newRow("writable as read only") << QByteArray("[a]\n\tread only = yes\n\twriteable = yes\n")
                                           << QByteArray("a") << QByteArray("[a]\n\tread only = no\n\n");
    QTest::newRow("write ok false") << QByteArray("[a]\n\twrite ok = False\n") << QByteArray("a")
                                    << QByteArray("[a]\n\tread only = True\n\n");
    QTest::newRow("global before its header")
        << QByteArray("workgroup = A\n[global]\n\tserver string = S\n\tWorkgroup = B\n")
        << QByteArray("global") << QByteArray("[global]\n\tWorkgroup = B\n\tserver string = S\n\n");
}

void TestRegistryConfig::parametersOf()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, expected);
    ConfigDocument document;
    document.load(file.toStdString());
    ConfigTables tables;
    tables.build(document);
    const ConfigTables::Section *found = tables.find(section.toStdString());
    QVERIFY(found);
    QCOMPARE(bytes(RegistryConfig::sectionText(section.toStdString(),
                                               RegistryConfig::parametersOf(document, *found))),
             expected);
}

void TestRegistryConfig::staysInFile_data()
{
    QTest::addColumn<QByteArray>("lookup");
    QTest::addColumn<bool>("stays");
    // net conf setparm refuses these, or Samba must read them before the registry.
    for (const char *key : {"include", "configbackend", "registryshares", "lockdirectory", "lockdir",
                            "statedirectory", "statedir", "clustering", "ctdbdsocket"})
        QTest::newRow(key) << QByteArray(key) << true;
    for (const char *key : {"workgroup", "privatedir", "cachedirectory", "readonly", "path"})
        QTest::newRow(key) << QByteArray(key) << false;
}

void TestRegistryConfig::staysInFile()
{
    QFETCH(QByteArray, lookup);
    QFETCH(bool, stays);
    QCOMPARE(RegistryConfig::staysInFile(lookup.toStdString()), stays);
}

void TestRegistryConfig::unknownParameter_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("unknown");
    const QByteArray said(
        "Load smb config files from /tmp/x\nUnknown parameter encountered: \"Bad Key\"\n"
        "Ignoring unknown parameter \"Bad Key\"\nUnknown parameter encountered: \"other\"\n");
    QTest::newRow("in the registry, other spelling") << said << QByteArray("badkey");
    QTest::newRow("only in smb.conf")
        << QByteArray("Unknown parameter encountered: \"elsewhere\"\n") << QByteArray();
    QTest::newRow("none") << QByteArray("Loaded services file OK.\n") << QByteArray();
    QTest::newRow("cut off") << QByteArray("Unknown parameter encountered: \"badkey") << QByteArray();
}

void TestRegistryConfig::unknownParameter()
{
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, unknown);
    QCOMPARE(
        bytes(RegistryConfig::unknownParameter(output.toStdString(), "[r]\n\tpath = /r\n\tbadkey = x\n")),
        unknown);
}

namespace {
// As net conf list prints it: a blank line after each section, and an empty one.
const QByteArray listedRegistry("[global]\n\tworkgroup = W\n\n[empty]\n\n[s]\n\tpath = /s\n\n");
} // namespace

void TestRegistryConfig::unreadAndRead_data()
{
    QTest::addColumn<RegistryConfig::Use>("use");
    QTest::addColumn<QByteArray>("unread");
    QTest::addColumn<QByteArray>("read");
    const QByteArray global("[global]\n\tworkgroup = W\n\n");
    const QByteArray share("[s]\n\tpath = /s\n\n");
    QTest::newRow("not used") << RegistryConfig::NotUsed << global + share << QByteArray();
    QTest::newRow("shares only") << RegistryConfig::SharesOnly << global << share;
    QTest::newRow("included") << RegistryConfig::Included << QByteArray() << listedRegistry;
    QTest::newRow("backend") << RegistryConfig::Backend << QByteArray() << listedRegistry;
}

void TestRegistryConfig::unreadAndRead()
{
    QFETCH(RegistryConfig::Use, use);
    QFETCH(QByteArray, unread);
    QFETCH(QByteArray, read);
    QCOMPARE(bytes(RegistryConfig::unread(use, listedRegistry.toStdString())), unread);
    QCOMPARE(bytes(RegistryConfig::read(use, listedRegistry.toStdString())), read);
}

void TestRegistryConfig::globalInShare_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("registry");
    QTest::addColumn<QByteArray>("found");
    // As testparm 4.17 words it, with the name as the file spells it.
    const QByteArray said("Load smb config files from /tmp/x\n"
                          "Global parameter ServerString found in service section!\n"
                          "Loaded services file OK.\n");
    QTest::newRow("in a registry share, other spelling")
        << said << QByteArray("[r]\n\tpath = /r\n\tserver string = x\n") << QByteArray("server string");
    QTest::newRow("in the registry's [global] only")
        << said << QByteArray("[global]\n\tserver string = x\n[r]\n\tpath = /r\n") << QByteArray();
    QTest::newRow("only in smb.conf's shares") << said << QByteArray("[r]\n\tpath = /r\n") << QByteArray();
    QTest::newRow("a share parameter of a similar name")
        << QByteArray("Global parameter server string found in service section!\n")
        << QByteArray("[r]\n\tserver = x\n") << QByteArray();
    QTest::newRow("the second of two")
        << QByteArray("Global parameter workgroup found in service section!\n"
                      "Global parameter netbios name found in service section!\n")
        << QByteArray("[r]\n\tpath = /r\n\tNetBIOS Name = n\n") << QByteArray("NetBIOS Name");
    QTest::newRow("cut off") << QByteArray("Global parameter workgroup found")
                             << QByteArray("[r]\n\tworkgroup = w\n") << QByteArray();
    QTest::newRow("none") << QByteArray("Loaded services file OK.\n") << QByteArray("[r]\n\tworkgroup = w\n")
                          << QByteArray();
}

void TestRegistryConfig::globalInShare()
{
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, registry);
    QFETCH(QByteArray, found);
    QCOMPARE(bytes(RegistryConfig::globalInShare(output.toStdString(), registry.toStdString())), found);
}

void TestRegistryConfig::commandsBetween_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArrayList>("commands");
    const QByteArray a("[a]\n\tpath = /a\n\tcomment = c\n\n");
    QTest::newRow("same") << a << a << QByteArrayList();
    QTest::newRow("added share") << QByteArray() << a << QByteArrayList{"set a|path|/a", "set a|comment|c"};
    QTest::newRow("removed share") << a + "[b]\n\tpath = /b\n"
                                   << QByteArray("[b]\n\tpath = /b\n") << QByteArrayList{"delshare a"};
    QTest::newRow("changed parameter")
        << a << QByteArray("[a]\n\tpath = /a\n\tcomment = d\n") << QByteArrayList{"set a|comment|d"};
    QTest::newRow("added parameter") << a << a + "\tbrowseable = no\n"
                                     << QByteArrayList{"set a|browseable|no"};
    QTest::newRow("removed parameter")
        << a << QByteArray("[a]\n\tpath = /a\n") << QByteArrayList{"delparm a|comment"};
    QTest::newRow("global parameter")
        << QByteArray("[global]\n\tworkgroup = A\n") + a << QByteArray("[globals]\n\tworkgroup = B\n") + a
        << QByteArrayList{"set global|workgroup|B"};
    QTest::newRow("global emptied") << QByteArray("[global]\n\tworkgroup = A\n") + a << a
                                    << QByteArrayList{"delparm global|workgroup"};
    QTest::newRow("renamed share") << a << QByteArray("[b]\n\tpath = /a\n\tcomment = c\n")
                                   << QByteArrayList{"delshare a", "set b|path|/a", "set b|comment|c"};
    QTest::newRow("writable set") << QByteArray("[a]\n\tread only = yes\n")
                                  << QByteArray("[a]\n\twritable = yes\n")
                                  << QByteArrayList{"set a|read only|no"};
    QTest::newRow("writable same as read only") << QByteArray("[a]\n\tread only = no\n")
                                                << QByteArray("[a]\n\twriteable = yes\n") << QByteArrayList();
    QTest::newRow("writable removed")
        << QByteArray("[a]\n\twrite ok = yes\n\tpath = /a\n") << QByteArray("[a]\n\tpath = /a\n")
        << QByteArrayList{"delparm a|read only"};
    QTest::newRow("empty section added") << a << a + "[empty]\n" << QByteArrayList();
    QTest::newRow("share emptied") << a << QByteArray("[a]\n") << QByteArrayList{"delshare a"};
    QTest::newRow("key spelt otherwise")
        << QByteArray("[a]\n\tguest ok = yes\n") << QByteArray("[a]\n\tpublic = yes\n") << QByteArrayList();
}

void TestRegistryConfig::commandsBetween()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QByteArrayList, commands);
    QCOMPARE(commandLines(RegistryConfig::commandsBetween(before.toStdString(), after.toStdString())),
             commands);
}

QTEST_APPLESS_MAIN(TestRegistryConfig)
#include "tst_registryconfig.moc"
