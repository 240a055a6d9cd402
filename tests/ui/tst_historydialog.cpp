// The history dialog driven by object names: the versions listed, the diff asked for as the
// selection and the comparison change, Restore, and a new list after a restore.
#include "diffview.h"
#include "historydialog.h"
#include "widgetlookup.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <time.h>

namespace {

using Call = QPair<int, bool>;

ConfigHistory::Version version(int number)
{
    ConfigHistory::Version result;
    result.number = number;
    result.file = QStringLiteral("/etc/samba/smb.conf");
    result.time = QDateTime(QDate(2024, 5, number), QTime(22, 30, 5), Qt::UTC);
    result.user = number % 2 ? QStringLiteral("alice") : QStringLiteral("root");
    result.program = number % 2 ? QStringLiteral("shareward") : QStringLiteral("shareward-cli");
    result.summary = QStringLiteral("share s%1 added").arg(number);
    return result;
}

QList<ConfigHistory::Version> versions(std::initializer_list<int> numbers)
{
    QList<ConfigHistory::Version> result;
    for (int number : numbers)
        result << version(number);
    return result;
}

// A diff source that records what it is asked; a version compared with itself, the even
// ones against the current file, has no differences.
struct Source
{
    QList<Call> calls;

    HistoryDialog::DiffSource function()
    {
        return [this](int number, bool againstCurrent) {
            calls << Call(number, againstCurrent);
            if (againstCurrent && number % 2 == 0)
                return QString();
            return QStringLiteral("@@ -1 +1 @@\n-v%1\n+%2\n")
                .arg(number)
                .arg(againstCurrent ? QStringLiteral("current") : QStringLiteral("previous"));
        };
    }
};

QStringList fields(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char('|'));
}

QTreeWidget *tree(HistoryDialog &dialog)
{
    return child<QTreeWidget>(dialog, "treeVersions");
}

void selectRow(HistoryDialog &dialog, int row)
{
    tree(dialog)->setCurrentItem(tree(dialog)->topLevelItem(row));
}

int selectedRow(HistoryDialog &dialog)
{
    const QList<QTreeWidgetItem *> selected = tree(dialog)->selectedItems();
    return selected.size() == 1 ? tree(dialog)->indexOfTopLevelItem(selected.first()) : -1;
}

} // namespace

class TestHistoryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rows();
    void diffFollowsSelection();
    void noDifferences();
    void restore();
    void keptLabel_data();
    void keptLabel();
    void setVersionsKeepsSelection_data();
    void setVersionsKeepsSelection();
    void emptyList();
};

void TestHistoryDialog::initTestCase()
{
    // Two hours east of UTC, without a zone database.
    qputenv("TZ", "XST-2");
    tzset();
}

void TestHistoryDialog::rows()
{
    Source source;
    HistoryDialog dialog(versions({3, 2, 1}), 100, source.function());
    QCOMPARE(dialog.objectName(), QStringLiteral("HistoryDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("History"));
    QTreeWidget *list = tree(dialog);
    QVERIFY(!list->rootIsDecorated());
    QStringList headers;
    for (int column = 0; column < list->columnCount(); ++column)
        headers << list->headerItem()->text(column);
    QCOMPARE(headers, fields("Version|Time|User|Program|Summary"));

    QCOMPARE(list->topLevelItemCount(), 3);
    const QStringList expected[] = {
        fields("3|2024-05-04 00:30:05|alice|shareward|share s3 added"),
        fields("2|2024-05-03 00:30:05|root|shareward-cli|share s2 added"),
        fields("1|2024-05-02 00:30:05|alice|shareward|share s1 added"),
    };
    for (int row = 0; row < 3; ++row) {
        QStringList shown;
        for (int column = 0; column < list->columnCount(); ++column)
            shown << list->topLevelItem(row)->text(column);
        QCOMPARE(shown, expected[row]);
    }
    QCOMPARE(selectedRow(dialog), 0);
    QCOMPARE(dialog.selectedVersion(), 3);
}

void TestHistoryDialog::diffFollowsSelection()
{
    Source source;
    HistoryDialog dialog(versions({3, 2, 1}), 100, source.function());
    auto *view = child<DiffView>(dialog, "diffView");
    QVERIFY(child<QRadioButton>(dialog, "radioAgainstCurrent")->isChecked());
    QCOMPARE(source.calls, QList<Call>({{3, true}}));
    QCOMPARE(view->toPlainText(), QStringLiteral("@@ -1 +1 @@\n-v3\n+current"));

    selectRow(dialog, 2);
    child<QRadioButton>(dialog, "radioAgainstPrevious")->click();
    selectRow(dialog, 1);
    child<QRadioButton>(dialog, "radioAgainstCurrent")->click();
    selectRow(dialog, 0);
    QCOMPARE(source.calls, QList<Call>({{3, true}, {1, true}, {1, false}, {2, false}, {2, true}, {3, true}}));
    QCOMPARE(view->lineKind(2), DiffView::Added);
    QCOMPARE(view->toPlainText(), QStringLiteral("@@ -1 +1 @@\n-v3\n+current"));
}

void TestHistoryDialog::noDifferences()
{
    Source source;
    HistoryDialog dialog(versions({3, 2, 1}), 100, source.function());
    auto *view = child<DiffView>(dialog, "diffView");
    QVERIFY(view->placeholderText().isEmpty());

    selectRow(dialog, 1);
    QVERIFY(view->toPlainText().isEmpty());
    QCOMPARE(view->placeholderText(), QStringLiteral("No differences."));

    child<QRadioButton>(dialog, "radioAgainstPrevious")->click();
    QVERIFY(!view->toPlainText().isEmpty());
    QVERIFY(view->placeholderText().isEmpty());
}

void TestHistoryDialog::restore()
{
    Source source;
    HistoryDialog dialog(versions({3, 2, 1}), 100, source.function());
    auto *restore = child<QPushButton>(dialog, "pushButtonRestore");
    QSignalSpy requested(&dialog, &HistoryDialog::restoreRequested);
    selectRow(dialog, 1);
    QVERIFY(restore->isEnabled());
    restore->click();
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested.first().first().toInt(), 2);

    // Without a selection there is nothing to restore, nor any diff.
    tree(dialog)->clearSelection();
    QCOMPARE(dialog.selectedVersion(), 0);
    QVERIFY(!restore->isEnabled());
    QVERIFY(child<DiffView>(dialog, "diffView")->toPlainText().isEmpty());
    restore->click();
    QCOMPARE(requested.size(), 1);
}

void TestHistoryDialog::keptLabel_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("keep");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << 100 << "No version of smb.conf is stored yet. The newest 100 are kept.";
    QTest::newRow("one") << 1 << 100 << "1 version of smb.conf is stored. The newest 100 are kept.";
    QTest::newRow("several") << 3 << 20 << "3 versions of smb.conf are stored. The newest 20 are kept.";
    QTest::newRow("keep one") << 1 << 1 << "1 version of smb.conf is stored. Only the newest is kept.";
}

