#include "configelementcomment.h"

#include <utility>

ConfigElementComment::ConfigElementComment(char marker, std::string text, int indent, int line)
    : ConfigElementBase(indent, line)
    , m_marker(marker)
    , m_text(std::move(text))
{
}

ConfigElementComment::~ConfigElementComment() = default;

int ConfigElementComment::type() const
{
    return CommentType;
}

std::ostream &ConfigElementComment::write(std::ostream &out) const
{
    pad(out, indent());
    out.put(m_marker);
    out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    return endLine(out);
}
