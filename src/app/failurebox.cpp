#include "failurebox.h"

#include "configmapper.h"
#include "testparm.h"

#include <QCoreApplication>
#include <QMessageBox>

QString FailureBox::text(const QString &headline, const std::exception &error)
{
    const auto *refusal = dynamic_cast<const ConfigMapper::Refusal *>(&error);
    if (!refusal)
        return headline + QStringLiteral("\n\n") + QString::fromUtf8(error.what());
    // A checker that did not complete says why itself.
    if (refusal->verdict.status == TestParmResult::Failed)
        return headline + QStringLiteral("\n\n")
            + QCoreApplication::translate("MainWindow", "testparm could not check it: %1")
                  .arg(refusal->verdict.output.trimmed());
    return headline + QStringLiteral("\n\n")
        + QCoreApplication::translate("MainWindow", "testparm refuses the new configuration:")
        + QLatin1Char('\n') + TestParm::problems(refusal->verdict.output);
}

QString FailureBox::details(const std::exception &error)
{
    const auto *refusal = dynamic_cast<const ConfigMapper::Refusal *>(&error);
    return refusal ? refusal->verdict.output : QString();
}

void FailureBox::show(QWidget *parent, const QString &title, const QString &headline,
                      const std::exception &error)
{
    QMessageBox box(QMessageBox::Critical, title, text(headline, error), QMessageBox::Ok, parent);
    box.setDetailedText(details(error));
    box.exec();
}
