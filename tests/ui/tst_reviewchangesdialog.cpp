// The diff view (kinds, line numbers, colours, a large diff) and the dialog shown before a
// save, driven by object names: the diff, testparm's verdict, the other steps, Save and Cancel.
#include "diffview.h"
#include "reviewchangesdialog.h"
#include "widgetlookup.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace {

// Two hunks, the second removing a line that reads "-- old comment", then a hunk that only
// removes, ending in a file without a final newline.
const char sampleDiff[] = "--- a/smb.conf\t2024-05-01 10:00:00\n"
                          "+++ b/smb.conf\t2024-05-02 10:00:00\n"
                          "@@ -1,4 +1,5 @@\n"
                          " [global]\n"
                          "-\tworkgroup = A\n"
                          "+\tworkgroup = B\n"
                          "+\tserver string = files\n"
                          " \tsecurity = user\n"
                          " \tlog level = 1\n"
                          "@@ -10,3 +11,2 @@\n"
                          " [data]\n"
                          "--- old comment\n"
                          " \tpath = /srv/data\n"
                          "@@ -20,2 +20,0 @@\n"
                          "-[old]\n"
                          "-\tpath = /srv/old\n"
                          "\\ No newline at end of file\n";

QPushButton *button(QWidget &dialog, QDialogButtonBox::StandardButton which)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(which);
}

ReviewChangesDialog::Review review(int status, const QString &output = QString(),
                                   const QString &diff = QString::fromLatin1(sampleDiff))
{
    ReviewChangesDialog::Review result;
    result.diff = diff;
    result.verdict.status = status;
    result.verdict.output = output;
    return result;
}

QBrush background(const DiffView &view, int block)
{
    return view.document()->findBlockByNumber(block).blockFormat().background();
}

} // namespace

Q_DECLARE_METATYPE(DiffView::LineKind)

class TestReviewChangesDialog : public QObject
{
    Q_OBJECT

private slots:
    void kindOf_data();
    void kindOf();
    void diffLines_data();
    void diffLines();
    void diffShownAsIs();
    void colours();
    void largeDiff();
    void dialogShowsDiff();
    void actions_data();
    void actions();
    void verdict_data();
    void verdict();
    void saveEnabling_data();
    void saveEnabling();
    void buttonsCloseDialog();
    void unchangedFile();
    void dontShowAgain();
};

void TestReviewChangesDialog::kindOf_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<DiffView::LineKind>("kind");
    QTest::newRow("old file") << "--- a/smb.conf" << DiffView::FileHeader;
    QTest::newRow("new file") << "+++ b/smb.conf" << DiffView::FileHeader;
    QTest::newRow("hunk") << "@@ -1 +1 @@" << DiffView::HunkHeader;
    QTest::newRow("context") << " path = /srv" << DiffView::Context;
    QTest::newRow("empty context") << "" << DiffView::Context;
    QTest::newRow("added") << "+path = /srv" << DiffView::Added;
    QTest::newRow("removed") << "-path = /srv" << DiffView::Removed;
    QTest::newRow("removed dashes") << "---" << DiffView::Removed;
    QTest::newRow("note") << "\\ No newline at end of file" << DiffView::Note;
    QTest::newRow("command") << "diff -u a b" << DiffView::Note;
}

void TestReviewChangesDialog::kindOf()
{
    QFETCH(QString, line);
    QFETCH(DiffView::LineKind, kind);
    QCOMPARE(DiffView::kindOf(line), kind);
}

