#include "registryconfig.h"

#include <set>

#include "configdocument.h"
#include "configvalues.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool sameText(std::string_view text, std::string_view lowered)
{
    return text.size() == lowered.size()
        && std::equal(text.begin(), text.end(), lowered.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// Calls visit(line) for every parameter line of the section, in file order.
template<typename Visit>
void forEachParameterLine(const ConfigDocument &document, const ConfigTables::Section &section, Visit &&visit)
{
    for (const ConfigTables::Occurrence &run : section.occurrences) {
        const std::size_t first = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
        for (std::size_t line = first; line < run.end && line < document.readLines(); ++line) {
            if (document.line(line).kind == ConfigLine::Parameter)
                visit(line);
        }
    }
}

struct ParsedRegistry
{
    ConfigDocument document;
    ConfigTables tables;
    explicit ParsedRegistry(const std::string &text)
    {
        document.load(text);
        tables.build(document);
    }
};

} // namespace

bool RegistryConfig::isRegistryInclude(const ConfigDocument &document, std::size_t line)
{
    return document.line(line).kind == ConfigLine::Parameter
        && ConfigValues::lookupKey(document.name(line)) == "include"
        && sameText(document.value(line), "registry");
}

RegistryConfig::Use RegistryConfig::useOf(const ConfigDocument &file, const ConfigTables &tables)
{
    const ConfigTables::Section *global = tables.global();
    if (!global)
        return NotUsed;
    if (const auto backend = global->find("config backend"); backend && sameText(backend->value, "registry"))
        return Backend;
    bool included = false;
    forEachParameterLine(file, *global,
                         [&](std::size_t line) { included = included || isRegistryInclude(file, line); });
    if (included)
        return Included;
    if (const auto shares = global->find("registry shares"); shares && ConfigValues::parseBool(shares->value))
        return SharesOnly;
    return NotUsed;
}

bool RegistryConfig::staysInFile(std::string_view lookup)
{
    static const char *const keys[] = {
        "include",        "configbackend", "registryshares", "lockdirectory", "lockdir",
        "statedirectory", "statedir",      "clustering",     "ctdbdsocket",
    };
    return std::any_of(std::begin(keys), std::end(keys), [lookup](const char *key) { return lookup == key; });
}

std::string RegistryConfig::refusedParameter(const std::string &registryText)
{
    // What net refuses, and the include that would make the registry include itself.
    static const char *const refused[] = {
        "include", "configbackend", "lockdirectory", "lockdir", "statedirectory", "statedir",
    };
    ConfigDocument document;
    document.load(registryText);
    for (std::size_t line = 0; line < document.readLines(); ++line) {
        if (document.line(line).kind != ConfigLine::Parameter)
            continue;
        const std::string lookup = ConfigValues::lookupKey(document.name(line));
        if (std::any_of(std::begin(refused), std::end(refused),
                        [&lookup](const char *key) { return lookup == key; }))
            return document.name(line);
    }
    return std::string();
}

RegistryConfig::Parameter RegistryConfig::parameterOf(const ConfigDocument &document, std::size_t line)
{
    Parameter parameter;
    const std::string name = document.name(line);
    const std::string lookup = ConfigValues::lookupKey(name);
    parameter.lookup = std::string(ConfigValues::canonicalOf(lookup));
    parameter.value = document.value(line);
    if (ConfigValues::isWritableFamily(lookup)) {
        parameter.key = "read only";
        const std::string inverted = ConfigValues::invertBool(parameter.value);
        if (!inverted.empty())
            parameter.value = inverted;
    } else {
        parameter.key = parameter.lookup == lookup ? name : parameter.lookup;
    }
    return parameter;
}

void RegistryConfig::setParameter(std::vector<Parameter> &parameters, Parameter parameter)
{
    const auto same = std::find_if(parameters.begin(), parameters.end(),
                                   [&](const Parameter &other) { return other.lookup == parameter.lookup; });
    if (same == parameters.end())
        parameters.push_back(std::move(parameter));
    else
        *same = std::move(parameter);
}

std::vector<RegistryConfig::Parameter> RegistryConfig::parametersOf(const ConfigDocument &document,
                                                                    const ConfigTables::Section &section)
{
    std::vector<Parameter> parameters;
    std::unordered_map<std::string, std::size_t> at;
    forEachParameterLine(document, section, [&](std::size_t line) {
        Parameter parameter = parameterOf(document, line);
        const auto found = at.find(parameter.lookup);
        if (found == at.end()) {
            at.emplace(parameter.lookup, parameters.size());
            parameters.push_back(std::move(parameter));
        } else {
            parameters[found->second] = std::move(parameter);
        }
    });
    return parameters;
}

std::string RegistryConfig::sectionText(const std::string &name, const std::vector<Parameter> &parameters)
{
    std::string text = "[" + name + "]\n";
    for (const Parameter &parameter : parameters)
        text += "\t" + parameter.key + " = " + parameter.value + "\n";
    return text + "\n";
}

std::string RegistryConfig::effectiveText(Use use, const std::string &fileText,
                                          const std::string &registryText)
{
    if (use == NotUsed)
        return fileText;
    if (use == Backend)
        return registryText;
    const ParsedRegistry registry(registryText);
    std::string shares;
    for (const ConfigTables::Section &section : registry.tables.sections()) {
        if (section.isShare())
            shares += sectionText(section.name, parametersOf(registry.document, section));
    }
    std::string globals;
    if (use == Included && registry.tables.global()) {
        for (const Parameter &parameter : parametersOf(registry.document, *registry.tables.global()))
            globals += "\t" + parameter.key + " = " + parameter.value + "\n";
    }

    ConfigDocument file;
    file.load(fileText);
    std::string text;
    text.reserve(fileText.size() + globals.size() + shares.size() + 2);
    bool inGlobal = true;
    for (std::size_t line = 0; line < file.readLines(); ++line) {
        const ConfigLine &read = file.line(line);
        if (read.kind == ConfigLine::Section)
            inGlobal = ConfigValues::sectionKey(file.name(line)) == "global";
        if (use == Included && inGlobal && isRegistryInclude(file, line)) {
            text += globals;
            continue;
        }
        text += file.text(line);
        if (read.endingSize == 0)
            text += '\n';
    }
    if (!shares.empty())
        text += "\n" + shares;
    return text;
}

std::string RegistryConfig::unknownParameter(const std::string &testparmOutput,
                                             const std::string &registryText)
{
    static const std::string marker = "Unknown parameter encountered: \"";
    ConfigDocument registry;
    registry.load(registryText);
    for (std::size_t at = testparmOutput.find(marker); at != std::string::npos;
         at = testparmOutput.find(marker, at + 1)) {
        const std::size_t start = at + marker.size();
        const std::size_t end = testparmOutput.find('"', start);
        if (end == std::string::npos)
            break;
        const std::string unknown = ConfigValues::lookupKey(testparmOutput.substr(start, end - start));
        for (std::size_t line = 0; line < registry.readLines(); ++line) {
            if (registry.line(line).kind == ConfigLine::Parameter
                && ConfigValues::lookupKey(registry.name(line)) == unknown)
                return registry.name(line);
        }
    }
    return std::string();
}

namespace {

// The registry's [global] and its shares, as sectionText writes them.
std::pair<std::string, std::string> globalsAndShares(const std::string &registryText)
{
    const ParsedRegistry registry(registryText);
    std::string globals;
    std::string shares;
    for (const ConfigTables::Section &section : registry.tables.sections()) {
        if (!section.hasParameters())
            continue;
        (section.isShare() ? shares : globals) += RegistryConfig::sectionText(
            section.name, RegistryConfig::parametersOf(registry.document, section));
    }
    return {globals, shares};
}

} // namespace

std::string RegistryConfig::unread(Use use, const std::string &registryText)
{
    switch (use) {
    case NotUsed: {
        auto [globals, shares] = globalsAndShares(registryText);
        return globals + shares;
    }
    case SharesOnly:
        return globalsAndShares(registryText).first;
    case Included:
    case Backend:
        break;
    }
    return std::string();
}

std::string RegistryConfig::read(Use use, const std::string &registryText)
{
    switch (use) {
    case NotUsed:
        return std::string();
    case SharesOnly:
        return globalsAndShares(registryText).second;
    case Included:
    case Backend:
        break;
    }
    return registryText;
}

std::string RegistryConfig::globalInShare(const std::string &testparmOutput, const std::string &registryText)
{
    static const std::string marker = "Global parameter ";
    static const std::string ending = " found in service section!";
    std::set<std::string> named;
    for (std::size_t at = testparmOutput.find(marker); at != std::string::npos;
         at = testparmOutput.find(marker, at + 1)) {
        const std::size_t start = at + marker.size();
        const std::size_t end = testparmOutput.find(ending, start);
        const std::size_t line = testparmOutput.find('\n', start);
        if (end == std::string::npos || end > line)
            continue;
        named.insert(std::string(ConfigValues::canonicalOf(
            ConfigValues::lookupKey(std::string_view(testparmOutput).substr(start, end - start)))));
    }
    if (named.empty())
        return std::string();
    const ParsedRegistry registry(registryText);
    for (const ConfigTables::Section &section : registry.tables.sections()) {
        if (!section.isShare())
            continue;
        for (const ConfigTables::Occurrence &run : section.occurrences) {
            const std::size_t first = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
            for (std::size_t line = first; line < run.end; ++line) {
                if (registry.document.line(line).kind != ConfigLine::Parameter)
                    continue;
                const std::string name = registry.document.name(line);
                if (named.count(std::string(ConfigValues::canonicalOf(ConfigValues::lookupKey(name)))))
                    return name;
            }
        }
    }
    return std::string();
}

std::vector<RegistryConfig::Command> RegistryConfig::commandsBetween(const std::string &before,
                                                                     const std::string &after)
{
    const ParsedRegistry old(before);
    const ParsedRegistry now(after);
    std::vector<Command> commands;
    for (const ConfigTables::Section &section : old.tables.sections()) {
        const ConfigTables::Section *kept = now.tables.find(section.key);
        if (section.isShare() && (!kept || !kept->hasParameters()))
            commands.push_back({Command::DeleteShare, section.name, {}, {}});
    }
    for (const ConfigTables::Section &section : now.tables.sections()) {
        if (!section.hasParameters())
            continue;
        const std::string name = section.key == "global" ? std::string("global") : section.name;
        std::vector<Parameter> was;
        if (const ConfigTables::Section *previous = old.tables.find(section.key))
            was = parametersOf(old.document, *previous);
        const std::vector<Parameter> is = parametersOf(now.document, section);
        for (const Parameter &parameter : is) {
            const auto same = std::find_if(was.begin(), was.end(), [&](const Parameter &other) {
                return other.lookup == parameter.lookup && other.value == parameter.value;
            });
            if (same == was.end())
                commands.push_back({Command::SetParameter, name, parameter.key, parameter.value});
        }
        for (const Parameter &parameter : was) {
            if (std::none_of(is.begin(), is.end(),
                             [&](const Parameter &other) { return other.lookup == parameter.lookup; }))
                commands.push_back({Command::DeleteParameter, name, parameter.key, {}});
        }
    }
    // [global] emptied: its parameters go one by one.
    if (const ConfigTables::Section *global = old.tables.global()) {
        const ConfigTables::Section *kept = now.tables.global();
        if (global->hasParameters() && (!kept || !kept->hasParameters())) {
            for (const Parameter &parameter : parametersOf(old.document, *global))
                commands.push_back({Command::DeleteParameter, "global", parameter.key, {}});
        }
    }
    return commands;
}
