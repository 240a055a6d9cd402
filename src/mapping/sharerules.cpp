#include "sharerules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(ShareDialog)
};

} // namespace

QString ShareRules::nameProblem(const QString &name, const QSet<QString> &existing)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return Messages::tr("Please define a share name...");
    for (const QChar c : trimmed) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c.category() == QChar::Other_Control)
            return Messages::tr(
                "The share name must not contain '[', ']', a line break or another control character.");
    }
    if (trimmed.contains(QLatin1Char('*')))
        return Messages::tr("The share name must not contain '*', which Samba's tools read as every share.");
    const QString compact = trimmed.toLower().remove(QRegularExpression(QStringLiteral("\\s")));
    if (compact == QLatin1String("global") || compact == QLatin1String("globals"))
        return Messages::
            tr("\"%1\" is the name of Samba's server-wide settings, not of a share. Please choose another "
               "share name.")
                .arg(trimmed);
    if (existing.contains(trimmed.toLower()))
        return Messages::tr("Share with name \"%1\" already exist. Please change current share name.")
            .arg(trimmed.toLower());
    return QString();
}

QString ShareRules::printersProblem(const QString &name, bool printable)
{
    if (printable || name.trimmed().compare(QLatin1String("printers"), Qt::CaseInsensitive) != 0)
        return QString();
    return Messages::tr(
        "[printers] must be printable: testparm says \"[printers] service MUST be printable!\"");
}

QString ShareRules::directoryProblem(const QString &path)
{
    if (path.isEmpty())
        return Messages::tr("Please select a directory for share...");
    // smbd does not resolve a path against anyone's working directory; %H and the like
    // stand for whole paths.
    if (!path.startsWith(QLatin1Char('/')) && !path.startsWith(QLatin1Char('%')))
        return Messages::tr("The path %1 is relative: give the whole path, beginning with /.").arg(path);
    const int substitution = path.indexOf(QLatin1Char('%'));
    if (substitution >= 0) {
        const QString fixed = path.left(substitution);
        const QString parent =
            QDir::cleanPath(fixed.endsWith(QLatin1Char('/')) ? fixed : QFileInfo(fixed).path());
        return QFileInfo(parent).isDir()
            ? QString()
            : Messages::tr("Directory %1 not found: the part of the path before the first % must exist.")
                  .arg(parent);
    }
    return QFileInfo(path).isDir() ? QString() : Messages::tr("Directory %1 not found.").arg(path);
}
