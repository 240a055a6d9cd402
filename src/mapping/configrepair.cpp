#include "configrepair.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>

#include <unistd.h>

ConfigRepair::LimitFixResult ConfigRepair::applyLimitFix(const QString &limitsPath)
{
    QFile limits(limitsPath);
    // ReadWrite alone would create a missing file.
    if (!limits.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return LimitsUnreadable;
    const QByteArray content = limits.readAll();
    if (limits.error() != QFileDevice::NoError)
        return LimitsUnreadable;
    if (content.contains("nofile\t\t16384"))
        return LimitAlreadySet;

    // Never glue the new line onto an unterminated last line.
    QByteArray addition;
    if (!content.isEmpty() && !content.endsWith('\n'))
        addition += '\n';
    addition += limitLine();
    addition += '\n';
    if (!limits.seek(content.size()) || limits.write(addition) != addition.size() || !limits.flush())
        return LimitWriteFailed;
    limits.close();
    return limits.error() == QFileDevice::NoError ? LimitWritten : LimitWriteFailed;
}

bool ConfigRepair::applySecurityFix(const QString &smbConfPath)
{
    QFile in(smbConfPath);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return false;
    in.close();

    // Latin-1 maps every byte to one character and back, so bytes that are not UTF-8
    // survive the edit untouched (all of them: the QByteArray overload stops at a NUL byte).
    QString text = QString::fromLatin1(bytes.constData(), bytes.size());
    // Only a line that is a security parameter: the same words inside a comment or
    // another value are left alone (removing them there would pull the next line into
    // the comment). The indentation before the word stays and joins the next line; a
    // CRLF line goes with its carriage return.
    static const QRegularExpression securityLine(QStringLiteral("^([ \\t]*)security = \\w+\\S+\\r?\\n"),
                                                 QRegularExpression::MultilineOption);
    text.replace(securityLine, QStringLiteral("\\1"));
    const QByteArray fixed = text.toLatin1();
    if (fixed == bytes)
        return true;

    // Replace the file in one step, keeping its permissions.
    QSaveFile out(smbConfPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile keeps the mode of the file it replaces but not its owner and group, which
    // may be what lets the group read a mode-0640 file.
    const QFileInfo original(smbConfPath);
    if (::fchown(out.handle(), original.ownerId(), original.groupId()) != 0) {
        out.cancelWriting();
        return false;
    }
    if (out.write(fixed) != fixed.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QProcessEnvironment ConfigRepair::rebootEnvironment(const QProcessEnvironment &system)
{
    QProcessEnvironment environment = system;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       QStringLiteral("/run/user/%1").arg(system.value(QStringLiteral("SUDO_UID"))));
    return environment;
}

void ConfigRepair::reboot(const QString &program)
{
    QProcess process;
    process.setProcessEnvironment(rebootEnvironment(QProcessEnvironment::systemEnvironment()));
    process.start(program, {QStringLiteral("QUILLWM_REBOOT")});
    process.waitForFinished(30000);
}
