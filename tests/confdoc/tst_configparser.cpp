// Reading smb.conf text into elements, and writing it back.
#include "configdocument.h"
#include "configelementexpr.h"
#include "configelementinclude.h"
#include "documentcontent.h"

#include <QtTest>

namespace {

QByteArray bytes(const std::string &text)
{
    return QByteArray::fromStdString(text);
}

template<class T>
std::shared_ptr<T> as(const ConfigElementPtr &element)
{
    return std::dynamic_pointer_cast<T>(element);
}

ConfigDocument loaded(const QByteArray &text)
{
    ConfigDocument document;
    loadDocument(document, text.toStdString());
    return document;
}

} // namespace

class TestConfigParser : public QObject
{
    Q_OBJECT

private slots:
    void writesBack_data();
    void writesBack();
    void parameterWidths_data();
    void parameterWidths();
    void commentsAttach();
    void duplicateSectionsFold();
    void duplicateSectionMergeDetails();
    void bracketNames_data();
    void bracketNames();
    void tokenLines();
    void includeLines_data();
    void includeLines();
    void braceSections();
    void unterminatedLastLine_data();
    void unterminatedLastLine();
    void lineNumbers();
    void syntaxModes();
    void loadReplacesContent();
};

// write(load(x)) for inputs that exercise each normalisation.
void TestConfigParser::writesBack_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("simple parameter")
        << QByteArray("workgroup = WORKGROUP\n") << QByteArray("workgroup = WORKGROUP\n");
    QTest::newRow("tab before key") << QByteArray("\tpath  =\t/srv\n") << QByteArray("\tpath  = /srv\n");
    QTest::newRow("markers inside value")
        << QByteArray("key = a ; b # c\n") << QByteArray("key = a ; b # c\n");
    QTest::newRow("empty value") << QByteArray("key =\n") << QByteArray("key =\n");
    QTest::newRow("value of three blanks") << QByteArray("key =   \n") << QByteArray("key =   \n");
    QTest::newRow("wide spacing after equals") << QByteArray("key =     v\n") << QByteArray("key =\t v\n");
    QTest::newRow("comment indented by a tab") << QByteArray("\t# c\n") << QByteArray(" # c\n");
    QTest::newRow("comment indented by eight") << QByteArray("        ; c\n") << QByteArray("\t\t; c\n");
    QTest::newRow("whitespace on blank line") << QByteArray("  \t \n") << QByteArray("\n");
    QTest::newRow("text before comment") << QByteArray("junk # c\n") << QByteArray("\t # c\n");
    QTest::newRow("comment after header")
        << QByteArray("[a] # c\nk = v\n") << QByteArray("[a]\n\t# c\nk = v\n");
    QTest::newRow("text after header") << QByteArray("[a] k = v\n") << QByteArray("[a]\n k = v\n");
    QTest::newRow("crlf") << QByteArray("[a]\r\nk = v\r\n; c\r\n\r\nfoo\r\n")
                          << QByteArray("[a]\nk = v\r\n; c\r\n\nfoo \n");
    QTest::newRow("continuation backslash") << QByteArray("k = a \\\n  b\n") << QByteArray("k = a \\\n  b\n");
    QTest::newRow("token spacing") << QByteArray("  foo \t bar\n") << QByteArray("  foo\t  bar\n");
    QTest::newRow("quoted tokens keep widths")
        << QByteArray("a '\tx  y' b\n") << QByteArray("a '    x  y' b\n");
    QTest::newRow("trailing token blanks") << QByteArray("foo   \n") << QByteArray("foo   \n");
    QTest::newRow("high bytes") << QByteArray("[d\xe9j\xe0]\nk = \xff\xfe\n")
                                << QByteArray("[d\xe9j\xe0]\nk = \xff\xfe\n");
    QTest::newRow("nul bytes") << QByteArray("k = a\0b\n# \0\n", 12) << QByteArray("k = a\0b\n# \0\n", 12);
    QTest::newRow("header indentation") << QByteArray("  [a]\n") << QByteArray("  [a]\n");
    QTest::newRow("text before bracket") << QByteArray("xx[a]\n") << QByteArray("  [a]\n");
    QTest::newRow("stray closing brace") << QByteArray("[a]\nab}cd\n") << QByteArray("[a]\ncd\n");
    QTest::newRow("no final line feed value") << QByteArray("a = b") << QByteArray("a = b\n");
    QTest::newRow("no final line feed comment") << QByteArray("# c") << QByteArray("# c\n");
    QTest::newRow("no final line feed token") << QByteArray("[x]\nfoo") << QByteArray("[x]\n");
    QTest::newRow("duplicate sections")
        << QByteArray("[g]\na = 1\n\n# about g\n[g]\na = 2\nb = 3\n") << QByteArray("[g]\na = 2\n\nb = 3\n");
    QTest::newRow("trailing blank lines kept")
        << QByteArray("[a]\nk = v\n\n\n") << QByteArray("[a]\nk = v\n\n\n");
    QTest::newRow("empty key") << QByteArray("= x\n") << QByteArray("= x\n");
}

