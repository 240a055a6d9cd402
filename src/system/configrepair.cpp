#include "configrepair.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>

ConfigRepair::LimitFixResult ConfigRepair::applyLimitFix(const QString &limitsPath)
{
    QFile limits(limitsPath);
    if (!limits.open(QIODevice::ReadWrite))
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
    // survive the edit untouched.
    QString text = QString::fromLatin1(bytes);
    static const QRegularExpression securityLine(QStringLiteral("security = \\w+\\S+\\n"));
    text.remove(securityLine);
    const QByteArray fixed = text.toLatin1();
    if (fixed == bytes)
        return true;

    // Replace the file in one step, keeping its permissions.
    QSaveFile out(smbConfPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
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
