// The full_audit operation table of the share dialog.
#include "auditoperationmodel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>
#include <QtTest>

namespace {

AuditedOperation entry(const QString &name, bool success, bool failure)
{
    return AuditedOperation(VfsOperation(name), success, failure);
}

QVariant checkState(bool checked)
{
    return checked ? Qt::Checked : Qt::Unchecked;
}

} // namespace

class TestAuditOperationModel : public QObject
{
    Q_OBJECT

private slots:
    void emptyModel();
    void modelTester();
    void data_data();
    void data();
    void tickRefused_data();
    void tickRefused();
    void failureFirstThenUntickSuccess();
    void nameColumnNotCheckable();
    void otherRolesAndIndexes();
    void background_data();
    void background();
    void removeOutOfRange();
    void entriesAndOperations();
};

void TestAuditOperationModel::emptyModel()
{
    AuditOperationModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Success"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Failure"));
    // Everything else is the base class's: vertical headers are row numbers.
    QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole), QVariant());
    QVERIFY(model.entries().isEmpty());
    QVERIFY(model.operations().isEmpty());
}

void TestAuditOperationModel::modelTester()
{
    AuditOperationModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // An unknown operation first: the tester reads the background of row 0 and wants a colour.
    model.addEntry(entry(QStringLiteral("frobnicate"), true, false));
    model.addEntry(entry(QStringLiteral("open"), true, true));
    model.addEntry(entry(QStringLiteral("unlinkat"), false, true));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    QCOMPARE(model.columnCount(model.index(0, 0)), 0);

    QVERIFY(model.setData(model.index(1, 1), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(2, 1), Qt::Checked, Qt::CheckStateRole));
    model.removeEntry(model.index(0, 0));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("open"));
    model.removeEntry(model.index(1, 2));
    QCOMPARE(model.rowCount(), 1);
    model.removeEntry(model.index(0, 1));
    QCOMPARE(model.rowCount(), 0);
}

void TestAuditOperationModel::data_data()
{
    QTest::addColumn<bool>("success");
    QTest::addColumn<bool>("failure");
    QTest::newRow("success only") << true << false;
    QTest::newRow("failure only") << false << true;
    QTest::newRow("both") << true << true;
}

void TestAuditOperationModel::data()
{
    QFETCH(bool, success);
    QFETCH(bool, failure);
    AuditOperationModel model;
    model.addEntry(entry(QStringLiteral("RenameAt"), success, failure));
    // The name is the operation's, and operations are lower-case.
    QCOMPARE(model.index(0, 0).data(), QVariant(QStringLiteral("renameat")));
    QCOMPARE(model.index(0, 1).data(Qt::CheckStateRole), checkState(success));
    QCOMPARE(model.index(0, 2).data(Qt::CheckStateRole), checkState(failure));
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole), QVariant());
    QCOMPARE(model.index(0, 1).data(Qt::DisplayRole), QVariant());
    QCOMPARE(model.index(0, 2).data(Qt::DisplayRole), QVariant());
}

void TestAuditOperationModel::tickRefused_data()
{
    QTest::addColumn<bool>("success");
    QTest::addColumn<bool>("failure");
    QTest::addColumn<int>("column");
    QTest::newRow("untick the only success") << true << false << 1;
    QTest::newRow("untick the only failure") << false << true << 2;
}

void TestAuditOperationModel::tickRefused()
{
    QFETCH(bool, success);
    QFETCH(bool, failure);
    QFETCH(int, column);
    AuditOperationModel model;
    model.addEntry(entry(QStringLiteral("open"), success, failure));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QModelIndex index = model.index(0, column);
    QVERIFY(!model.setData(index, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(index.data(Qt::CheckStateRole), QVariant(Qt::Checked));
    QCOMPARE(model.entries().at(0).success(), success);
    QCOMPARE(model.entries().at(0).failure(), failure);
}

void TestAuditOperationModel::failureFirstThenUntickSuccess()
{
    AuditOperationModel model;
    model.addEntry(entry(QStringLiteral("open"), true, false));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // A view sends the check state as a plain int.
    QVERIFY(model.setData(model.index(0, 2), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 2));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(0, 2));

    QVERIFY(model.setData(model.index(0, 1), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).toModelIndex(), model.index(0, 1));
    QCOMPARE(changed.at(1).at(1).toModelIndex(), model.index(0, 1));
    QCOMPARE(model.index(0, 1).data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
    QCOMPARE(model.index(0, 2).data(Qt::CheckStateRole), QVariant(Qt::Checked));
    QVERIFY(!model.entries().at(0).success());
    QVERIFY(model.entries().at(0).failure());

    // Now failure is the last tick and stays.
    QVERIFY(!model.setData(model.index(0, 2), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(model.entries().at(0).failure());
}

void TestAuditOperationModel::nameColumnNotCheckable()
{
    AuditOperationModel model;
    model.addEntry(entry(QStringLiteral("open"), true, false));
    const Qt::ItemFlags nameFlags = model.flags(model.index(0, 0));
    QVERIFY(!(nameFlags & Qt::ItemIsUserCheckable));
    QVERIFY(!(nameFlags & Qt::ItemIsEditable));
    QVERIFY(nameFlags & Qt::ItemIsEnabled);
    QVERIFY(nameFlags & Qt::ItemIsSelectable);
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);
    QVERIFY(model.flags(model.index(0, 2)) & Qt::ItemIsUserCheckable);
    QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags(Qt::NoItemFlags));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(!model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("close"), Qt::EditRole));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("open"));
}

