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

void ConfigElementComment::writeTo(std::string &out) const
{
    pad(out, indent());
    out += m_marker;
    out += m_text;
    out += '\n';
}
