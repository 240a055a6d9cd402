#pragma once

#include "configelementbase.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ConfigElementData;
class ConfigElementSection;

// The top level of a document, in file order. Callers may insert and remove elements
// freely; the list keeps an index of its sections by name and of its parameters by
// key so that lookups cost the same on a file of ten sections as on one of 100,000.
class ConfigElementList
{
public:
    using Container = std::vector<ConfigElementPtr>;
    using const_iterator = Container::const_iterator;

    ConfigElementList();
    ~ConfigElementList();
    ConfigElementList(const ConfigElementList &) = delete;
    ConfigElementList &operator=(const ConfigElementList &) = delete;
    ConfigElementList(ConfigElementList &&other) noexcept;
    ConfigElementList &operator=(ConfigElementList &&other) noexcept;

    std::size_t size() const { return m_elements.size(); }
    bool empty() const { return m_elements.empty(); }
    const ConfigElementPtr &at(std::size_t index) const { return m_elements.at(index); }
    const ConfigElementPtr &operator[](std::size_t index) const { return m_elements[index]; }
    const ConfigElementPtr &front() const { return m_elements.front(); }
    const ConfigElementPtr &back() const { return m_elements.back(); }
    const_iterator begin() const { return m_elements.begin(); }
    const_iterator end() const { return m_elements.end(); }

    void append(ConfigElementPtr element);
    // Appends a section element unless one of its name is already here; returns that
    // one then, and the element is left as it was.
    ConfigElementSection *appendSection(ConfigElementPtr &&element);
    void insert(std::size_t index, ConfigElementPtr element);
    void removeAt(std::size_t index);
    // Removes every occurrence of the element; returns how many were removed.
    std::size_t removeAll(const ConfigElementBase *element);
    // Removes, in one pass, every element the predicate accepts.
    template<class Predicate>
    std::size_t removeIf(Predicate predicate);
    void clear();
    void assign(Container elements);
    void reserve(std::size_t size);
    // Index of the first occurrence, or -1.
    std::ptrdiff_t indexOf(const ConfigElementBase *element) const;

    // The first section whose name equals the argument byte for byte, or null.
    std::shared_ptr<ConfigElementSection> findSection(const std::string &name) const;
    // Calls f for every top-level section with this name, in no particular order.
    template<class F>
    void forEachSection(const std::string &name, F f) const;
    // The first top-level parameter with this key, or null.
    std::shared_ptr<ConfigElementData> findData(const std::string &key) const;

private:
    friend class ConfigElementSection;

    void index(const ConfigElementPtr &element);
    void unindex(const ConfigElementBase *element);
    void sectionRenamed(ConfigElementSection *section, const std::string &oldName);
    // The elements of one name. Names are nearly always unique, so the first one is held
    // without a vector of its own.
    template<class T>
    struct Entry
    {
        std::shared_ptr<T> one;
        std::vector<std::shared_ptr<T>> more;

        bool empty() const { return !one; }
        void add(std::shared_ptr<T> element);
        // Removes one occurrence; returns the removed pointer (null when absent).
        std::shared_ptr<T> remove(const ConfigElementBase *element);
        bool contains(const ConfigElementBase *element) const;
    };
    template<class T>
    std::shared_ptr<T> first(const Entry<T> &entry) const;

    Container m_elements;
    std::unordered_map<std::string, Entry<ConfigElementSection>> m_sections;
    std::unordered_map<std::string, Entry<ConfigElementData>> m_data;
};

template<class F>
void ConfigElementList::forEachSection(const std::string &name, F f) const
{
    auto found = m_sections.find(name);
    if (found == m_sections.end())
        return;
    // Copies, so f may rename or remove the sections it is given.
    const std::shared_ptr<ConfigElementSection> one = found->second.one;
    const std::vector<std::shared_ptr<ConfigElementSection>> more = found->second.more;
    f(*one);
    for (const auto &section : more)
        f(*section);
}

template<class Predicate>
std::size_t ConfigElementList::removeIf(Predicate predicate)
{
    Container kept;
    kept.reserve(m_elements.size());
    std::size_t removed = 0;
    for (auto &element : m_elements) {
        if (predicate(element)) {
            unindex(element.get());
            ++removed;
        } else {
            kept.push_back(std::move(element));
        }
    }
    m_elements = std::move(kept);
    return removed;
}
