#ifndef SAMBAACCOUNTSTORE_H
#define SAMBAACCOUNTSTORE_H

#include "sambaaccountfailure.h"
#include "sambagroup.h"
#include "sambauser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

/**
 * The accounts Shareward shows and edits: the system's users and groups (the passwd and group
 * databases), the domain's (wbinfo) and Samba's own account database: its users (pdbedit, and
 * smbpasswd for passwords) and its groups, which are its group mappings (net groupmap).
 *
 * Every call is synchronous. pdbedit and net get at most 30 s for a listing, pdbedit, smbpasswd and
 * net 30 s for a change and wbinfo 10 s; a program still running then is killed and its run
 * failed. The programs are given to the constructor so that tests can substitute their own.
 *
 * pdbedit has no group operations: "pdbedit -g NAME" only modifies its import and export options
 * and "pdbedit -x -g NAME" deletes the Samba user NAME. Nor can it set the password of an existing
 * account; deleting and adding the account again would give it a new SID, which Windows ACLs
 * naming the old one no longer match, and drop its full name and flags.
 */
class SambaAccountStore
{
public:
    explicit SambaAccountStore(const QString &pdbeditProgram = defaultPdbeditProgram(),
                               const QString &wbinfoProgram = defaultWbinfoProgram(),
                               const QString &smbpasswdProgram = defaultSmbpasswdProgram(),
                               const QString &netProgram = defaultNetProgram());

    QString pdbeditProgram() const { return m_pdbeditProgram; }
    QString wbinfoProgram() const { return m_wbinfoProgram; }
    QString smbpasswdProgram() const { return m_smbpasswdProgram; }
    QString netProgram() const { return m_netProgram; }
    /// One time limit for every program instead of the defaults; tests shorten it.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // SystemPrograms' paths: Debian's, or a test's stand-ins.
    static QString defaultPdbeditProgram();
    static QString defaultWbinfoProgram();
    static QString defaultSmbpasswdProgram();
    static QString defaultNetProgram();

    // Account name lists: without duplicates, sorted case-sensitively.

    /// Users with uid 2499 or below.
    static QStringList listSystemUsers();
    /// Users with uid 2500 or above, except 65534 (nobody).
    static QStringList listRegularUsers();
    /// Groups with gid 2499 or below.
    static QStringList listSystemGroups();
    /// The accounts suitsGuest accepts, nobody always among them.
    static QStringList listGuestAccounts();
    /// Whether an account is meant to be a guest's: not root, no login shell (nologin or false),
    /// a system uid (below Debian's first user uid 1000) or nobody's 65534, and no home
    /// directory on this machine. That leaves out people, who log in or have uids from 1000 on
    /// (Samba users often have nologin), and services owning a home of files.
    static bool suitsGuest(quint32 uid, const QByteArray &shell, bool homeExists);
    /// Groups with gid 2500 or above, except 65534 (nogroup).
    static QStringList listRegularGroups();
    /// "wbinfo -u"; empty when winbindd does not answer.
    QStringList listDomainUsers() const;
    /// "wbinfo -g"; empty when winbindd does not answer.
    QStringList listDomainGroups() const;

    /// The accounts of "pdbedit -L", unchanged and without passwords. Throws std::runtime_error with
    /// listingErrorText() in UTF-8 when pdbedit does not list successfully.
    SambaUserMap loadSambaUsers() const;
    /// The group mappings of "net groupmap list", keyed by their Windows names; throws like
    /// loadSambaUsers() with groupListingErrorText().
    SambaGroupMap loadSambaGroups() const;

    // Single changes: true exactly when the program exited normally with code 0. On failure,
    // errorMessage (if given) receives the program's error output (net's standard output too, where
    // it reports most refusals), or why it gave no answer.

    // Each refuses a name accountNameProblem() names a problem of, with that text, running nothing.

