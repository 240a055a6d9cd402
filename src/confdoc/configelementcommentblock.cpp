#include "configelementcommentblock.h"

ConfigElementCommentBlock::ConfigElementCommentBlock(int indent, int line)
    : ConfigElementBase(indent, line)
{
}

ConfigElementCommentBlock::~ConfigElementCommentBlock() = default;

int ConfigElementCommentBlock::type() const
{
    return CommentBlockType;
}

void ConfigElementCommentBlock::writeTo(std::string &out) const
{
    for (const auto &comment : m_lines)
        comment->writeTo(out);
}
