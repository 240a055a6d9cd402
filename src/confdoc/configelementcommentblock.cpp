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

std::ostream &ConfigElementCommentBlock::write(std::ostream &out) const
{
    for (const auto &comment : m_lines)
        comment->write(out);
    return out;
}
