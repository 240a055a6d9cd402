#pragma once

// Where two texts differ, in whole lines: for tests that an edit changed one line and no other.

#include <QByteArray>
#include <QList>

// Lines with their endings, so that a changed ending counts as a changed line.
inline QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines;
    int start = 0;
    while (start < text.size()) {
        const int feed = text.indexOf('\n', start);
        const int end = feed < 0 ? text.size() : feed + 1;
        lines << text.mid(start, end - start);
        start = end;
    }
    return lines;
}

// The lines of before that after replaces: removed lines from head on became added lines.
struct LineChange
{
    explicit LineChange(const QByteArray &original, const QByteArray &written)
        : before(linesOf(original))
        , after(linesOf(written))
    {
        while (head < before.size() && head < after.size() && before.at(head) == after.at(head))
            ++head;
        int tail = 0;
        while (tail < before.size() - head && tail < after.size() - head
               && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
            ++tail;
        // A line added after an unterminated last line ends that line first.
        if (!original.endsWith('\n') && head == before.size() - 1
            && after.at(head).startsWith(before.at(head))
            && after.at(head).size() <= before.at(head).size() + 2)
            ++head;
        removed = before.size() - head - tail;
        added = after.size() - head - tail;
    }

    QByteArray addedText() const { return after.mid(head, added).join(); }

    QList<QByteArray> before;
    QList<QByteArray> after;
    int head = 0;
    int removed = 0;
    int added = 0;
};
