#include "accountcommand.h"

#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>

namespace {

constexpr int startTimeout = 30000;
constexpr int finishTimeout = 30000;

} // namespace

bool AccountCommand::run(QWidget *parent, const QString &program, const QStringList &options,
                         const QString &name)
{
    QProcess process;
    // Nothing is written to the program. Its standard input ends at once instead of being a
    // pipe left open, which would hold a program asking for input until the timeout.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, QStringList(options) << name, QIODevice::ReadOnly);

    // The name is left out of the text: the options say what was asked.
    const QString joined = options.join(QLatin1Char(' '));
    if (!process.waitForStarted(startTimeout)) {
        QMessageBox::critical(parent, tr("Error"),
                              tr("Process: \"%1 %2\". Error: %3.\n\"Not started\"")
                                  .arg(program, joined, process.errorString()));
        return false;
    }

    // Qt reports a crashed program as finished, so the exit status is what tells. A program
    // still running after the wait is stopped rather than taken for a success.
    const bool finished = process.waitForFinished(finishTimeout);
    if (!finished || process.exitStatus() == QProcess::CrashExit) {
        const QString error = process.errorString();
        if (!finished) {
            process.kill();
            process.waitForFinished();
        }
        QMessageBox::critical(
            parent, tr("Error"),
            tr("Process: \"%1 %2\". Error: %3.\n\"Not finished\"").arg(program, joined, error));
        return false;
    }

    if (process.exitCode() != 0) {
        const QString text = errorText(process.readAllStandardError());
        if (!text.isEmpty())
            QMessageBox::critical(parent, tr("Error"), text);
        return false;
    }
    return true;
}

QString AccountCommand::errorText(const QByteArray &errorOutput)
{
    QString text = QString::fromLocal8Bit(errorOutput);
    if (text.isEmpty())
        return text;
    // Drops the program's "useradd: " prefixes.
    static const QRegularExpression prefix(QStringLiteral("\\w+: "));
    text.remove(prefix);
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}
