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

void ConfigElementBase::pad(std::string &out, int n)
{
    if (n <= 0)
        return;
    static const char tabs[] = "\t\t\t\t\t\t\t\t";
    while (n >= 32) {
        out.append(tabs, 8);
        n -= 32;
    }
    out.append(tabs, static_cast<std::size_t>(n / 4));
    out.append("   ", static_cast<std::size_t>(n % 4));
}

std::ostream &ConfigElementBase::write(std::ostream &out) const
{
    std::string text;
    writeTo(text);
    return out.write(text.data(), static_cast<std::streamsize>(text.size()));
}
