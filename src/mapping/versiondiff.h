#pragma once

#include <QString>

#include <string>

class ConfigHistory;

// Unified diffs between the versions of a file in the history, and between a version and the
// file as it is now, headed "FILE (version N)" and "FILE".
class VersionDiff
{
public:
    static constexpr int CurrentFile = 0;
    static constexpr int PreviousVersion = -1;

    // From version number to other (a version number, or CurrentFile); or, for
    // PreviousVersion, from the version of file before number (nothing for the oldest) to
    // number. False with error set when a version or the file cannot be read.
    static bool diff(const ConfigHistory &history, const QString &file, int number, int other,
                     std::string &result, QString &error);
};
