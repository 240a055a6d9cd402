#include "accountcommand.h"

#include <QMessageBox>

bool AccountCommand::run(QWidget *parent, const QString &program, const QStringList &options,
                         const QString &name, int timeLimitMs)
{
    const ProcessResult result = SystemAccountCommand::run(program, options, name, timeLimitMs);
    if (result.succeeded())
        return true;
    const QString text = SystemAccountCommand::failureText(result);
    if (!text.isEmpty())
        QMessageBox::critical(parent, tr("Error"), text);
    return false;
}
