#pragma once

#include <QString>

class ConfigSession;
class QWidget;

// Fix config: for a start-up failure that has a repair (security values Samba rejects, the
// default idmap domain without a valid range), the box that offers it, the changes it will
// make to smb.conf, and the repair itself. Other failures get a plain error box.
class RepairOffer
{
public:
    // True when smb.conf was repaired and can be loaded again.
    static bool run(QWidget *window, const QString &text, ConfigSession &session);

private:
    // The failure with what Fix config does; true when the administrator chose it.
    static bool ask(const QString &text, const QString &repair);
};
