#pragma once

#include "testparmresult.h"

#include <QDialog>
#include <QStringList>

class DiffView;
class QCheckBox;
class QDialogButtonBox;

// What a save will do, shown before it does anything: the diff of smb.conf and of Samba's
// registry configuration, testparm's verdict on the configuration to be installed, and the
// other steps in order. Save is offered only for
// a file testparm accepts; Cancel changes nothing.
class ReviewChangesDialog : public QDialog
{
    Q_OBJECT

public:
    struct Review
    {
        // The unified diff of smb.conf (current file -> file to be installed); empty when the
        // save does not change smb.conf.
        QString diff;
        // The unified diff of the registry as net conf list prints it; empty when the registry
        // does not change.
        QString registryDiff;
        // The unified diff of what Samba serves, as testparm -s prints it; empty when not
        // measured. It shows what the texts may not: values one place merges over the other's.
        QString effectiveDiff;
        // testparm on the configuration to be installed; ignored when neither diff is given.
        TestParmResult verdict;
        // Whether verdict was asked for; otherwise testparm judges at the change itself.
        bool judged = true;
        // Whether "Don't show this again" is offered: not where the review is the only question.
        bool dontShowAgainOffered = true;
        // The other steps of the save, in the order they run, in plain words.
        QStringList actions;
    };

    explicit ReviewChangesDialog(const Review &review, QWidget *parent = nullptr);

    // The state of "Don't show this again".
    bool dontShowAgain() const;

private:
    QCheckBox *m_dontShowAgain;
};
