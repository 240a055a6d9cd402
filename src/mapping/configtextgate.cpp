#include "configtextgate.h"

#include <QCoreApplication>

namespace {

struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(ConfigTextGate)
};

// Samba's isspace() in the C locale, less the line breaks, which are refused anywhere.
QString blankName(char c)
{
    switch (c) {
    case ' ':
        return Messages::tr("a space");
    case '\t':
        return Messages::tr("a tab");
    case '\v':
        return Messages::tr("a vertical tab");
    case '\f':
        return Messages::tr("a form feed");
    default:
        return QString();
    }
}

// Line breaks and NUL bytes, wherever they are.
QString breakProblem(std::string_view text)
{
    for (const char c : text) {
        if (c == '\n')
            return Messages::tr("it contains a line break (LF)");
        if (c == '\r')
            return Messages::tr("it contains a line break (CR)");
        if (c == '\0')
            return Messages::tr("it contains a NUL character, where Samba stops reading");
    }
    return QString();
}

QString quoted(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

} // namespace

QString ConfigTextGate::valueProblem(std::string_view value)
{
    if (const QString problem = breakProblem(value); !problem.isEmpty())
        return problem;
    if (value.empty())
        return QString();
    if (const QString blank = blankName(value.front()); !blank.isEmpty())
        return Messages::tr("it begins with %1, which Samba drops").arg(blank);
    if (const QString blank = blankName(value.back()); !blank.isEmpty())
        return Messages::tr("it ends with %1, which Samba drops").arg(blank);
    if (value.back() == '\\')
        return Messages::tr(
            "it ends with a backslash (\\), which makes Samba read the next line as part of it");
    for (std::size_t i = 1; i < value.size(); ++i) {
        const QString first = blankName(value[i - 1]);
        const QString second = blankName(value[i]);
        if (!first.isEmpty() && !second.isEmpty())
            return Messages::tr(
                       "it contains two blanks in a row (%1, then %2), of which Samba keeps only the first")
                .arg(first, second);
    }
    return QString();
}

QString ConfigTextGate::keyProblem(std::string_view key)
{
    if (const QString problem = breakProblem(key); !problem.isEmpty())
        return problem;
    if (key.find_first_not_of(" \t\v\f") == std::string_view::npos)
        return Messages::tr("it is empty");
    // A bracket starts a section, "=" ends the name, ";" and "#" start comments, and a
    // backslash at the end would join the line's value to the name.
    for (const char c : {'[', ']', '=', ';', '#'}) {
        if (key.find(c) != std::string_view::npos)
            return Messages::tr("it contains \"%1\"").arg(QLatin1Char(c));
    }
    if (key.back() == '\\')
        return Messages::tr(
            "it ends with a backslash (\\), which makes Samba read the next line as part of it");
    return QString();
}

QString ConfigTextGate::refusal(std::string_view key, std::string_view value)
{
    if (const QString problem = keyProblem(key); !problem.isEmpty())
        return Messages::tr("The parameter name \"%1\" cannot be written to smb.conf: %2.")
            .arg(quoted(key), problem);
    if (const QString problem = valueProblem(value); !problem.isEmpty())
        return Messages::tr("The value of \"%1\" cannot be written to smb.conf: %2.")
            .arg(quoted(key), problem);
    return QString();
}

QString ConfigTextGate::fieldRefusal(const QString &label, const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    const QString problem =
        valueProblem(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return problem.isEmpty()
        ? QString()
        : Messages::tr("The field \"%1\" cannot be written to smb.conf: %2.").arg(label, problem);
}
