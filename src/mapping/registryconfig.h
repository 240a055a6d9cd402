#pragma once

#include "configtables.h"

#include <string>
#include <string_view>
#include <vector>

class ConfigDocument;

// How smb.conf leads Samba to its registry configuration (where clustered Samba keeps the
// configuration, replicated by CTDB), and the pure work on the registry's text as
// "net conf list" prints it: the configuration Samba really reads, and the "net conf"
// commands that turn one registry text into another.
class RegistryConfig
{
public:
    enum Use {
        NotUsed,
        // "registry shares = yes": shares are also looked up in the registry.
        SharesOnly,
        // "include = registry" in [global]: the registry's globals are read at the include,
        // its shares after the file's. (It implies registry shares.)
        Included,
        // "config backend = registry": Samba reads the registry alone.
        Backend,
    };
    static Use useOf(const ConfigDocument &file, const ConfigTables &tables);

    // The whole configuration Samba reads, as one smb.conf text for testparm: with Included,
    // the registry's globals in place of the include and its shares after everything else;
    // with SharesOnly, the registry's shares appended; with Backend, the registry alone.
    static std::string effectiveText(Use use, const std::string &fileText, const std::string &registryText);

    // Parameters that must stay in smb.conf: the registry refuses them, or Samba needs them to
    // find the registry. key in lookup form (ConfigValues::lookupKey).
    static bool staysInFile(std::string_view lookup);
    // The key of the first parameter of a registry text that net refuses, or an include, as
    // written; empty when there is none.
    static std::string refusedParameter(const std::string &registryText);
    // Whether a line is "include = registry".
    static bool isRegistryInclude(const ConfigDocument &document, std::size_t line);

    // A parameter in effect in a section: the key as it is to be given to net, in lookup
    // form for the spellings of other keys; the value as Samba reads it.
    struct Parameter
    {
        std::string lookup; // canonical, lookup form
        std::string key;
        std::string value;
    };
    // The parameter of one line of a document.
    static Parameter parameterOf(const ConfigDocument &document, std::size_t line);
    // Sets parameter in parameters: in place of the one of the same key, else at the end.
    static void setParameter(std::vector<Parameter> &parameters, Parameter parameter);
    // The parameters of a section in the order of their first line, the last line winning.
    static std::vector<Parameter> parametersOf(const ConfigDocument &document,
                                               const ConfigTables::Section &section);
    // "[name]\n\tkey = value\n..." followed by a blank line, as net conf list prints a section.
    static std::string sectionText(const std::string &name, const std::vector<Parameter> &parameters);

    // The first parameter of registryText that testparm said it does not know (its output
    // naming it "Unknown parameter encountered"), or empty. testparm only ignores such a
    // parameter; net conf refuses it.
    static std::string unknownParameter(const std::string &testparmOutput, const std::string &registryText);
    // The part of registryText Samba does not read with smb.conf using it this way, in the
    // registry's own format: all of it when smb.conf does not lead Samba there, its [global]
    // with "registry shares" alone; empty when it reads all or the part holds no parameter.
    static std::string unread(Use use, const std::string &registryText);
    // The part it reads: registryText without what unread() gives.
    static std::string read(Use use, const std::string &registryText);

    // The first parameter of a share of registryText that testparm said is server-wide only
    // ("Global parameter ... found in service section!"), as written; or empty. testparm
    // ignores it there; net conf import refuses it, after it has emptied the registry.
    static std::string globalInShare(const std::string &testparmOutput, const std::string &registryText);

    struct Command
    {
        enum Kind {
            SetParameter,
            DeleteParameter,
            DeleteShare,
        };
        Kind kind = SetParameter;
        std::string section; // as written; "global" for [global]
        std::string key;
        std::string value;
        bool operator==(const Command &other) const
        {
            return kind == other.kind && section == other.section && key == other.key && value == other.value;
        }
    };
    // The net conf commands that make the registry text before into after: removed shares are
    // deleted first, then every parameter that differs is set or deleted. Empty sections are
    // nothing to Samba and to net.
    static std::vector<Command> commandsBetween(const std::string &before, const std::string &after);
};
