#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// How one run of an external program ended. A program that did not start, crashed or was
// stopped at its time limit never counts as a success, whatever its exit code says.
struct ProcessResult
{
    bool started = false;
    // -1 unless the program exited normally.
    int exitCode = -1;
    bool crashed = false;
    bool timedOut = false;
    QByteArray standardOutput;
    QByteArray standardError;
    // Why the program gave no answer, for the error boxes; empty when it exited normally.
    QString errorText;

    bool exitedNormally() const { return started && !crashed && !timedOut; }
    bool succeeded() const { return exitedNormally() && exitCode == 0; }
};

Q_DECLARE_METATYPE(ProcessResult)
