#pragma once

#include "configelementbase.h"

#include <string>

// One comment line: the marker that began it and every byte after it, verbatim.
class ConfigElementComment : public ConfigElementBase
{
public:
    ConfigElementComment(char marker, std::string text, int indent = 0, int line = 0);
    ~ConfigElementComment() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    char marker() const { return m_marker; }
    const std::string &text() const { return m_text; }
    void setText(const std::string &text) { m_text = text; }

private:
    char m_marker;
    std::string m_text;
};

using ConfigElementCommentPtr = std::shared_ptr<ConfigElementComment>;
