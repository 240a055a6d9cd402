#include "reviewchangesdialog.h"

#include "diffview.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// What testparm prints on every run, whatever the file says.
bool isProgressLine(const QString &line)
{
    static const char *const prefixes[] = {
        "Load smb config files from",
        "lp_load_ex:",
        "Initialising global parameters",
        "Processing section",
        "Loaded services file OK.",
        "Weak crypto is allowed",
        "Server role:",
        "rlimit_max:",
        "Press enter to see a dump",
    };
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return true;
    for (const char *prefix : prefixes) {
        if (trimmed.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

// testparm's output without the lines it prints on every run. Everything else stays, as its
// messages come in too many forms to pick out the ones that matter ("WARNING:", "ERROR:",
// "Unknown parameter encountered", "Error loading services."); when nothing else is left the
// whole output is shown, so that a refusal never comes without its reason.
QString relevantOutput(const QString &output)
{
    QStringList kept;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (!isProgressLine(line))
            kept << line;
    }
    return kept.isEmpty() ? output.trimmed() : kept.join(QLatin1Char('\n'));
}

QString verdictText(int status)
{
    switch (status) {
    case TestParmResult::Ok:
        return ReviewChangesDialog::tr("testparm accepts the new smb.conf.");
    case TestParmResult::Warnings:
        return ReviewChangesDialog::tr("testparm accepts the new smb.conf with warnings:");
    case TestParmResult::Errors:
        return ReviewChangesDialog::tr("testparm refuses the new smb.conf; it cannot be saved:");
    default:
        return ReviewChangesDialog::tr("testparm could not check the new smb.conf; it cannot be saved:");
    }
}

} // namespace

ReviewChangesDialog::ReviewChangesDialog(const Review &review, QWidget *parent)
    : QDialog(parent)
    , m_dontShowAgain(new QCheckBox(tr("Don't show this again"), this))
{
    setObjectName(QStringLiteral("ReviewChangesDialog"));
    setWindowTitle(tr("Review changes"));
    auto *layout = new QVBoxLayout(this);

    const bool changesFile = !review.diff.isEmpty();
    const bool changesRegistry = !review.registryDiff.isEmpty();
    const bool changes = changesFile || changesRegistry;
    // Only a configuration that testparm accepts may be installed; steps without one run anyway.
    const bool savable = !changes || !review.judged || review.verdict.status == TestParmResult::Ok
        || review.verdict.status == TestParmResult::Warnings;

    const auto addDiff = [this, layout](const QString &heading, const QString &diff, const char *labelName,
                                        const char *viewName) {
        auto *label = new QLabel(heading, this);
        label->setObjectName(QLatin1String(labelName));
        auto *diffView = new DiffView(this);
        diffView->setObjectName(QLatin1String(viewName));
        diffView->setDiff(diff);
        label->setBuddy(diffView);
        layout->addWidget(label);
        layout->addWidget(diffView, 4);
    };
    if (changesFile) {
        addDiff(tr("Changes to smb.conf:"), review.diff, "labelDiff", "diffView");
    } else {
        auto *label = new QLabel(tr("smb.conf does not change."), this);
        label->setObjectName(QStringLiteral("labelNoChange"));
        layout->addWidget(label);
    }
    if (changesRegistry)
        addDiff(tr("Samba's registry configuration (net conf list):"), review.registryDiff,
                "labelRegistryDiff", "registryDiffView");
    if (changes && !review.effectiveDiff.isEmpty())
        addDiff(tr("What Samba will serve (testparm -s):"), review.effectiveDiff, "labelEffectiveDiff",
                "effectiveDiffView");

    if (changes) {
        const QString judgement = review.judged
            ? verdictText(review.verdict.status)
            : tr("testparm checks the new configuration before anything is changed.");
        auto *verdict = new QLabel(judgement, this);
        verdict->setObjectName(QStringLiteral("labelVerdict"));
        verdict->setWordWrap(true);
        layout->addWidget(verdict);

        auto *output = new QPlainTextEdit(this);
        output->setObjectName(QStringLiteral("textVerdict"));
        output->setReadOnly(true);
        output->setLineWrapMode(QPlainTextEdit::NoWrap);
        // What testparm says about an accepted file without warnings is only its progress.
        const QString text = !review.judged || review.verdict.status == TestParmResult::Ok
            ? QString()
            : relevantOutput(review.verdict.output);
        output->setPlainText(text);
        output->setVisible(!text.isEmpty());
        layout->addWidget(output, 1);
    }

    auto *actionsLabel = new QLabel(tr("The save will also:"), this);
    actionsLabel->setObjectName(QStringLiteral("labelActions"));
    auto *actions = new QListWidget(this);
    actions->setObjectName(QStringLiteral("listActions"));
    actions->addItems(review.actions);
    actionsLabel->setBuddy(actions);
    actionsLabel->setVisible(!review.actions.isEmpty());
    actions->setVisible(!review.actions.isEmpty());
    layout->addWidget(actionsLabel);
    layout->addWidget(actions, 1);
    if (!changes && review.actions.isEmpty())
        layout->addStretch(1);

    m_dontShowAgain->setObjectName(QStringLiteral("checkBoxDontShowAgain"));
    m_dontShowAgain->setVisible(review.dontShowAgainOffered);
    layout->addWidget(m_dontShowAgain);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    QPushButton *save = buttons->button(QDialogButtonBox::Save);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    save->setEnabled(savable);
    // Return saves only a file testparm accepts; otherwise it cancels.
    (savable ? save : cancel)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    resize(800, 600);
}

bool ReviewChangesDialog::dontShowAgain() const
{
    return m_dontShowAgain->isChecked();
}
