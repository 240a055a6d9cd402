#include "configelementdata.h"

#include <algorithm>
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
    if (!comments().empty())
        ConfigElementCommentable::writeTo(out);
    // The commonest line of a file: size it once and copy the parts in.
    const auto width = [](int n) {
        return n > 0 ? static_cast<std::size_t>(n / 4 + n % 4) : std::size_t(0);
    };
    const std::size_t start = out.size();
    out.resize(start + width(indent()) + m_key.size() + width(m_spaceBeforeEquals) + 1
               + width(m_spaceAfterEquals) + m_value.size() + 1);
    char *p = &out[start];
    const auto pad = [&p](int n) {
        if (n <= 0)
            return;
        p = std::fill_n(p, n / 4, '\t');
        p = std::fill_n(p, n % 4, ' ');
    };
    pad(indent());
    p = std::copy(m_key.begin(), m_key.end(), p);
    pad(m_spaceBeforeEquals);
    *p++ = '=';
    pad(m_spaceAfterEquals);
    p = std::copy(m_value.begin(), m_value.end(), p);
    *p = '\n';
}
