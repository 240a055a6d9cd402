#include "versiondiff.h"

#include "configfileinstaller.h"
#include "confighistory.h"
#include "unifieddiff.h"

#include <QCoreApplication>

namespace {

std::string versionName(const QString &file, int number)
{
    return QStringLiteral("%1 (version %2)").arg(file).arg(number).toStdString();
}

} // namespace

bool VersionDiff::diff(const ConfigHistory &history, const QString &file, int number, int other,
                       std::string &result, QString &error)
{
    std::string from;
    std::string to;
    std::string fromName;
    std::string toName;
    if (other == PreviousVersion) {
        if (!history.read(number, to)) {
            error = history.errorString();
            return false;
        }
        toName = versionName(file, number);
        fromName = QStringLiteral("%1 (no earlier version)").arg(file).toStdString();
        for (const ConfigHistory::Version &older : history.versions(file)) {
            if (older.number >= number)
                continue;
            if (!history.read(older.number, from)) {
                error = history.errorString();
                return false;
            }
            fromName = versionName(file, older.number);
            break;
        }
    } else {
        if (!history.read(number, from)) {
            error = history.errorString();
            return false;
        }
        fromName = versionName(file, number);
        if (other == CurrentFile) {
            QString reason;
            if (!ConfigFileInstaller::readFile(file, to, reason)) {
                error = QCoreApplication::translate("ConfigHistory", "Can't read %1: %2.").arg(file, reason);
                return false;
            }
            toName = file.toStdString();
        } else {
            if (!history.read(other, to)) {
                error = history.errorString();
                return false;
            }
            toName = versionName(file, other);
        }
    }
    result = unifiedDiff(from, to, fromName, toName);
    return true;
}