void TestConfigParser::writesBack()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const ConfigDocument document = loaded(input);
    QCOMPARE(bytes(writeDocument(document)), expected);
}

void TestConfigParser::parameterWidths_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    QTest::newRow("plain") << QByteArray("workgroup = WORKGROUP\n") << QByteArray("workgroup")
                           << QByteArray("WORKGROUP") << 0 << 1 << 1;
    QTest::newRow("tab indent") << QByteArray("\tpath  =\t/srv\n") << QByteArray("path") << QByteArray("/srv")
                                << 4 << 2 << 1;
    QTest::newRow("no spaces") << QByteArray("a=b\n") << QByteArray("a") << QByteArray("b") << 0 << 0 << 0;
    QTest::newRow("empty value") << QByteArray("key =\n") << QByteArray("key") << QByteArray() << 0 << 1 << 0;
    QTest::newRow("blank value") << QByteArray("key =   \n") << QByteArray("key") << QByteArray(" ") << 0 << 1
                                 << 2;
    QTest::newRow("inner blanks of key") << QByteArray(" read  only = yes \r\n") << QByteArray("read  only")
                                         << QByteArray("yes \r") << 1 << 1 << 1;
    QTest::newRow("tab inside key") << QByteArray("a\tb = c\n") << QByteArray("a    b") << QByteArray("c")
                                    << 0 << 1 << 1;
    QTest::newRow("tab before equals")
        << QByteArray("k\t= v\n") << QByteArray("k") << QByteArray("v") << 0 << 4 << 1;
    QTest::newRow("tab after equals")
        << QByteArray("k =\t\tv\n") << QByteArray("k") << QByteArray("v") << 0 << 1 << 2;
    QTest::newRow("blank key") << QByteArray(" = v\n") << QByteArray(" ") << QByteArray("v") << 0 << 0 << 1;
    QTest::newRow("crlf empty value")
        << QByteArray("k =\r\n") << QByteArray("k") << QByteArray("\r") << 0 << 1 << 0;
    QTest::newRow("second equals in value")
        << QByteArray("k = a = b\n") << QByteArray("k") << QByteArray("a = b") << 0 << 1 << 1;
}

void TestConfigParser::parameterWidths()
{
    QFETCH(QByteArray, input);
    const ConfigDocument document = loaded(input);
    QCOMPARE(document.elements().size(), std::size_t(1));
    auto data = as<ConfigElementData>(document.elements().front());
    QVERIFY(data);
    QTEST(bytes(data->key()), "key");
    QTEST(bytes(data->value()), "value");
    QTEST(data->indent(), "indent");
    QTEST(data->spaceBeforeEquals(), "before");
    QTEST(data->spaceAfterEquals(), "after");
}

