#include "sambaaccountstore.h"

#include "processrunner.h"
#include "systemprograms.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr int ListingTimeoutMs = 30000;
constexpr int ChangeTimeoutMs = 30000;
// winbindd answers at once or hangs; a hang must not hold up the account lists.
constexpr int WbinfoTimeoutMs = 10000;
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

// True, with the reason in errorMessage, for a name no account may have.
bool refuseName(const QString &name, QString *errorMessage)
{
    const QString problem = SambaAccountStore::accountNameProblem(name);
    setMessage(errorMessage, problem);
    return !problem.isEmpty();
}

// What becomes the message of a failed change.
enum class Message {
    // pdbedit prints the account it created on standard output: only its error output counts.
    ErrorOutput,
    // net reports most refusals ("already mapped", "doesn't exist") on standard output.
    AllOutput,
};

// Runs one change and judges it: true on a normal exit with code 0.
bool runChange(const QString &program, const QStringList &arguments, const QByteArray &input, int timeLimitMs,
               Message kind, QString *errorMessage)
{
    ProcessRunner runner(program, arguments);
    runner.setStandardInput(input);
    runner.setChannels(kind == Message::ErrorOutput ? ProcessRunner::ErrorChannelOnly
                                                    : ProcessRunner::MergedChannels);
    runner.setTimeLimit(timeLimitMs);
    const ProcessResult run = runner.run();
    if (!run.exitedNormally()) {
        setMessage(errorMessage, run.errorText);
        return false;
    }
    if (run.exitCode != 0) {
        const QByteArray output = kind == Message::ErrorOutput ? run.standardError : run.standardOutput;
        QString message = QString::fromLocal8Bit(output).trimmed();
        if (message.isEmpty()) {
            message = QCoreApplication::translate("Audit", "%1 exited with code %2.")
                          .arg(program)
                          .arg(run.exitCode);
        }
        setMessage(errorMessage, message);
        return false;
    }
    setMessage(errorMessage, QString());
    return true;
}

// The standard output of a listing; throws errorText when the program did not start, hung,
// crashed or failed, as it then has no listing to offer.
QByteArray runListing(const QString &program, const QStringList &arguments, int timeLimitMs,
                      const QString &errorText)
{
    ProcessRunner runner(program, arguments);
    runner.setTimeLimit(timeLimitMs);
    const ProcessResult run = runner.run();
    if (!run.succeeded())
        throw std::runtime_error(errorText.toUtf8().toStdString());
    return run.standardOutput;
}

} // namespace

SambaAccountStore::SambaAccountStore(const QString &pdbeditProgram, const QString &wbinfoProgram,
                                     const QString &smbpasswdProgram, const QString &netProgram)
    : m_pdbeditProgram(pdbeditProgram)
    , m_wbinfoProgram(wbinfoProgram)
    , m_smbpasswdProgram(smbpasswdProgram)
    , m_netProgram(netProgram)
{
}

QString SambaAccountStore::defaultPdbeditProgram()
{
    return SystemPrograms::pdbedit();
}

QString SambaAccountStore::defaultWbinfoProgram()
{
    return SystemPrograms::wbinfo();
}

QString SambaAccountStore::defaultSmbpasswdProgram()
{
    return SystemPrograms::smbpasswd();
}

QString SambaAccountStore::defaultNetProgram()
{
    return SystemPrograms::net();
}

int SambaAccountStore::timeLimit(int defaultMs) const
{
    return m_timeLimitMs > 0 ? m_timeLimitMs : defaultMs;
}

QStringList SambaAccountStore::listSystemUsers()
{
    return userNames(&SambaAccountStore::isSystemId);
}

QStringList SambaAccountStore::listGuestAccounts()
{
    QStringList names{QStringLiteral("nobody")};
    setpwent();
    while (const passwd *entry = getpwent()) {
        const bool homeExists = entry->pw_dir && *entry->pw_dir && ::access(entry->pw_dir, F_OK) == 0;
        if (suitsGuest(entry->pw_uid, QByteArray(entry->pw_shell ? entry->pw_shell : ""), homeExists))
            names.append(QString::fromLocal8Bit(entry->pw_name));
    }
    endpwent();
    return sortedUnique(names);
}

bool SambaAccountStore::suitsGuest(quint32 uid, const QByteArray &shell, bool homeExists)
{
    constexpr quint32 firstUserId = 1000;
    const bool noLogin = shell.endsWith("/nologin") || shell.endsWith("/false");
    return uid != 0 && noLogin && (uid < firstUserId || uid == OverflowId) && !homeExists;
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
    ProcessRunner runner(m_wbinfoProgram, {option});
    runner.setTimeLimit(timeLimit(WbinfoTimeoutMs));
    const ProcessResult run = runner.run();
    // A wbinfo killed at its limit may have printed part of a list: none is better than that.
    if (!run.exitedNormally())
        return {};
    return namesFromWbinfoOutput(run.standardOutput);
}

