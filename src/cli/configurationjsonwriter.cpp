#include "configurationjsonwriter.h"

#include "fruit.h"
#include "globalshare.h"
#include "optionmodule.h"
#include "recordjson.h"
#include "sambasettings.h"
#include "sharefeatures.h"

#include <QJsonDocument>

#include <algorithm>
#include <cstring>
#include <vector>

// The layout is QJsonDocument::Indented's: four spaces a level, a member "key": value per
// line, an empty object or array still opened and closed on two lines, and strings escaped
// as Qt escapes them (see appendEscaped).
namespace {

// Flushed to the stream once this much text is waiting: one write for many shares.
constexpr std::size_t flushSize = 64 * 1024;

// The text waiting in the writer's buffer, appended to in place: std::string's own appends
// are calls into the library, and a share is some hundred of them.
class Text
{
public:
    Text(std::string &buffer, std::size_t &size)
        : m_buffer(buffer)
        , m_size(size)
    {
    }

    // Room for count more bytes, to be filled and then passed to advance().
    char *room(std::size_t count)
    {
        if (m_size + count > m_buffer.size())
            m_buffer.resize(std::max(2 * m_buffer.size(), m_size + count));
        return &m_buffer[m_size];
    }
    void advance(const char *end) { m_size = std::size_t(end - m_buffer.data()); }

    void append(const char *bytes, std::size_t count)
    {
        std::memcpy(room(count), bytes, count);
        m_size += count;
    }
    void append(const std::string &bytes) { append(bytes.data(), bytes.size()); }
    template<std::size_t N>
    void append(const char (&literal)[N])
    {
        append(literal, N - 1);
    }
    void append(char c)
    {
        *room(1) = c;
        ++m_size;
    }

    void indent(int depth)
    {
        char *out = room(std::size_t(depth) * 4);
        std::memset(out, ' ', std::size_t(depth) * 4);
        m_size += std::size_t(depth) * 4;
    }

private:
    std::string &m_buffer;
    std::size_t &m_size;
};

char hexDigit(unsigned value)
{
    return "0123456789abcdef"[value & 0xf];
}

// Qt writes a string as UTF-8, escaping the quote, the backslash and every control
// character below 0x20 (\b \f \n \r \t by name, the others as \u00XX); DEL and everything
// above stay raw. A surrogate that is not half of a pair is written as \uXXXX. Six bytes a
// code unit at most.
char *appendEscaped(char *out, const ushort *unit, const ushort *const end)
{
    while (unit != end) {
        const unsigned u = *unit++;
        if (u < 0x80) {
            if (u >= 0x20 && u != '"' && u != '\\') {
                *out++ = char(u);
                continue;
            }
            *out++ = '\\';
            switch (u) {
            case '"':
            case '\\':
                *out++ = char(u);
                break;
            case '\b':
                *out++ = 'b';
                break;
            case '\f':
                *out++ = 'f';
                break;
            case '\n':
                *out++ = 'n';
                break;
            case '\r':
                *out++ = 'r';
                break;
            case '\t':
                *out++ = 't';
                break;
            default:
                *out++ = 'u';
                *out++ = '0';
                *out++ = '0';
                *out++ = hexDigit(u >> 4);
                *out++ = hexDigit(u);
            }
        } else if (u < 0x800) {
            *out++ = char(0xc0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3f));
        } else if (!QChar::isSurrogate(u)) {
            *out++ = char(0xe0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3f));
            *out++ = char(0x80 | (u & 0x3f));
        } else if (QChar::isHighSurrogate(u) && unit != end && QChar::isLowSurrogate(*unit)) {
            const uint code = QChar::surrogateToUcs4(ushort(u), *unit++);
            *out++ = char(0xf0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3f));
            *out++ = char(0x80 | ((code >> 6) & 0x3f));
            *out++ = char(0x80 | (code & 0x3f));
        } else {
            *out++ = '\\';
            *out++ = 'u';
            *out++ = hexDigit(u >> 12);
            *out++ = hexDigit(u >> 8);
            *out++ = hexDigit(u >> 4);
            *out++ = hexDigit(u);
        }
    }
    return out;
}

