#pragma once

#include "configtextgate.h"
#include "configvalues.h"
#include "testparm.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One option of an editing command: "--comment TEXT" or a flag like "--read-only", and what
// it does to a record. apply returns what is wrong with the value, or nothing.
template<class Record>
struct RecordOption
{
    const char *name;
    const char *value; // null for a flag
    const char *help;
    std::function<QString(Record &, const QString &)> apply;
};

// A yes|no value in any of Samba's spellings; a problem when it is none.
inline QString parseYesNo(const QString &value, bool &result)
{
    if (!ConfigValues::isBool(ConfigValues::encode(value)))
        return QStringLiteral("'%1' is not yes or no").arg(value);
    result = ConfigValues::parseBool(value);
    return QString();
}

// "KEY=VALUE": the key, and the value after the first '='; a problem when there is no '=' or
// no key.
inline QString splitParameter(const QString &text, QString &key, QString &value)
{
    const int equals = text.indexOf(QLatin1Char('='));
    key = text.left(equals).trimmed();
    value = text.mid(equals + 1).trimmed();
    if (equals < 0 || key.isEmpty())
        return QStringLiteral("--param takes KEY=VALUE, not '%1'").arg(text);
    return QString();
}

// The key of --param: a parameter testparm knows, or a module's "NAME:KEY" (which testparm
// knows only once set); a problem, or nothing.
inline QString parameterNameProblem(const QString &key)
{
    const std::string bytes = ConfigValues::encode(key);
    if (const QString problem = ConfigTextGate::keyProblem(bytes); !problem.isEmpty())
        return QStringLiteral("--param: '%1' is no parameter name: %2").arg(key, problem);
    const int colon = key.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (key.left(colon).trimmed().isEmpty() || key.mid(colon + 1).trimmed().isEmpty())
            return QStringLiteral("--param: '%1' is no parameter name: a module's option is NAME:KEY")
                .arg(key);
        return QString();
    }
    QString error;
    switch (TestParm().knowsParameter(key, &error)) {
    case TestParm::ParameterName::Known:
        return QString();
    case TestParm::ParameterName::Unknown:
        return QStringLiteral("--param: testparm knows no parameter '%1'").arg(key);
    case TestParm::ParameterName::NoAnswer:
        break;
    }
    return QStringLiteral("--param: cannot ask testparm whether '%1' is a parameter: %2").arg(key, error);
}

// Reads options from arguments[from...] into changes for a record; returns a usage problem,
// or nothing.
template<class Record>
QString parseOptions(const std::vector<RecordOption<Record>> &options, const QStringList &arguments, int from,
                     std::vector<std::function<QString(Record &)>> &changes)
{
    for (int i = from; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const RecordOption<Record> *found = nullptr;
        for (const RecordOption<Record> &option : options) {
            if (argument == QLatin1String(option.name))
                found = &option;
        }
        if (!found)
            return QStringLiteral("unknown option '%1'").arg(argument);
        QString value;
        if (found->value) {
            if (i + 1 >= arguments.size())
                return QStringLiteral("%1 needs a value (%2)").arg(argument, QLatin1String(found->value));
            value = arguments.at(++i);
        }
        const auto apply = found->apply;
        changes.push_back([apply, value](Record &record) { return apply(record, value); });
    }
    return QString();
}

// The names of the options that take a value.
template<class Record>
QStringList valueOptionNames(const std::vector<RecordOption<Record>> &options)
{
    QStringList names;
    for (const RecordOption<Record> &option : options) {
        if (option.value)
            names << QLatin1String(option.name);
    }
    return names;
}

// The options' lines of a command's help.
template<class Record>
std::string optionHelp(const std::vector<RecordOption<Record>> &options)
{
    std::string text;
    for (const RecordOption<Record> &option : options) {
        std::string head =
            std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
        head.resize(std::max<std::size_t>(head.size() + 2, 34), ' ');
        text += head + option.help + '\n';
    }
    return text;
}
