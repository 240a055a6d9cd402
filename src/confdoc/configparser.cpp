#include "configparser.h"

#include "configdocument.h"
#include "configelementcomment.h"
#include "configelementcommentblock.h"
#include "configelementdata.h"
#include "configelementeline.h"
#include "configelementexpr.h"
#include "configelementinclude.h"
#include "configelementlist.h"
#include "configelementsection.h"

#include <cstring>
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
{
    for (char marker : commentMarkers)
        m_isMarker[static_cast<unsigned char>(marker)] = m_isSpecial[static_cast<unsigned char>(marker)] =
            true;
    for (char special : {'\n', '\t', ']', '{', '}', '=', '@'})
        m_isSpecial[static_cast<unsigned char>(special)] = true;
}

void ConfigParser::parse(const std::string &bytes, ConfigElementList &out)
{
    m_top.clear();
    m_section = nullptr;
    m_block.reset();
    m_buf.clear();
    m_col = 0;
    m_lineNo = 0;
    m_blank = true;
    m_inComment = m_inValue = m_inInclude = false;

    const char *const end = bytes.data() + bytes.size();
    for (const char *p = bytes.data(); p != end;) {
        if (m_inComment || m_inValue) {
            // The rest of a comment or value is taken verbatim: copy it up to the line
            // feed in one go. The marker or '=' already cleared the blank flag.
            const void *found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            const char *stop = found ? static_cast<const char *>(found) : end;
            m_buf.append(p, stop);
            m_col += static_cast<int>(stop - p);
            p = stop;
            if (p == end)
                break;
        } else if (!m_inInclude) {
            // Ordinary bytes (the letters of a key or a token line) only collect in the
            // buffer: take the whole run at once, up to the next byte that means more.
            const char *stop = p;
            bool text = false;
            while (stop != end && !m_isSpecial[static_cast<unsigned char>(*stop)]) {
                text = text || !isSpace(*stop);
                ++stop;
            }
            if (stop != p) {
                m_buf.append(p, stop);
                m_col += static_cast<int>(stop - p);
                if (text)
                    m_blank = false;
                p = stop;
                if (p == end)
                    break;
            }
        }
        readByte(*p++);
    }

    // An unterminated last line survives only as a comment or a parameter.
    if (m_inComment)
        completeComment();
    else if (m_inValue)
        completeValue();
    m_buf.clear();
    m_inInclude = false;
    m_include.reset();

    out.clear();
    fold(out);
    m_section = nullptr;
    m_block.reset();
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
        emit(std::make_shared<ConfigElementELine>(m_lineNo));
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
    if (m_isMarker[static_cast<unsigned char>(c)]) {
        m_comment = std::make_shared<ConfigElementComment>(c, std::string(), m_col - 1, m_lineNo);
        m_buf.clear();
        m_inComment = true;
        return;
    }
    switch (c) {
    case '\n':
        if (!m_buf.empty()) {
            if (!allSpace(m_buf))
                completeTokenLine();
            m_buf.clear();
        }
        return;
    case ']':
        if (openSection())
            return;
        break;
    case '{':
        openBraceSection();
        return;
    case '}':
        // The most recent section header is the current section.
        if (m_section)
            m_section->setCloseIndent(m_col - 1);
        m_buf.clear();
        return;
    case '=':
        if (m_syntaxMode != ConfigDocument::Tokens) {
            openParameter();
            return;
        }
        break;
    case '@':
        // Only a first word that begins with '@' makes an include line; an '@' inside
        // a word ("[user@host]") is ordinary text.
        if (allSpace(m_buf)) {
            m_include =
                std::make_shared<ConfigElementInclude>(std::string(), std::string(), m_col - 1, m_lineNo);
            m_buf += c;
            m_inInclude = true;
            return;
        }
        break;
    case '\t':
        m_buf.append(4, ' ');
        return;
    default:
        break;
    }
    m_buf += c;
}

