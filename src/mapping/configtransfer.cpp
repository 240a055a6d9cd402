#include "configtransfer.h"

#include "configdocument.h"
#include "configfileinstaller.h"
#include "configvalues.h"
#include "configwriter.h"
#include "registrystore.h"
#include "testparm.h"

#include <QCoreApplication>

#include <algorithm>
#include <stdexcept>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

std::vector<std::pair<std::string, std::string>>
keyValues(const std::vector<RegistryConfig::Parameter> &parameters)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(parameters.size());
    for (const RegistryConfig::Parameter &parameter : parameters)
        pairs.emplace_back(parameter.key, parameter.value);
    return pairs;
}

// A text to which sections are appended: ended by a blank line.
void endParagraph(std::string &text)
{
    if (text.empty())
        return;
    if (text.back() != '\n')
        text += '\n';
    if (text.size() < 2 || text[text.size() - 2] != '\n')
        text += '\n';
}

} // namespace

ConfigTransfer::Transfer ConfigTransfer::moveShare(const QString &name, Share::StoredIn to) const
{
    const Loaded &m = m_loaded;
    if (!m.registry) {
        fail(m.registryError.isEmpty()
                 ? Messages::tr("smb.conf does not lead Samba to its registry configuration "
                                "(include = registry), so no share can be moved.")
                 : m.registryError);
    }
    // Planned on copies: what is loaded stays as it is.
    ConfigDocument fileDocument;
    fileDocument.load(m.file.bytes());
    ConfigTables fileTables;
    fileTables.build(fileDocument);
    ConfigDocument registryDocument;
    registryDocument.load(m.registry->text());
    ConfigTables registryTables;
    registryTables.build(registryDocument);
    Transfer transfer;
    transfer.fileBefore = fileDocument.bytes();
    transfer.fileAfter = transfer.fileBefore;
    transfer.registryBefore = m.registry->text();
    transfer.registryAfter = transfer.registryBefore;

    const std::string key = ConfigValues::sectionKey(ConfigValues::encode(name.trimmed()));
    const ConfigTables::Section *inFile = fileTables.find(key);
    const ConfigTables::Section *inRegistry = registryTables.find(key);
    const bool fileHas = inFile && inFile->isShare();
    const bool registryHas = inRegistry && inRegistry->isShare();
    if (to == Share::StoredInRegistry) {
        if (!fileHas)
            fail(Messages::tr("smb.conf has no share \"%1\".").arg(name));
        if (registryHas)
            fail(Messages::tr("The registry holds a share \"%1\" already.").arg(name));
        const std::vector<RegistryConfig::Parameter> parameters =
            RegistryConfig::parametersOf(fileDocument, *inFile);
        for (const RegistryConfig::Parameter &parameter : parameters) {
            if (RegistryConfig::staysInFile(parameter.lookup))
                fail(Messages::tr("The share \"%1\" sets \"%2\", which the registry cannot hold.")
                         .arg(name, ConfigValues::decode(parameter.key)));
        }
        ConfigWriter writer(fileDocument, fileTables);
        writer.removeSection(*inFile);
        writer.finish();
        transfer.fileAfter = fileDocument.text();
        fileDocument.discardEdits();
        endParagraph(transfer.registryAfter);
        transfer.registryAfter += RegistryConfig::sectionText(inFile->name, parameters);
        transfer.summary =
            QStringLiteral("share %1 moved to the registry").arg(ConfigValues::decode(inFile->name));
    } else {
        if (m.registryUse == RegistryConfig::Backend)
            fail(Messages::tr("Samba reads only its registry configuration (config backend = registry): "
                              "a share in smb.conf would not be served."));
        if (!registryHas)
            fail(Messages::tr("The registry has no share \"%1\".").arg(name));
        if (fileHas)
            fail(Messages::tr("smb.conf holds a share \"%1\" already.").arg(name));
        ConfigWriter writer(fileDocument, fileTables);
        writer.addSection(inRegistry->name,
                          keyValues(RegistryConfig::parametersOf(registryDocument, *inRegistry)));
        writer.finish();
        transfer.fileAfter = fileDocument.text();
        fileDocument.discardEdits();
        ConfigWriter registryWriter(registryDocument, registryTables);
        registryWriter.removeSection(*inRegistry);
        registryWriter.finish();
        transfer.registryAfter = registryDocument.text();
        registryDocument.discardEdits();
        transfer.summary =
            QStringLiteral("share %1 moved to smb.conf").arg(ConfigValues::decode(inRegistry->name));
    }
    describeEffect(transfer);
    return transfer;
}

