#pragma once

#include "configelementcommentblock.h"

#include <string>
#include <vector>

// Base of the elements that carry the comment lines standing directly above them.
class ConfigElementCommentable : public ConfigElementBase
{
public:
    explicit ConfigElementCommentable(int indent = 0, int line = 0);
    ~ConfigElementCommentable() override;

    // Writes the attached comment blocks; subclasses write their own line after them.
    void writeTo(std::string &out) const override;

    std::vector<ConfigElementCommentBlockPtr> &comments() { return m_comments; }
    const std::vector<ConfigElementCommentBlockPtr> &comments() const { return m_comments; }

    // Adds '#' followed by the text as the last line of the first comment block.
    void addComment(const std::string &text);

private:
    std::vector<ConfigElementCommentBlockPtr> m_comments;
};
