#pragma once

#include "serveraddress.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// Connect to a server…: the host (a name, an address or an alias of the user's ssh
// configuration), the user and the port, each left to ssh's configuration when empty. ssh
// itself checks the host key and asks for what it needs.
class ConnectDialog : public QDialog
{
    Q_OBJECT

public:
    // aliases: the hosts the user's ssh configuration names, offered as they type.
    explicit ConnectDialog(const QStringList &aliases, QWidget *parent = nullptr);

    // The server given; none until the fields name one ("local" names this machine, which
    // the window reaches without ssh).
    std::optional<ServerAddress> address() const;

private:
    // The fields as "[USER@]HOST[:PORT]".
    QString destination() const;
    void update();

    QLineEdit *m_host;
    QLineEdit *m_user;
    QSpinBox *m_port;
    QLabel *m_problem;
    QDialogButtonBox *m_buttons;
};