SambaUserMap SambaAccountStore::loadSambaUsers() const
{
    return usersFromListing(runListing(m_pdbeditProgram, {QStringLiteral("-L")}, timeLimit(ListingTimeoutMs),
                                       listingErrorText()));
}

SambaGroupMap SambaAccountStore::loadSambaGroups() const
{
    return groupsFromMappingListing(
        runListing(m_netProgram, {QStringLiteral("--"), QStringLiteral("groupmap"), QStringLiteral("list")},
                   timeLimit(ListingTimeoutMs), groupListingErrorText()));
}

bool SambaAccountStore::addSambaUser(const QString &name, const QString &password,
                                     QString *errorMessage) const
{
    if (refuseName(name, errorMessage) || refusePassword(password, errorMessage))
        return false;
    // pdbedit takes the account as its operand; "-u --" would name the account "--".
    return runChange(m_pdbeditProgram,
                     {QStringLiteral("-t"), QStringLiteral("-a"), QStringLiteral("--"), name},
                     passwordInput(password), timeLimit(ChangeTimeoutMs), Message::ErrorOutput, errorMessage);
}

bool SambaAccountStore::setSambaPassword(const QString &name, const QString &password,
                                         QString *errorMessage) const
{
    if (refuseName(name, errorMessage) || refusePassword(password, errorMessage))
        return false;
    return runChange(m_smbpasswdProgram, {QStringLiteral("-s"), QStringLiteral("--"), name},
                     passwordInput(password), timeLimit(ChangeTimeoutMs), Message::ErrorOutput, errorMessage);
}

bool SambaAccountStore::deleteSambaUser(const QString &name, QString *errorMessage) const
{
    if (refuseName(name, errorMessage))
        return false;
    return runChange(m_pdbeditProgram, {QStringLiteral("-x"), QStringLiteral("--"), name}, QByteArray(),
                     timeLimit(ChangeTimeoutMs), Message::ErrorOutput, errorMessage);
}

bool SambaAccountStore::addSambaGroup(const QString &name, QString *errorMessage) const
{
    if (refuseName(name, errorMessage))
        return false;
    // The Windows name is the Unix one: the groups dialog offers the system's groups.
    return runChange(m_netProgram,
                     {QStringLiteral("--"), QStringLiteral("groupmap"), QStringLiteral("add"),
                      QStringLiteral("ntgroup=") + name, QStringLiteral("unixgroup=") + name,
                      QStringLiteral("type=domain")},
                     QByteArray(), timeLimit(ChangeTimeoutMs), Message::AllOutput, errorMessage);
}

bool SambaAccountStore::deleteSambaGroup(const QString &name, QString *errorMessage) const
{
    if (refuseName(name, errorMessage))
        return false;
    return runChange(m_netProgram,
                     {QStringLiteral("--"), QStringLiteral("groupmap"), QStringLiteral("delete"),
                      QStringLiteral("ntgroup=") + name},
                     QByteArray(), timeLimit(ChangeTimeoutMs), Message::AllOutput, errorMessage);
}

QList<SambaAccountStore::AccountWrite> SambaAccountStore::userWrites(const SambaUserMap &current,
                                                                     const SambaUserMap &saved)
{
    QList<AccountWrite> writes;
    for (auto it = current.begin(); it != current.end(); ++it) {
        if (!it->changed())
            continue;
        if (!saved.contains(it.key()))
            writes.append({it.key(), SambaAccountFailure::AddUser});
        else if (!it->password().isEmpty())
            writes.append({it.key(), SambaAccountFailure::SetPassword});
    }
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (!current.contains(it.key()))
            writes.append({it.key(), SambaAccountFailure::DeleteUser});
    }
    return writes;
}

QList<SambaAccountStore::AccountWrite> SambaAccountStore::groupWrites(const SambaGroupMap &current,
                                                                      const SambaGroupMap &saved)
{
    QList<AccountWrite> writes;
    // A group removed and added again in the dialog is still mapped: nothing to write.
    for (auto it = current.begin(); it != current.end(); ++it) {
        if (it->changed() && !saved.contains(it.key()))
            writes.append({it.key(), SambaAccountFailure::AddGroup});
    }
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (!current.contains(it.key()))
            writes.append({it.key(), SambaAccountFailure::DeleteGroup});
    }
    return writes;
}