    /// "pdbedit -t -a -- NAME" with the password and its confirmation on standard input.
    bool addSambaUser(const QString &name, const QString &password, QString *errorMessage = nullptr) const;
    /// "smbpasswd -s -- NAME" with the password and its confirmation on standard input: the account
    /// keeps its SID, full name and flags.
    bool setSambaPassword(const QString &name, const QString &password,
                          QString *errorMessage = nullptr) const;
    /// "pdbedit -x -- NAME"
    bool deleteSambaUser(const QString &name, QString *errorMessage = nullptr) const;
    /// "net -- groupmap add ntgroup=NAME unixgroup=NAME type=domain"
    bool addSambaGroup(const QString &name, QString *errorMessage = nullptr) const;
    /// "net -- groupmap delete ntgroup=NAME"
    bool deleteSambaGroup(const QString &name, QString *errorMessage = nullptr) const;

    /**
     * Writes the edited users back, judged against the state last loaded or saved: each changed
     * user, in name order, gets its new password in place when saved holds it (an empty password
     * means unchanged and writes nothing) or is added with its password when it is new; then each
     * saved user that current no longer holds is deleted. Every user of current is left unchanged
     * and without a password, written or not: a password is kept no longer than the save.
     *
     * Returns the commands that failed, in the order they ran, for the caller to show in its own box.
     */
    SambaAccountFailures syncSambaUsers(SambaUserMap &current, const SambaUserMap &saved) const;
    /// The same for groups: each changed group that saved does not hold is mapped, each saved
    /// group that current no longer holds is unmapped. A group has nothing else to change.
    SambaAccountFailures syncSambaGroups(SambaGroupMap &current, const SambaGroupMap &saved) const;

    /// One command of a sync: the account and what is done to it.
    struct AccountWrite
    {
        QString account;
        SambaAccountFailure::Operation operation = SambaAccountFailure::AddUser;
    };
    /// The commands syncSambaUsers() and syncSambaGroups() run, in their order, running none.
    static QList<AccountWrite> userWrites(const SambaUserMap &current, const SambaUserMap &saved);
    static QList<AccountWrite> groupWrites(const SambaGroupMap &current, const SambaGroupMap &saved);

    // Pure parts, public for tests.

    static bool isSystemId(quint32 id);
    static bool isRegularId(quint32 id);
    /// Account names of a "pdbedit -L" listing in listing order, duplicates kept: lines of the form
    /// "NAME:NUMBER:...", NAME any text without a colon or control character (DOMAIN\user,
    /// john.doe, mary-ann, machine accounts such as PC01$), in UTF-8.
    static QStringList accountNamesFromListing(const QByteArray &listing);
    static SambaUserMap usersFromListing(const QByteArray &listing);
    /// The Windows group names of a "net groupmap list" listing in listing order, duplicates kept:
    /// lines "NAME (SID) -> UNIXGROUP" in UTF-8, NAME possibly with spaces and parentheses.
    static QStringList groupNamesFromMappingListing(const QByteArray &listing);
    static SambaGroupMap groupsFromMappingListing(const QByteArray &listing);
    /// The non-empty lines of wbinfo's UTF-8 output, without duplicates, sorted.
    static QStringList namesFromWbinfoOutput(const QByteArray &output);
    /// What "pdbedit -t" and "smbpasswd -s" read: the password and its confirmation, each ended by
    /// a line feed, in UTF-8.
    static QByteArray passwordInput(const QString &password);
    /// The longest password smbpasswd and pdbedit read whole, in bytes of UTF-8.
    static constexpr int MaxPasswordBytes = 254;
    /// Why smbpasswd and pdbedit would not take the password as it is; empty when they would.
    static QString passwordProblem(const QString &password);
    /// Why no account may be named name (empty, or beginning with "-" as options do); empty when
    /// it may, translated.
    static QString accountNameProblem(const QString &name);
    /// The translated text of a failed user listing.
    static QString listingErrorText();
    /// The translated text of a failed group listing.
    static QString groupListingErrorText();

private:
    // Says passwordProblem() in errorMessage, when there is one.
    static bool refusePassword(const QString &password, QString *errorMessage);
    QStringList runWbinfo(const QString &option) const;
    int timeLimit(int defaultMs) const;

    QString m_pdbeditProgram;
    QString m_wbinfoProgram;
    QString m_smbpasswdProgram;
    QString m_netProgram;
    // 0: the default of each kind of run.
    int m_timeLimitMs = 0;
};

#endif // SAMBAACCOUNTSTORE_H
