// Reading smb.conf text into the lines Samba sees: what each line is to Samba, and where
// its name and value are.
#include "configdocument.h"
#include "documentcontent.h"

#include <QtTest>

namespace {

using Content = QList<QByteArray>;

Content contentOf(const QByteArray &input)
{
    ConfigDocument document;
    document.load(input.toStdString());
    Content content;
    for (const std::string &entry : documentContent(document))
        content << QByteArray::fromStdString(entry);
    return content;
}

QByteArray section(const char *name)
{
    return "section " + QByteArray::number(int(qstrlen(name))) + ':' + name;
}

QByteArray parameter(const QByteArray &key, const QByteArray &value)
{
    return "parameter " + QByteArray::number(key.size()) + ':' + key + " = "
        + QByteArray::number(value.size()) + ':' + value;
}

} // namespace

class TestConfigParser : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void offsets();
    void nulEndsReading();
};

void TestConfigParser::lines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Content>("expected");

    const QByteArray blank = "blank";
    const QByteArray comment = "comment";
    const QByteArray other = "other";
    QTest::newRow("empty") << QByteArray() << Content();
    QTest::newRow("parameter") << QByteArray("workgroup = W\n") << Content{parameter("workgroup", "W")};
    QTest::newRow("tabs and no blanks")
        << QByteArray("\tpath\t=\t/srv \t\n") << Content{parameter("path", "/srv")};
    QTest::newRow("markers inside a value")
        << QByteArray("key = a ; b # c\n") << Content{parameter("key", "a ; b # c")};
    QTest::newRow("empty value") << QByteArray("key =\n") << Content{parameter("key", "")};
    QTest::newRow("key of several words, blanks as one")
        << QByteArray("  read   only = yes\n") << Content{parameter("read only", "yes")};
    QTest::newRow("indented comments") << QByteArray("\t# c\n    ; d\n") << Content{comment, comment};
    QTest::newRow("whitespace-only line") << QByteArray("  \t \r\n") << Content{blank};
    QTest::newRow("crlf") << QByteArray("[a]\r\nk = v\r\n; c\r\n\r\n")
                          << Content{section("a"), parameter("k", "v"), comment, blank};
    QTest::newRow("carriage return inside a value is kept")
        << QByteArray("k = a\rb\n") << Content{parameter("k", "a\rb")};
    QTest::newRow("value continued") << QByteArray("valid users = alice \\\nbob\n")
                                     << Content{parameter("valid users", "alice bob")};
    // As testparm shows them: a run of blanks is its first one, a TAB kept as a TAB.
    QTest::newRow("runs of blanks as their first")
        << QByteArray("k = x\t\ty \tz\t w\n") << Content{parameter("k", "x\ty z\tw")};
    QTest::newRow("header with a TAB kept") << QByteArray("[u\t u]\n") << Content{section("u\tu")};
    QTest::newRow("continuation, blanks as one") << QByteArray("k = a\\\n   b \\\t\n c\nnext = 1\n")
                                                 << Content{parameter("k", "a b c"), parameter("next", "1")};
    QTest::newRow("continued onto an empty line")
        << QByteArray("passwd chat = *new* %n\\\n\n[s]\n")
        << Content{parameter("passwd chat", "*new* %n"), section("s")};
    QTest::newRow("continued key") << QByteArray("read \\\n only = no\n")
                                   << Content{parameter("read only", "no")};
    QTest::newRow("continued header") << QByteArray("[my \\\n share]\n") << Content{section("my share")};
    QTest::newRow("text after a header is ignored")
        << QByteArray("[data] path = /srv/other\n") << Content{section("data")};
    QTest::newRow("comment after a header") << QByteArray("[a] # c\n") << Content{section("a")};
    QTest::newRow("markers inside a header")
        << QByteArray("[a;b]\n[c#d]\n") << Content{section("a;b"), section("c#d")};
    QTest::newRow("whitespace in a header name")
        << QByteArray("[  my \t share ]\n") << Content{section(" my share ")};
    QTest::newRow("header not closed") << QByteArray("[a\nk = v\n") << Content{other, parameter("k", "v")};
    QTest::newRow("empty header") << QByteArray("[ ]\n") << Content{other};
    QTest::newRow("text before a bracket is a line without '='") << QByteArray("xx[a]\n") << Content{other};
    QTest::newRow("service braces are ignored")
        << QByteArray("[a]\nservice b {\n path = /b\n}\n")
        << Content{section("a"), other, parameter("path", "/b"), other};
    QTest::newRow("include lines without '='") << QByteArray("@include x\n") << Content{other};
    QTest::newRow("include parameter")
        << QByteArray("include = /etc/samba/x.conf\n") << Content{parameter("include", "/etc/samba/x.conf")};
    QTest::newRow("empty key") << QByteArray("= x\n") << Content{other};
    QTest::newRow("stray backslash") << QByteArray("\\ path = /p\n\\\n")
                                     << Content{parameter("path", "/p"), blank};
    QTest::newRow("no final line feed")
        << QByteArray("[x]\na = b") << Content{section("x"), parameter("a", "b")};
    QTest::newRow("no final line feed, no '='") << QByteArray("[x]\nfoo") << Content{section("x"), other};
    QTest::newRow("repeated sections stay apart")
        << QByteArray("[g]\na = 1\n\n# about g\n[g]\na = 2\n")
        << Content{section("g"), parameter("a", "1"), blank, comment, section("g"), parameter("a", "2")};
    QTest::newRow("high bytes") << QByteArray("[d\xe9j\xe0]\nk = \xff\xfe\n")
                                << Content{section("d\xe9j\xe0"), parameter("k", "\xff\xfe")};
}