void TestReviewChangesDialog::diffLines_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<DiffView::LineKind>("kind");
    QTest::addColumn<int>("oldLine");
    QTest::addColumn<int>("newLine");
    const struct
    {
        DiffView::LineKind kind;
        int oldLine;
        int newLine;
    } expected[] = {
        {DiffView::FileHeader, 0, 0}, {DiffView::FileHeader, 0, 0}, {DiffView::HunkHeader, 0, 0},
        {DiffView::Context, 1, 1},    {DiffView::Removed, 2, 0},    {DiffView::Added, 0, 2},
        {DiffView::Added, 0, 3},      {DiffView::Context, 3, 4},    {DiffView::Context, 4, 5},
        {DiffView::HunkHeader, 0, 0}, {DiffView::Context, 10, 11},  {DiffView::Removed, 11, 0},
        {DiffView::Context, 12, 12},  {DiffView::HunkHeader, 0, 0}, {DiffView::Removed, 20, 0},
        {DiffView::Removed, 21, 0},   {DiffView::Note, 0, 0},
    };
    int block = 0;
    for (const auto &line : expected) {
        QTest::addRow("line %d", block) << block << line.kind << line.oldLine << line.newLine;
        ++block;
    }
    // Past the end: no line.
    QTest::newRow("past end") << block << DiffView::Note << 0 << 0;
}

void TestReviewChangesDialog::diffLines()
{
    QFETCH(int, block);
    QFETCH(DiffView::LineKind, kind);
    QFETCH(int, oldLine);
    QFETCH(int, newLine);
    DiffView view;
    view.setDiff(QString::fromLatin1(sampleDiff));
    QCOMPARE(view.lineKind(block), kind);
    QCOMPARE(view.lineNumbers(block), qMakePair(oldLine, newLine));
}

void TestReviewChangesDialog::diffShownAsIs()
{
    DiffView view;
    QVERIFY(view.isReadOnly());
    QCOMPARE(view.lineWrapMode(), QPlainTextEdit::NoWrap);
    const QString diff = QString::fromLatin1(sampleDiff);
    view.setDiff(diff);
    QCOMPARE(view.toPlainText() + QLatin1Char('\n'), diff);
    QCOMPARE(view.document()->blockCount(), diff.count(QLatin1Char('\n')));

    // A carriage return would start a block of its own and shift every line after it.
    view.setDiff(QStringLiteral("@@ -1 +1 @@\n-a\r\n+a\n"));
    QCOMPARE(view.document()->blockCount(), 3);
    QCOMPARE(view.lineKind(2), DiffView::Added);

    view.setDiff(QString());
    QVERIFY(view.toPlainText().isEmpty());
    QCOMPARE(view.lineNumbers(0), qMakePair(0, 0));
}

void TestReviewChangesDialog::colours()
{
    DiffView view;
    view.setDiff(QString::fromLatin1(sampleDiff));
    const int context = 3, removed = 4, added = 5;
    QCOMPARE(background(view, context).style(), Qt::NoBrush);
    QVERIFY(background(view, added).style() != Qt::NoBrush);
    QVERIFY(background(view, removed).style() != Qt::NoBrush);
    QVERIFY(background(view, added).color() != background(view, removed).color());
    QVERIFY(background(view, added).color().green() > background(view, added).color().red());
    QVERIFY(background(view, removed).color().red() > background(view, removed).color().green());

    // On a dark palette the tints stay dark, so that light text stays readable.
    QPalette dark = view.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    view.setPalette(dark);
    QVERIFY(background(view, added).color().lightness() < 100);
    QVERIFY(background(view, removed).color().lightness() < 100);
    QCOMPARE(view.lineKind(added), DiffView::Added);
}

void TestReviewChangesDialog::largeDiff()
{
    // 50,000 lines and more: a context, a removed and an added line at a time.
    const int rounds = 16667;
    QString diff = QStringLiteral("--- a\n+++ b\n@@ -1,%1 +1,%1 @@\n").arg(2 * rounds);
    for (int i = 0; i < rounds; ++i)
        diff += QStringLiteral(" same %1\n-old %1\n+new %1\n").arg(i);
    DiffView small;
    small.setDiff(QStringLiteral("@@ -1 +1 @@\n-a\n+b\n"));

    DiffView view;
    QElapsedTimer timer;
    timer.start();
    view.setDiff(diff);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    view.repaint();
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    const int blocks = view.document()->blockCount();
    QCOMPARE(blocks, 3 + 3 * rounds);
    QCOMPARE(view.lineNumbers(blocks - 1), qMakePair(0, 2 * rounds));
    QCOMPARE(view.lineNumbers(blocks - 2), qMakePair(2 * rounds, 0));
    QCOMPARE(view.lineNumbers(blocks - 3), qMakePair(2 * rounds - 1, 2 * rounds - 1));
    // Five digits need a wider margin than one.
    QVERIFY(view.viewport()->x() > small.viewport()->x());
}

