#pragma once

#include <QMenu>
#include <QString>

// The least of the desktop integration library Shareward needs: the application's
// version and about text, and a Help menu showing them.
void quillInit(const char *version, const char *aboutText);
QString quillVersion();
QString quillAboutText();

class QuillHelpMenu : public QMenu
{
    Q_OBJECT

public:
    explicit QuillHelpMenu(QWidget *parent = nullptr);

    QAction *aboutAction() const { return m_about; }

public slots:
    void showAbout();

private:
    QAction *m_about;
};
