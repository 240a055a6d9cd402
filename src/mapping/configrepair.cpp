#include "configrepair.h"

#include "configfileinstaller.h"
#include "configmapper.h"
#include "configtables.h"
#include "configvalues.h"
#include "sectioneditor.h"
#include "testparm.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view backendKey = "idmap config * : backend";
constexpr std::string_view rangeKey = "idmap config * : range";
constexpr std::uint64_t firstId = 3000;
constexpr std::uint64_t rangeSize = 5000;

QString decode(std::string_view bytes)
{
    return ConfigValues::decode(bytes);
}

// An idmap range as Samba parses it ("%u - %u"); Samba itself does not insist on low <= high.
bool parseRange(const std::string &value, unsigned &low, unsigned &high)
{
    return std::sscanf(value.c_str(), "%u - %u", &low, &high) == 2;
}

// The first range of rangeSize IDs from firstId on that no other domain's range overlaps.
bool freeRange(const std::vector<std::pair<std::uint64_t, std::uint64_t>> &taken, std::uint64_t &low)
{
    low = firstId;
    for (bool moved = true; moved;) {
        moved = false;
        for (const auto &[begin, end] : taken) {
            if (begin <= low + rangeSize - 1 && low <= end) {
                low = end + 1;
                moved = true;
            }
        }
    }
    return low + rangeSize - 1 <= UINT32_MAX;
}

} // namespace

ConfigRepair::ConfigRepair(const QString &path, const QString &testparmProgram)
    : m_path(path)
    , m_testparmProgram(testparmProgram)
{
}

bool ConfigRepair::complains(Kind kind, const QString &output)
{
    static const QRegularExpression invalidSecurity(
        QStringLiteral("WARNING: Ignoring invalid value '[^\\n]*' for parameter 'security'"));
    switch (kind) {
    case InvalidSecurity:
        return output.contains(invalidSecurity);
    case DefaultIdmapRange:
        return output.contains(QLatin1String("ERROR: Invalid idmap range for domain *!"));
    }
    return false;
}

bool ConfigRepair::fail(const QString &message)
{
    m_error = message;
    return false;
}

int ConfigRepair::lineNumber(std::size_t line) const
{
    const std::string &bytes = m_document.bytes();
    const auto begin = bytes.begin();
    return 1 + static_cast<int>(std::count(begin, begin + m_document.line(line).begin, '\n'));
}

bool ConfigRepair::plan(Kind kind)
{
    m_kind = kind;
    m_changes.clear();
    m_range.clear();
    m_error.clear();
    std::string bytes;
    QString error;
    if (!ConfigFileInstaller::readFile(m_path, bytes, error)) {
        m_document.clear();
        return fail(tr("Can't read %1: %2").arg(m_path, error));
    }
    m_document.load(std::move(bytes));
    return kind == InvalidSecurity ? planSecurity() : planIdmapRange();
}

bool ConfigRepair::planSecurity()
{
    // Samba compares the values of a list parameter without regard to case or whitespace.
    static const std::string_view accepted[] = {"auto", "user", "domain", "ads"};
    QString section = QStringLiteral("global"); // lines before the first header are global
    for (std::size_t i = 0; i < m_document.readLines(); ++i) {
        const ConfigLine &line = m_document.line(i);
        if (line.kind == ConfigLine::Section)
            section = decode(m_document.name(i));
        if (line.kind != ConfigLine::Parameter || !ConfigValues::sameKey(m_document.name(i), "security"))
            continue;
        const std::string value = m_document.value(i);
        if (std::find(std::begin(accepted), std::end(accepted), ConfigValues::lookupKey(value))
            != std::end(accepted))
            continue;
        m_changes.append({lineNumber(i), section, decode(m_document.name(i)), decode(value), QString()});
        m_document.removeLine(i);
    }
    if (m_changes.isEmpty())
        return fail(tr("No line of %1 gives the security parameter a value Samba rejects.").arg(m_path));
    return true;
}

