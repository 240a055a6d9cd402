#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A command line read as getopt_long reads one, in the order given: an option that takes a
// value takes the next argument whatever it looks like ("--comment --writable" is a comment),
// or the text after "=" ("--comment=--writable"); "--" ends the options, and every argument
// after it is an operand, even one that looks like an option.
class ArgumentScan
{
public:
    struct Item
    {
        QString option; // empty for an operand
        QString value; // the option's value, or the operand
        bool afterEnd = false; // an operand after "--"
    };

    // valueOptions are the names that take a value; any other "-..." is an option without
    // one, for the caller to accept or refuse. Returns a usage problem, or nothing.
    static QString scan(const QStringList &arguments, const QStringList &valueOptions, QList<Item> &items);
    // The items as arguments again, each option with its value next to it and the operands
    // after "--" after one "--", so that they scan to the same items.
    static QStringList join(const QList<Item> &items, const QStringList &valueOptions);
    static QStringList operands(const QList<Item> &items);
};
