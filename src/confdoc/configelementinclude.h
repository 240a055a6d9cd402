#pragma once

#include "configelementcommentable.h"

#include <string>

// A line whose first word begins with '@' (such as "@include path"). The named file is
// never opened; smb.conf's own "include = ..." parameter is an ordinary data line.
class ConfigElementInclude : public ConfigElementCommentable
{
public:
    ConfigElementInclude(std::string directive = {}, std::string path = {}, int indent = 0, int line = 0,
                         int spacing = 0);
    ~ConfigElementInclude() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    const std::string &directive() const { return m_directive; }
    const std::string &path() const { return m_path; }
    int spacing() const { return m_spacing; }

    void setDirective(const std::string &directive) { m_directive = directive; }
    void setPath(const std::string &path) { m_path = path; }
    void setSpacing(int spacing) { m_spacing = spacing; }

private:
    std::string m_directive;
    int m_spacing;
    std::string m_path;
};

using ConfigElementIncludePtr = std::shared_ptr<ConfigElementInclude>;
