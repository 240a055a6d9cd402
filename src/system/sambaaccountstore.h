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
 * databases), the domain's (wbinfo) and Samba's own account database (pdbedit).
 *
 * Every call is synchronous. pdbedit gets at most 30 s for a listing and 10 s to start and 10 s
 * to finish a change; wbinfo is waited for without limit. The programs are given to the
 * constructor so that tests can substitute their own.
 *
 * Samba groups are read from the same "pdbedit -L" listing as the users, and written with
 * "pdbedit -g NAME" and "pdbedit -x -g NAME". Samba 4's pdbedit applies "-g" only to its import
 * and export options, so "pdbedit -g NAME" succeeds exactly when a Samba user NAME exists and
 * changes nothing, and "pdbedit -x -g NAME" deletes the Samba user NAME.
 */
class SambaAccountStore
{
public:
    explicit SambaAccountStore(const QString &pdbeditProgram = defaultPdbeditProgram(),
                               const QString &wbinfoProgram = defaultWbinfoProgram());

    QString pdbeditProgram() const { return m_pdbeditProgram; }
    QString wbinfoProgram() const { return m_wbinfoProgram; }

    /// "/usr/bin/pdbedit"
    static QString defaultPdbeditProgram();
    /// "wbinfo", found through PATH.
    static QString defaultWbinfoProgram();

    // Account name lists: without duplicates, sorted case-sensitively.

    /// Users with uid 2499 or below.
    static QStringList listSystemUsers();
    /// Users with uid 2500 or above, except 65534 (nobody).
    static QStringList listRegularUsers();
    /// Groups with gid 2499 or below.
    static QStringList listSystemGroups();
    /// Groups with gid 2500 or above, except 65534 (nogroup).
    static QStringList listRegularGroups();
    /// "wbinfo -u"; empty when winbindd does not answer.
    QStringList listDomainUsers() const;
    /// "wbinfo -g"; empty when winbindd does not answer.
    QStringList listDomainGroups() const;

    /// The accounts of "pdbedit -L", unchanged and without passwords. Throws std::runtime_error with
    /// listingErrorText() in UTF-8 when pdbedit does not list successfully.
    SambaUserMap loadSambaUsers() const;
    /// Groups named after the accounts of "pdbedit -L"; throws like loadSambaUsers().
    SambaGroupMap loadSambaGroups() const;

    // Single changes: true exactly when pdbedit exited normally with code 0. On failure, errorMessage
    // (if given) receives pdbedit's error output, or why it gave no answer.

    /// "pdbedit -t -a -u NAME" with the password and its confirmation on standard input.
    bool addSambaUser(const QString &name, const QString &password, QString *errorMessage = nullptr) const;
    /// "pdbedit -x -u NAME"
    bool deleteSambaUser(const QString &name, QString *errorMessage = nullptr) const;
    /// "pdbedit -g NAME"
    bool addSambaGroup(const QString &name, QString *errorMessage = nullptr) const;
    /// "pdbedit -x -g NAME"
    bool deleteSambaGroup(const QString &name, QString *errorMessage = nullptr) const;

    /**
     * Writes the edited users back, judged against the state last loaded or saved: each changed
     * user, in name order, is deleted and added again with its password, which also sets a new
     * password, and marked unchanged; then each saved user that current no longer holds is deleted.
     *
     * Returns the commands that failed, in the order they ran, for the caller to show in its own
     * box: an account deleted and not added again must not go unnoticed. The delete before an add
     * is left out: it fails for every account new since loading, and what matters is whether the
     * add that follows succeeds.
     */
    SambaAccountFailures syncSambaUsers(SambaUserMap &current, const SambaUserMap &saved) const;
    /**
     * The same for groups, with addSambaGroup() and deleteSambaGroup().
     *
     * Samba 4's pdbedit has no groups: "pdbedit -x -g NAME" deletes the Samba user NAME. So
     * no group delete runs for a name in users (the Samba accounts as the user sync left
     * them); a removed group of such a name is reported as not deleted instead of taking
     * the user account with it.
     */
    SambaAccountFailures syncSambaGroups(SambaGroupMap &current, const SambaGroupMap &saved,
                                         const SambaUserMap &users) const;

    // Pure parts, public for tests.

    static bool isSystemId(quint32 id);
    static bool isRegularId(quint32 id);
    /// Account names of a "pdbedit -L" listing in listing order, duplicates kept: lines of the form
    /// "NAME:NUMBER:...", NAME made of ASCII word characters and backslashes (DOMAIN\user).
    static QStringList accountNamesFromListing(const QByteArray &listing);
    static SambaUserMap usersFromListing(const QByteArray &listing);
    static SambaGroupMap groupsFromListing(const QByteArray &listing);
    /// The non-empty lines of wbinfo's UTF-8 output, without duplicates, sorted.
    static QStringList namesFromWbinfoOutput(const QByteArray &output);
    /// What "pdbedit -t" reads: the password and its confirmation, each ended by a line feed, in UTF-8.
    static QByteArray passwordInput(const QString &password);
    /// The translated text of a failed listing.
    static QString listingErrorText();

private:
    QStringList runWbinfo(const QString &option) const;
    QByteArray listAccounts() const;

    QString m_pdbeditProgram;
    QString m_wbinfoProgram;
};

#endif // SAMBAACCOUNTSTORE_H
