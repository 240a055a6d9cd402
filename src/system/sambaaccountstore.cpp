#include "sambaaccountstore.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

#include <grp.h>
#include <pwd.h>

#include <stdexcept>

namespace {

constexpr int ListingTimeoutMs = 30000;
constexpr int ChangeTimeoutMs = 10000;
// The nobody user and the nogroup group of Debian and most other systems.
constexpr quint32 OverflowId = 65534;
constexpr quint32 FirstRegularId = 2500;

QStringList sortedUnique(QStringList names)
{
    names.removeDuplicates();
    names.sort(Qt::CaseSensitive);
    return names;
}

template<typename Accept>
QStringList userNames(Accept accept)
{
    QStringList names;
    setpwent();
    while (const passwd *entry = getpwent()) {
        if (accept(entry->pw_uid)) {
            names.append(QString::fromLocal8Bit(entry->pw_name));
        }
    }
    endpwent();
    return sortedUnique(names);
}

template<typename Accept>
QStringList groupNames(Accept accept)
{
    QStringList names;
    setgrent();
    while (const group *entry = getgrent()) {
        if (accept(entry->gr_gid)) {
            names.append(QString::fromLocal8Bit(entry->gr_name));
        }
    }
    endgrent();
    return sortedUnique(names);
}

void setMessage(QString *errorMessage, const QString &message)
{
    if (errorMessage) {
        *errorMessage = message;
    }
}

/**
 * Runs one pdbedit change and judges it: true on a normal exit with code 0. pdbedit prints the
 * account it created on standard output, so only its error output is kept, as the message.
 * A pdbedit still running after the wait is killed when the process object goes.
 */
bool runChange(const QString &program, const QStringList &arguments, const QByteArray &input,
               bool waitForStart, QString *errorMessage)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (waitForStart && !process.waitForStarted(ChangeTimeoutMs)) {
        setMessage(errorMessage,
                   QCoreApplication::translate("Audit", "%1 could not be started: %2")
                       .arg(program, process.errorString()));
        return false;
    }
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();

    if (!process.waitForFinished(ChangeTimeoutMs)) {
        if (process.error() == QProcess::FailedToStart) {
            setMessage(errorMessage,
                       QCoreApplication::translate("Audit", "%1 could not be started: %2")
                           .arg(program, process.errorString()));
        } else {
            setMessage(errorMessage,
                       QCoreApplication::translate("Audit", "%1 did not finish within %2 seconds.")
                           .arg(program)
                           .arg(ChangeTimeoutMs / 1000));
        }
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        setMessage(errorMessage, QCoreApplication::translate("Audit", "%1 crashed.").arg(program));
        return false;
    }
    if (process.exitCode() != 0) {
        QString message = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (message.isEmpty()) {
            message = QCoreApplication::translate("Audit", "%1 exited with code %2.")
                          .arg(program)
                          .arg(process.exitCode());
        }
        setMessage(errorMessage, message);
        return false;
    }
    setMessage(errorMessage, QString());
    return true;
}

} // namespace

SambaAccountStore::SambaAccountStore(const QString &pdbeditProgram, const QString &wbinfoProgram)
    : m_pdbeditProgram(pdbeditProgram)
    , m_wbinfoProgram(wbinfoProgram)
{
}

QString SambaAccountStore::defaultPdbeditProgram()
{
    return QStringLiteral("/usr/bin/pdbedit");
}

QString SambaAccountStore::defaultWbinfoProgram()
{
    return QStringLiteral("wbinfo");
}

QStringList SambaAccountStore::listSystemUsers()
{
    return userNames(&SambaAccountStore::isSystemId);
}

QStringList SambaAccountStore::listRegularUsers()
{
    return userNames(&SambaAccountStore::isRegularId);
}

QStringList SambaAccountStore::listSystemGroups()
{
    return groupNames(&SambaAccountStore::isSystemId);
}

QStringList SambaAccountStore::listRegularGroups()
{
    return groupNames(&SambaAccountStore::isRegularId);
}

QStringList SambaAccountStore::listDomainUsers() const
{
    return runWbinfo(QStringLiteral("-u"));
}

QStringList SambaAccountStore::listDomainGroups() const
{
    return runWbinfo(QStringLiteral("-g"));
}

QStringList SambaAccountStore::runWbinfo(const QString &option) const
{
    // Without winbindd, wbinfo complains on its error output and prints nothing on standard output,
    // so its exit code need not be looked at.
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(m_wbinfoProgram, {option});
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return namesFromWbinfoOutput(process.readAllStandardOutput());
}

QByteArray SambaAccountStore::listAccounts() const
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(m_pdbeditProgram, {QStringLiteral("-L")});
    process.closeWriteChannel();
    // A pdbedit that did not start, hung or crashed has no listing to offer either.
    if (!process.waitForFinished(ListingTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        throw std::runtime_error(listingErrorText().toUtf8().toStdString());
    }
    return process.readAllStandardOutput();
}

SambaUserMap SambaAccountStore::loadSambaUsers() const
{
    return usersFromListing(listAccounts());
}

