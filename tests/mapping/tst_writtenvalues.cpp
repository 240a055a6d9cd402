// Every value the writer accepts reads back from the real testparm exactly as given, through
// every kind of field; what Samba would read otherwise is refused, naming the character, and
// nothing is written.
#include "configdocument.h"
#include "configmapper.h"
#include "configtextgate.h"
#include "processrun.h"
#include "testfiles.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sstream>

namespace {

const QByteArray original = "[global]\n\tworkgroup = W\n\tserver string = old\n\tshareward:note = old\n"
                            "[data]\n\tcomment = old\n\tpath = /srv/data\n\tshareward:note = old\n"
                            "[next]\n\tpath = /srv/next\n";

// One field of the records and where testparm shows it.
struct Field
{
    const char *name;
    const char *section;
    const char *parameter;
    std::function<void(SambaSettings &, Share &, const QString &)> set;
};

const QList<Field> &fields()
{
    static const QList<Field> table{
        {"share comment", "data", "comment",
         [](SambaSettings &, Share &share, const QString &value) {
             share.setComment(value);
         }},
        {"share parameter", "data", "shareward:note",
         [](SambaSettings &, Share &share, const QString &value) {
             share.setOtherParameter(QStringLiteral("shareward:note"), value);
         }},
        {"server string", "global", "server string",
         [](SambaSettings &settings, Share &, const QString &value) {
             settings.global()->setServerString(value);
         }},
        {"global parameter", "global", "shareward:note",
         [](SambaSettings &settings, Share &, const QString &value) {
             settings.global()->setOtherParameter(QStringLiteral("shareward:note"), value);
         }},
    };
    return table;
}

struct Edited
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("smb.conf"));
    ConfigDocument document;
    std::unique_ptr<ConfigMapper> mapper;
    SambaSettings settings;
    QList<Share> shares;

    explicit Edited(const Field &field, const QString &value)
    {
        writeFile(path, original);
        mapper = std::make_unique<ConfigMapper>(document, path);
        settings = mapper->loadGlobal();
        shares = mapper->loadShares(*settings.global());
        for (Share &share : shares) {
            if (share.name() == QLatin1String("data"))
                field.set(settings, share, value);
        }
    }
    // Writes the records into the document and the document into the file.
    void apply()
    {
        mapper->applyRecords(settings, shares);
        std::ostringstream out;
        document.write(out);
        writeFile(path, QByteArray::fromStdString(out.str()));
    }
    // What testparm reads for a parameter of a section of the file.
    QByteArray read(const char *section, const char *parameter) const
    {
        const ProcessRun run =
            runProcess(QStringLiteral("testparm"),
                       {QStringLiteral("-s"), QStringLiteral("--section-name=") + QLatin1String(section),
                        QStringLiteral("--parameter-name=") + QLatin1String(parameter), path});
        return run.exitCode == 0 ? run.out : QByteArray("(testparm failed: " + run.err + ")");
    }
};

} // namespace

class TestWrittenValues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readBackExactly_data();
    void readBackExactly();
    void refusedNamingTheCharacter_data();
    void refusedNamingTheCharacter();
    void keysThatAreNoParameterName_data();
    void keysThatAreNoParameterName();
};

void TestWrittenValues::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed");
}

void TestWrittenValues::readBackExactly_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    const QList<QPair<const char *, QString>> values{
        {"plain", QStringLiteral("Backup")},
        {"backslash inside", QStringLiteral("Backup of C:\\data")},
        {"backslash and blank inside", QStringLiteral("C:\\ and D:\\ drives")},
        {"two backslashes inside", QStringLiteral("\\\\server\\share x")},
        {"tab inside", QStringLiteral("a\tb")},
        {"blanks inside", QStringLiteral("a b\tc")},
        {"quotes", QStringLiteral("\"quoted\"")},
        {"comment characters", QStringLiteral("a ; b # c")},
        {"equals sign", QStringLiteral("a = b")},
        {"brackets", QStringLiteral("[other] x")},
        {"substitution", QStringLiteral("Home of %U")},
        {"non-ASCII", QStringLiteral("Büro für Ärger €")},
        {"one character", QStringLiteral("x")},
    };
    for (int f = 0; f < fields().size(); ++f) {
        for (const auto &[name, value] : values)
            QTest::addRow("%s, %s", fields().at(f).name, name) << f << value;
    }
}