void TestConfigParser::commentsAttach()
{
    // A run of comments directly above a header belongs to it.
    ConfigDocument attached = loaded("; first\n# second\n[share]\npath = /x\n");
    QCOMPARE(attached.elements().size(), std::size_t(1));
    auto share = attached.findSection("share");
    QVERIFY(share);
    QCOMPARE(share->comments().size(), std::size_t(1));
    QCOMPARE(share->comments().front()->lines().size(), std::size_t(2));
    QCOMPARE(share->comments().front()->lines()[0]->marker(), ';');
    QCOMPARE(bytes(share->comments().front()->lines()[1]->text()), QByteArray(" second"));

    // With a blank line before the header, the block stays free and so does the line.
    ConfigDocument free = loaded("; first\n# second\n\n[share]\n");
    QCOMPARE(free.elements().size(), std::size_t(3));
    QCOMPARE(free.elements()[0]->type(), int(ConfigElementBase::CommentBlockType));
    QCOMPARE(free.elements()[1]->type(), int(ConfigElementBase::ELineType));
    QVERIFY(free.findSection("share")->comments().empty());

    // Inside a section: a comment directly above a parameter is the parameter's; a
    // comment above the next header leaves the section's children for that header.
    ConfigDocument inside = loaded("[a]\n# about k\nk = v\n# free\n\n# about b\n[b]\n");
    auto a = inside.findSection("a");
    QCOMPARE(a->children().size(), std::size_t(3));
    auto k = as<ConfigElementData>(a->children()[0]);
    QVERIFY(k);
    QCOMPARE(k->comments().size(), std::size_t(1));
    QCOMPARE(a->children()[1]->type(), int(ConfigElementBase::CommentBlockType));
    QCOMPARE(a->children()[2]->type(), int(ConfigElementBase::ELineType));
    auto b = inside.findSection("b");
    QCOMPARE(bytes(b->comments().front()->lines().front()->text()), QByteArray(" about b"));
    QCOMPARE(bytes(writeDocument(inside)), QByteArray("[a]\n# about k\nk = v\n# free\n\n# about b\n[b]\n"));

    // Before the first section, a parameter stays at the top level with its comment.
    ConfigDocument top = loaded("# c\nk = v\n[a]\n");
    QCOMPARE(top.elements().size(), std::size_t(2));
    auto topData = as<ConfigElementData>(top.elements()[0]);
    QVERIFY(topData);
    QCOMPARE(topData->comments().size(), std::size_t(1));
    QCOMPARE(top.findValue(std::string(), "k"), topData);
}

void TestConfigParser::duplicateSectionsFold()
{
    ConfigDocument document = loaded("[global]\nworkgroup = A\nsecurity = user\n\n"
                                     "[data]\npath = /d\n\n"
                                     "# second global\n[global]\nworkgroup = B\nrealm = R\n\n"
                                     "[Global]\nx = y\n");
    // [Global] is a section of its own; the second [global] folds into the first.
    QCOMPARE(document.elements().size(), std::size_t(3));
    QCOMPARE(bytes(document.findValue("global", "workgroup")->value()), QByteArray("B"));
    QCOMPARE(bytes(document.findValue("global", "realm")->value()), QByteArray("R"));
    QVERIFY(document.findValue("Global", "x"));
    QVERIFY(!document.findValue("global", "x"));
    QCOMPARE(bytes(writeDocument(document)),
             QByteArray("[global]\nworkgroup = B\nsecurity = user\n\nrealm = R\n"
                        "[data]\npath = /d\n\n"
                        "[Global]\nx = y\n"));
}

void TestConfigParser::duplicateSectionMergeDetails()
{
    // Equal token lines and include paths are dropped, different ones appended; the
    // first of two equal keys takes the value; keys appended by an earlier merge are
    // overridden by a later one; appended lines keep their comments.
    ConfigDocument document = loaded("[s]\nk = 1\nk = 2\nfoo bar\n@include a\n"
                                     "[s]\nk = 3\nfoo bar\nfoo  bar\n@include a\n@include b\n# new\nn = 1\n"
                                     "[s]\nn = 2\n");
    auto s = document.findSection("s");
    QCOMPARE(bytes(writeDocument(document)),
             QByteArray("[s]\nk = 3\nk = 2\nfoo bar\n@include a\nfoo  bar\n@include b\n# new\nn = 2\n"));
    QCOMPARE(s->children().size(), std::size_t(7));

    // An empty value taken over stays empty when the file is read again.
    ConfigDocument empty = loaded("[s]\nk = x\n[s]\nk =\n");
    const std::string written = writeDocument(empty);
    QCOMPARE(bytes(written), QByteArray("[s]\nk =\n"));
    ConfigDocument again = loaded(bytes(written));
    QCOMPARE(again.findValue("s", "k")->value(), std::string());
}

