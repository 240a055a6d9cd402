// One field edited on real files: the save changes that field's one line (or adds one, in
// the style of its section), every other byte stays, and the file reads back as the records
// say.
#include "configdocument.h"
#include "configmapper.h"
#include "linechange.h"
#include "recordjson.h"
#include "testfiles.h"
#include "vfsmodule.h"

#include <optional>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

using Edit = std::function<void(SambaSettings &, Share &)>;

struct Loaded
{
    explicit Loaded(const QString &path)
        : mapper(document, path)
    {
        settings = mapper.loadGlobal();
        shares = mapper.loadShares(*settings.global());
    }
    QByteArray json() const { return QJsonDocument(RecordJson::configuration(settings, shares)).toJson(); }

    ConfigDocument document;
    ConfigMapper mapper;
    SambaSettings settings;
    QList<Share> shares;
};

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestExactEdits : public QObject
{
    Q_OBJECT

private slots:
    void oneField_data();
    void oneField();
    void keyGivenTwiceGetsOneLine_data();
    void keyGivenTwiceGetsOneLine();
    void oneShareLoadedAlone_data();
    void oneShareLoadedAlone();
};

void TestExactEdits::oneField_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Edit>("edit");

    const QList<QPair<const char *, Edit>> edits{
        {"comment",
         [](SambaSettings &, Share &s) {
             s.setComment(QStringLiteral("Edited by the test"));
         }},
        {"path",
         [](SambaSettings &, Share &s) {
             s.setPath(QStringLiteral("/srv/edited"));
         }},
        {"read only",
         [](SambaSettings &, Share &s) {
             s.setReadOnly(!s.readOnly());
         }},
        {"browseable",
         [](SambaSettings &, Share &s) {
             s.setBrowseable(!s.browseable());
         }},
        {"printable",
         [](SambaSettings &, Share &s) {
             s.setPrintable(!s.printable());
         }},
        {"create mask",
         [](SambaSettings &, Share &s) {
             s.setCreateMask(QStringLiteral("0750"));
         }},
        {"workgroup",
         [](SambaSettings &g, Share &) {
             g.global()->setWorkgroup(QStringLiteral("EDITED"));
         }},
    };
    for (const QString &file : smbConfCorpus()) {
        for (const auto &[field, edit] : edits)
            QTest::newRow(qPrintable(QFileInfo(file).fileName() + QLatin1Char('/') + QLatin1String(field)))
                << file << edit;
    }
}

void TestExactEdits::oneField()
{
    QFETCH(QString, file);
    QFETCH(Edit, edit);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    const QByteArray original = readFile(file);
    QVERIFY(writeFile(config, original));

    Loaded loaded(config);
    if (loaded.shares.isEmpty())
        QSKIP("no share in this file");
    edit(loaded.settings, loaded.shares.first());
    QVERIFY(loaded.mapper.applyRecords(loaded.settings, loaded.shares));
    const QByteArray written = QByteArray::fromStdString(loaded.document.text());

    // Exactly one line replaced or added.
    const LineChange change(original, written);
    const QList<QByteArray> &before = change.before;
    const QList<QByteArray> &after = change.after;
    const int head = change.head;
    const int removed = change.removed;
    const int added = change.added;
    // A file without [global] gets one for a global field: a blank line, the header, the
    // line, and a blank line.
    const bool newGlobal =
        !original.toLower().contains("[global]") && after.mid(head, added).join().contains("[global]");
    QVERIFY2(removed <= 1 && (added == 1 || (newGlobal && removed == 0 && added <= 4)),
             qPrintable(QStringLiteral("%1 lines became %2 at line %3:\n%4")
                            .arg(removed)
                            .arg(added)
                            .arg(head + 1)
                            .arg(QString::fromUtf8(after.mid(head, added).join()))));
    // The new line ends like the line it replaced or follows.
    const QByteArray &line = after.at(head);
    const QByteArray &neighbour = removed ? before.at(head) : after.at(head > 0 ? head - 1 : head + 1);
    if (neighbour.endsWith('\n'))
        QCOMPARE(line.endsWith("\r\n"), neighbour.endsWith("\r\n"));

    // Read again, the file says what the records say.
    QVERIFY(writeFile(config, written));
    const QByteArray expected = loaded.json();
    Loaded reread(config);
    QCOMPARE(reread.json(), expected);
}

void TestExactEdits::keyGivenTwiceGetsOneLine_data()
{
    QTest::addColumn<bool>("newShare");
    QTest::newRow("share in the file") << false;
    QTest::newRow("new share") << true;
}

