#pragma once

#include "testparmresult.h"

#include <QDialog>
#include <QStringList>

class DiffView;
class QCheckBox;
class QDialogButtonBox;

// What a save will do, shown before it does anything: the diff of smb.conf, testparm's
// verdict on the file to be installed, and the other steps in order. Save is offered only for
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
        // testparm on the file to be installed; ignored when diff is empty.
        TestParmResult verdict;
        // The other steps of the save, in the order they run, in plain words.
        QStringList actions;
    };

    explicit ReviewChangesDialog(const Review &review, QWidget *parent = nullptr);

    // The state of "Don't show this again".
    bool dontShowAgain() const;

private:
    QCheckBox *m_dontShowAgain;
};
