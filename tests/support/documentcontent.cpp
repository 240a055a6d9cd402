#include "documentcontent.h"

#include "configdocument.h"
#include "configelementexpr.h"
#include "configelementinclude.h"

#include <sstream>

namespace {

std::string quoted(const std::string &text)
{
    return std::to_string(text.size()) + ':' + text;
}

void describe(const ConfigElementBase &element, const std::string &depth, std::vector<std::string> &out);

void describeComments(const ConfigElementCommentable &element, const std::string &depth,
                      std::vector<std::string> &out)
{
    for (const auto &block : element.comments())
        describe(*block, depth + "  c ", out);
}

void describe(const ConfigElementBase &element, const std::string &depth, std::vector<std::string> &out)
{
    switch (element.type()) {
    case ConfigElementBase::ELineType:
        out.push_back(depth + "eline");
        break;
    case ConfigElementBase::CommentType: {
        const auto &comment = static_cast<const ConfigElementComment &>(element);
        out.push_back(depth + "comment " + comment.marker() + quoted(comment.text()));
        break;
    }
    case ConfigElementBase::CommentBlockType: {
        out.push_back(depth + "block");
        for (const auto &line : static_cast<const ConfigElementCommentBlock &>(element).lines())
            describe(*line, depth + "  ", out);
        break;
    }
    case ConfigElementBase::DataType: {
        const auto &data = static_cast<const ConfigElementData &>(element);
        describeComments(data, depth, out);
        out.push_back(depth + "data " + quoted(data.key()) + " = " + quoted(data.value()));
        break;
    }
    case ConfigElementBase::ExprType: {
        const auto &expr = static_cast<const ConfigElementExpr &>(element);
        describeComments(expr, depth, out);
        std::string entry = depth + "expr";
        for (const auto &token : expr.tokens())
            entry += ' ' + quoted(token.text);
        out.push_back(entry);
        break;
    }
    case ConfigElementBase::IncludeType: {
        const auto &include = static_cast<const ConfigElementInclude &>(element);
        describeComments(include, depth, out);
        out.push_back(depth + "include " + quoted(include.directive()) + ' ' + quoted(include.path()));
        break;
    }
    case ConfigElementBase::SectionType: {
        const auto &section = static_cast<const ConfigElementSection &>(element);
        describeComments(section, depth, out);
        out.push_back(depth + "section " + std::to_string(section.kind()) + ' ' + quoted(section.name()));
        for (const auto &child : section.children())
            describe(*child, depth + "  ", out);
        break;
    }
    default:
        out.push_back(depth + "unknown " + std::to_string(element.type()));
        break;
    }
}

} // namespace

std::vector<std::string> documentContent(const ConfigDocument &document)
{
    std::vector<std::string> out;
    for (const auto &element : document.elements())
        describe(*element, std::string(), out);
    return out;
}

std::string writeDocument(const ConfigDocument &document)
{
    std::ostringstream out;
    document.write(out);
    return out.str();
}

void loadDocument(ConfigDocument &document, const std::string &bytes)
{
    std::istringstream in(bytes);
    document.load(in);
}
