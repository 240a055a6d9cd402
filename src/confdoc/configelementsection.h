#pragma once

#include "configelementcommentable.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class ConfigElementData;
class ConfigElementList;

// A section header and everything up to the next section.
class ConfigElementSection : public ConfigElementCommentable
{
public:
    enum SectionKind {
        Bracket = 0, // [name]
        Brace = 1, // service name { ... }
        Headerless = 2, // no header line
    };

    // Lookups over this section's children that let several merges into the same
    // section run in time linear in what they touch.
    struct MergeIndex
    {
        std::unordered_map<std::string, ConfigElementData *> firstData;
        std::unordered_set<std::string> exprs;
        std::unordered_set<std::string> includePaths;
        bool built = false;
    };

    explicit ConfigElementSection(std::string name = {}, int kind = Bracket, int indent = 0, int line = 0);
    ~ConfigElementSection() override;

    int type() const override;
    void writeTo(std::string &out) const override;

    const std::string &name() const { return m_name; }
    void setName(const std::string &name);
    int kind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    int closeIndent() const { return m_closeIndent; }
    void setCloseIndent(int indent) { m_closeIndent = indent; }

    std::vector<ConfigElementPtr> &children() { return m_children; }
    const std::vector<ConfigElementPtr> &children() const { return m_children; }

    // Folds a later section of the same name into this one: its parameters override
    // equal keys here, everything new is appended at the very end, and its blank
    // lines, free comments and header comments are dropped.
    void merge(const ConfigElementSection &other);
    void merge(const ConfigElementSection &other, MergeIndex &index);

private:
    friend class ConfigElementList;

    std::string m_name;
    int m_kind;
    std::vector<ConfigElementPtr> m_children;
    int m_closeIndent = 0;
    // The document list that indexes this section by name, told about renames.
    ConfigElementList *m_owner = nullptr;
};

using ConfigElementSectionPtr = std::shared_ptr<ConfigElementSection>;
