#include "configelementeline.h"

ConfigElementELine::ConfigElementELine(int line)
    : ConfigElementBase(0, line)
{
}

ConfigElementELine::~ConfigElementELine() = default;

int ConfigElementELine::type() const
{
    return ELineType;
}

std::ostream &ConfigElementELine::write(std::ostream &out) const
{
    return endLine(out);
}
