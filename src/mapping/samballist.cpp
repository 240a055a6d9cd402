#include "samballist.h"

#include <algorithm>

namespace {

// Samba's LIST_SEP.
bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char(',') || c == QLatin1Char(';')
        || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

} // namespace

QList<SambaList::Entry> SambaList::entries(const QString &text)
{
    QList<Entry> result;
    int i = 0;
    const int size = text.size();
    while (i < size) {
        while (i < size && isSeparator(text.at(i)))
            ++i;
        if (i == size)
            break;
        // As Samba's next_token: a quote toggles quoting and is dropped; a separator outside
        // quotes ends the entry.
        const int start = i;
        bool quoted = false;
        QString value;
        for (; i < size && (quoted || !isSeparator(text.at(i))); ++i) {
            if (text.at(i) == QLatin1Char('"'))
                quoted = !quoted;
            else
                value += text.at(i);
        }
        // Samba keeps an entry of quotes alone as an empty one.
        result.append({value, text.mid(start, i - start)});
    }
    return result;
}

QStringList SambaList::split(const QString &text)
{
    QStringList values;
    for (const Entry &entry : entries(text))
        values << entry.value;
    return values;
}

QString SambaList::join(const QStringList &values, const QString &existing)
{
    const QList<Entry> old = entries(existing);
    QString separator = QStringLiteral(" ");
    if (old.size() >= 2) {
        // What stands between the first two entries.
        const int first = existing.indexOf(old.at(0).written) + old.at(0).written.size();
        const int second = existing.indexOf(old.at(1).written, first);
        separator = existing.mid(first, second - first);
    }
    QString line;
    for (const QString &value : values) {
        if (!line.isEmpty())
            line += separator;
        auto kept = std::find_if(old.begin(), old.end(),
                                 [&value](const Entry &entry) { return entry.value == value; });
        if (kept != old.end())
            line += kept->written;
        else if (value.isEmpty() || std::any_of(value.begin(), value.end(), isSeparator))
            line += QLatin1Char('"') + value + QLatin1Char('"');
        else
            line += value;
    }
    return line;
}
