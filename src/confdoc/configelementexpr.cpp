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

void ConfigElementExpr::writeTo(std::string &out) const
{
    ConfigElementCommentable::writeTo(out);
    pad(out, indent());
    for (const Token &token : m_tokens) {
        out += token.text;
        pad(out, token.spacing);
    }
    out += '\n';
}
