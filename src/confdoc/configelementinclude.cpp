#include "configelementinclude.h"

#include <utility>

ConfigElementInclude::ConfigElementInclude(std::string directive, std::string path, int indent, int line,
                                           int spacing)
    : ConfigElementCommentable(indent, line)
    , m_directive(std::move(directive))
    , m_spacing(spacing)
    , m_path(std::move(path))
{
}

ConfigElementInclude::~ConfigElementInclude() = default;

int ConfigElementInclude::type() const
{
    return IncludeType;
}

void ConfigElementInclude::writeTo(std::string &out) const
{
    ConfigElementCommentable::writeTo(out);
    pad(out, indent());
    out += m_directive;
    pad(out, m_spacing);
    out += m_path;
    out += '\n';
}