SambaGroupMap SambaAccountStore::loadSambaGroups() const
{
    return groupsFromListing(listAccounts());
}

bool SambaAccountStore::addSambaUser(const QString &name, const QString &password,
                                     QString *errorMessage) const
{
    return runChange(m_pdbeditProgram,
                     {QStringLiteral("-t"), QStringLiteral("-a"), QStringLiteral("-u"), name},
                     passwordInput(password), true, errorMessage);
}

bool SambaAccountStore::deleteSambaUser(const QString &name, QString *errorMessage) const
{
    return runChange(m_pdbeditProgram, {QStringLiteral("-x"), QStringLiteral("-u"), name}, QByteArray(),
                     false, errorMessage);
}

bool SambaAccountStore::addSambaGroup(const QString &name, QString *errorMessage) const
{
    return runChange(m_pdbeditProgram, {QStringLiteral("-g"), name}, QByteArray(), true, errorMessage);
}

bool SambaAccountStore::deleteSambaGroup(const QString &name, QString *errorMessage) const
{
    return runChange(m_pdbeditProgram, {QStringLiteral("-x"), QStringLiteral("-g"), name}, QByteArray(),
                     false, errorMessage);
}

SambaAccountFailures SambaAccountStore::syncSambaUsers(SambaUserMap &current, const SambaUserMap &saved) const
{
    SambaAccountFailures failures;
    QString message;
    for (auto it = current.begin(); it != current.end(); ++it) {
        if (!it->changed()) {
            continue;
        }
        deleteSambaUser(it.key());
        if (!addSambaUser(it.key(), it->password(), &message)) {
            failures.append(SambaAccountFailure(it.key(), SambaAccountFailure::AddUser, message));
        }
        it->setChanged(false);
    }
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (!current.contains(it.key()) && !deleteSambaUser(it.key(), &message)) {
            failures.append(SambaAccountFailure(it.key(), SambaAccountFailure::DeleteUser, message));
        }
    }
    return failures;
}

SambaAccountFailures SambaAccountStore::syncSambaGroups(SambaGroupMap &current, const SambaGroupMap &saved,
                                                        const SambaUserMap &users) const
{
    SambaAccountFailures failures;
    QString message;
    for (auto it = current.begin(); it != current.end(); ++it) {
        if (!it->changed()) {
            continue;
        }
        if (!users.contains(it.key())) {
            deleteSambaGroup(it.key());
        }
        if (!addSambaGroup(it.key(), &message)) {
            failures.append(SambaAccountFailure(it.key(), SambaAccountFailure::AddGroup, message));
        }
        it->setChanged(false);
    }
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (current.contains(it.key())) {
            continue;
        }
        if (users.contains(it.key())) {
            failures.append(SambaAccountFailure(
                it.key(), SambaAccountFailure::DeleteGroup,
                QCoreApplication::translate(
                    "Audit", "not deleted: pdbedit would delete the Samba user of the same name")));
        } else if (!deleteSambaGroup(it.key(), &message)) {
            failures.append(SambaAccountFailure(it.key(), SambaAccountFailure::DeleteGroup, message));
        }
    }
    return failures;
}

bool SambaAccountStore::isSystemId(quint32 id)
{
    return id < FirstRegularId;
}

bool SambaAccountStore::isRegularId(quint32 id)
{
    return id >= FirstRegularId && id != OverflowId;
}

QStringList SambaAccountStore::accountNamesFromListing(const QByteArray &listing)
{
    // "NAME:UID:FULL NAME"; \w is ASCII-only here, as QRegularExpression is not given Unicode properties.
    static const QRegularExpression linePattern(QStringLiteral(R"(^([\\\w]+):\d+:)"));
    QStringList names;
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray &bytes : lines) {
        if (bytes.isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch match = linePattern.match(QString::fromLocal8Bit(bytes));
        if (match.hasMatch()) {
            names.append(match.captured(1));
        }
    }
    return names;
}

SambaUserMap SambaAccountStore::usersFromListing(const QByteArray &listing)
{
    SambaUserMap users;
    const QStringList names = accountNamesFromListing(listing);
    for (const QString &name : names) {
        users.insert(name, SambaUser(name));
    }
    return users;
}

SambaGroupMap SambaAccountStore::groupsFromListing(const QByteArray &listing)
{
    SambaGroupMap groups;
    const QStringList names = accountNamesFromListing(listing);
    for (const QString &name : names) {
        groups.insert(name, SambaGroup(name));
    }
    return groups;
}

QStringList SambaAccountStore::namesFromWbinfoOutput(const QByteArray &output)
{
    return sortedUnique(QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

QByteArray SambaAccountStore::passwordInput(const QString &password)
{
    // pdbedit converts from the unix charset, UTF-8 on Debian, to UTF-16 for the NT hash.
    const QByteArray line = password.toUtf8() + '\n';
    return line + line;
}

QString SambaAccountStore::listingErrorText()
{
    return QCoreApplication::translate(
        "Audit", "Error occur during samba user extraction.\nCheck samba installation or access rights.");
}
