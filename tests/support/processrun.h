#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

// What a program run from a test said and how it ended.
struct ProcessRun
{
    int exitCode = -1; // -1 when it did not end normally
    QByteArray out;
    QByteArray err;
};

// The environment tests run programs in: the system's, with messages in plain C.UTF-8.
QProcessEnvironment testEnvironment();

// Runs a program with nothing on its standard input, waiting at most a minute.
ProcessRun runProcess(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment = testEnvironment());