void appendString(Text &text, const QString &string)
{
    const auto *const begin = reinterpret_cast<const ushort *>(string.constData());
    const ushort *const end = begin + string.size();
    char *out = text.room(std::size_t(string.size()) * 6 + 2);
    *out++ = '"';
    out = appendEscaped(out, begin, end);
    *out++ = '"';
    text.advance(out);
}

void appendBool(Text &text, bool value)
{
    if (value)
        text.append("true");
    else
        text.append("false");
}

// A value's first line follows its key; its other lines are at depth and deeper.
void appendEmpty(Text &text, char open, char close, int depth)
{
    text.append(open);
    text.append('\n');
    text.indent(depth);
    text.append(close);
}

void appendStringList(Text &text, const QStringList &list, int depth)
{
    if (list.isEmpty()) {
        appendEmpty(text, '[', ']', depth);
        return;
    }
    text.append("[\n");
    for (int i = 0; i < list.size(); ++i) {
        if (i > 0)
            text.append(",\n");
        text.indent(depth + 1);
        appendString(text, list.at(i));
    }
    text.append('\n');
    text.indent(depth);
    text.append(']');
}

// A document Qt wrote at depth 0, moved to depth: each line after the first indented
// further, the final line break dropped. No line break can stand inside a string.
void appendReindented(Text &text, const QByteArray &json, int depth)
{
    const char *const end = json.constData() + json.size() - 1;
    for (const char *c = json.constData(); c < end; ++c) {
        text.append(*c);
        if (*c == '\n')
            text.indent(depth);
    }
}

// A record being written, and whether it has any VFS module: without one, no feature of
// ShareFeatures is on and no module has options, so none need be looked up.
struct Record
{
    const Share &share;
    bool hasModules;
};

void appendModules(Text &text, const Record &record, int depth)
{
    if (record.hasModules)
        appendReindented(text, QJsonDocument(RecordJson::modules(record.share)).toJson(), depth);
    else
        appendEmpty(text, '[', ']', depth);
}

// The options of the share's module of that name, as RecordJson writes them: few shares
// have any, and those few go through Qt's own objects.
void appendModuleOptions(Text &text, const Record &record, const QString &name, int depth)
{
    const auto module =
        record.hasModules ? std::dynamic_pointer_cast<OptionModule>(record.share.vfsModule(name)) : nullptr;
    if (!module || module->options().isEmpty()) {
        appendEmpty(text, '{', '}', depth);
        return;
    }
    QJsonObject object;
    for (auto it = module->options().begin(); it != module->options().end(); ++it)
        object.insert(it.key(), it.value());
    appendReindented(text, QJsonDocument(object).toJson(), depth);
}

QString timeMachineMaxSize(const Record &record)
{
    if (!record.hasModules)
        return QString();
    const auto fruit = std::dynamic_pointer_cast<Fruit>(record.share.vfsModule(QStringLiteral("fruit")));
    return fruit ? fruit->option(Fruit::TimeMachineMaxSize) : QString();
}

void appendPreviousVersions(Text &text, const Record &record)
{
    switch (record.hasModules ? ShareFeatures::previousVersions(record.share)
                              : ShareFeatures::PreviousVersions::None) {
    case ShareFeatures::PreviousVersions::Snapper:
        text.append("\"snapper\"");
        return;
    case ShareFeatures::PreviousVersions::Zfs:
        text.append("\"zfs\"");
        return;
    case ShareFeatures::PreviousVersions::Custom:
        text.append("\"custom\"");
        return;
    case ShareFeatures::PreviousVersions::None:
        break;
    }
    text.append("\"none\"");
}

