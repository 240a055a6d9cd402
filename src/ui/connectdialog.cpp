#include "connectdialog.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

ConnectDialog::ConnectDialog(const QStringList &aliases, QWidget *parent)
    : QDialog(parent)
    , m_host(new QLineEdit(this))
    , m_user(new QLineEdit(this))
    , m_port(new QSpinBox(this))
    , m_problem(new QLabel(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Connect to a Server"));
    m_host->setObjectName(QStringLiteral("hostEdit"));
    m_user->setObjectName(QStringLiteral("userEdit"));
    m_port->setObjectName(QStringLiteral("portSpinBox"));
    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_host->setPlaceholderText(tr("Name, address or ssh alias"));
    m_user->setPlaceholderText(tr("As ssh is configured"));
    auto *completer = new QCompleter(aliases, m_host);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_host->setCompleter(completer);
    // 0 leaves the port to ssh's configuration.
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(tr("As ssh is configured"));
    m_problem->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(tr("&Host:"), m_host);
    form->addRow(tr("&User:"), m_user);
    form->addRow(tr("&Port:"), m_port);
    auto *note = new QLabel(tr("Shareward logs in with ssh, using your keys and ssh configuration. "
                               "On the server, shareward-cli must be installed and run as root: log in "
                               "as root, or as a user that sudo lets run it."),
                            this);
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(m_problem);
    layout->addWidget(m_buttons);
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("C&onnect"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit *edit : {m_host, m_user})
        connect(edit, &QLineEdit::textChanged, this, &ConnectDialog::update);
    connect(m_port, qOverload<int>(&QSpinBox::valueChanged), this, &ConnectDialog::update);
    update();
}

QString ConnectDialog::destination() const
{
    QString host = m_host->text().trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    // An IPv6 address goes in brackets, so that a port can follow.
    QString text = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    const QString user = m_user->text().trimmed();
    if (!user.isEmpty())
        text = user + QLatin1Char('@') + text;
    if (m_port->value() > 0)
        text += QLatin1Char(':') + QString::number(m_port->value());
    return text;
}

std::optional<ServerAddress> ConnectDialog::address() const
{
    if (m_host->text().trimmed().isEmpty())
        return std::nullopt;
    return ServerAddress::parse(destination(), nullptr);
}

void ConnectDialog::update()
{
    const bool empty = m_host->text().trimmed().isEmpty();
    QString problem;
    // "local" is this machine's name in the list, not a host to reach through ssh.
    if (!empty && (!ServerAddress::parse(destination(), &problem) || destination() == QLatin1String("local")))
        problem = problem.isEmpty() ? tr("This is not a host Shareward can connect to.") : problem;
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!empty && problem.isEmpty());
}