void TestReviewChangesDialog::dialogShowsDiff()
{
    ReviewChangesDialog dialog(review(TestParmResult::Ok));
    QCOMPARE(dialog.objectName(), QStringLiteral("ReviewChangesDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Review changes"));
    const auto *view = child<DiffView>(dialog, "diffView");
    QCOMPARE(view->toPlainText() + QLatin1Char('\n'), QString::fromLatin1(sampleDiff));
    QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("labelNoChange")));
}

void TestReviewChangesDialog::actions_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("none") << QStringList();
    QTest::newRow("one") << QStringList{QStringLiteral("Reload the Samba services")};
    QTest::newRow("in order") << QStringList{QStringLiteral("Create /srv/team"),
                                             QStringLiteral("Set the permissions of /srv/team"),
                                             QStringLiteral("Restart smbd and nmbd")};
}

void TestReviewChangesDialog::actions()
{
    QFETCH(QStringList, actions);
    for (const QString &diff : {QString::fromLatin1(sampleDiff), QString()}) {
        ReviewChangesDialog::Review input = review(TestParmResult::Ok, QString(), diff);
        input.actions = actions;
        ReviewChangesDialog dialog(input);
        const auto *list = child<QListWidget>(dialog, "listActions");
        QCOMPARE(texts(list), actions);
        QCOMPARE(list->isVisibleTo(&dialog), !actions.isEmpty());
        QCOMPARE(child<QLabel>(dialog, "labelActions")->isVisibleTo(&dialog), !actions.isEmpty());
    }
}

void TestReviewChangesDialog::verdict_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("label");
    // The lines shown, or empty when the output is hidden.
    QTest::addColumn<QString>("shown");

    const QString progress = QStringLiteral("Load smb config files from /tmp/new.conf\n"
                                            "lp_load_ex: refreshing parameters\n"
                                            "Initialising global parameters\n"
                                            "Processing section \"[global]\"\n");
    const QString loaded = QStringLiteral("Loaded services file OK.\n"
                                          "Weak crypto is allowed by GnuTLS\n\n");
    const QString role = QStringLiteral("\nServer role: ROLE_STANDALONE\n\n");

    QTest::newRow("ok") << int(TestParmResult::Ok) << progress + loaded + role
                        << "testparm accepts the new smb.conf." << QString();
    QTest::newRow("warnings") << int(TestParmResult::Warnings)
                              << progress + loaded
            + QStringLiteral("WARNING: lock directory /x does not exist\n") + role
                              << "testparm accepts the new smb.conf with warnings:"
                              << "WARNING: lock directory /x does not exist";
    QTest::newRow("warnings without output")
        << int(TestParmResult::Warnings) << QString()
        << "testparm accepts the new smb.conf with warnings:" << QString();
    QTest::newRow("errors") << int(TestParmResult::Errors)
                            << progress
            + QStringLiteral("WARNING: Ignoring invalid value 'bogus' for parameter 'security'\n"
                             "Error loading services.\n")
                            << "testparm refuses the new smb.conf; it cannot be saved:"
                            << "WARNING: Ignoring invalid value 'bogus' for parameter 'security'\n"
                               "Error loading services.";
    QTest::newRow("unknown message kept")
        << int(TestParmResult::Errors)
        << progress + loaded + QStringLiteral("idmap range not specified for domain '*'\n")
        << "testparm refuses the new smb.conf; it cannot be saved:"
        << "idmap range not specified for domain '*'";
    // Refused with nothing but progress: the whole output rather than no reason at all.
    QTest::newRow("errors, progress only")
        << int(TestParmResult::Errors) << progress
        << "testparm refuses the new smb.conf; it cannot be saved:" << progress.trimmed();
    QTest::newRow("failed") << int(TestParmResult::Failed) << "testparm did not finish within a minute."
                            << "testparm could not check the new smb.conf; it cannot be saved:"
                            << "testparm did not finish within a minute.";
}

