// Operations of the document: the writer, lookups, setValue and friends, and the
// section index kept across renames and removals.
#include "configdocument.h"
#include "configelementeline.h"
#include "documentcontent.h"

#include <QtTest>

#include <chrono>
#include <sstream>

namespace {

QByteArray bytes(const std::string &text)
{
    return QByteArray::fromStdString(text);
}

QByteArray written(const ConfigDocument &document)
{
    return bytes(writeDocument(document));
}

ConfigDocument loaded(const QByteArray &text)
{
    ConfigDocument document;
    loadDocument(document, text.toStdString());
    return document;
}

} // namespace

class TestConfigDocument : public QObject
{
    Q_OBJECT

private slots:
    void pad_data();
    void pad();
    void emptyDocument();
    void setValue_data();
    void setValue();
    void setValueKeepsLine();
    void addBlankLine_data();
    void addBlankLine();
    void addComment();
    void braceWriter();
    void headerlessWriter();
    void lookupsAreExact();
    void indexFollowsRenames();
    void indexFollowsRemovals();
    void indexFollowsInsertions();
    void lookupCostDoesNotGrow();
};

void TestConfigDocument::pad_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << 0 << QByteArray();
    QTest::newRow("-1") << -1 << QByteArray();
    QTest::newRow("-5") << -5 << QByteArray();
    QTest::newRow("3") << 3 << QByteArray("   ");
    QTest::newRow("4") << 4 << QByteArray("\t");
    QTest::newRow("9") << 9 << QByteArray("\t\t ");
}

void TestConfigDocument::pad()
{
    QFETCH(int, width);
    std::ostringstream out;
    ConfigElementBase::pad(out, width);
    QTEST(bytes(out.str()), "expected");
}

void TestConfigDocument::emptyDocument()
{
    ConfigDocument document;
    QCOMPARE(written(document), QByteArray());
    QVERIFY(!document.findSection("global"));
    QVERIFY(!document.findValue("global", "workgroup"));
    QVERIFY(!document.findValue(std::string(), "workgroup"));
    document.addBlankLine("global");
    QCOMPARE(written(document), QByteArray());
}

void TestConfigDocument::setValue_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("new global section before trailing blanks")
        << QByteArray("# top\n\n[data]\npath = /d\n\n\n") << QByteArray("global") << QByteArray("workgroup")
        << QByteArray("X") << QByteArray()
        << QByteArray("# top\n\n[data]\npath = /d\n\n\n[global]\nworkgroup = X\n");
    QTest::newRow("into an empty document")
        << QByteArray() << QByteArray("global") << QByteArray("workgroup") << QByteArray("X") << QByteArray()
        << QByteArray("[global]\nworkgroup = X\n");
    QTest::newRow("replace keeps spacing")
        << QByteArray("[global]\n\tworkgroup\t=  OLD\r\n") << QByteArray("global") << QByteArray("workgroup")
        << QByteArray("NEW") << QByteArray("ignored") << QByteArray("[global]\n\tworkgroup\t=  NEW\n");
    QTest::newRow("lookup is case-sensitive")
        << QByteArray("[global]\nWorkgroup = A\n") << QByteArray("global") << QByteArray("workgroup")
        << QByteArray("B") << QByteArray() << QByteArray("[global]\nWorkgroup = A\nworkgroup = B\n");
    QTest::newRow("before two trailing blank lines")
        << QByteArray("[a]\nk = v\n\n\n[b]\n") << QByteArray("a") << QByteArray("n") << QByteArray("1")
        << QByteArray() << QByteArray("[a]\nk = v\nn = 1\n\n\n[b]\n");
    QTest::newRow("indent of the last parameter")
        << QByteArray("[a]\n  k = v\n\tj = w\n# c\n") << QByteArray("a") << QByteArray("n") << QByteArray("1")
        << QByteArray() << QByteArray("[a]\n  k = v\n\tj = w\n# c\n\tn = 1\n");
    QTest::newRow("empty section takes its own indent")
        << QByteArray("  [a]\n") << QByteArray("a") << QByteArray("n") << QByteArray("1") << QByteArray()
        << QByteArray("  [a]\n  n = 1\n");
    QTest::newRow("new section takes the indent of the last section")
        << QByteArray("  [a]\nk = v\n") << QByteArray("b") << QByteArray("n") << QByteArray("1")
        << QByteArray() << QByteArray("  [a]\nk = v\n  [b]\n  n = 1\n");
    QTest::newRow("with a comment") << QByteArray("[a]\n") << QByteArray("a") << QByteArray("n")
                                    << QByteArray("1") << QByteArray(" added")
                                    << QByteArray("[a]\n# added\nn = 1\n");
    QTest::newRow("outside any section")
        << QByteArray("# c\nk = v\n\n[a]\n") << QByteArray() << QByteArray("k") << QByteArray("w")
        << QByteArray() << QByteArray("# c\nk = w\n\n[a]\n");
    QTest::newRow("new parameter outside any section")
        << QByteArray("\n") << QByteArray() << QByteArray("k") << QByteArray("w") << QByteArray()
        << QByteArray("k = w\n\n");
    QTest::newRow("section of blank lines only")
        << QByteArray("[a]\n\n\n") << QByteArray("a") << QByteArray("k") << QByteArray("v") << QByteArray()
        << QByteArray("[a]\nk = v\n\n\n");
}

