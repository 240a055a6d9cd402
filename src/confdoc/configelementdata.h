#pragma once

#include "configelementcommentable.h"

#include <string>
#include <utility>

// A "key = value" line. The value is everything after the whitespace that follows '=',
// verbatim up to the line feed (trailing blanks and a carriage return included).
class ConfigElementData : public ConfigElementCommentable
{
public:
    ConfigElementData(std::string key, std::string value, int indent = 0, int line = 0,
                      int spaceBeforeEquals = 1, int spaceAfterEquals = 1);
    ~ConfigElementData() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    const std::string &key() const { return m_key; }
    const std::string &value() const { return m_value; }
    void setValue(std::string value) { m_value = std::move(value); }
    ConfigElementData &operator=(const std::string &value);

    int spaceBeforeEquals() const { return m_spaceBeforeEquals; }
    int spaceAfterEquals() const { return m_spaceAfterEquals; }
    void setSpaceAfterEquals(int width) { m_spaceAfterEquals = width; }

private:
    std::string m_key;
    std::string m_value;
    int m_spaceBeforeEquals;
    int m_spaceAfterEquals;
};

using ConfigElementDataPtr = std::shared_ptr<ConfigElementData>;
