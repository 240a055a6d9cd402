#include "configelementcommentable.h"

ConfigElementCommentable::ConfigElementCommentable(int indent, int line)
    : ConfigElementBase(indent, line)
{
}

ConfigElementCommentable::~ConfigElementCommentable() = default;

void ConfigElementCommentable::writeTo(std::string &out) const
{
    for (const auto &block : m_comments)
        block->writeTo(out);
}

void ConfigElementCommentable::addComment(const std::string &text)
{
    auto comment = std::make_shared<ConfigElementComment>('#', text);
    if (m_comments.empty())
        m_comments.push_back(std::make_shared<ConfigElementCommentBlock>());
    m_comments.front()->lines().push_back(comment);
}
