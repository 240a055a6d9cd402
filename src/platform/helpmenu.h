#pragma once

#include <QMenu>
#include <QString>

// The window's Help menu: About, with what the application is and its version
// (QCoreApplication::applicationVersion).
class HelpMenu : public QMenu
{
    Q_OBJECT

public:
    explicit HelpMenu(const QString &aboutText, QWidget *parent = nullptr);

    QAction *aboutAction() const { return m_about; }

public slots:
    void showAbout();

private:
    QString m_aboutText;
    QAction *m_about;
};
