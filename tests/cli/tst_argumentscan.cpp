// Command lines read as getopt_long reads them: values taken whatever they look like, "--"
// ending the options.
#include "argumentscan.h"

#include <QtTest>

class TestArgumentScan : public QObject
{
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
};

void TestArgumentScan::scan_data()
{
    QTest::addColumn<QStringList>("arguments");
    // Each item as "--option=value", "--switch" or "operand" ("after:operand" after "--"), or
    // the problem.
    QTest::addColumn<QStringList>("items");
    const auto list = [](const char *text) {
        return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QTest::newRow("value looking like a switch")
        << list("set a --comment --allow-missing-modules --writable")
        << list("set a --comment=--allow-missing-modules --writable");
    QTest::newRow("value looking like a value option")
        << list("--comment --config x") << list("--comment=--config x");
    QTest::newRow("value after equals") << list("--comment=--dry-run") << list("--comment=--dry-run");
    QTest::newRow("empty value after equals")
        << QStringList{QStringLiteral("--comment=")} << QStringList{QStringLiteral("--comment=")};
    QTest::newRow("equals inside the value")
        << list("--param a=b --param=c=d") << list("--param=a=b --param=c=d");
    QTest::newRow("double dash as a value") << list("--comment -- x") << list("--comment=-- x");
    QTest::newRow("double dash ends the options")
        << list("a --writable -- --dry-run -x") << list("a --writable after:--dry-run after:-x");
    QTest::newRow("double dash after double dash") << list("-- --") << list("after:--");
    QTest::newRow("single dash is an operand") << list("- --writable") << list("- --writable");
    QTest::newRow("short switch") << list("-h") << list("-h");
    QTest::newRow("switch given a value")
        << list("--writable=yes") << QStringList{QStringLiteral("problem:--writable takes no value")};
    QTest::newRow("value missing at the end")
        << list("a --comment") << QStringList{QStringLiteral("problem:--comment needs a value")};
    QTest::newRow("negative number as a value") << list("--keep -5") << list("--keep=-5");
}

void TestArgumentScan::scan()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, items);
    const QStringList values{QStringLiteral("--comment"), QStringLiteral("--config"),
                             QStringLiteral("--param"), QStringLiteral("--keep")};
    QList<ArgumentScan::Item> scanned;
    const QString problem = ArgumentScan::scan(arguments, values, scanned);
    QStringList got;
    if (!problem.isEmpty()) {
        QCOMPARE(QStringList{QStringLiteral("problem:") + problem}, items);
        return;
    }
    for (const ArgumentScan::Item &item : scanned) {
        if (item.afterEnd)
            got << QStringLiteral("after:") + item.value;
        else if (item.option.isEmpty())
            got << item.value;
        else if (values.contains(item.option))
            got << item.option + QLatin1Char('=') + item.value;
        else
            got << item.option;
    }
    QCOMPARE(got, items);
    // Joined again, the items scan to themselves.
    QList<ArgumentScan::Item> again;
    QVERIFY(ArgumentScan::scan(ArgumentScan::join(scanned, values), values, again).isEmpty());
    QCOMPARE(again.size(), scanned.size());
    for (int i = 0; i < again.size(); ++i) {
        QCOMPARE(again.at(i).option, scanned.at(i).option);
        QCOMPARE(again.at(i).value, scanned.at(i).value);
        QCOMPARE(again.at(i).afterEnd, scanned.at(i).afterEnd);
    }
}

QTEST_GUILESS_MAIN(TestArgumentScan)
#include "tst_argumentscan.moc"
