#pragma once

#include <QWidget>

class QLabel;

// What the window shows for a server it could not reach: why, in the sentence the attempt
// gave, and Try Again.
class ServerFailureView : public QWidget
{
    Q_OBJECT

public:
    explicit ServerFailureView(QWidget *parent = nullptr);

    void setFailure(const QString &server, const QString &sentence);
    QString sentence() const { return m_sentence; }

signals:
    void retryRequested();

private:
    QLabel *m_text;
    QString m_sentence;
};
