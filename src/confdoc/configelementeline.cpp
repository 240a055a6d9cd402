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

void ConfigElementELine::writeTo(std::string &out) const
{
    out += '\n';
}
