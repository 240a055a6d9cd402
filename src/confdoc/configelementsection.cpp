#include "configelementsection.h"

#include "configelementdata.h"
#include "configelementexpr.h"
#include "configelementinclude.h"
#include "configelementlist.h"

#include <utility>

namespace {

// An unambiguous text for a token line: equal texts mean equal tokens and spacings.
std::string exprSignature(const ConfigElementExpr &expr)
{
    std::string signature;
    for (const auto &token : expr.tokens()) {
        signature += std::to_string(token.text.size());
        signature += ':';
        signature += token.text;
        signature += std::to_string(token.spacing);
        signature += ';';
    }
    return signature;
}

} // namespace

ConfigElementSection::ConfigElementSection(std::string name, int kind, int indent, int line)
    : ConfigElementCommentable(indent, line)
    , m_name(std::move(name))
    , m_kind(kind)
{
}

ConfigElementSection::~ConfigElementSection() = default;

int ConfigElementSection::type() const
{
    return SectionType;
}

void ConfigElementSection::setName(const std::string &name)
{
    if (name == m_name)
        return;
    const std::string oldName = std::exchange(m_name, name);
    if (m_owner)
        m_owner->sectionRenamed(this, oldName);
}

void ConfigElementSection::writeTo(std::string &out) const
{
    ConfigElementCommentable::writeTo(out);
    pad(out, indent());
    if (m_kind == Bracket) {
        out += '[';
        out += m_name;
        out += "]\n";
    } else if (m_kind == Brace) {
        out += "service ";
        out += m_name;
        out += " { \n";
    }
    for (const auto &child : m_children)
        child->writeTo(out);
    if (m_kind == Brace) {
        pad(out, m_closeIndent);
        out += "}\n";
    }
}

void ConfigElementSection::merge(const ConfigElementSection &other)
{
    MergeIndex index;
    merge(other, index);
}

void ConfigElementSection::merge(const ConfigElementSection &other, MergeIndex &index)
{
    if (!index.built) {
        for (const auto &child : m_children) {
            switch (child->type()) {
            case DataType: {
                auto *data = static_cast<ConfigElementData *>(child.get());
                index.firstData.emplace(data->key(), data);
                break;
            }
            case ExprType:
                index.exprs.insert(exprSignature(static_cast<const ConfigElementExpr &>(*child)));
                break;
            case IncludeType:
                index.includePaths.insert(static_cast<const ConfigElementInclude &>(*child).path());
                break;
            default:
                break;
            }
        }
        index.built = true;
    }

    for (const auto &child : other.m_children) {
        switch (child->type()) {
        case DataType: {
            auto *data = static_cast<ConfigElementData *>(child.get());
            auto found = index.firstData.find(data->key());
            if (found != index.firstData.end()) {
                found->second->setValue(data->value());
                // "k =" has no whitespace after '='; keeping ours would turn the empty
                // value into a blank when the file is read again.
                if (data->value().empty())
                    found->second->setSpaceAfterEquals(0);
            } else {
                index.firstData.emplace(data->key(), data);
                m_children.push_back(child);
            }
            break;
        }
        case ExprType:
            if (index.exprs.insert(exprSignature(static_cast<const ConfigElementExpr &>(*child))).second)
                m_children.push_back(child);
            break;
        case IncludeType:
            if (index.includePaths.insert(static_cast<const ConfigElementInclude &>(*child).path()).second)
                m_children.push_back(child);
            break;
        default:
            break;
        }
    }
}
