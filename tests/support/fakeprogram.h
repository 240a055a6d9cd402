#pragma once

#include <QFile>
#include <QString>

// The one stand-in the suites use for a program Shareward runs (systemctl, smbcontrol,
// smbstatus ...), written to path in a directory of the test's own. It appends its arguments
// to "calls" beside it (each followed by '|', one call a line), prints the files "stdout" and
// "stderr" beside it when present, and answers as the file "answer-ARG1-ARG2" (ARG2 the one
// after "--" when ARG2 is "--"), or else
// "answer", says: an exit code (0 without one), "kill-SIGNAL" to die by that signal, "sleep"
// to answer 0 after a pause, or "hang" never to answer, until the caller's time limit.
inline bool writeFakeProgram(const QString &path)
{
    static const char script[] = R"(#!/bin/sh
dir=$(dirname "$0")
for argument in "$@"; do printf '%s|' "$argument"; done >>"$dir/calls"
echo >>"$dir/calls"
answer=0
second=$2
if [ "$second" = -- ]; then second=$3; fi
if [ -f "$dir/answer-$1-$second" ]; then answer=$(cat "$dir/answer-$1-$second")
elif [ -f "$dir/answer" ]; then answer=$(cat "$dir/answer"); fi
if [ -f "$dir/stdout" ]; then cat "$dir/stdout"; fi
if [ -f "$dir/stderr" ]; then cat "$dir/stderr" >&2; fi
case $answer in
kill-*) kill -s "${answer#kill-}" $$ ;;
sleep) sleep 0.3; exit 0 ;;
hang) exec sleep 30 ;;
*) exit "$answer" ;;
esac
)";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(script, sizeof(script) - 1) != qint64(sizeof(script) - 1))
        return false;
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
