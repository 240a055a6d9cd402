#include "configdocument.h"

#include "configelementeline.h"
#include "configparser.h"

namespace {

// New elements go after the last element that is not a blank line, so trailing blank
// lines stay trailing.
template<class List>
std::size_t insertionPoint(const List &list)
{
    std::size_t position = list.size();
    while (position > 0 && list[position - 1]->type() == ConfigElementBase::ELineType)
        --position;
    return position;
}

// A new element takes the indentation of the last element of its kind, or of the last
// element at all, so hand-made layouts are continued.
template<class List>
int indentFor(const List &list, int type, int fallback)
{
    for (std::size_t i = list.size(); i > 0; --i) {
        if (list[i - 1]->type() == type)
            return list[i - 1]->indent();
    }
    return list.size() == 0 ? fallback : list[list.size() - 1]->indent();
}

} // namespace

ConfigDocument::ConfigDocument(int syntaxMode)
    : m_syntaxMode(syntaxMode)
    , m_commentMarkers(syntaxMode == SmbConf ? "#;" : "#")
{
}

void ConfigDocument::clear()
{
    m_elements.clear();
}

std::istream &ConfigDocument::load(std::istream &in)
{
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    load(bytes);
    return in;
}

void ConfigDocument::load(const std::string &bytes)
{
    m_elements.clear();
    m_sizeHint = bytes.size();
    ConfigParser parser(m_syntaxMode, m_commentMarkers);
    parser.parse(bytes, m_elements);
}

std::string ConfigDocument::text() const
{
    std::string text;
    // About the size of the file read: one allocation instead of a doubling series.
    text.reserve(m_sizeHint + m_sizeHint / 8);
    for (const auto &element : m_elements)
        element->writeTo(text);
    return text;
}

std::ostream &ConfigDocument::write(std::ostream &out) const
{
    const std::string text = this->text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    // Everything written is in the file when this returns, while the file stays open.
    return out.flush();
}

ConfigElementSectionPtr ConfigDocument::findSection(const std::string &name) const
{
    return m_elements.findSection(name);
}

ConfigElementDataPtr ConfigDocument::findValue(const std::string &section, const std::string &key) const
{
    if (section.empty())
        return m_elements.findData(key);
    const ConfigElementSectionPtr found = findSection(section);
    if (!found)
        return nullptr;
    for (const auto &child : found->children()) {
        if (child->type() == ConfigElementBase::DataType) {
            auto data = std::static_pointer_cast<ConfigElementData>(child);
            if (data->key() == key)
                return data;
        }
    }
    return nullptr;
}

void ConfigDocument::setValue(const std::string &section, const std::string &key, const std::string &value,
                              const std::string &comment, int kind)
{
    if (const ConfigElementDataPtr existing = findValue(section, key)) {
        existing->setValue(value);
        return;
    }

    if (section.empty()) {
        auto data = std::make_shared<ConfigElementData>(
            key, value, indentFor(m_elements, ConfigElementBase::DataType, 0));
        if (!comment.empty())
            data->addComment(comment);
        m_elements.insert(insertionPoint(m_elements), data);
        return;
    }

    ConfigElementSectionPtr target = findSection(section);
    if (!target) {
        target = std::make_shared<ConfigElementSection>(
            section, kind, indentFor(m_elements, ConfigElementBase::SectionType, 0));
        m_elements.insert(insertionPoint(m_elements), target);
    }
    appendValue(*target, key, value, comment);
}

ConfigElementData &ConfigDocument::appendValue(ConfigElementSection &section, std::string key,
                                               std::string value, const std::string &comment)
{
    auto &children = section.children();
    auto data = std::make_shared<ConfigElementData>(
        std::move(key), std::move(value), indentFor(children, ConfigElementBase::DataType, section.indent()));
    if (!comment.empty())
        data->addComment(comment);
    ConfigElementData &added = *data;
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(insertionPoint(children)),
                    std::move(data));
    return added;
}

void ConfigDocument::addBlankLine(const std::string &section)
{
    const ConfigElementSectionPtr target = findSection(section);
    if (!target)
        return;
    auto &children = target->children();
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(insertionPoint(children)),
                    std::make_shared<ConfigElementELine>());
}
