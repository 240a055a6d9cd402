#include "configelementbase.h"

ConfigElementBase::ConfigElementBase(int indent, int line)
    : m_indent(indent)
    , m_line(line)
{
}

ConfigElementBase::~ConfigElementBase() = default;

int ConfigElementBase::indent() const
{
    return m_indent;
}

int ConfigElementBase::line() const
{
    return m_line;
}

std::ostream &ConfigElementBase::pad(std::ostream &out, int n)
{
    if (n <= 0)
        return out;
    for (int i = 0; i < n / 4; ++i)
        out.put('\t');
    for (int i = 0; i < n % 4; ++i)
        out.put(' ');
    return out;
}

std::ostream &ConfigElementBase::endLine(std::ostream &out)
{
    return out.put('\n');
}
