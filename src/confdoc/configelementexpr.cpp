#include "configelementexpr.h"

#include <utility>

ConfigElementExpr::ConfigElementExpr(std::vector<Token> tokens, int indent, int line)
    : ConfigElementCommentable(indent, line)
    , m_tokens(std::move(tokens))
{
}

ConfigElementExpr::~ConfigElementExpr() = default;

int ConfigElementExpr::type() const
{
    return ExprType;
}

std::ostream &ConfigElementExpr::write(std::ostream &out) const
{
    ConfigElementCommentable::write(out);
    pad(out, indent());
    for (const Token &token : m_tokens) {
        out.write(token.text.data(), static_cast<std::streamsize>(token.text.size()));
        pad(out, token.spacing);
    }
    return endLine(out);
}
