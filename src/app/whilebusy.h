#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include <chrono>
#include <future>
#include <limits>

// Runs work on another thread while the window says it is busy: a slow or hung program
// (testparm on a large file, pdbedit, systemctl) must not freeze it. Input waits until the
// work is done, so no second command starts meanwhile. A quick run shows nothing.
template<class Work>
auto whileBusy(QWidget *parent, const QString &text, Work work) -> decltype(work())
{
    QProgressDialog busy(text, QString(), 0, 0, parent);
    busy.setObjectName(QStringLiteral("busyIndicator"));
    busy.setWindowTitle(QCoreApplication::applicationName());
    busy.setWindowModality(Qt::WindowModal);
    busy.setCancelButton(nullptr);
    busy.setMinimumDuration(std::numeric_limits<int>::max());
    QApplication::setOverrideCursor(Qt::BusyCursor);
    auto result = std::async(std::launch::async, std::move(work));
    QElapsedTimer elapsed;
    elapsed.start();
    while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (!busy.isVisible() && elapsed.elapsed() > 300)
            busy.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    QApplication::restoreOverrideCursor();
    return result.get();
}