void TestConfigParser::bracketNames_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("sections");

    QTest::newRow("plain") << QByteArray("[homes]\n") << QStringList{QStringLiteral("homes")};
    QTest::newRow("blanks kept") << QByteArray("[ my share ]\n") << QStringList{QStringLiteral(" my share ")};
    QTest::newRow("comment marker in name") << QByteArray("[a;b]\n") << QStringList();
    QTest::newRow("hash in name") << QByteArray("[a#b]\n") << QStringList();
    QTest::newRow("at sign in name") << QByteArray("[user@host]\n")
                                     << QStringList{QStringLiteral("user@host")};
    QTest::newRow("nested open bracket") << QByteArray("[[a]\n") << QStringList{QStringLiteral("[a")};
    QTest::newRow("two headers on a line")
        << QByteArray("[a][b]\n") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("empty name") << QByteArray("[]\n") << QStringList{QString()};
    QTest::newRow("tab in name") << QByteArray("[a\tb]\n") << QStringList{QStringLiteral("a    b")};
    QTest::newRow("close without open") << QByteArray("a]\n") << QStringList();
}

void TestConfigParser::bracketNames()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, sections);
    const ConfigDocument document = loaded(input);
    QStringList names;
    for (const auto &element : document.elements()) {
        if (auto section = as<ConfigElementSection>(element)) {
            QCOMPARE(section->kind(), int(ConfigElementSection::Bracket));
            names << QString::fromStdString(section->name());
        }
    }
    QCOMPARE(names, sections);
}

void TestConfigParser::tokenLines()
{
    ConfigDocument document = loaded("foo bar\n  \"a b\"  'c\n");
    QCOMPARE(document.elements().size(), std::size_t(2));
    auto first = as<ConfigElementExpr>(document.elements()[0]);
    QVERIFY(first);
    QCOMPARE(first->tokens().size(), std::size_t(2));
    QCOMPARE(bytes(first->tokens()[0].text), QByteArray("foo"));
    QCOMPARE(first->tokens()[0].spacing, 1);
    QCOMPARE(bytes(first->tokens()[1].text), QByteArray("bar"));
    QCOMPARE(first->tokens()[1].spacing, 0);
    auto second = as<ConfigElementExpr>(document.elements()[1]);
    QCOMPARE(second->indent(), 2);
    QCOMPARE(second->tokens().size(), std::size_t(2));
    QCOMPARE(bytes(second->tokens()[0].text), QByteArray("\"a b\""));
    QCOMPARE(second->tokens()[0].spacing, 2);
    QCOMPARE(bytes(second->tokens()[1].text), QByteArray("'c"));
    QCOMPARE(bytes(writeDocument(document)), QByteArray("foo bar\n  \"a b\"  'c\n"));
}

void TestConfigParser::includeLines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("directive");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("include") << QByteArray("@include common\n") << QByteArray("@include")
                             << QByteArray("common") << 0 << 1 << QByteArray("@include common\n");
    QTest::newRow("tab spacing") << QByteArray("  @inc\t\tx\n") << QByteArray("@inc") << QByteArray("x") << 2
                                 << 8 << QByteArray("  @inc\t\tx\n");
    QTest::newRow("no path") << QByteArray("@inc\n") << QByteArray("@inc") << QByteArray() << 0 << 0
                             << QByteArray("@inc\n");
    QTest::newRow("rest dropped") << QByteArray("@inc a b # c\n") << QByteArray("@inc") << QByteArray("a")
                                  << 0 << 1 << QByteArray("@inc a\n");
    QTest::newRow("markers after at") << QByteArray("@a#b=c d\n") << QByteArray("@a#b=c") << QByteArray("d")
                                      << 0 << 1 << QByteArray("@a#b=c d\n");
}

