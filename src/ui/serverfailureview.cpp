#include "serverfailureview.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ServerFailureView::ServerFailureView(QWidget *parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    m_text->setObjectName(QStringLiteral("labelFailure"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *retry = new QPushButton(tr("&Try Again"), this);
    retry->setObjectName(QStringLiteral("pushButtonRetry"));
    connect(retry, &QPushButton::clicked, this, &ServerFailureView::retryRequested);
    layout->addStretch();
    layout->addWidget(m_text);
    layout->addWidget(retry, 0, Qt::AlignLeft);
    layout->addStretch();
}

void ServerFailureView::setFailure(const QString &server, const QString &sentence)
{
    m_sentence = sentence;
    m_text->setText(tr("%1 could not be reached.").arg(server) + QLatin1Char('\n') + sentence);
}