void TestWrittenValues::readBackExactly()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    const Field &f = fields().at(field);
    Edited edited(f, value);
    edited.apply();
    QCOMPARE(QString::fromUtf8(edited.read(f.section, f.parameter)), value + QLatin1Char('\n'));
    // The lines after it are still read as they were.
    QCOMPARE(edited.read("data", "path"), QByteArray("/srv/data\n"));
    QCOMPARE(edited.read("next", "path"), QByteArray("/srv/next\n"));
}

void TestWrittenValues::refusedNamingTheCharacter_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("named");
    const QList<std::tuple<const char *, QString, QString>> values{
        {"backslash at the end", QStringLiteral("Backup of C:\\"),
         QStringLiteral("ends with a backslash (\\)")},
        {"backslash alone", QStringLiteral("\\"), QStringLiteral("ends with a backslash (\\)")},
        {"backslash and a blank at the end", QStringLiteral("C:\\ "), QStringLiteral("ends with a space")},
        {"two backslashes at the end", QStringLiteral("C:\\\\"),
         QStringLiteral("ends with a backslash (\\)")},
        {"line feed", QStringLiteral("a\nguest ok = yes"), QStringLiteral("line break (LF)")},
        {"carriage return", QStringLiteral("a\rb"), QStringLiteral("line break (CR)")},
        {"NUL", QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("NUL character")},
        {"leading space", QStringLiteral(" a"), QStringLiteral("begins with a space")},
        {"trailing space", QStringLiteral("a "), QStringLiteral("ends with a space")},
        {"leading tab", QStringLiteral("\ta"), QStringLiteral("begins with a tab")},
        {"trailing form feed", QStringLiteral("a\f"), QStringLiteral("ends with a form feed")},
        {"trailing vertical tab", QStringLiteral("a\v"), QStringLiteral("ends with a vertical tab")},
        {"blanks only", QStringLiteral("   "), QStringLiteral("begins with a space")},
        {"two spaces inside", QStringLiteral("a  b"),
         QStringLiteral("two blanks in a row (a space, then a space)")},
        {"space and tab inside", QStringLiteral("a \tb"),
         QStringLiteral("two blanks in a row (a space, then a tab)")},
    };
    for (int f = 0; f < fields().size(); ++f) {
        for (const auto &[name, value, named] : values)
            QTest::addRow("%s, %s", fields().at(f).name, name) << f << value << named;
    }
}

void TestWrittenValues::refusedNamingTheCharacter()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(QString, named);
    const Field &f = fields().at(field);
    Edited edited(f, value);
    try {
        edited.apply();
        QFAIL("the value was written");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(named), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("\"%1\"").arg(QLatin1String(f.parameter))),
                 qPrintable(message));
    }
    QCOMPARE(readFile(edited.path), original);
}

void TestWrittenValues::keysThatAreNoParameterName_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("named");
    QTest::newRow("section") << QStringLiteral("[root]path") << QStringLiteral("contains \"[\"");
    QTest::newRow("closing bracket") << QStringLiteral("a]b") << QStringLiteral("contains \"]\"");
    QTest::newRow("equals sign") << QStringLiteral("comment=x") << QStringLiteral("contains \"=\"");
    QTest::newRow("semicolon") << QStringLiteral(";comment") << QStringLiteral("contains \";\"");
    QTest::newRow("hash") << QStringLiteral("#comment") << QStringLiteral("contains \"#\"");
    QTest::newRow("backslash at the end") << QStringLiteral("comment\\") << QStringLiteral("backslash (\\)");
}

// A key given with --param or kept among a record's other parameters is one parameter name.
void TestWrittenValues::keysThatAreNoParameterName()
{
    QFETCH(QString, key);
    QFETCH(QString, named);
    const Field field{"key", "data", "", [&key](SambaSettings &, Share &share, const QString &value) {
                          share.setOtherParameter(key, value);
                      }};
    Edited edited(field, QStringLiteral("/"));
    try {
        edited.apply();
        QFAIL("the key was written");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(named), qPrintable(message));
        QVERIFY2(message.contains(QLatin1String("parameter name")), qPrintable(message));
    }
    QCOMPARE(readFile(edited.path), original);
    QVERIFY(ConfigTextGate::keyProblem("idmap config * : range").isEmpty());
    QVERIFY(ConfigTextGate::keyProblem("recycle:repository").isEmpty());
    QVERIFY(ConfigTextGate::keyProblem("a\nb").contains(QLatin1String("line break (LF)")));
}

QTEST_GUILESS_MAIN(TestWrittenValues)
#include "tst_writtenvalues.moc"