bool feature(const Record &record, bool (*on)(const Share &))
{
    return record.hasModules && on(record.share);
}

const GlobalShare &asGlobal(const Record &record)
{
    return static_cast<const GlobalShare &>(record.share);
}

using Writer = void (*)(Text &text, const Record &record, int depth);

// One member of a record's object: ",\n", its indentation and key, then its value.
struct Field
{
    std::string lead;
    Writer write;
};

// The members of RecordJson::share, and with global also those RecordJson::global adds,
// in QJsonObject's order: its keys sorted by UTF-16 code unit, which for ASCII is strcmp's.
// Their values are written at depth.
std::vector<Field> fields(bool global, int depth, bool places = false)
{
    std::vector<std::pair<const char *, Writer>> list{
        {"originalName",
         [](Text &t, const Record &r, int) {
             appendString(t, r.share.originalName());
         }},
        {"path",
         [](Text &t, const Record &r, int) {
             appendString(t, r.share.path());
         }},
        {"name",
         [](Text &t, const Record &r, int) {
             appendString(t, r.share.name());
         }},
        {"comment",
         [](Text &t, const Record &r, int) {
             appendString(t, r.share.comment());
         }},
        {"readOnly",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.readOnly());
         }},
        {"guestOk",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.guestOk());
         }},
        {"guestOnly",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.guestOnly());
         }},
        {"printable",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.printable());
         }},
        {"browseable",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.browseable());
         }},
        {"writeListEverybody",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.writeListEverybody());
         }},
        {"createMask",
         [](Text &t, const Record &r, int) {
             appendString(t, r.share.createMask());
         }},
        {"validUsers",
         [](Text &t, const Record &r, int d) {
             appendStringList(t, r.share.validUsers(), d);
         }},
        {"writeList",
         [](Text &t, const Record &r, int d) {
             appendStringList(t, r.share.writeList(), d);
         }},
        {"aclByDefault",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.aclByDefault());
         }},
        {"ntAclSupport",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.ntAclSupport());
         }},
        {"inheritAcls",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.inheritAcls());
         }},
        {"mapAclInherit",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.mapAclInherit());
         }},
        {"dosFilemode",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.dosFilemode());
         }},
        {"storeDosAttributes",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.storeDosAttributes());
         }},
        {"aclAllowExecuteAlways",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.aclAllowExecuteAlways());
         }},
        {"aclGroupControl",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.aclGroupControl());
         }},
        {"aclMapFullControl",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.aclMapFullControl());
         }},
        {"forceUnknownAclUser",
         [](Text &t, const Record &r, int) {
             appendBool(t, r.share.forceUnknownAclUser());
         }},
        {"vfsModules",
         [](Text &t, const Record &r, int d) {
             appendModules(t, r, d);
         }},
        {"recycleBin",
         [](Text &t, const Record &r, int) {
             appendBool(t, feature(r, ShareFeatures::recycleBin));
         }},
        {"recycleOptions",
         [](Text &t, const Record &r, int d) {
             appendModuleOptions(t, r, QStringLiteral("recycle"), d);
         }},
        {"appleClients",
         [](Text &t, const Record &r, int) {
             appendBool(t, feature(r, ShareFeatures::appleClients));
         }},
        {"timeMachine",
         [](Text &t, const Record &r, int) {
             appendBool(t, feature(r, ShareFeatures::timeMachine));
         }},
        {"timeMachineMaxSize",
         [](Text &t, const Record &r, int) {
             appendString(t, timeMachineMaxSize(r));
         }},
        {"previousVersions",
         [](Text &t, const Record &r, int) {
             appendPreviousVersions(t, r);
         }},
        {"snapshotOptions",
         [](Text &t, const Record &r, int d) {
             appendModuleOptions(t, r, QStringLiteral("shadow_copy2"), d);
         }},
    };
    if (places) {
        list.insert(list.end(),
                    {{"storedIn",
                      [](Text &t, const Record &r, int) {
                          appendString(t, RecordJson::storedInText(r.share));
                      }},
                     {"shadowed", [](Text &t, const Record &r, int) {
                          appendBool(t, r.share.shadowed());
                      }}});
    }
    if (global) {
        list.insert(list.end(),
                    {
                        {"workgroup",
                         [](Text &t, const Record &r, int) {
                             appendString(t, asGlobal(r).workgroup());
                         }},
                        {"serverString",
                         [](Text &t, const Record &r, int) {
                             appendString(t, asGlobal(r).serverString());
                         }},
                        {"realm",
                         [](Text &t, const Record &r, int) {
                             appendString(t, asGlobal(r).realm());
                         }},
                        {"guestAccount",
                         [](Text &t, const Record &r, int) {
                             appendString(t, asGlobal(r).guestAccount());
                         }},
                        {"encryptPasswords",
                         [](Text &t, const Record &r, int) {
                             appendBool(t, asGlobal(r).encryptPasswords());
                         }},
                    });
    }
    std::sort(list.begin(), list.end(),
              [](const auto &a, const auto &b) { return std::strcmp(a.first, b.first) < 0; });
    std::vector<Field> sorted;
    for (const auto &[key, write] : list)
        sorted.push_back({",\n" + std::string(std::size_t(depth) * 4, ' ') + '"' + key + "\": ", write});
    return sorted;
}

