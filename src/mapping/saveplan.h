#pragma once

#include "savesteps.h"

#include <QStringList>

class SambaSettings;

// The steps of a save that follow smb.conf, in the order the save runs them, in plain words
// for the administrator to review before anything is done.
class SavePlan
{
public:
    enum ServiceStep {
        NoServiceStep, // the services do not run
        ReloadServices,
        RestartServices,
    };

    // current and saved: the settings as edited and as last loaded or saved; the accounts
    // whose changes the save writes are read from them. restartParameters: the changed
    // [global] parameters that make a restart necessary.
    static QStringList describe(const QList<SaveSteps::ModeChange> &modes, const SambaSettings &current,
                                const SambaSettings &saved, ServiceStep services,
                                const QStringList &restartParameters);
};