void TestConfigDocument::setValue()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, comment);
    ConfigDocument document = loaded(input);
    document.setValue(section.toStdString(), key.toStdString(), value.toStdString(), comment.toStdString(),
                      ConfigElementSection::Bracket);
    QTEST(written(document), "expected");
    QCOMPARE(bytes(document.findValue(section.toStdString(), key.toStdString())->value()), value);
}

void TestConfigDocument::setValueKeepsLine()
{
    ConfigDocument document = loaded("[a]\n# about k\n  k  =  old\n");
    auto before = document.findValue("a", "k");
    document.setValue("a", "k", "new", "other comment");
    auto after = document.findValue("a", "k");
    QCOMPARE(after, before);
    QCOMPARE(after->line(), 2);
    QCOMPARE(after->comments().size(), std::size_t(1));
    QCOMPARE(written(document), QByteArray("[a]\n# about k\n  k  =  new\n"));
}

void TestConfigDocument::addBlankLine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("after last parameter")
        << QByteArray("[a]\nk = v\n\n[b]\n") << QByteArray("[a]\nk = v\n\n\n[b]\n");
    QTest::newRow("no blank yet") << QByteArray("[a]\nk = v\n") << QByteArray("[a]\nk = v\n\n");
    QTest::newRow("blank lines only") << QByteArray("[a]\n\n") << QByteArray("[a]\n\n\n");
    QTest::newRow("empty section") << QByteArray("[a]\n") << QByteArray("[a]\n\n");
    QTest::newRow("missing section") << QByteArray("[b]\n") << QByteArray("[b]\n");
}

void TestConfigDocument::addBlankLine()
{
    QFETCH(QByteArray, input);
    ConfigDocument document = loaded(input);
    document.addBlankLine("a");
    QTEST(written(document), "expected");
    if (auto a = document.findSection("a")) {
        // The new line goes in after the last non-blank child, whatever follows it.
        std::size_t firstBlank = a->children().size();
        while (firstBlank > 0 && a->children()[firstBlank - 1]->type() == ConfigElementBase::ELineType)
            --firstBlank;
        QCOMPARE(a->children()[firstBlank]->line(), 0);
    }
}

void TestConfigDocument::addComment()
{
    ConfigDocument document = loaded("[a]\nk = v\n");
    auto k = document.findValue("a", "k");
    k->addComment("x");
    QCOMPARE(written(document), QByteArray("[a]\n#x\nk = v\n"));
    k->addComment("y");
    QCOMPARE(written(document), QByteArray("[a]\n#x\n#y\nk = v\n"));

    // With a block already attached, the comment joins the first block.
    ConfigDocument commented = loaded("[a]\n; old\nk = v\n");
    commented.findValue("a", "k")->addComment(" new");
    QCOMPARE(written(commented), QByteArray("[a]\n; old\n# new\nk = v\n"));
}

void TestConfigDocument::braceWriter()
{
    ConfigDocument document;
    document.elements().append(std::make_shared<ConfigElementSection>("a", ConfigElementSection::Brace));
    QCOMPARE(written(document), QByteArray("service a { \n}\n"));
    document.setValue("a", "k", "v");
    document.findSection("a")->setCloseIndent(5);
    QCOMPARE(written(document), QByteArray("service a { \nk = v\n\t }\n"));
}

void TestConfigDocument::headerlessWriter()
{
    ConfigDocument document;
    auto section = std::make_shared<ConfigElementSection>("h", ConfigElementSection::Headerless, 2);
    section->children().push_back(std::make_shared<ConfigElementData>("k", "v"));
    section->children().push_back(std::make_shared<ConfigElementELine>());
    section->addComment("c");
    document.elements().append(section);
    QCOMPARE(written(document), QByteArray("#c\n  k = v\n\n"));
}

