#include "protocollinereader.h"

#include <cstring>
#include <utility>

ProtocolLineReader::ProtocolLineReader(qsizetype limit)
    : m_limit(limit)
{
}

void ProtocolLineReader::feed(const char *data, qsizetype size)
{
    while (size > 0) {
        const void *found = std::memchr(data, '\n', size_t(size));
        const qsizetype length = found ? static_cast<const char *>(found) - data : size;
        if (!m_dropping && m_partial.size() + length > m_limit) {
            m_partial.clear();
            m_partial.squeeze();
            m_dropping = true;
        }
        if (!m_dropping)
            m_partial.append(data, int(length));
        if (!found)
            return;
        m_lines.push_back(m_dropping ? Line{QByteArray(), true} : Line{std::exchange(m_partial, {}), false});
        m_dropping = false;
        data += length + 1;
        size -= length + 1;
    }
}

std::optional<ProtocolLineReader::Line> ProtocolLineReader::next()
{
    if (m_lines.empty())
        return std::nullopt;
    Line line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}
