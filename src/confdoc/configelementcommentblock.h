#pragma once

#include "configelementcomment.h"

#include <vector>

// A run of consecutive comment lines, kept together so it can stay attached to the
// element below it.
class ConfigElementCommentBlock : public ConfigElementBase
{
public:
    explicit ConfigElementCommentBlock(int indent = 0, int line = 0);
    ~ConfigElementCommentBlock() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    std::vector<ConfigElementCommentPtr> &lines() { return m_lines; }
    const std::vector<ConfigElementCommentPtr> &lines() const { return m_lines; }

private:
    std::vector<ConfigElementCommentPtr> m_lines;
};

using ConfigElementCommentBlockPtr = std::shared_ptr<ConfigElementCommentBlock>;
