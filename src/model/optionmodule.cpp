#include "optionmodule.h"

namespace {

// A key as Samba compares the keys of parametric options: case and blanks do not count.
QString lookupForm(const QString &key)
{
    QString form;
    form.reserve(key.size());
    for (const QChar c : key) {
        if (!c.isSpace())
            form += c.toLower();
    }
    return form;
}

} // namespace

OptionModule::OptionModule(const QString &name)
    : OptionModule(name, name, QStringList())
{
}

OptionModule::OptionModule(const QString &name, const QString &prefix, const QStringList &knownKeys)
    : VFSModule(name)
    , m_prefix(prefix)
    , m_knownKeys(knownKeys)
{
}

OptionModule::~OptionModule() = default;

QString OptionModule::storedKey(const QString &key) const
{
    if (m_options.contains(key) || m_knownKeys.contains(key))
        return key;
    const QString form = lookupForm(key);
    for (const QString &known : m_knownKeys) {
        if (lookupForm(known) == form)
            return known;
    }
    for (auto it = m_options.keyBegin(); it != m_options.keyEnd(); ++it) {
        if (lookupForm(*it) == form)
            return *it;
    }
    return key;
}

void OptionModule::setOption(const QString &key, const QString &value)
{
    const QString stored = storedKey(key);
    if (value.isNull())
        m_options.remove(stored);
    else
        m_options.insert(stored, value);
}

bool OptionModule::flag(const QString &key, bool fallback) const
{
    const QString text = option(key).trimmed().toLower();
    if (text == QLatin1String("yes") || text == QLatin1String("true") || text == QLatin1String("on")
        || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("no") || text == QLatin1String("false") || text == QLatin1String("off")
        || text == QLatin1String("0"))
        return false;
    return fallback;
}

void OptionModule::setFlag(const QString &key, bool value)
{
    setOption(key, value ? QStringLiteral("yes") : QStringLiteral("no"));
}