void TestReviewChangesDialog::verdict()
{
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    ReviewChangesDialog dialog(review(status, output));
    QCOMPARE(child<QLabel>(dialog, "labelVerdict")->text(), label);
    const auto *text = child<QPlainTextEdit>(dialog, "textVerdict");
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->isVisibleTo(&dialog), !shown.isEmpty());
    if (!shown.isEmpty())
        QCOMPARE(text->toPlainText(), shown);
}

void TestReviewChangesDialog::saveEnabling_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("savable");
    QTest::newRow("ok") << int(TestParmResult::Ok) << true;
    QTest::newRow("warnings") << int(TestParmResult::Warnings) << true;
    QTest::newRow("errors") << int(TestParmResult::Errors) << false;
    QTest::newRow("failed") << int(TestParmResult::Failed) << false;
}

void TestReviewChangesDialog::saveEnabling()
{
    QFETCH(int, status);
    QFETCH(bool, savable);
    ReviewChangesDialog dialog(review(status, QStringLiteral("ERROR: something")));
    QPushButton *save = button(dialog, QDialogButtonBox::Save);
    QPushButton *cancel = button(dialog, QDialogButtonBox::Cancel);
    QVERIFY(save && cancel);
    QCOMPARE(save->isEnabled(), savable);
    dialog.show();
    QCOMPARE(save->isDefault(), savable);
    QCOMPARE(cancel->isDefault(), !savable);
}

void TestReviewChangesDialog::buttonsCloseDialog()
{
    ReviewChangesDialog cancelled(review(TestParmResult::Ok));
    cancelled.show();
    button(cancelled, QDialogButtonBox::Cancel)->click();
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
    QVERIFY(!cancelled.isVisible());

    ReviewChangesDialog saved(review(TestParmResult::Warnings));
    saved.show();
    button(saved, QDialogButtonBox::Save)->click();
    QCOMPARE(saved.result(), int(QDialog::Accepted));
}

void TestReviewChangesDialog::unchangedFile()
{
    ReviewChangesDialog::Review input =
        review(TestParmResult::Failed, QStringLiteral("no testparm"), QString());
    input.actions = QStringList{QStringLiteral("Create /srv/team")};
    ReviewChangesDialog dialog(input);
    const auto *label = child<QLabel>(dialog, "labelNoChange");
    QCOMPARE(label->text(), QStringLiteral("smb.conf does not change."));
    QVERIFY(label->isVisibleTo(&dialog));
    // The verdict is on a file that is not installed: neither shown nor in the way.
    QVERIFY(!dialog.findChild<DiffView *>(QStringLiteral("diffView")));
    QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("labelVerdict")));
    QVERIFY(!dialog.findChild<QPlainTextEdit *>(QStringLiteral("textVerdict")));
    QVERIFY(button(dialog, QDialogButtonBox::Save)->isEnabled());
}

void TestReviewChangesDialog::dontShowAgain()
{
    ReviewChangesDialog dialog(review(TestParmResult::Ok));
    auto *box = child<QCheckBox>(dialog, "checkBoxDontShowAgain");
    QCOMPARE(box->text(), QStringLiteral("Don't show this again"));
    QVERIFY(!dialog.dontShowAgain());
    box->click();
    QVERIFY(dialog.dontShowAgain());
    box->click();
    QVERIFY(!dialog.dontShowAgain());
}

QTEST_MAIN(TestReviewChangesDialog)
#include "tst_reviewchangesdialog.moc"
