#include "configparser.h"

#include "configdocument.h"
#include "configelementcomment.h"
#include "configelementcommentblock.h"
#include "configelementdata.h"
#include "configelementeline.h"
#include "configelementexpr.h"
#include "configelementinclude.h"
#include "configelementsection.h"

#include <unordered_map>
#include <utility>

namespace {

int whitespaceWidth(char c)
{
    return c == '\t' ? 4 : 1;
}

bool allSpace(const std::string &text)
{
    for (char c : text) {
        if (!ConfigParser::isSpace(c))
            return false;
    }
    return true;
}

} // namespace

ConfigParser::ConfigParser(int syntaxMode, std::string commentMarkers)
    : m_syntaxMode(syntaxMode)
    , m_commentMarkers(std::move(commentMarkers))
{
}

std::vector<ConfigElementPtr> ConfigParser::parse(const std::string &bytes)
{
    m_flat.clear();
    m_buf.clear();
    m_col = 0;
    m_lineNo = 0;
    m_blank = true;
    m_inComment = m_inValue = m_inInclude = false;

    for (char c : bytes)
        readByte(c);

    // An unterminated last line survives only as a comment or a parameter.
    if (m_inComment)
        completeComment();
    else if (m_inValue)
        completeValue();
    m_buf.clear();
    m_inInclude = false;
    m_include.reset();

    return structure();
}

void ConfigParser::readByte(char c)
{
    ++m_col;
    if (!isSpace(c))
        m_blank = false;
    if (c == '\n') {
        lineFeed();
        return;
    }
    // After a comment marker or the '=' of a parameter everything up to the line feed
    // is text: ';' and '#' in a value belong to the value.
    if (m_inComment || m_inValue) {
        m_buf += c;
        return;
    }
    structural(c);
}

void ConfigParser::lineFeed()
{
    if (m_blank) {
        m_flat.push_back(std::make_shared<ConfigElementELine>(m_lineNo));
        m_buf.clear();
    } else if (m_inComment) {
        completeComment();
    } else if (m_inValue) {
        completeValue();
    } else {
        structural('\n');
    }
    ++m_lineNo;
    m_col = 0;
    m_blank = true;
}

void ConfigParser::structural(char c)
{
    if (m_inInclude) {
        if (c == '\n')
            completeInclude();
        else
            m_buf += c;
        return;
    }
    if (c == '\n') {
        if (!m_buf.empty()) {
            if (!allSpace(m_buf))
                completeTokenLine();
            m_buf.clear();
        }
        return;
    }
    if (m_commentMarkers.find(c) != std::string::npos) {
        m_comment = std::make_shared<ConfigElementComment>(c, std::string(), m_col - 1, m_lineNo);
        m_buf.clear();
        m_inComment = true;
        return;
    }
    if (c == ']') {
        const std::size_t open = m_buf.find('[');
        if (open != std::string::npos) {
            m_flat.push_back(std::make_shared<ConfigElementSection>(
                m_buf.substr(open + 1), ConfigElementSection::Bracket, static_cast<int>(open), m_lineNo));
            m_buf.clear();
            return;
        }
    }
    if (c == '{') {
        std::string name;
        int indent = 0;
        std::size_t end = m_buf.size();
        while (end > 0 && isSpace(m_buf[end - 1]))
            --end;
        if (end > 0) {
            std::size_t start = end;
            while (start > 0 && !isSpace(m_buf[start - 1]))
                --start;
            name = m_buf.substr(start, end - start);
            indent = static_cast<int>(start);
        } else if (!m_buf.empty()) {
            name = m_buf.substr(0, 1);
        }
        const std::size_t service = m_buf.find("service");
        if (service != std::string::npos)
            indent = static_cast<int>(service);
        m_flat.push_back(
            std::make_shared<ConfigElementSection>(name, ConfigElementSection::Brace, indent, m_lineNo));
        m_buf.clear();
        return;
    }
    if (c == '}') {
        for (auto it = m_flat.rbegin(); it != m_flat.rend(); ++it) {
            if ((*it)->type() == ConfigElementBase::SectionType) {
                static_cast<ConfigElementSection &>(**it).setCloseIndent(m_col - 1);
                break;
            }
        }
        m_buf.clear();
        return;
    }
    if (c == '=' && m_syntaxMode != ConfigDocument::Tokens) {
        const int size = static_cast<int>(m_buf.size());
        int first = size - 1;
        for (int i = 0; i < size; ++i) {
            if (!isSpace(m_buf[static_cast<std::size_t>(i)])) {
                first = i;
                break;
            }
        }
        if (size == 0)
            first = 0;
        int last = size == 0 ? -1 : 0;
        for (int i = size - 1; i >= 0; --i) {
            if (!isSpace(m_buf[static_cast<std::size_t>(i)])) {
                last = i;
                break;
            }
        }
        std::string key = last < first ? std::string()
                                        : m_buf.substr(static_cast<std::size_t>(first),
                                                       static_cast<std::size_t>(last - first + 1));
        m_data = std::make_shared<ConfigElementData>(std::move(key), std::string(), first, m_lineNo,
                                                     (size - 1) - last, 1);
        m_flat.push_back(m_data);
        m_buf.clear();
        m_inValue = true;
        return;
    }
    // Only a first word that begins with '@' makes an include line; an '@' inside a
    // word ("[user@host]") is ordinary text.
    if (c == '@' && allSpace(m_buf)) {
        m_include = std::make_shared<ConfigElementInclude>(std::string(), std::string(), m_col - 1, m_lineNo);
        m_buf += c;
        m_inInclude = true;
        return;
    }
    if (c == '\t')
        m_buf.append(4, ' ');
    else
        m_buf += c;
}

