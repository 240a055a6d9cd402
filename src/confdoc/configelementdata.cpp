#include "configelementdata.h"

#include <utility>

ConfigElementData::ConfigElementData(std::string key, std::string value, int indent, int line,
                                     int spaceBeforeEquals, int spaceAfterEquals)
    : ConfigElementCommentable(indent, line)
    , m_key(std::move(key))
    , m_value(std::move(value))
    , m_spaceBeforeEquals(spaceBeforeEquals)
    , m_spaceAfterEquals(spaceAfterEquals)
{
}

ConfigElementData::~ConfigElementData() = default;

int ConfigElementData::type() const
{
    return DataType;
}

ConfigElementData &ConfigElementData::operator=(const std::string &value)
{
    m_value = value;
    return *this;
}

void ConfigElementData::writeTo(std::string &out) const
{
    ConfigElementCommentable::writeTo(out);
    pad(out, indent());
    out += m_key;
    pad(out, m_spaceBeforeEquals);
    out += '=';
    pad(out, m_spaceAfterEquals);
    out += m_value;
    out += '\n';
}
