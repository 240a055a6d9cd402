#include "configelementlist.h"

#include "configelementdata.h"
#include "configelementsection.h"

#include <algorithm>
#include <utility>

template<class T>
void ConfigElementList::Entry<T>::add(std::shared_ptr<T> element)
{
    if (!one)
        one = std::move(element);
    else
        more.push_back(std::move(element));
}

template<class T>
std::shared_ptr<T> ConfigElementList::Entry<T>::remove(const ConfigElementBase *element)
{
    std::shared_ptr<T> removed;
    if (one.get() == element) {
        removed = std::move(one);
        one.reset();
        if (!more.empty()) {
            one = std::move(more.front());
            more.erase(more.begin());
        }
        return removed;
    }
    auto found = std::find_if(more.begin(), more.end(), [element](const std::shared_ptr<T> &candidate) {
        return candidate.get() == element;
    });
    if (found != more.end()) {
        removed = std::move(*found);
        more.erase(found);
    }
    return removed;
}

template<class T>
bool ConfigElementList::Entry<T>::contains(const ConfigElementBase *element) const
{
    return one.get() == element
        || std::any_of(more.begin(), more.end(),
                       [element](const std::shared_ptr<T> &candidate) { return candidate.get() == element; });
}

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
        entry.second.one->m_owner = this;
        for (auto &section : entry.second.more)
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
    // Everything goes: no entry needs looking up, only the sections let go of the list.
    for (const auto &entry : m_sections) {
        if (entry.second.one && entry.second.one->m_owner == this)
            entry.second.one->m_owner = nullptr;
        for (const auto &section : entry.second.more) {
            if (section->m_owner == this)
                section->m_owner = nullptr;
        }
    }
    m_elements.clear();
    m_sections.clear();
    m_data.clear();
}

void ConfigElementList::assign(Container elements)
{
    clear();
    m_elements = std::move(elements);
    m_sections.reserve(m_elements.size());
    for (const auto &element : m_elements)
        index(element);
}

ConfigElementSection *ConfigElementList::appendSection(ConfigElementPtr &&element)
{
    auto *section = static_cast<ConfigElementSection *>(element.get());
    Entry<ConfigElementSection> &entry = m_sections[section->name()];
    if (entry.one)
        return entry.one.get();
    section->m_owner = this;
    entry.one = std::static_pointer_cast<ConfigElementSection>(element);
    m_elements.push_back(std::move(element));
    return nullptr;
}

void ConfigElementList::reserve(std::size_t size)
{
    m_elements.reserve(size);
    m_sections.reserve(size);
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
std::shared_ptr<T> ConfigElementList::first(const Entry<T> &entry) const
{
    if (entry.more.empty())
        return entry.one;
    // Several top-level elements share the name (a rename made two sections alike):
    // only the list knows which comes first.
    for (const auto &element : m_elements) {
        if (element.get() == entry.one.get())
            return entry.one;
        for (const auto &candidate : entry.more) {
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
        m_sections[section->name()].add(std::move(section));
    } else if (element->type() == ConfigElementBase::DataType) {
        auto data = std::static_pointer_cast<ConfigElementData>(element);
        m_data[data->key()].add(std::move(data));
    }
}

void ConfigElementList::unindex(const ConfigElementBase *element)
{
    if (!element)
        return;
    if (element->type() == ConfigElementBase::SectionType) {
        auto found = m_sections.find(static_cast<const ConfigElementSection *>(element)->name());
        if (found == m_sections.end())
            return;
        const std::shared_ptr<ConfigElementSection> removed = found->second.remove(element);
        const bool stillHere = found->second.contains(element);
        if (found->second.empty())
            m_sections.erase(found);
        if (removed && !stillHere && removed->m_owner == this)
            removed->m_owner = nullptr;
    } else if (element->type() == ConfigElementBase::DataType) {
        auto found = m_data.find(static_cast<const ConfigElementData *>(element)->key());
        if (found == m_data.end())
            return;
        found->second.remove(element);
        if (found->second.empty())
            m_data.erase(found);
    }
}

void ConfigElementList::sectionRenamed(ConfigElementSection *section, const std::string &oldName)
{
    auto found = m_sections.find(oldName);
    if (found == m_sections.end())
        return;
    std::vector<std::shared_ptr<ConfigElementSection>> moved;
    while (auto removed = found->second.remove(section))
        moved.push_back(std::move(removed));
    if (found->second.empty())
        m_sections.erase(found);
    auto &target = m_sections[section->name()];
    for (auto &entry : moved)
        target.add(std::move(entry));
}