void TestConfigDocument::lookupsAreExact()
{
    ConfigDocument document = loaded("[global]\nworkgroup = W\n[ global ]\nx = 1\n");
    QVERIFY(!document.findSection("Global"));
    QCOMPARE(document.findSection("global")->name(), std::string("global"));
    QCOMPARE(document.findSection(" global ")->name(), std::string(" global "));
    QVERIFY(!document.findValue("global", "Workgroup"));
    QVERIFY(!document.findValue("global", "x"));
    QVERIFY(!document.findValue("nothere", "workgroup"));
}

void TestConfigDocument::indexFollowsRenames()
{
    ConfigDocument document = loaded("[a]\nk = 1\n[b]\nk = 2\n[c]\nk = 3\n");
    auto a = document.findSection("a");
    auto c = document.findSection("c");

    c->setName("renamed");
    QVERIFY(!document.findSection("c"));
    QCOMPARE(document.findSection("renamed"), c);
    QCOMPARE(bytes(document.findValue("renamed", "k")->value()), QByteArray("3"));

    // Two sections of one name: the first in file order is found, whichever was renamed.
    c->setName("a");
    QCOMPARE(document.findSection("a"), a);
    a->setName("z");
    QCOMPARE(document.findSection("a"), c);
    QCOMPARE(document.findSection("z"), a);

    // setValue creates nothing when the renamed section is found under its new name.
    document.setValue("z", "n", "1");
    QCOMPARE(written(document), QByteArray("[z]\nk = 1\nn = 1\n[b]\nk = 2\n[a]\nk = 3\n"));

    // A section taken out of the document no longer reports its renames to it.
    document.elements().removeAll(a.get());
    a->setName("b");
    QCOMPARE(document.findSection("b")->children().size(), std::size_t(1));
    QVERIFY(!document.findSection("z"));
}

void TestConfigDocument::indexFollowsRemovals()
{
    ConfigDocument document = loaded("k = top\n[a]\n[b]\n[c]\n");
    auto b = document.findSection("b");
    QCOMPARE(document.elements().removeAll(b.get()), std::size_t(1));
    QVERIFY(!document.findSection("b"));
    QVERIFY(document.findSection("a"));

    const std::size_t removed = document.elements().removeIf([](const ConfigElementPtr &element) {
        return element->type() == ConfigElementBase::SectionType
            && static_cast<const ConfigElementSection &>(*element).name() == "a";
    });
    QCOMPARE(removed, std::size_t(1));
    QVERIFY(!document.findSection("a"));

    document.elements().removeAt(0);
    QVERIFY(!document.findValue(std::string(), "k"));
    QCOMPARE(written(document), QByteArray("[c]\n"));

    document.clear();
    QVERIFY(!document.findSection("c"));
    QCOMPARE(written(document), QByteArray());
}

void TestConfigDocument::indexFollowsInsertions()
{
    ConfigDocument document = loaded("[a]\n");
    auto first = std::make_shared<ConfigElementSection>("a");
    document.elements().insert(0, first);
    QCOMPARE(document.findSection("a"), first);
    auto data = std::make_shared<ConfigElementData>("k", "v");
    document.elements().insert(0, data);
    QCOMPARE(document.findValue(std::string(), "k"), data);
    QCOMPARE(document.elements().indexOf(first.get()), std::ptrdiff_t(1));
}

// A lookup must not walk the document: one on 100,000 sections costs about what it
// costs on ten.
void TestConfigDocument::lookupCostDoesNotGrow()
{
    auto build = [](int sections) {
        std::string text;
        for (int i = 0; i < sections; ++i)
            text += "[share" + std::to_string(i) + "]\npath = /srv/" + std::to_string(i) + "\n";
        ConfigDocument document;
        loadDocument(document, text);
        return document;
    };
    auto perCall = [](ConfigDocument &document, int sections) {
        constexpr int calls = 20000;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) {
            const std::string name = "share" + std::to_string(i % sections);
            if (!document.findValue(name, "path"))
                return -1.0;
            document.setValue(name, "path", "/x");
        }
        return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count()
            / calls;
    };
    ConfigDocument small = build(10);
    ConfigDocument large = build(100000);
    const double smallCost = perCall(small, 10);
    const double largeCost = perCall(large, 100000);
    QVERIFY(smallCost > 0 && largeCost > 0);
    // Hash lookups on a large table miss the cache more often; a walk would be ~10,000x.
    QVERIFY2(largeCost < smallCost * 20 + 2000,
             qPrintable(QStringLiteral("small %1 ns, large %2 ns per call").arg(smallCost).arg(largeCost)));
}

QTEST_GUILESS_MAIN(TestConfigDocument)
#include "tst_configdocument.moc"