void TestConfigParser::lines()
{
    QFETCH(QByteArray, input);
    QFETCH(Content, expected);
    QCOMPARE(contentOf(input), expected);
    ConfigDocument document;
    document.load(input.toStdString());
    QCOMPARE(QString::fromStdString(tilingFault(document)), QString());
    QCOMPARE(QByteArray::fromStdString(document.text()), input);
}

// The pieces of a line that edits keep: indentation, separator and line ending.
void TestConfigParser::offsets()
{
    ConfigDocument document;
    document.load("  path\t=  /srv/a  \r\n[s] x\nk=v");
    QCOMPARE(document.lineCount(), std::size_t(3));
    QCOMPARE(std::string(document.indentation(0)), std::string("  "));
    QCOMPARE(std::string(document.rawName(0)), std::string("path"));
    QCOMPARE(std::string(document.separator(0)), std::string("\t=  "));
    QCOMPARE(std::string(document.lineEnding(0)), std::string("\r\n"));
    QCOMPARE(document.value(0), std::string("/srv/a"));
    QCOMPARE(std::string(document.rawName(1)), std::string("s"));
    QCOMPARE(std::string(document.lineEnding(1)), std::string("\n"));
    QCOMPARE(std::string(document.separator(2)), std::string("="));
    QCOMPARE(std::string(document.lineEnding(2)), std::string());
    QCOMPARE(std::string(document.fileLineEnding()), std::string("\r\n"));
}

// Samba stops reading at a NUL byte: from the line holding it on nothing means anything to
// Shareward, while every byte is kept.
void TestConfigParser::nulEndsReading()
{
    const QByteArray input("[s]\nk = a\0b\n[t]\nx = 1\n", 22);
    QCOMPARE(contentOf(input), (Content{section("s"), "other", "other", "other"}));
    ConfigDocument document;
    document.load(input.toStdString());
    QCOMPARE(document.readLines(), std::size_t(1));
    QCOMPARE(QString::fromStdString(tilingFault(document)), QString());
    QCOMPARE(QByteArray::fromStdString(document.text()), input);
}

QTEST_GUILESS_MAIN(TestConfigParser)
#include "tst_configparser.moc"
