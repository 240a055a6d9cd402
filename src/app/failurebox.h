#pragma once

#include <QString>

#include <exception>

class QWidget;

// A save, restore or move that failed, in a box whose text says why: the lines of testparm's
// output that tell what it refused, or the failure's own message. testparm's whole output
// goes to the details.
class FailureBox
{
public:
    // The box's text: the headline, then the reason.
    static QString text(const QString &headline, const std::exception &error);
    // testparm's whole output for a refusal; empty for any other failure.
    static QString details(const std::exception &error);
    static void show(QWidget *parent, const QString &title, const QString &headline,
                     const std::exception &error);
};
