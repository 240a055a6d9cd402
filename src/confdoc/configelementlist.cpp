#include "configelementlist.h"

#include "configelementdata.h"
#include "configelementsection.h"

#include <algorithm>
#include <utility>

namespace {

template<class T>
void eraseOne(std::vector<std::shared_ptr<T>> &entries, const ConfigElementBase *element)
{
    auto found = std::find_if(entries.begin(), entries.end(),
                              [element](const std::shared_ptr<T> &entry) { return entry.get() == element; });
    if (found != entries.end())
        entries.erase(found);
}

} // namespace

ConfigElementList::ConfigElementList() = default;

ConfigElementList::~ConfigElementList()
{
    clear();
}

ConfigElementList::ConfigElementList(ConfigElementList &&other) noexcept
{
    *this = std::move(other);
}

ConfigElementList &ConfigElementList::operator=(ConfigElementList &&other) noexcept
{
    if (this == &other)
        return *this;
    clear();
    m_elements = std::move(other.m_elements);
    m_sections = std::move(other.m_sections);
    m_data = std::move(other.m_data);
    other.m_elements.clear();
    other.m_sections.clear();
    other.m_data.clear();
    for (auto &entry : m_sections) {
        for (auto &section : entry.second)
            section->m_owner = this;
    }
    return *this;
}

void ConfigElementList::append(ConfigElementPtr element)
{
    index(element);
    m_elements.push_back(std::move(element));
}

void ConfigElementList::insert(std::size_t position, ConfigElementPtr element)
{
    index(element);
    m_elements.insert(m_elements.begin() + static_cast<std::ptrdiff_t>(std::min(position, m_elements.size())),
                      std::move(element));
}

void ConfigElementList::removeAt(std::size_t position)
{
    unindex(m_elements.at(position).get());
    m_elements.erase(m_elements.begin() + static_cast<std::ptrdiff_t>(position));
}

std::size_t ConfigElementList::removeAll(const ConfigElementBase *element)
{
    return removeIf([element](const ConfigElementPtr &candidate) { return candidate.get() == element; });
}

void ConfigElementList::clear()
{
    for (const auto &element : m_elements)
        unindex(element.get());
    m_elements.clear();
    m_sections.clear();
    m_data.clear();
}

void ConfigElementList::assign(Container elements)
{
    clear();
    m_elements = std::move(elements);
    for (const auto &element : m_elements)
        index(element);
}

std::ptrdiff_t ConfigElementList::indexOf(const ConfigElementBase *element) const
{
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].get() == element)
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::shared_ptr<ConfigElementSection> ConfigElementList::findSection(const std::string &name) const
{
    auto found = m_sections.find(name);
    return found == m_sections.end() ? nullptr : first(found->second);
}

std::shared_ptr<ConfigElementData> ConfigElementList::findData(const std::string &key) const
{
    auto found = m_data.find(key);
    return found == m_data.end() ? nullptr : first(found->second);
}

template<class T>
std::shared_ptr<T> ConfigElementList::first(const std::vector<std::shared_ptr<T>> &candidates) const
{
    if (candidates.empty())
        return nullptr;
    if (candidates.size() == 1)
        return candidates.front();
    // Several top-level elements share the name (a rename made two sections alike):
    // only the list knows which comes first.
    for (const auto &element : m_elements) {
        for (const auto &candidate : candidates) {
            if (candidate.get() == element.get())
                return candidate;
        }
    }
    return nullptr;
}

void ConfigElementList::index(const ConfigElementPtr &element)
{
    if (!element)
        return;
    if (element->type() == ConfigElementBase::SectionType) {
        auto section = std::static_pointer_cast<ConfigElementSection>(element);
        section->m_owner = this;
        m_sections[section->name()].push_back(std::move(section));
    } else if (element->type() == ConfigElementBase::DataType) {
        auto data = std::static_pointer_cast<ConfigElementData>(element);
        m_data[data->key()].push_back(std::move(data));
    }
}

void ConfigElementList::unindex(const ConfigElementBase *element)
{
    if (!element)
        return;
    if (element->type() == ConfigElementBase::SectionType) {
        auto *section = static_cast<const ConfigElementSection *>(element);
        auto found = m_sections.find(section->name());
        if (found == m_sections.end())
            return;
        auto &entries = found->second;
        auto entry = std::find_if(entries.begin(), entries.end(),
                                  [element](const auto &candidate) { return candidate.get() == element; });
        if (entry == entries.end())
            return;
        const std::shared_ptr<ConfigElementSection> removed = std::move(*entry);
        entries.erase(entry);
        const bool stillHere = std::any_of(entries.begin(), entries.end(),
                                           [element](const auto &candidate) { return candidate.get() == element; });
        if (entries.empty())
            m_sections.erase(found);
        if (!stillHere && removed->m_owner == this)
            removed->m_owner = nullptr;
    } else if (element->type() == ConfigElementBase::DataType) {
        auto *data = static_cast<const ConfigElementData *>(element);
        auto found = m_data.find(data->key());
        if (found == m_data.end())
            return;
        eraseOne(found->second, element);
        if (found->second.empty())
            m_data.erase(found);
    }
}

void ConfigElementList::sectionRenamed(ConfigElementSection *section, const std::string &oldName)
{
    auto found = m_sections.find(oldName);
    if (found == m_sections.end())
        return;
    auto &entries = found->second;
    std::vector<std::shared_ptr<ConfigElementSection>> moved;
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->get() == section) {
            moved.push_back(std::move(*it));
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
    if (entries.empty())
        m_sections.erase(found);
    auto &target = m_sections[section->name()];
    for (auto &entry : moved)
        target.push_back(std::move(entry));
}
