#pragma once

#include <QByteArray>

#include <deque>
#include <optional>

// Cuts the byte stream of the backend protocol into its lines. A line longer than the limit is
// not kept: its bytes are dropped as they come and, once its end arrives, it is reported as too
// long, so that a peer sending a huge line costs no more memory than the limit.
class ProtocolLineReader
{
public:
    static constexpr qsizetype DefaultLimit = qsizetype(64) * 1024 * 1024;

    explicit ProtocolLineReader(qsizetype limit = DefaultLimit);

    void feed(const char *data, qsizetype size);
    void feed(const QByteArray &bytes) { feed(bytes.constData(), bytes.size()); }

    struct Line
    {
        QByteArray bytes; // without the '\n'; empty when too long
        bool tooLong = false;
    };
    // The next whole line, in order; none until one is complete.
    std::optional<Line> next();
    // Bytes of a line not complete yet (none while a too long line is dropped).
    qsizetype pending() const { return m_partial.size(); }
    // Whether a line longer than the limit is being dropped.
    bool droppingLine() const { return m_dropping; }

private:
    qsizetype m_limit;
    QByteArray m_partial; // the start of the line not complete yet
    bool m_dropping = false;
    std::deque<Line> m_lines;
};
