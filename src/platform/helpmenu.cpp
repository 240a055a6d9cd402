#include "helpmenu.h"

#include <QApplication>
#include <QMessageBox>

HelpMenu::HelpMenu(const QString &aboutText, QWidget *parent)
    : QMenu(tr("&Help"), parent)
    , m_aboutText(aboutText)
    , m_about(addAction(tr("&About")))
{
    connect(m_about, &QAction::triggered, this, &HelpMenu::showAbout);
}

void HelpMenu::showAbout()
{
    const QString title = tr("About %1").arg(QApplication::applicationDisplayName());
    QMessageBox::about(parentWidget(), title,
                       m_aboutText + QStringLiteral("\n\n")
                           + tr("Version %1").arg(QCoreApplication::applicationVersion()));
}