bool ConfigParser::openSection()
{
    const std::size_t open = m_buf.find('[');
    if (open == std::string::npos)
        return false;
    emit(std::make_shared<ConfigElementSection>(m_buf.substr(open + 1), ConfigElementSection::Bracket,
                                                static_cast<int>(open), m_lineNo));
    m_buf.clear();
    return true;
}

void ConfigParser::openBraceSection()
{
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
    emit(std::make_shared<ConfigElementSection>(name, ConfigElementSection::Brace, indent, m_lineNo));
    m_buf.clear();
}

void ConfigParser::openParameter()
{
    const int size = static_cast<int>(m_buf.size());
    // With no key at all, the widths come out so that the line is written back as read.
    int first = size == 0 ? 0 : size - 1;
    for (int i = 0; i < size; ++i) {
        if (!isSpace(m_buf[static_cast<std::size_t>(i)])) {
            first = i;
            break;
        }
    }
    int last = size == 0 ? -1 : 0;
    for (int i = size - 1; i >= 0; --i) {
        if (!isSpace(m_buf[static_cast<std::size_t>(i)])) {
            last = i;
            break;
        }
    }
    std::string key = last < first
        ? std::string()
        : m_buf.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
    auto data = std::make_shared<ConfigElementData>(std::move(key), std::string(), first, m_lineNo,
                                                 (size - 1) - last, 1);
    m_data = data.get();
    emit(std::move(data));
    m_buf.clear();
    m_inValue = true;
}

void ConfigParser::completeComment()
{
    m_comment->setText(m_buf);
    emit(std::move(m_comment));
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
    m_data = nullptr;
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
    emit(std::move(m_include));
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
    emit(std::make_shared<ConfigElementExpr>(std::move(tokens), static_cast<int>(first), m_lineNo));
}

// Structuring, one element at a time as the reader makes them: comment lines form
// blocks, a block directly above an element is attached to it, and every element after a
// section header goes into that section.
void ConfigParser::emit(ConfigElementPtr element)
{
    // The open block was put last where it lives (the current section or the top
    // level): only comments, which go inside it, came after it.
    auto attachBlock = [this](ConfigElementCommentable &owner) {
        if (!m_block)
            return;
        owner.comments().push_back(std::move(m_block));
        m_block.reset();
        if (m_section)
            m_section->children().pop_back();
        else
            m_top.pop_back();
    };
    auto place = [this](ConfigElementPtr placed) {
        if (m_section)
            m_section->children().push_back(std::move(placed));
        else
            m_top.push_back(std::move(placed));
    };

    switch (element->type()) {
    case ConfigElementBase::ELineType:
        m_block.reset();
        place(std::move(element));
        break;
    case ConfigElementBase::CommentType:
        if (!m_block) {
            m_block = std::make_shared<ConfigElementCommentBlock>(element->indent(), element->line());
            place(m_block);
        }
        m_block->lines().push_back(std::static_pointer_cast<ConfigElementComment>(std::move(element)));
        break;
    case ConfigElementBase::SectionType: {
        auto section = std::static_pointer_cast<ConfigElementSection>(std::move(element));
        attachBlock(*section);
        // Sections of one file tend to be alike: size the new one like the last, with
        // room for the few lines a save adds.
        if (m_section)
            section->children().reserve(m_section->children().size() + 4);
        m_section = section.get();
        m_top.push_back(std::move(section));
        break;
    }
    default:
        attachBlock(static_cast<ConfigElementCommentable &>(*element));
        place(std::move(element));
        break;
    }
}

void ConfigParser::fold(ConfigElementList &out)
{
    // Fold later sections into the first one of the same name, using the list's own
    // index. Merge indexes are made only for sections that have duplicates.
    std::unordered_map<ConfigElementSection *, ConfigElementSection::MergeIndex> mergeIndexes;
    out.reserve(m_top.size());
    for (auto &element : m_top) {
        if (element->type() == ConfigElementBase::SectionType) {
            const auto &section = static_cast<const ConfigElementSection &>(*element);
            if (ConfigElementSection *target = out.appendSection(std::move(element)))
                target->merge(section, mergeIndexes[target]);
            continue;
        }
        out.append(std::move(element));
    }
    m_top.clear();
}
