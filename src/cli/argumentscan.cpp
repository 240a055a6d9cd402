#include "argumentscan.h"

QString ArgumentScan::scan(const QStringList &arguments, const QStringList &valueOptions, QList<Item> &items)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            for (const QString &operand : arguments.mid(i + 1))
                items.append({QString(), operand, true});
            return QString();
        }
        // "-" alone is an operand, as it is for most programs.
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() == 1) {
            items.append({QString(), argument});
            continue;
        }
        const int equals = argument.startsWith(QLatin1String("--")) ? argument.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!valueOptions.contains(name)) {
            // A switch given a value is refused rather than read as something else.
            if (equals >= 0)
                return QStringLiteral("%1 takes no value").arg(name);
            items.append({argument, QString()});
            continue;
        }
        if (equals >= 0) {
            items.append({name, argument.mid(equals + 1)});
            continue;
        }
        if (i + 1 >= arguments.size())
            return QStringLiteral("%1 needs a value").arg(name);
        items.append({name, arguments.at(++i)});
    }
    return QString();
}

QStringList ArgumentScan::join(const QList<Item> &items, const QStringList &valueOptions)
{
    QStringList arguments;
    QStringList after;
    for (const Item &item : items) {
        if (item.afterEnd)
            after << item.value;
        else if (item.option.isEmpty())
            arguments << item.value;
        else if (valueOptions.contains(item.option))
            arguments << item.option << item.value;
        else
            arguments << item.option;
    }
    if (!after.isEmpty())
        arguments << QStringLiteral("--") << after;
    return arguments;
}

QStringList ArgumentScan::operands(const QList<Item> &items)
{
    QStringList result;
    for (const Item &item : items) {
        if (item.option.isEmpty())
            result << item.value;
    }
    return result;
}