// A module's option that another parameter of the same edit sets again is written once,
// with the value Samba is to read.
void TestExactEdits::keyGivenTwiceGetsOneLine()
{
    QFETCH(bool, newShare);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, "[global]\n   workgroup = W\n[data]\n   path = /srv/data\n"));
    Loaded loaded(config);
    if (newShare) {
        Share share(QStringLiteral("audited"));
        share.setPath(QStringLiteral("/srv/audited"));
        loaded.shares.append(share);
    }
    Share &share = loaded.shares.last();
    share.addVfsModule(VFSModule::create(QStringLiteral("full_audit")));
    share.setOtherParameter(QStringLiteral("full_audit:syslog"), QStringLiteral("no"));
    QVERIFY(loaded.mapper.applyRecords(loaded.settings, loaded.shares));
    const QByteArray written = QByteArray::fromStdString(loaded.document.text());
    QCOMPARE(written.count("full_audit:syslog"), 1);
    QVERIFY2(written.contains("full_audit:syslog = no\n"), written.constData());
}

// An edit of one share may load that share alone; it must write what the whole list would.
using ListEdit = std::function<void(QList<Share> &shares, const QString &name)>;
Q_DECLARE_METATYPE(ListEdit)

void TestExactEdits::oneShareLoadedAlone_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("which");
    QTest::addColumn<ListEdit>("edit");

    auto find = [](QList<Share> &shares, const QString &name) -> Share & {
        for (Share &share : shares) {
            if (share.name().compare(name, Qt::CaseInsensitive) == 0)
                return share;
        }
        return shares.first();
    };
    const QList<QPair<const char *, ListEdit>> edits{
        {"comment",
         [find](QList<Share> &l, const QString &n) {
             find(l, n).setComment(QStringLiteral("Edited"));
         }},
        {"read only",
         [find](QList<Share> &l, const QString &n) {
             find(l, n).setReadOnly(!find(l, n).readOnly());
         }},
        {"module",
         [find](QList<Share> &l, const QString &n) {
             find(l, n).addVfsModule(VFSModule::create(QStringLiteral("recycle")));
         }},
        {"rename",
         [find](QList<Share> &l, const QString &n) {
             find(l, n).setName(QStringLiteral("renamed-by-test"));
         }},
        {"remove",
         [](QList<Share> &l, const QString &n) {
             for (int i = 0; i < l.size(); ++i) {
                 if (l.at(i).name().compare(n, Qt::CaseInsensitive) == 0) {
                     l.removeAt(i);
                     return;
                 }
             }
         }},
        {"add",
         [](QList<Share> &l, const QString &) {
             Share share;
             share.setName(QStringLiteral("added-by-test"));
             share.setPath(QStringLiteral("/srv/added"));
             l.append(share);
         }},
    };
    for (const QString &file : smbConfCorpus()) {
        for (const auto &[name, edit] : edits) {
            for (int which : {0, -1}) {
                QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3")
                                             .arg(QFileInfo(file).fileName(), QLatin1String(name),
                                                  which ? QStringLiteral("last") : QStringLiteral("first"))))
                    << file << which << edit;
            }
        }
    }
}

void TestExactEdits::oneShareLoadedAlone()
{
    QFETCH(QString, file);
    QFETCH(int, which);
    QFETCH(ListEdit, edit);

    Loaded whole(file);
    if (whole.shares.isEmpty())
        QSKIP("no share in this file");
    // Named in another case, as an administrator may type it.
    const QString name = whole.shares.at(which < 0 ? whole.shares.size() - 1 : which).name().toUpper();
    edit(whole.shares, name);
    whole.mapper.applyRecords(whole.settings, whole.shares);

    ConfigDocument document;
    ConfigMapper mapper(document, file);
    SambaSettings settings = mapper.loadGlobal();
    QCOMPARE(mapper.shareNames().size(), Loaded(file).shares.size());
    const std::optional<Share> alone = mapper.loadShare(*settings.global(), name);
    QVERIFY(alone);
    QList<Share> shares{*alone};
    edit(shares, name);
    const QStringList before = mapper.modulesAdded(settings, shares);
    QCOMPARE(before, whole.mapper.modulesAdded(whole.settings, whole.shares));
    mapper.applyRecords(settings, shares);
    QCOMPARE(QByteArray::fromStdString(document.text()), QByteArray::fromStdString(whole.document.text()));
    QVERIFY(!mapper.loadShare(*settings.global(), QStringLiteral("no such share here")));
}

QTEST_GUILESS_MAIN(TestExactEdits)
#include "tst_exactedits.moc"