void ConfigParser::completeComment()
{
    m_comment->setText(m_buf);
    m_flat.push_back(std::move(m_comment));
    m_comment.reset();
    m_buf.clear();
    m_inComment = false;
}

void ConfigParser::completeValue()
{
    std::size_t i = 0;
    while (i < m_buf.size() && isSpace(m_buf[i]))
        ++i;
    if (i == m_buf.size() && !m_buf.empty())
        i = m_buf.size() - 1;
    m_data->setSpaceAfterEquals(static_cast<int>(i));
    m_data->setValue(m_buf.substr(i));
    m_data.reset();
    m_buf.clear();
    m_inValue = false;
}

void ConfigParser::completeInclude()
{
    std::size_t i = 0;
    const std::size_t size = m_buf.size();
    while (i < size && isSpace(m_buf[i]))
        ++i;
    std::size_t start = i;
    while (i < size && !isSpace(m_buf[i]))
        ++i;
    m_include->setDirective(m_buf.substr(start, i - start));
    int spacing = 0;
    while (i < size && isSpace(m_buf[i]))
        spacing += whitespaceWidth(m_buf[i++]);
    m_include->setSpacing(spacing);
    start = i;
    while (i < size && !isSpace(m_buf[i]))
        ++i;
    m_include->setPath(m_buf.substr(start, i - start));
    m_flat.push_back(std::move(m_include));
    m_include.reset();
    m_buf.clear();
    m_inInclude = false;
}

void ConfigParser::completeTokenLine()
{
    std::size_t i = 0;
    while (i < m_buf.size() && isSpace(m_buf[i]))
        ++i;
    std::vector<ConfigElementExpr::Token> tokens;
    std::string current;
    bool open = false;
    bool quoted = false;
    for (; i < m_buf.size(); ++i) {
        const char c = m_buf[i];
        if (c == '"' || c == '\'') {
            quoted = !quoted;
            current += c;
            open = true;
        } else if (quoted || !isSpace(c)) {
            current += c;
            open = true;
        } else if (open) {
            tokens.push_back({std::move(current), whitespaceWidth(c)});
            current.clear();
            open = false;
        } else if (!tokens.empty()) {
            tokens.back().spacing += whitespaceWidth(c);
        }
    }
    if (open)
        tokens.push_back({std::move(current), 0});
    std::size_t first = 0;
    while (first < m_buf.size() && isSpace(m_buf[first]))
        ++first;
    m_flat.push_back(std::make_shared<ConfigElementExpr>(std::move(tokens), static_cast<int>(first), m_lineNo));
}

std::vector<ConfigElementPtr> ConfigParser::structure()
{
    std::vector<ConfigElementPtr> top;
    top.reserve(m_flat.size());
    std::shared_ptr<ConfigElementSection> section;
    std::shared_ptr<ConfigElementCommentBlock> block;

    // The open block was appended last to where it lives (the current section or the
    // top level): only comments, which live inside it, came after it.
    auto takeBlock = [&](const std::shared_ptr<ConfigElementSection> &from) {
        if (from)
            from->children().pop_back();
        else
            top.pop_back();
    };

    for (auto &element : m_flat) {
        switch (element->type()) {
        case ConfigElementBase::ELineType:
            block.reset();
            if (section)
                section->children().push_back(std::move(element));
            else
                top.push_back(std::move(element));
            break;
        case ConfigElementBase::CommentType: {
            if (!block) {
                block = std::make_shared<ConfigElementCommentBlock>(element->indent(), element->line());
                if (section)
                    section->children().push_back(block);
                else
                    top.push_back(block);
            }
            block->lines().push_back(std::static_pointer_cast<ConfigElementComment>(element));
            break;
        }
        case ConfigElementBase::SectionType: {
            auto next = std::static_pointer_cast<ConfigElementSection>(element);
            if (block) {
                next->comments().push_back(block);
                takeBlock(section);
                block.reset();
            }
            section = next;
            top.push_back(std::move(element));
            break;
        }
        default: {
            auto &commentable = static_cast<ConfigElementCommentable &>(*element);
            if (block) {
                commentable.comments().push_back(block);
                takeBlock(section);
                block.reset();
            }
            if (section)
                section->children().push_back(std::move(element));
            else
                top.push_back(std::move(element));
            break;
        }
        }
    }
    m_flat.clear();

    // Fold later sections into the first one of the same name.
    struct Target
    {
        ConfigElementSection *section;
        ConfigElementSection::MergeIndex index;
    };
    std::unordered_map<std::string, Target> firstByName;
    std::vector<ConfigElementPtr> result;
    result.reserve(top.size());
    for (auto &element : top) {
        if (element->type() == ConfigElementBase::SectionType) {
            auto *current = static_cast<ConfigElementSection *>(element.get());
            auto found = firstByName.find(current->name());
            if (found != firstByName.end()) {
                found->second.section->merge(*current, found->second.index);
                continue;
            }
            firstByName.emplace(current->name(), Target{current, {}});
        }
        result.push_back(std::move(element));
    }
    return result;
}
