#include "instancelock.h"

#include "errnotext.h"
#include "privatedirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(InstanceLock)
};

} // namespace

InstanceLock::Candidates InstanceLock::defaultCandidates()
{
    Candidates candidates;
    candidates.runtimeDirectory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    candidates.userRuntimeDirectory = QStringLiteral("/run/user/%1").arg(::geteuid());
    if (::geteuid() == 0) {
        const QString configured = qEnvironmentVariable("SHAREWARD_RUN_DIRECTORY");
        candidates.ownDirectory = configured.isEmpty() ? QStringLiteral("/run/shareward") : configured;
    } else {
        candidates.ownDirectory = QDir::homePath() + QStringLiteral("/.cache/shareward");
    }
    return candidates;
}

QString InstanceLock::chooseDirectory(const Candidates &candidates, QString *errorText)
{
    // Runtime directories are made by the login; only the user's own one is made here.
    for (const QString &runtime : {candidates.runtimeDirectory, candidates.userRuntimeDirectory}) {
        if (!runtime.isEmpty() && QFileInfo::exists(runtime) && PrivateDirectory::check(runtime))
            return runtime;
    }
    if (candidates.ownDirectory.isEmpty()) {
        if (errorText)
            *errorText = Messages::tr("There is no directory for the lock that only this user can change.");
        return QString();
    }
    if (!QFileInfo::exists(candidates.ownDirectory))
        QDir().mkpath(QFileInfo(candidates.ownDirectory).absolutePath());
    if (!PrivateDirectory::prepare(candidates.ownDirectory, errorText))
        return QString();
    return candidates.ownDirectory;
}

InstanceLock::InstanceLock(const QString &directory)
    : m_directory(directory)
{
}

InstanceLock::~InstanceLock()
{
    // Closing gives the lock up; the file stays for the next start.
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InstanceLock::tryLock()
{
    if (m_held)
        return true;
    m_error.clear();
    const QString path = m_directory + QStringLiteral("/shareward.lock");
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_error = Messages::tr("Can't open the lock file %1: %2.").arg(path, errnoText(errno));
            return false;
        }
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            m_error = Messages::tr("Can't lock %1: %2.").arg(path, errnoText(errno));
        return false;
    }
    m_held = true;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, pid.constData(), size_t(pid.size()), 0) != pid.size()) {
        // Held all the same: the number is only for the messages of later starts.
    }
    return true;
}

qint64 InstanceLock::holder() const
{
    if (m_fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t got = ::pread(m_fd, text, sizeof text - 1, 0);
    return got > 0 ? QByteArray(text, int(got)).trimmed().toLongLong() : 0;
}
