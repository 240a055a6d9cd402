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

std::ostream &ConfigElementInclude::write(std::ostream &out) const
{
    ConfigElementCommentable::write(out);
    pad(out, indent());
    out.write(m_directive.data(), static_cast<std::streamsize>(m_directive.size()));
    pad(out, m_spacing);
    out.write(m_path.data(), static_cast<std::streamsize>(m_path.size()));
    return endLine(out);
}
