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

std::ostream &ConfigElementData::write(std::ostream &out) const
{
    ConfigElementCommentable::write(out);
    pad(out, indent());
    out.write(m_key.data(), static_cast<std::streamsize>(m_key.size()));
    pad(out, m_spaceBeforeEquals);
    out.put('=');
    pad(out, m_spaceAfterEquals);
    out.write(m_value.data(), static_cast<std::streamsize>(m_value.size()));
    return endLine(out);
}
