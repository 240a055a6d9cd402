// Where a reader could disagree with Samba about what a line means, Shareward reads what
// the real testparm reads: each row's sections and comments, as both see them.
#include "configdocument.h"
#include "configtables.h"
#include "processrun.h"

#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Comments = QMap<QString, QString>; // lower-cased section name -> comment

// testparm -s prints "[name]" and "\tkey = value" lines for what it read.
Comments testparmComments(const QString &path)
{
    const ProcessRun result = runProcess(QStringLiteral("testparm"), {QStringLiteral("-s"), path});
    Comments comments;
    QString section;
    for (const QByteArray &line : result.out.split('\n')) {
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2)).toLower();
            if (section != QLatin1String("global"))
                comments.insert(section, QString());
        } else if (line.startsWith("\tcomment = ") && section != QLatin1String("global")) {
            comments.insert(section, QString::fromUtf8(line.mid(11)));
        }
    }
    return comments;
}

Comments ourComments(const QByteArray &text)
{
    ConfigDocument document;
    document.load(text.toStdString());
    ConfigTables tables;
    tables.build(document);
    Comments comments;
    for (const ConfigTables::Section &section : tables.sections()) {
        if (section.key == "global")
            continue;
        const auto comment = section.find("comment");
        comments.insert(QString::fromStdString(section.key),
                        comment ? QString::fromStdString(comment->value) : QString());
    }
    return comments;
}

} // namespace

class TestSambaReading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameAsTestparm_data();
    void sameAsTestparm();
};

void TestSambaReading::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed");
}

void TestSambaReading::sameAsTestparm_data()
{
    QTest::addColumn<QByteArray>("text");
    // What both must read, so that a testparm that read nothing cannot pass.
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("comment");

    QTest::newRow("continued value") << QByteArray("[s]\ncomment = alice \\\nbob\npath = /tmp\n")
                                     << QStringLiteral("s") << QStringLiteral("alice bob");
    QTest::newRow("blanks as one") << QByteArray("[s]\ncomment = a\\\n   b  \t c\npath = /tmp\n")
                                   << QStringLiteral("s") << QStringLiteral("a b c");
    QTest::newRow("markers inside a header")
        << QByteArray("[a;b]\ncomment = x\npath = /tmp\n") << QStringLiteral("a;b") << QStringLiteral("x");
    QTest::newRow("text after a header") << QByteArray("[s] comment = wrong\npath = /tmp\ncomment = right\n")
                                         << QStringLiteral("s") << QStringLiteral("right");
    QTest::newRow("service braces belong to the section before")
        << QByteArray("[s]\ncomment = one\npath = /tmp\nservice t {\ncomment = two\n}\n")
        << QStringLiteral("s") << QStringLiteral("two");
    QTest::newRow("repeated section in another case")
        << QByteArray("[s]\npath = /tmp\ncomment = first\n[t]\npath = /tmp\n[S]\ncomment = later\n")
        << QStringLiteral("s") << QStringLiteral("later");
    QTest::newRow("markers inside a value")
        << QByteArray("[s]\npath = /tmp\n  # comment = no\ncomment = a # b ; c\n") << QStringLiteral("s")
        << QStringLiteral("a # b ; c");
    QTest::newRow("carriage returns") << QByteArray("[s]\r\npath = /tmp\r\ncomment = c\rr \r\n")
                                      << QStringLiteral("s") << QStringLiteral("c\rr");
    QTest::newRow("blanks in a header name") << QByteArray("[my \t  share ]\npath = /tmp\ncomment = spaced\n")
                                             << QStringLiteral("my share ") << QStringLiteral("spaced");
    QTest::newRow("blanks and case in a key") << QByteArray("[s]\npath = /tmp\nCom Ment = keyed\n")
                                              << QStringLiteral("s") << QStringLiteral("keyed");
    QTest::newRow("continued key") << QByteArray("[s]\npath = /tmp\nco\\\nmment = joined\n")
                                   << QStringLiteral("s") << QStringLiteral("joined");
    QTest::newRow("continued onto an empty line")
        << QByteArray("[s]\npath = /tmp\ncomment = a\\\n\n") << QStringLiteral("s") << QStringLiteral("a");
    QTest::newRow("line without '=' ignored")
        << QByteArray("[s]\npath = /tmp\ncomment junk\ncomment = kept\n") << QStringLiteral("s")
        << QStringLiteral("kept");
}

void TestSambaReading::sameAsTestparm()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, comment);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[global]\nworkgroup = W\n" + text) > 0);
    file.close();

    const Comments samba = testparmComments(path);
    QCOMPARE(samba.value(section), comment);
    QCOMPARE(ourComments("[global]\nworkgroup = W\n" + text), samba);
}

QTEST_GUILESS_MAIN(TestSambaReading)
#include "tst_sambareading.moc"