// The record's object, its braces at depth and its members one level deeper.
void appendRecord(Text &text, const std::vector<Field> &fields, const Share &share, int depth)
{
    const Record record{share, !share.vfsModuleList().isEmpty()};
    text.append('{');
    // The first member's lead without its comma.
    text.append(fields.front().lead.data() + 1, fields.front().lead.size() - 1);
    fields.front().write(text, record, depth + 1);
    for (auto field = fields.begin() + 1; field != fields.end(); ++field) {
        text.append(field->lead);
        field->write(text, record, depth + 1);
    }
    text.append('\n');
    text.indent(depth);
    text.append('}');
}

} // namespace

ConfigurationJsonWriter::ConfigurationJsonWriter(std::ostream &out)
    : m_out(out)
{
}

void ConfigurationJsonWriter::begin(const SambaSettings &settings, bool places)
{
    m_places = places;
    static const std::vector<Field> globalFields = fields(true, 2);
    m_firstShare = true;
    m_buffer.resize(flushSize + 16 * 1024);
    Text text(m_buffer, m_size);
    text.append("{\n    \"global\": ");
    appendRecord(text, globalFields, *settings.global(), 1);
    text.append(",\n    \"kerberosMethod\": ");
    appendString(text,
                 settings.kerberosMethod() == SambaSettings::KerberosDefault
                     ? QStringLiteral("default")
                     : SambaSettings::kerberosMethodText(settings.kerberosMethod()));
    text.append(",\n    \"security\": ");
    appendString(text, SambaSettings::securityModeText(settings.security()));
    text.append(",\n    \"shares\": [\n");
    flush();
}

void ConfigurationJsonWriter::share(const Share &share)
{
    static const std::vector<Field> shareFields = fields(false, 3);
    static const std::vector<Field> placedFields = fields(false, 3, true);
    Text text(m_buffer, m_size);
    if (!m_firstShare)
        text.append(",\n");
    m_firstShare = false;
    text.indent(2);
    appendRecord(text, m_places ? placedFields : shareFields, share, 2);
    if (m_size >= flushSize)
        flush();
}

void ConfigurationJsonWriter::end()
{
    Text text(m_buffer, m_size);
    if (m_firstShare)
        text.append("    ]\n}\n");
    else
        text.append("\n    ]\n}\n");
    flush();
}

void ConfigurationJsonWriter::flush()
{
    m_out.write(m_buffer.data(), std::streamsize(m_size));
    m_size = 0;
}