SambaAccountFailures SambaAccountStore::syncSambaUsers(SambaUserMap &current, const SambaUserMap &saved) const
{
    SambaAccountFailures failures;
    QString message;
    for (const AccountWrite &write : userWrites(current, saved)) {
        const QString password = current.value(write.account).password();
        bool done = false;
        switch (write.operation) {
        case SambaAccountFailure::AddUser:
            done = addSambaUser(write.account, password, &message);
            break;
        case SambaAccountFailure::SetPassword:
            done = setSambaPassword(write.account, password, &message);
            break;
        default:
            done = deleteSambaUser(write.account, &message);
            break;
        }
        if (!done)
            failures.append(SambaAccountFailure(write.account, write.operation, message));
    }
    // A failed write is reported above; the password is not kept for another try either.
    for (SambaUser &user : current) {
        user.setPassword(QString());
        user.setChanged(false);
    }
    return failures;
}

SambaAccountFailures SambaAccountStore::syncSambaGroups(SambaGroupMap &current,
                                                        const SambaGroupMap &saved) const
{
    SambaAccountFailures failures;
    QString message;
    for (const AccountWrite &write : groupWrites(current, saved)) {
        const bool done = write.operation == SambaAccountFailure::AddGroup
            ? addSambaGroup(write.account, &message)
            : deleteSambaGroup(write.account, &message);
        if (!done)
            failures.append(SambaAccountFailure(write.account, write.operation, message));
    }
    for (SambaGroup &group : current)
        group.setChanged(false);
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
    // "NAME:UID:FULL NAME". A Unix account name holds no colon but may hold anything else Samba
    // takes: dots, hyphens, blanks, letters beyond ASCII and the "$" of machine accounts. pdbedit
    // prints them in the unix charset, UTF-8 on Debian.
    static const QRegularExpression linePattern(QStringLiteral(R"(^([^:\x00-\x1f\x7f]+):\d+:)"));
    QStringList names;
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray &bytes : lines) {
        if (bytes.isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch match = linePattern.match(QString::fromUtf8(bytes));
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

QStringList SambaAccountStore::groupNamesFromMappingListing(const QByteArray &listing)
{
    // "NAME (S-1-5-21-...-1001) -> unixgroup"; the greedy NAME reaches the last SID in parentheses.
    static const QRegularExpression linePattern(QStringLiteral(R"(^(.+) \(S-1(?:-\d+)+\) -> .*$)"));
    QStringList names;
    const QList<QByteArray> lines = listing.split('\n');
    for (const QByteArray &bytes : lines) {
        const QRegularExpressionMatch match = linePattern.match(QString::fromUtf8(bytes));
        if (match.hasMatch()) {
            names.append(match.captured(1));
        }
    }
    return names;
}

SambaGroupMap SambaAccountStore::groupsFromMappingListing(const QByteArray &listing)
{
    SambaGroupMap groups;
    const QStringList names = groupNamesFromMappingListing(listing);
    for (const QString &name : names) {
        groups.insert(name, SambaGroup(name));
    }
    return groups;
}

QStringList SambaAccountStore::namesFromWbinfoOutput(const QByteArray &output)
{
    return sortedUnique(QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

QString SambaAccountStore::passwordProblem(const QString &password)
{
    // Both read each line into 256 bytes with its line feed: a longer password is cut and
    // then does not match its confirmation ("Mismatch - password unchanged").
    const QByteArray bytes = password.toUtf8();
    if (bytes.contains('\n') || bytes.contains('\r') || bytes.contains('\0'))
        return QCoreApplication::translate(
            "Audit", "A Samba password cannot contain a line break or a NUL character.");
    if (bytes.size() > MaxPasswordBytes)
        return QCoreApplication::translate(
                   "Audit", "Samba takes passwords of at most %1 bytes (in UTF-8); this one has %2.")
            .arg(MaxPasswordBytes)
            .arg(bytes.size());
    return QString();
}

bool SambaAccountStore::refusePassword(const QString &password, QString *errorMessage)
{
    const QString problem = passwordProblem(password);
    if (problem.isEmpty())
        return false;
    if (errorMessage)
        *errorMessage = problem;
    return true;
}

QString SambaAccountStore::accountNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QCoreApplication::translate("Audit", "The account name is empty.");
    // Every program Shareward runs gets "--" before its operands; a name that looks like an option
    // is still refused, as other tools would take it for one.
    if (name.startsWith(QLatin1Char('-')))
        return QCoreApplication::translate("Audit", "An account name cannot begin with \u201c-\u201d: %1")
            .arg(name);
    return QString();
}

QByteArray SambaAccountStore::passwordInput(const QString &password)
{
    // pdbedit and smbpasswd convert from the unix charset, UTF-8 on Debian, to UTF-16 for the NT hash.
    const QByteArray line = password.toUtf8() + '\n';
    return line + line;
}

QString SambaAccountStore::listingErrorText()
{
    return QCoreApplication::translate(
        "Audit", "Error occur during samba user extraction.\nCheck samba installation or access rights.");
}

QString SambaAccountStore::groupListingErrorText()
{
    return QCoreApplication::translate(
        "Audit", "Error occur during samba group extraction.\nCheck samba installation or access rights.");
}