void TestHistoryDialog::keptLabel()
{
    QFETCH(int, count);
    QFETCH(int, keep);
    QFETCH(QString, text);
    QList<ConfigHistory::Version> list;
    for (int number = count; number > 0; --number)
        list << version(number);
    Source source;
    HistoryDialog dialog({}, keep, source.function());
    dialog.setVersions(list);
    QCOMPARE(child<QLabel>(dialog, "labelKept")->text(), text);
}

void TestHistoryDialog::setVersionsKeepsSelection_data()
{
    QTest::addColumn<int>("selectRow");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<int>("expectedRow");
    QTest::addColumn<int>("expectedNumber");
    QTest::newRow("still there") << 1 << QList<int>{5, 3, 2, 1} << 2 << 2;
    QTest::newRow("gone") << 1 << QList<int>{5, 3} << 0 << 5;
    QTest::newRow("oldest") << 2 << QList<int>{4, 3, 1} << 2 << 1;
    QTest::newRow("newest") << 0 << QList<int>{4, 3, 2, 1} << 1 << 3;
}

void TestHistoryDialog::setVersionsKeepsSelection()
{
    QFETCH(int, selectRow);
    QFETCH(QList<int>, numbers);
    QFETCH(int, expectedRow);
    QFETCH(int, expectedNumber);
    Source source;
    HistoryDialog dialog(versions({3, 2, 1}), 100, source.function());
    ::selectRow(dialog, selectRow);

    QList<ConfigHistory::Version> list;
    for (int number : numbers)
        list << version(number);
    source.calls.clear();
    dialog.setVersions(list);
    QCOMPARE(tree(dialog)->topLevelItemCount(), numbers.size());
    QCOMPARE(selectedRow(dialog), expectedRow);
    QCOMPARE(dialog.selectedVersion(), expectedNumber);
    // The file may have changed with the list: the diff is asked for again, once.
    QCOMPARE(source.calls, QList<Call>({{expectedNumber, true}}));
}

void TestHistoryDialog::emptyList()
{
    Source source;
    HistoryDialog dialog({}, 100, source.function());
    QCOMPARE(tree(dialog)->topLevelItemCount(), 0);
    QCOMPARE(dialog.selectedVersion(), 0);
    QVERIFY(child<QLabel>(dialog, "labelKept")->text().startsWith(QLatin1String("No version")));
    QVERIFY(!child<QPushButton>(dialog, "pushButtonRestore")->isEnabled());
    QVERIFY(source.calls.isEmpty());

    // Emptied after a list: nothing of the old selection stays.
    dialog.setVersions(versions({2}));
    child<QRadioButton>(dialog, "radioAgainstPrevious")->click();
    auto *view = child<DiffView>(dialog, "diffView");
    QVERIFY(!view->toPlainText().isEmpty());
    source.calls.clear();
    dialog.setVersions({});
    QCOMPARE(tree(dialog)->topLevelItemCount(), 0);
    QVERIFY(!child<QPushButton>(dialog, "pushButtonRestore")->isEnabled());
    QVERIFY(view->toPlainText().isEmpty());
    QVERIFY(view->placeholderText().isEmpty());
    QVERIFY(source.calls.isEmpty());
}

QTEST_MAIN(TestHistoryDialog)
#include "tst_historydialog.moc"