void TestConfigParser::includeLines()
{
    QFETCH(QByteArray, input);
    const ConfigDocument document = loaded(input);
    QCOMPARE(document.elements().size(), std::size_t(1));
    auto include = as<ConfigElementInclude>(document.elements().front());
    QVERIFY(include);
    QTEST(bytes(include->directive()), "directive");
    QTEST(bytes(include->path()), "path");
    QTEST(include->indent(), "indent");
    QTEST(include->spacing(), "spacing");
    QTEST(bytes(writeDocument(document)), "written");

    // An '@' that does not begin the first word is ordinary text.
    const ConfigDocument words = loaded("a b @c d\n");
    QVERIFY(as<ConfigElementExpr>(words.elements().front()));
    QCOMPARE(bytes(writeDocument(words)), QByteArray("a b @c d\n"));
}

void TestConfigParser::braceSections()
{
    ConfigDocument document = loaded("service s {\n  a = 1\n  }\n");
    auto s = document.findSection("s");
    QVERIFY(s);
    QCOMPARE(s->kind(), int(ConfigElementSection::Brace));
    QCOMPARE(s->indent(), 0);
    QCOMPARE(s->closeIndent(), 2);
    QCOMPARE(s->children().size(), std::size_t(1));
    QCOMPARE(bytes(writeDocument(document)), QByteArray("service s { \n  a = 1\n  }\n"));

    ConfigDocument bare = loaded("  name {\n}\n");
    auto name = bare.findSection("name");
    QVERIFY(name);
    QCOMPARE(name->indent(), 2);
}

void TestConfigParser::unterminatedLastLine_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("lastType");

    QTest::newRow("section") << QByteArray("a = 1\n[x]") << int(ConfigElementBase::SectionType);
    QTest::newRow("parameter") << QByteArray("[x]\na = b") << int(ConfigElementBase::DataType);
    QTest::newRow("token line lost") << QByteArray("[x]\nfoo") << -1;
    QTest::newRow("include lost") << QByteArray("[x]\n@inc a") << -1;
}

void TestConfigParser::unterminatedLastLine()
{
    QFETCH(QByteArray, input);
    QFETCH(int, lastType);
    const ConfigDocument document = loaded(input);
    auto x = document.findSection("x");
    QVERIFY(x);
    if (lastType == ConfigElementBase::SectionType)
        QCOMPARE(document.elements().back(), ConfigElementPtr(x));
    else if (lastType == ConfigElementBase::DataType)
        QCOMPARE(bytes(document.findValue("x", "a")->value()), QByteArray("b"));
    else
        QVERIFY(x->children().empty());
}

void TestConfigParser::lineNumbers()
{
    ConfigDocument document = loaded("# c\n\n[a]\nk = v\n  foo\n");
    auto a = document.findSection("a");
    QCOMPARE(document.elements()[0]->line(), 0);
    QCOMPARE(document.elements()[1]->line(), 1);
    QCOMPARE(a->line(), 2);
    QCOMPARE(a->children()[0]->line(), 3);
    QCOMPARE(a->children()[1]->line(), 4);
}

void TestConfigParser::syntaxModes()
{
    ConfigDocument hashOnly(ConfigDocument::HashOnly);
    QCOMPARE(bytes(hashOnly.commentMarkers()), QByteArray("#"));
    loadDocument(hashOnly, "k = a\n; not a comment\n");
    QCOMPARE(hashOnly.elements()[1]->type(), int(ConfigElementBase::ExprType));

    ConfigDocument tokens(ConfigDocument::Tokens);
    loadDocument(tokens, "k = a\n");
    auto expr = as<ConfigElementExpr>(tokens.elements().front());
    QVERIFY(expr);
    QCOMPARE(expr->tokens().size(), std::size_t(3));
}

void TestConfigParser::loadReplacesContent()
{
    ConfigDocument document = loaded("[a]\nk = 1\n");
    loadDocument(document, "[b]\n");
    QVERIFY(!document.findSection("a"));
    QVERIFY(document.findSection("b"));
    QCOMPARE(document.elements().size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestConfigParser)
#include "tst_configparser.moc"
