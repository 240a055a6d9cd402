#pragma once

#include "configelementcommentable.h"

#include <string>
#include <vector>

// Any other line, held as whitespace-separated tokens with the width of the whitespace
// that followed each one.
class ConfigElementExpr : public ConfigElementCommentable
{
public:
    struct Token
    {
        std::string text;
        int spacing = 0;
        bool operator==(const Token &other) const { return text == other.text && spacing == other.spacing; }
    };

    explicit ConfigElementExpr(std::vector<Token> tokens = {}, int indent = 0, int line = 0);
    ~ConfigElementExpr() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    const std::vector<Token> &tokens() const { return m_tokens; }
    std::vector<Token> &tokens() { return m_tokens; }

private:
    std::vector<Token> m_tokens;
};

using ConfigElementExprPtr = std::shared_ptr<ConfigElementExpr>;
