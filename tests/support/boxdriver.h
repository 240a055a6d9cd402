#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

// Answers the modal boxes that appear, in order, by clicking the button whose text is
// the next answer ("Yes", "Fix config", ...; mnemonics ignored), and remembers each box.
// A box without an answer left is closed with its escape button, or its first button.
class BoxDriver : public QObject
{
public:
    struct Box
    {
        QString title;
        QString text;
        QString details;
        QString informative;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
    };

    explicit BoxDriver(const QStringList &answers = {})
        : m_answers(answers)
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxDriver::answer);
        m_timer.start(5);
    }

    void expect(const QString &answer) { m_answers << answer; }
    int seen() const { return boxes.size(); }
    const Box &last() const { return boxes.last(); }
    QStringList titles() const
    {
        QStringList result;
        for (const Box &box : boxes)
            result << box.title;
        return result;
    }

    QList<Box> boxes;
    bool unanswered = false;

private:
    static QString plain(QString text) { return text.remove(QLatin1Char('&')); }

    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_answered)
            return;
        m_answered = box;
        Box seenBox{box->windowTitle(),     box->text(), box->detailedText(),
                    box->informativeText(), box->icon(), {}};
        QAbstractButton *chosen = nullptr;
        const QString wanted = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        for (QAbstractButton *button : box->buttons()) {
            seenBox.buttons << plain(button->text());
            if (!wanted.isEmpty() && plain(button->text()) == wanted)
                chosen = button;
        }
        boxes << seenBox;
        if (!chosen) {
            unanswered = true;
            chosen = box->escapeButton() ? box->escapeButton() : box->buttons().value(0);
        }
        // Clicked after this slot returns, so the box's own event loop is running.
        QTimer::singleShot(0, chosen, &QAbstractButton::click);
    }

    QStringList m_answers;
    QPointer<QMessageBox> m_answered;
    QTimer m_timer;
};
