// The share table and its two filtered views.
#include "sharemodel.h"
#include "shareproxymodel.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QSignalSpy>
#include <QtTest>

namespace {

Share makeShare(const QString &name, bool printable = false, const QString &path = QString())
{
    Share share(name);
    share.setName(name);
    share.setPrintable(printable);
    share.setPath(path.isEmpty() ? QStringLiteral("/srv/") + name : path);
    share.setComment(QStringLiteral("About ") + name);
    return share;
}

QStringList namesIn(const QAbstractItemModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.index(row, 0).data().toString();
    return names;
}

} // namespace

class TestShareModel : public QObject
{
    Q_OBJECT

private slots:
    void emptyModel();
    void data_data();
    void data();
    void addRemoveAndReset();
    void removeSharesNamed();
    void shareNamesIgnoreCase();
    void recordsStayPut();
    void proxiesSplitAndFollowChanges();
};

void TestShareModel::emptyModel()
{
    ShareModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Description"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Path"));
    // Every other case is the base class's: vertical headers are row numbers.
    QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
    QVERIFY(model.shares().isEmpty());
    QVERIFY(!model.share(model.index(0, 0)));
}

void TestShareModel::data_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("name") << 0 << int(Qt::DisplayRole) << QVariant(QStringLiteral("data"));
    QTest::newRow("description") << 1 << int(Qt::DisplayRole) << QVariant(QStringLiteral("About data"));
    QTest::newRow("path") << 2 << int(Qt::DisplayRole) << QVariant(QStringLiteral("/srv/data"));
    QTest::newRow("column 3") << 3 << int(Qt::DisplayRole) << QVariant();
    QTest::newRow("tooltip") << 0 << int(Qt::ToolTipRole) << QVariant();
    QTest::newRow("decoration of column 1") << 1 << int(Qt::DecorationRole) << QVariant();
}

void TestShareModel::data()
{
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    ShareModel model;
    model.setShares({makeShare(QStringLiteral("data"))});
    // Column 3 does not exist: its index is invalid and so is its data.
    const QModelIndex index = model.index(0, column);
    QCOMPARE(index.isValid(), column < 3);
    QCOMPARE(model.data(index, role), expected);
    if (column == 0) {
        const QIcon icon = qvariant_cast<QIcon>(model.data(index, Qt::DecorationRole));
        QVERIFY(!icon.isNull());
        QVERIFY(!icon.pixmap(32, 32).isNull());
    }
}

void TestShareModel::addRemoveAndReset()
{
    ShareModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setShares({makeShare(QStringLiteral("a")), makeShare(QStringLiteral("b"))});
    QCOMPARE(namesIn(model), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addShare(makeShare(QStringLiteral("c")));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 2);
    QCOMPARE(namesIn(model), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    model.removeShare(model.index(1, 0));
    QCOMPARE(namesIn(model), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    model.removeShare(QModelIndex()); // nothing to remove
    QCOMPARE(model.rowCount(), 2);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    Share edited = *model.share(model.index(1, 2));
    edited.setComment(QStringLiteral("new"));
    model.updateShare(model.index(1, 2), edited);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), model.index(1, 0));
    QCOMPARE(changed.first().at(1).toModelIndex(), model.index(1, 2));
    QCOMPARE(model.shares().at(1).comment(), QStringLiteral("new"));

    // The list handed out is a copy.
    QList<Share> copy = model.shares();
    copy[0].setName(QStringLiteral("changed"));
    QCOMPARE(model.share(model.index(0, 0))->name(), QStringLiteral("a"));
}

void TestShareModel::removeSharesNamed()
{
    ShareModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setShares({makeShare(QStringLiteral("data")), makeShare(QStringLiteral("printers"), true),
                     makeShare(QStringLiteral("printers"), true), makeShare(QStringLiteral("Printers")),
                     makeShare(QStringLiteral("printers"), true)});
    model.removeSharesNamed(QStringLiteral("printers"));
    QCOMPARE(namesIn(model), (QStringList{QStringLiteral("data"), QStringLiteral("Printers")}));
}

void TestShareModel::shareNamesIgnoreCase()
{
    ShareModel model;
    model.setShares({makeShare(QStringLiteral("Data")), makeShare(QStringLiteral("homes"))});
    const QSet<QString> names = model.shareNames();
    QVERIFY(names.contains(QStringLiteral("data")));
    QVERIFY(names.contains(QStringLiteral("homes")));
    QVERIFY(!names.contains(QStringLiteral("Data")));
}

void TestShareModel::recordsStayPut()
{
    ShareModel model;
    model.setShares({makeShare(QStringLiteral("a")), makeShare(QStringLiteral("b"))});
    Share *b = model.share(model.index(1, 0));
    for (int i = 0; i < 100; ++i)
        model.addShare(makeShare(QStringLiteral("x%1").arg(i)));
    model.removeShare(model.index(0, 0));
    QCOMPARE(model.share(model.index(0, 0)), b);
    QCOMPARE(b->name(), QStringLiteral("b"));
}

void TestShareModel::proxiesSplitAndFollowChanges()
{
    ShareModel model;
    ShareProxyModel shares([](const Share &share) { return !share.printable(); });
    ShareProxyModel printers([](const Share &share) { return share.printable(); });
    shares.setSourceModel(&model);
    printers.setSourceModel(&model);
    QAbstractItemModelTester sharesTester(&shares, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester printersTester(&printers,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    shares.sort(0);

    model.setShares({makeShare(QStringLiteral("web")), makeShare(QStringLiteral("printers"), true),
                     makeShare(QStringLiteral("data"))});
    QCOMPARE(namesIn(shares), (QStringList{QStringLiteral("data"), QStringLiteral("web")}));
    QCOMPARE(namesIn(printers), QStringList{QStringLiteral("printers")});
    // Rows are numbered as each view shows them.
    QCOMPARE(shares.headerData(1, Qt::Vertical).toInt(), 2);
    QCOMPARE(printers.headerData(0, Qt::Vertical).toInt(), 1);
    QCOMPARE(shares.headerData(0, Qt::Horizontal).toString(), model.headerData(0, Qt::Horizontal).toString());

    // Making data a printer moves it to the other view.
    const QModelIndex data = model.index(2, 0);
    Share printer = *model.share(data);
    printer.setPrintable(true);
    model.updateShare(data, printer);
    QCOMPARE(namesIn(shares), QStringList{QStringLiteral("web")});
    QCOMPARE(namesIn(printers).size(), 2);
    QVERIFY(namesIn(printers).contains(QStringLiteral("data")));

    // Without a share model underneath, nothing is accepted.
    QStringListModel other({QStringLiteral("x")});
    ShareProxyModel orphan([](const Share &) { return true; });
    orphan.setSourceModel(&other);
    QCOMPARE(orphan.rowCount(), 0);
}

QTEST_MAIN(TestShareModel)
#include "tst_sharemodel.moc"
