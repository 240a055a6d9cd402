#include "vfsoperation.h"

#include <QTest>

#include <algorithm>

namespace {

// Space-separated names as a list, to keep the data tables short.
QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

VfsOperationSet operationsNamed(const QStringList &names)
{
    VfsOperationSet result;
    for (const QString &name : names) {
        result.insert(VfsOperation(name));
    }
    return result;
}

QStringList sortedNames(const VfsOperationSet &operations)
{
    QStringList names;
    for (const VfsOperation &operation : operations) {
        names.append(operation.name());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestOperationSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void format_data();
    void format();
    void formatIsStable();
};

void TestOperationSet::parse_data()
{
    // The expected set is (the full table if fromAll) + added - removed.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fromAll");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");

    const QStringList none;
    QTest::newRow("empty") << "" << false << none << none;
    QTest::newRow("blank") << " \t\n  " << false << none << none;
    QTest::newRow("names") << "open close" << false << words("open close") << none;
    QTest::newRow("names folded to lower case") << "OPEN Close" << false << words("open close") << none;
    QTest::newRow("runs of white space") << "\topen \n\n close  " << false << words("open close") << none;
    QTest::newRow("all") << "all" << true << none << none;
    QTest::newRow("ALL") << "ALL" << true << none << none;
    QTest::newRow("none") << "none" << false << none << none;
    QTest::newRow("all then exclusion") << "all !open" << true << none << words("open");
    QTest::newRow("exclusion then all") << "!open all" << true << none << none;
    QTest::newRow("exclusion in capitals") << "all !OPEN" << true << none << words("open");
    QTest::newRow("every ! is dropped") << "open !!open" << false << none << none;
    QTest::newRow("! inside the name") << "open !op!en" << false << none << none;
    QTest::newRow("lone !") << "open !" << false << words("open") << none;
    QTest::newRow("excluding an absent name") << "!foo open" << false << words("open") << none;
    QTest::newRow("unknown name") << "foo" << false << words("foo") << none;
    QTest::newRow("none keeps unknown names") << "foo none" << false << words("foo") << none;
    QTest::newRow("none after all keeps unknown") << "all foo none" << false << words("foo") << none;
    QTest::newRow("names after none") << "all none open" << false << words("open") << none;
    QTest::newRow("all plus unknown") << "all foo" << true << words("foo") << none;
    // Names older Samba versions knew are unknown to this one, and stay as read.
    QTest::newRow("none keeps names Samba dropped")
        << "all chmod unlink none" << false << words("chmod unlink") << none;
    // Repeated words are dropped before anything else; the comparison is case-sensitive.
    QTest::newRow("repeated word dropped") << "open !open open" << false << none << none;
    QTest::newRow("repeat in other case kept") << "open !open OPEN" << false << words("open") << none;
}

void TestOperationSet::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, fromAll);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);

    VfsOperationSet expected = fromAll ? allOperations() : VfsOperationSet();
    expected.unite(operationsNamed(added));
    expected.subtract(operationsNamed(removed));

    QCOMPARE(sortedNames(parseOperationSet(text)), sortedNames(expected));
}

void TestOperationSet::format_data()
{
    QTest::addColumn<bool>("fromAll");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QString>("expected");

    const QStringList none;
    QTest::newRow("empty") << false << none << none << "none";
    QTest::newRow("full table") << true << none << none << "all";
    QTest::newRow("sorted by name") << false << words("write fchmod open") << none << "fchmod open write";
    QTest::newRow("unknown name") << false << words("foo") << none << "foo";
    QTest::newRow("unknown names sort among known")
        << false << words("zzz open aaa") << none << "aaa open zzz";
}

void TestOperationSet::format()
{
    QFETCH(bool, fromAll);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    QFETCH(QString, expected);

    VfsOperationSet operations = fromAll ? allOperations() : VfsOperationSet();
    operations.unite(operationsNamed(added));
    operations.subtract(operationsNamed(removed));

    QCOMPARE(formatOperationSet(operations), expected);
}

void TestOperationSet::formatIsStable()
{
    // Not the full table in either direction: each is written as the sorted list of its names.
    VfsOperationSet more = allOperations();
    more.insert(VfsOperation(QStringLiteral("foo")));
    const QStringList moreNames = formatOperationSet(more).split(QLatin1Char(' '));
    QCOMPARE(moreNames.size(), allOperations().size() + 1);
    QCOMPARE(moreNames, sortedNames(more));

    VfsOperationSet fewer = allOperations();
    fewer.remove(VfsOperation(QStringLiteral("open")));
    const QStringList fewerNames = formatOperationSet(fewer).split(QLatin1Char(' '));
    QCOMPARE(fewerNames.size(), allOperations().size() - 1);
    QCOMPARE(fewerNames, sortedNames(fewer));
}

QTEST_GUILESS_MAIN(TestOperationSet)
#include "tst_operationset.moc"