ConfigTransfer::Transfer ConfigTransfer::storeAllInRegistry(ConfigMapper::UnusedRegistry unused) const
{
    const Loaded &m = m_loaded;
    if (m.netProgram.isEmpty())
        fail(Messages::tr("Samba's registry configuration is not available here."));
    if (m.registryUse == RegistryConfig::Backend)
        fail(Messages::tr(
            "Samba reads its configuration from the registry already (config backend = registry)."));
    Transfer transfer;
    transfer.replaceRegistry = true;
    transfer.fileBefore = m.file.bytes();
    transfer.registryBefore = loadedRegistryText();
    // What Samba did not read of the registry comes into effect when kept, or goes.
    ConfigDocument registryDocument;
    registryDocument.load(unused == ConfigMapper::UnusedRegistry::Keep
                              ? transfer.registryBefore
                              : RegistryConfig::read(m.registryUse, transfer.registryBefore));
    ConfigTables registryTables;
    registryTables.build(registryDocument);

    // [global]: the registry's globals are read at "include = registry", which goes before the
    // first include of a file, so that what the included file sets still wins over what came
    // before it; the include, and the lines after it, stay in smb.conf to be read after it as
    // before. What the registry cannot hold stays in smb.conf too. The registry's own globals
    // count where smb.conf included them, or else before the file's, which were in effect.
    const std::string ending(m.file.fileLineEnding());
    std::string file = "# Samba's configuration is kept in its registry: \"net conf list\" shows it." + ending
        + "[global]" + ending;
    std::string afterRegistry;
    std::vector<RegistryConfig::Parameter> registryGlobals;
    if (const ConfigTables::Section *global = registryTables.global())
        registryGlobals = RegistryConfig::parametersOf(registryDocument, *global);
    std::vector<RegistryConfig::Parameter> globals;
    if (m.registryUse != RegistryConfig::Included)
        globals = registryGlobals;
    bool afterInclude = false;
    auto lineText = [&](std::size_t line) {
        std::string text(m.file.text(line));
        return text.empty() || text.back() != '\n' ? text + ending : text;
    };
    if (const ConfigTables::Section *global = m.fileTables.global()) {
        for (const ConfigTables::Occurrence &run : global->occurrences) {
            for (std::size_t line = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
                 line < run.end && line < m.file.readLines(); ++line) {
                if (m.file.line(line).kind != ConfigLine::Parameter)
                    continue;
                if (RegistryConfig::isRegistryInclude(m.file, line)) {
                    for (const RegistryConfig::Parameter &parameter : registryGlobals)
                        RegistryConfig::setParameter(globals, parameter);
                    continue;
                }
                RegistryConfig::Parameter parameter = RegistryConfig::parameterOf(m.file, line);
                if (parameter.lookup == "configbackend" || parameter.lookup == "registryshares")
                    continue;
                afterInclude = afterInclude || parameter.lookup == "include";
                if (afterInclude)
                    afterRegistry += lineText(line);
                else if (RegistryConfig::staysInFile(parameter.lookup))
                    file += lineText(line);
                else
                    RegistryConfig::setParameter(globals, std::move(parameter));
            }
        }
    }
    file += "\tinclude = registry" + ending + afterRegistry;
    std::string registry = globals.empty() ? std::string() : RegistryConfig::sectionText("global", globals);
    for (const ConfigTables::Section &section : registryTables.sections()) {
        if (section.isShare())
            registry += RegistryConfig::sectionText(section.name,
                                                    RegistryConfig::parametersOf(registryDocument, section));
    }
    // Shares: into the registry, except those it defines already and those that include files,
    // which stay in smb.conf as they are.
    for (const ConfigTables::Section &section : m.fileTables.sections()) {
        if (!section.isShare())
            continue;
        const std::vector<RegistryConfig::Parameter> parameters =
            RegistryConfig::parametersOf(m.file, section);
        const bool fits =
            std::none_of(parameters.begin(), parameters.end(), [](const RegistryConfig::Parameter &p) {
                return RegistryConfig::staysInFile(p.lookup);
            });
        const ConfigTables::Section *there = registryTables.find(section.key);
        if (fits && !(there && there->isShare())) {
            registry += RegistryConfig::sectionText(section.name, parameters);
            continue;
        }
        file += ending;
        for (const ConfigTables::Occurrence &run : section.occurrences) {
            for (std::size_t line = run.header; line < run.end && line < m.file.readLines(); ++line)
                file += std::string(m.file.text(line));
        }
        endParagraph(file);
    }
    transfer.fileAfter = std::move(file);
    transfer.registryAfter = std::move(registry);
    transfer.summary = QStringLiteral("configuration stored in the registry");
    describeEffect(transfer);
    return transfer;
}

ConfigTransfer::Transfer ConfigTransfer::restoreRegistry(const std::string &registryText,
                                                         const QString &summary) const
{
    const Loaded &m = m_loaded;
    if (m.netProgram.isEmpty())
        fail(Messages::tr("Samba's registry configuration is not available here."));
    Transfer transfer;
    transfer.replaceRegistry = true;
    transfer.fileBefore = m.file.bytes();
    transfer.fileAfter = transfer.fileBefore;
    transfer.registryBefore = loadedRegistryText();
    transfer.registryAfter = registryText;
    transfer.summary = summary;
    describeEffect(transfer);
    return transfer;
}

std::string ConfigTransfer::loadedRegistryText() const
{
    return m_loaded.registry ? m_loaded.registry->text()
                             : RegistryStore(m_loaded.netProgram, m_loaded.path).list();
}

void ConfigTransfer::describeEffect(Transfer &transfer) const
{
    const RegistryConfig::Use before = m_loaded.registryUse;
    transfer.registryNotInEffect = RegistryConfig::unread(before, transfer.registryBefore);
    transfer.effectiveBefore = effectiveConfig(before, transfer.fileBefore, transfer.registryBefore);
    ConfigDocument file;
    file.load(transfer.fileAfter);
    ConfigTables tables;
    tables.build(file);
    transfer.effectiveAfter =
        effectiveConfig(RegistryConfig::useOf(file, tables), transfer.fileAfter, transfer.registryAfter);
}

std::string ConfigTransfer::effectiveConfig(RegistryConfig::Use use, const std::string &file,
                                            const std::string &registry) const
{
    ConfigFileInstaller installer(m_loaded.path);
    QString text;
    QString error;
    bool answered = false;
    if (!installer.withTemporaryCopy(
            RegistryConfig::effectiveText(use, file, registry), [&](const QString &path) {
                answered = TestParm(m_loaded.testparmProgram).effectiveConfig(path, text, &error);
            }))
        fail(installer.errorString());
    if (!answered)
        fail(Messages::tr("testparm could not show what Samba would serve: %1").arg(error));
    return text.toStdString();
}
