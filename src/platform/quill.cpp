#include "quill.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString &storedAboutText()
{
    static QString text;
    return text;
}

} // namespace

void quillInit(const char *version, const char *aboutText)
{
    QCoreApplication::setApplicationVersion(QString::fromUtf8(version));
    storedAboutText() = QString::fromUtf8(aboutText);
}

QString quillVersion()
{
    return QCoreApplication::applicationVersion();
}

QString quillAboutText()
{
    return storedAboutText();
}

QuillHelpMenu::QuillHelpMenu(QWidget *parent)
    : QMenu(tr("&Help"), parent)
    , m_about(addAction(tr("&About")))
{
    connect(m_about, &QAction::triggered, this, &QuillHelpMenu::showAbout);
}

void QuillHelpMenu::showAbout()
{
    const QString title = tr("About %1").arg(QApplication::applicationDisplayName());
    QMessageBox::about(parentWidget(), title,
                       quillAboutText() + QStringLiteral("\n\n") + tr("Version %1").arg(quillVersion()));
}
