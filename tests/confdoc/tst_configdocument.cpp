// Edits of the document: each changes the bytes of its own lines and nothing else, in the
// style of the line it changes, and can be discarded.
#include "configdocument.h"

#include <QtTest>

#include <functional>

namespace {

using Edit = std::function<void(ConfigDocument &)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestConfigDocument : public QObject
{
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
    void discardEdits();
    void loadReplacesContent();
};

void TestConfigDocument::edits_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("value keeps indentation, separator, trailing blanks and CRLF")
        << QByteArray("[s]\r\n\tpath\t=  /a  \r\n") << Edit([](ConfigDocument &d) { d.setValue(1, "/b"); })
        << QByteArray("[s]\r\n\tpath\t=  /b  \r\n");
    QTest::newRow("empty value gets one, spaced like the line")
        << QByteArray("k =\nn=\n") << Edit([](ConfigDocument &d) {
               d.setValue(0, "v");
               d.setValue(1, "w");
           })
        << QByteArray("k = v\nn=w\n");
    QTest::newRow("continued value joined on one line")
        << QByteArray("users = a \\\n  b\nnext = 1\n") << Edit([](ConfigDocument &d) { d.setValue(0, "c"); })
        << QByteArray("users = c\nnext = 1\n");
    QTest::newRow("unterminated last line stays unterminated")
        << QByteArray("[s]\nk = v") << Edit([](ConfigDocument &d) { d.setValue(1, "w"); })
        << QByteArray("[s]\nk = w");
    QTest::newRow("header keeps the text after it")
        << QByteArray("  [old] ; note\r\n") << Edit([](ConfigDocument &d) { d.setSectionName(0, "new"); })
        << QByteArray("  [new] ; note\r\n");
    QTest::newRow("removed lines") << QByteArray("a = 1\nb = 2\nc = 3\n") << Edit([](ConfigDocument &d) {
        d.removeLine(0);
        d.removeLine(2);
    }) << QByteArray("b = 2\n");
    QTest::newRow("inserted in call order") << QByteArray("a = 1\nc = 3\n") << Edit([](ConfigDocument &d) {
        d.insertBefore(1, "b = 2\n");
        d.insertBefore(1, "b2 = 2\n");
        d.insertBefore(0, "# top\n");
    }) << QByteArray("# top\na = 1\nb = 2\nb2 = 2\nc = 3\n");
    QTest::newRow("inserted after an unterminated last line")
        << QByteArray("a = 1\r\nb = 2") << Edit([](ConfigDocument &d) { d.insertBefore(2, "c = 3\r\n"); })
        << QByteArray("a = 1\r\nb = 2\r\nc = 3\r\n");
    QTest::newRow("inserted before a replaced line")
        << QByteArray("a = 1\nb = 2\n") << Edit([](ConfigDocument &d) {
               d.setValue(1, "two");
               d.insertBefore(1, "x = 0\n");
           })
        << QByteArray("a = 1\nx = 0\nb = two\n");
    QTest::newRow("inserted into an empty file")
        << QByteArray() << Edit([](ConfigDocument &d) { d.insertBefore(0, "[global]\n"); })
        << QByteArray("[global]\n");
}

void TestConfigDocument::edits()
{
    QFETCH(QByteArray, input);
    QFETCH(Edit, edit);
    QFETCH(QByteArray, expected);
    ConfigDocument document;
    document.load(input.toStdString());
    QVERIFY(!document.modified());
    edit(document);
    QVERIFY(document.modified());
    QCOMPARE(QByteArray::fromStdString(document.text()), expected);
    // The edits live beside the text as read.
    QCOMPARE(QByteArray::fromStdString(document.bytes()), input);
}

void TestConfigDocument::discardEdits()
{
    ConfigDocument document;
    document.load("[s]\npath = /a\n");
    document.setValue(1, "/b");
    document.insertBefore(2, "comment = c\n");
    document.discardEdits();
    QVERIFY(!document.modified());
    QCOMPARE(document.text(), std::string("[s]\npath = /a\n"));
    QVERIFY(!document.isRemoved(1));
    document.removeLine(1);
    QVERIFY(document.isRemoved(1));
}

void TestConfigDocument::loadReplacesContent()
{
    ConfigDocument document;
    document.load("[a]\nk = v\n");
    document.setValue(1, "w");
    document.load("[b]\n");
    QVERIFY(!document.modified());
    QCOMPARE(document.lineCount(), std::size_t(1));
    QCOMPARE(document.name(0), std::string("b"));
    document.clear();
    QCOMPARE(document.lineCount(), std::size_t(0));
    QCOMPARE(document.text(), std::string());
}

QTEST_GUILESS_MAIN(TestConfigDocument)
#include "tst_configdocument.moc"
