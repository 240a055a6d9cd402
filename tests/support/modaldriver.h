#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QMenu>
#include <QPair>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

// Drives the modal dialogs that open, in order, by object name. Each step runs from the
// event loop of its dialog once that dialog is the active modal widget; afterwards the
// driver waits until the dialog stops being active (closed, or covered by a box or a
// nested dialog), so a step may end with a click that opens the next dialog. Modal widgets
// of other names, such as the boxes a BoxDriver answers, are left alone; a dialog left
// unanswered for 10 s is rejected and counted in stray, so that a test fails instead of
// hanging.
class ModalDriver : public QObject
{
public:
    using Step = std::function<void(QWidget *)>;

    ModalDriver()
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::act);
        m_timer.start(5);
    }

    void then(const QString &objectName, const Step &step) { m_steps.append({objectName, step}); }
    int remaining() const { return m_steps.size() + (m_running ? 1 : 0); }

    int stray = 0;

private:
    void act()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != m_waiting) {
            m_waiting = modal;
            m_waited.start();
        } else if (modal && m_waited.elapsed() > 10000) {
            if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                ++stray;
                m_waited.start();
                QTimer::singleShot(0, dialog, &QDialog::reject);
                return;
            }
        }
        if (m_running || (modal && modal == m_done))
            return;
        m_done = nullptr;
        if (!modal || m_steps.isEmpty() || modal->objectName() != m_steps.first().first)
            return;
        const Step step = m_steps.takeFirst().second;
        m_done = modal;
        m_running = true;
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [this, step, target] {
            m_running = false;
            if (target)
                step(target);
        });
    }

    QList<QPair<QString, Step>> m_steps;
    QPointer<QWidget> m_done;
    QPointer<QWidget> m_waiting;
    QElapsedTimer m_waited;
    bool m_running = false;
    QTimer m_timer;
};

// Reads the next context menu that pops up, then chooses the entry of the given text, or
// closes the menu when there is none.
class MenuAnswer : public QObject
{
public:
    struct Entry
    {
        QString text;
        QString iconName;
    };

    explicit MenuAnswer(const QString &choice = QString())
    {
        connect(&m_timer, &QTimer::timeout, this, [this, choice] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || m_seen)
                return;
            m_seen = true;
            QAction *chosen = nullptr;
            for (QAction *action : menu->actions()) {
                entries.append({action->text(), action->icon().name()});
                if (!choice.isEmpty() && action->text() == choice)
                    chosen = action;
            }
            if (chosen) {
                // As the keyboard does it, so that the menu's exec() returns the entry.
                menu->setActiveAction(chosen);
                QTimer::singleShot(0, menu, [menu] { QTest::keyClick(menu, Qt::Key_Return); });
            } else {
                QTimer::singleShot(0, menu, &QMenu::close);
            }
        });
        m_timer.start(5);
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Entry &entry : entries)
            result << entry.text;
        return result;
    }

    QList<Entry> entries;

private:
    QTimer m_timer;
    bool m_seen = false;
};
