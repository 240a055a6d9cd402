#include "usersettingsprogram.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

struct Candidate
{
    const char *name;
    const char *page;
};

// In the order of preference.
const Candidate candidates[] = {
    {"systemsettings", "kcm_users"},
    {"gnome-control-center", "user-accounts"},
};

} // namespace

QString UserSettingsProgram::find(const Finder &finder)
{
    for (const Candidate &candidate : candidates) {
        const QString path = finder(QString::fromLatin1(candidate.name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QStringList UserSettingsProgram::arguments(const QString &program)
{
    const QString name = QFileInfo(program).fileName();
    for (const Candidate &candidate : candidates) {
        if (name == QLatin1String(candidate.name))
            return {QString::fromLatin1(candidate.page)};
    }
    return {};
}

QString UserSettingsProgram::findInPath(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}