bool ConfigRepair::planIdmapRange()
{
    ConfigTables tables;
    tables.build(m_document);
    const ConfigTables::Section *global = tables.global();
    if (!global)
        return fail(tr("%1 has no [global] section.").arg(m_path));
    const QString section = global->name.empty() ? QStringLiteral("global") : decode(global->name);

    // The other domains' ranges, which the default domain's must not overlap.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> taken;
    const std::string prefix = ConfigValues::lookupKey("idmap config");
    const std::string suffix = ":range";
    for (const ConfigTables::Entry &entry : global->entries()) {
        const std::string_view key = entry.key;
        if (key.size() <= prefix.size() + suffix.size() || key.compare(0, prefix.size(), prefix) != 0
            || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0
            || key == ConfigValues::lookupKey(rangeKey))
            continue;
        unsigned low = 0;
        unsigned high = 0;
        if (parseRange(entry.value, low, high) && low <= high)
            taken.emplace_back(low, high);
    }

    SectionEditor::Style style;
    style.ending = std::string(m_document.fileLineEnding());
    SectionEditor editor(m_document, *global, style);
    if (!global->find(backendKey)) {
        editor.set(backendKey, "tdb");
        m_changes.append({0, section, decode(backendKey), QString(), QStringLiteral("tdb")});
    }
    const auto range = global->find(rangeKey);
    unsigned low = 0;
    unsigned high = 0;
    // A range Samba can parse is kept: changing it would map the IDs already handed out anew.
    if (!range || !parseRange(range->value, low, high)) {
        std::uint64_t first = 0;
        if (!freeRange(taken, first))
            return fail(tr("The other idmap domains of %1 leave no free range of %2 IDs.")
                            .arg(m_path)
                            .arg(rangeSize));
        m_range = QStringLiteral("%1-%2").arg(first).arg(first + rangeSize - 1);
        Change change{0, section, decode(rangeKey), QString(), m_range};
        if (range) {
            // The line Samba takes the value from, the one SectionEditor changes.
            for (const ConfigTables::Occurrence &run : global->occurrences) {
                const std::size_t begin = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
                for (std::size_t i = begin; i < run.end; ++i) {
                    if (m_document.line(i).kind == ConfigLine::Parameter
                        && ConfigValues::sameKey(m_document.name(i), ConfigValues::lookupKey(rangeKey))) {
                        change.line = lineNumber(i);
                        change.key = decode(m_document.name(i));
                    }
                }
            }
            change.oldValue = decode(range->value);
        }
        editor.set(rangeKey, m_range.toStdString());
        m_changes.append(change);
    }
    if (m_changes.isEmpty())
        return fail(tr("The idmap domain * already has a backend and a range in %1.").arg(m_path));
    return true;
}

bool ConfigRepair::apply(ConfigHistory *history, const QString &program)
{
    if (m_changes.isEmpty())
        return fail(tr("There is nothing to repair."));
    const std::string repaired = m_document.text();
    // The repair's own verdict first: testparm no longer makes the complaint it repairs.
    ConfigFileInstaller installer(m_path);
    TestParmResult result;
    if (!installer.withTemporaryCopy(
            repaired, [&](const QString &path) { result = TestParm(m_testparmProgram).checkConf(path); }))
        return fail(tr("Can't write the repaired %1: %2").arg(m_path, installer.errorString()));
    if (result.status == TestParmResult::Failed || complains(m_kind, result.output)) {
        return fail(tr("testparm did not accept the repaired %1; nothing was changed.\n%2")
                        .arg(m_path, result.output));
    }

    // Then the install every save goes through: it waits for the others, installs only over
    // the file planned on (another editor may have changed it since the plan was shown), and
    // keeps the file it replaces in the history.
    ConfigDocument current;
    ConfigMapper mapper(current, m_path, m_testparmProgram);
    mapper.setHistory(history, program);
    try {
        mapper.loadGlobal();
        if (current.bytes() != m_document.bytes())
            throw ConfigChangedError::fileChanged();
        mapper.restore(repaired,
                       m_kind == InvalidSecurity ? tr("invalid security lines removed")
                                                 : tr("idmap range of domain * repaired"));
    } catch (const ConfigChangedError &) {
        return fail(tr("%1 was changed by another program; nothing was repaired.").arg(m_path));
    } catch (const std::runtime_error &error) {
        return fail(tr("Can't replace %1: %2").arg(m_path, QString::fromUtf8(error.what())));
    }
    m_historyError = mapper.historyError();
    return true;
}