void TestAuditOperationModel::otherRolesAndIndexes()
{
    AuditOperationModel model;
    model.addEntry(entry(QStringLiteral("open"), true, true));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    // Only the check state is editable.
    QVERIFY(!model.setData(model.index(0, 1), false, Qt::EditRole));
    QVERIFY(!model.setData(model.index(0, 1), Qt::Unchecked, Qt::DisplayRole));
    QVERIFY(!model.setData(QModelIndex(), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(changed.count(), 0);
    QVERIFY(model.entries().at(0).success());
    QCOMPARE(model.data(QModelIndex(), Qt::DisplayRole), QVariant());
    QCOMPARE(model.data(QModelIndex(), Qt::BackgroundRole), QVariant());
    QCOMPARE(model.index(0, 0).data(Qt::ToolTipRole), QVariant());
    QCOMPARE(model.index(0, 0).data(Qt::EditRole), QVariant());

    // An index of another model does not reach this one's rows.
    AuditOperationModel other;
    other.addEntry(entry(QStringLiteral("close"), true, true));
    other.addEntry(entry(QStringLiteral("read"), true, true));
    QVERIFY(!model.setData(other.index(1, 1), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(model.data(other.index(1, 0)), QVariant());
}

void TestAuditOperationModel::background_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");
    QTest::newRow("open") << QStringLiteral("open") << true;
    QTest::newRow("known in upper case") << QStringLiteral("SYS_ACL_GET_FD") << true;
    QTest::newRow("read back from a file") << QStringLiteral("frobnicate") << false;
    QTest::newRow("not in the table") << QStringLiteral("chmod_acl") << false;
}

void TestAuditOperationModel::background()
{
    QFETCH(QString, name);
    QFETCH(bool, known);
    AuditOperationModel model;
    // The name is looked up as the loader does; an unknown one comes back without a description.
    model.addEntry(entry(name, true, false));
    for (int column = 0; column < 3; ++column) {
        const QVariant background = model.index(0, column).data(Qt::BackgroundRole);
        if (known) {
            QCOMPARE(background, QVariant());
        } else {
            QVERIFY(background.isValid());
            const QBrush brush = qvariant_cast<QBrush>(background);
            QCOMPARE(brush.style(), Qt::SolidPattern);
            QCOMPARE(brush.color(), QColor(Qt::darkRed));
        }
    }
}

void TestAuditOperationModel::removeOutOfRange()
{
    AuditOperationModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addEntry(entry(QStringLiteral("open"), true, false));
    QSignalSpy aboutToRemove(&model, &QAbstractItemModel::rowsAboutToBeRemoved);

    model.removeEntry(QModelIndex());
    AuditOperationModel other;
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
        other.addEntry(entry(name, true, false));
    model.removeEntry(other.index(2, 0)); // row 2 does not exist here
    model.removeEntry(other.index(0, 0)); // row 0 does, but the index is not ours
    QCOMPARE(aboutToRemove.count(), 0);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(other.rowCount(), 3);
}

void TestAuditOperationModel::entriesAndOperations()
{
    const QList<AuditedOperation> given = {entry(QStringLiteral("open"), true, false),
                                           entry(QStringLiteral("close"), false, true),
                                           entry(QStringLiteral("frobnicate"), true, true)};
    AuditOperationModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (const AuditedOperation &operation : given)
        model.addEntry(operation);
    QCOMPARE(inserted.count(), 3);
    QCOMPARE(inserted.last().at(1).toInt(), 2);
    QCOMPARE(inserted.last().at(2).toInt(), 2);

    const QList<AuditedOperation> entries = model.entries();
    QCOMPARE(entries.size(), given.size());
    for (int row = 0; row < given.size(); ++row) {
        QCOMPARE(entries.at(row).operation(), given.at(row).operation());
        QCOMPARE(entries.at(row).success(), given.at(row).success());
        QCOMPARE(entries.at(row).failure(), given.at(row).failure());
        QCOMPARE(model.index(row, 0).data().toString(), given.at(row).operation().name());
    }
    QCOMPARE(model.operations(),
             (VfsOperationSet{VfsOperation(QStringLiteral("open")), VfsOperation(QStringLiteral("close")),
                              VfsOperation(QStringLiteral("frobnicate"))}));
    // Rows of the same operation collapse into one member of the set.
    model.addEntry(entry(QStringLiteral("open"), false, true));
    QCOMPARE(model.operations().size(), 3);
    QCOMPARE(model.entries().size(), 4);
}

QTEST_MAIN(TestAuditOperationModel)
#include "tst_auditoperationmodel.moc"
