#include "confighistory.h"

#include "errnotext.h"
#include "privatedirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <nettle/sha2.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(ConfigHistory)
};

// Metadata beyond this is not ours: skip it rather than read it.
constexpr qint64 MaximumMetadataSize = 1 << 20;
// How many taken numbers a record steps over before it gives up.
constexpr int NumberAttempts = 1000;
// Numbers above are no version of ours (nine digits: a billion saves), so counting up from
// the highest can never overflow.
constexpr long long MaximumNumber = 999999999;

QString baseName(int number)
{
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0'));
}

// The SHA-256 of bytes in lower-case hex. nettle uses the processor's SHA instructions where
// it has them: a large smb.conf is hashed on every save.
QByteArray sha256(const std::string &bytes)
{
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), reinterpret_cast<const uint8_t *>(bytes.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, SHA256_DIGEST_SIZE, digest);
    return QByteArray(reinterpret_cast<const char *>(digest), SHA256_DIGEST_SIZE).toHex();
}

// Closes the descriptor it holds when it goes.
struct Descriptor
{
    explicit Descriptor(int descriptor)
        : fd(descriptor)
    {
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    const int fd;
};

// The store only when nobody but its owner can change it: otherwise anybody could plant a
// version that a restore installs as smb.conf.
int openDirectory(const QString &path, QString *errorText = nullptr)
{
    return PrivateDirectory::open(path, errorText);
}

// A version's file, opened without following a link and without waiting for a FIFO's
// writer; -1 for anything but a regular file.
int openEntry(int directory, const QByteArray &name)
{
    const int fd = ::openat(directory, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool isRegularEntry(int directory, const QByteArray &name)
{
    struct stat info;
    return ::fstatat(directory, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

struct StoredVersion
{
    ConfigHistory::Version version;
    QByteArray sha256;
};

// The numbers of the store's versions (those with metadata), newest first, and the highest
// number any file of the store uses, orphans included.
struct Listing
{
    QList<int> versions;
    int highest = 0;
};

// The number of a store's file name: six digits or more, then ".conf" or ".json"; 0 for
// any other name.
int numberOf(const char *name, bool &metadata)
{
    long long number = 0;
    int digits = 0;
    for (; *name >= '0' && *name <= '9'; ++name, ++digits) {
        number = number * 10 + (*name - '0');
        if (number > MaximumNumber)
            return 0;
    }
    if (digits < 6)
        return 0;
    metadata = std::strcmp(name, ".json") == 0;
    return metadata || std::strcmp(name, ".conf") == 0 ? static_cast<int>(number) : 0;
}

// Names only, from one pass over the directory: no file of it is opened or looked at.
Listing list(int directory)
{
    Listing listing;
    // A descriptor of its own, since reading the entries moves its offset.
    const int fd = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *entries = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!entries) {
        if (fd >= 0)
            ::close(fd);
        return listing;
    }
    while (const dirent *entry = ::readdir(entries)) {
        bool metadata = false;
        const int number = numberOf(entry->d_name, metadata);
        if (number <= 0)
            continue;
        listing.highest = std::max(listing.highest, number);
        if (metadata)
            listing.versions.append(number);
    }
    ::closedir(entries);
    std::sort(listing.versions.begin(), listing.versions.end(), std::greater<int>());
    return listing;
}

// The whole file, or false when it cannot be read or is larger than limit.
bool readSmallFile(int directory, const QByteArray &name, qint64 limit, QByteArray &content)
{
    const Descriptor fd(openEntry(directory, name));
    if (fd.fd < 0)
        return false;
    content.resize(4096);
    qint64 size = 0;
    while (true) {
        if (size == content.size()) {
            if (size > limit)
                return false;
            content.resize(static_cast<int>(std::min(2 * size, limit + 1)));
        }
        const ssize_t got =
            ::read(fd.fd, content.data() + size, static_cast<std::size_t>(content.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        size += got;
    }
    content.resize(static_cast<int>(size));
    return size <= limit;
}

// False for metadata that is missing, garbled, without the hash or not of this number.
bool readMetadata(int directory, int number, StoredVersion &stored)
{
    if (number <= 0 || number > MaximumNumber)
        return false;
    QByteArray content;
    if (!readSmallFile(directory, QFile::encodeName(baseName(number) + QLatin1String(".json")),
                       MaximumMetadataSize, content))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    const QString path = object.value(QLatin1String("file")).toString();
    if (object.value(QLatin1String("number")).toInt() != number || path.isEmpty())
        return false;
    ConfigHistory::Version &version = stored.version;
    version.number = number;
    version.file = path;
    version.time =
        QDateTime::fromString(object.value(QLatin1String("time")).toString(), Qt::ISODateWithMs).toUTC();
    version.user = object.value(QLatin1String("user")).toString();
    version.program = object.value(QLatin1String("program")).toString();
    version.summary = object.value(QLatin1String("summary")).toString();
    version.size = static_cast<qint64>(object.value(QLatin1String("size")).toDouble());
    stored.sha256 = object.value(QLatin1String("sha256")).toString().toLatin1();
    // Every version of ours names the hash of its bytes.
    return stored.sha256.size() == 2 * SHA256_DIGEST_SIZE;
}

// Creates name in the directory, never through a link nor over a file that is there, with
// mode 0600 whatever the umask, and makes its bytes durable. Returns 0 or the errno; on a
// failure nothing it created stays.
int writeNewFile(int directory, const QByteArray &name, const char *data, std::size_t size)
{
    const int fd =
        ::openat(directory, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
    while (error == 0 && size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlinkat(directory, name.constData(), 0);
    return error;
}

// Writes version number: its bytes first, its metadata last, since a version exists once its
// metadata does. Returns 0 or the errno, with failed naming what could not be written; on a
// failure nothing of the version stays.
int writeVersion(int directory, int number, const std::string &bytes, const QByteArray &metadata,
                 QString &failed)
{
    failed = baseName(number) + QLatin1String(".conf");
    const QByteArray bytesName = QFile::encodeName(failed);
    if (const int error = writeNewFile(directory, bytesName, bytes.data(), bytes.size()))
        return error;
    failed = baseName(number) + QLatin1String(".json");
    const QByteArray metadataName = QFile::encodeName(failed);
    int error = writeNewFile(directory, metadataName, metadata.constData(),
                             static_cast<std::size_t>(metadata.size()));
    if (error == 0 && ::fsync(directory) != 0) {
        error = errno;
        ::unlinkat(directory, metadataName.constData(), 0);
    }
    if (error != 0)
        ::unlinkat(directory, bytesName.constData(), 0);
    return error;
}

// Removes the oldest versions of file beyond keep, each one's metadata first so that no
// listed version lacks its bytes. A failure here costs only space: it is not reported.
void prune(int directory, const QString &file, int keep)
{
    int kept = 0;
    bool removed = false;
    const QList<int> numbers = list(directory).versions;
    for (int index = 0; index < numbers.size(); ++index) {
        // Once the versions left could all be of file and still be kept, none is read.
        if (kept + (numbers.size() - index) <= keep)
            break;
        const int number = numbers.at(index);
        StoredVersion stored;
        if (!readMetadata(directory, number, stored) || stored.version.file != file || ++kept <= keep)
            continue;
        ::unlinkat(directory, QFile::encodeName(baseName(number) + QLatin1String(".json")).constData(), 0);
        ::unlinkat(directory, QFile::encodeName(baseName(number) + QLatin1String(".conf")).constData(), 0);
        removed = true;
    }
    if (removed)
        ::fsync(directory);
}

// Makes path a directory, its missing parents with mode 0755 and itself with mode.
int makeDirectory(const QByteArray &path, mode_t mode)
{
    if (::mkdir(path.constData(), mode) == 0)
        return 0;
    if (errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    const QByteArray parent = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    if (parent == path)
        return ENOENT;
    if (const int error = makeDirectory(parent, 0755))
        return error;
    return ::mkdir(path.constData(), mode) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace

ConfigHistory::ConfigHistory(const QString &directory)
    : m_directory(directory.isEmpty() ? directory : QDir::cleanPath(directory))
{
}

QString ConfigHistory::defaultDirectory()
{
    const QString directory = qEnvironmentVariable("SHAREWARD_HISTORY_DIRECTORY");
    return directory.isEmpty() ? QStringLiteral("/var/lib/shareward/history") : directory;
}

QString ConfigHistory::outsideChangeSummary()
{
    // A summary is recorded in the history, which shareward-cli shows: not translated.
    return QStringLiteral("changed outside Shareward");
}

QString ConfigHistory::currentUser()
{
    const QString sudoUser = qEnvironmentVariable("SUDO_USER");
    if (!sudoUser.isEmpty())
        return sudoUser;
    uid_t uid = ::getuid();
    const QString pkexecUid = qEnvironmentVariable("PKEXEC_UID");
    if (!pkexecUid.isEmpty()) {
        bool ok = false;
        const uint number = pkexecUid.toUInt(&ok);
        if (!ok)
            return pkexecUid;
        uid = static_cast<uid_t>(number);
    }
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry;
    struct passwd *found = nullptr;
    int error;
    while ((error = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE
           && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error == 0 && found && found->pw_name && *found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

void ConfigHistory::setKeep(int count)
{
    m_keep = std::max(count, 1);
}

QString ConfigHistory::fileKey(const QString &file)
{
    // Edits through a linked path are versions of the file it names. Names that are no
    // path (the registry's) stay as they are.
    if (!file.startsWith(QLatin1Char('/')))
        return file;
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QList<ConfigHistory::Version> ConfigHistory::versions(const QString &file) const
{
    QList<Version> found;
    const Descriptor directory(openDirectory(m_directory, &m_error));
    if (directory.fd < 0)
        return found;
    const QString key = fileKey(file);
    for (const int number : list(directory.fd).versions) {
        StoredVersion stored;
        // A version whose bytes are no regular file (a link, a FIFO, a device) is none.
        if (readMetadata(directory.fd, number, stored)
            && (stored.version.file == key || fileKey(stored.version.file) == key)
            && isRegularEntry(directory.fd, QFile::encodeName(baseName(number) + QLatin1String(".conf"))))
            found.append(stored.version);
    }
    return found;
}

ConfigHistory::Version ConfigHistory::version(int number) const
{
    const Descriptor directory(number > 0 ? openDirectory(m_directory) : -1);
    StoredVersion stored;
    return directory.fd >= 0 && readMetadata(directory.fd, number, stored) ? stored.version : Version();
}

bool ConfigHistory::read(int number, std::string &bytes) const
{
    QString refusal;
    const Descriptor directory(number > 0 ? openDirectory(m_directory, &refusal) : -1);
    if (directory.fd < 0 && !refusal.isEmpty()) {
        m_error = refusal;
        return false;
    }
    StoredVersion stored;
    if (directory.fd < 0 || !readMetadata(directory.fd, number, stored)) {
        m_error = Messages::tr("There is no version %1 in the history %2.").arg(number).arg(m_directory);
        return false;
    }
    const QString path = QDir(m_directory).filePath(baseName(number) + QLatin1String(".conf"));
    const Descriptor fd(
        openEntry(directory.fd, QFile::encodeName(baseName(number) + QLatin1String(".conf"))));
    QFile file;
    if (fd.fd < 0 || !file.open(fd.fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        m_error = Messages::tr("Can't read %1: %2.")
                      .arg(path, fd.fd < 0 ? Messages::tr("not a regular file") : file.errorString());
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = Messages::tr("Can't read %1: %2.").arg(path, file.errorString());
        return false;
    }
    std::string result(content.constData(), static_cast<std::size_t>(content.size()));
    // Restoring damaged bytes would install something nobody wrote; a version without its
    // hash is no version of ours.
    if (static_cast<qint64>(result.size()) != stored.version.size || stored.sha256.isEmpty()
        || sha256(result) != stored.sha256) {
        m_error = Messages::tr("%1 is damaged: its bytes are not those recorded for version %2.")
                      .arg(path)
                      .arg(number);
        return false;
    }
    bytes = std::move(result);
    return true;
}

int ConfigHistory::record(const QString &given, const std::string &bytes, const QString &summary,
                          const QString &program)
{
    const QByteArray directoryName = QFile::encodeName(m_directory);
    // The versions are whole smb.conf files: a new store is made 0700; an existing directory
    // is used as it is, or refused (see openDirectory()), never changed.
    if (const int error = makeDirectory(directoryName, 0700)) {
        m_error =
            Messages::tr("Can't create the history directory %1: %2.").arg(m_directory, errnoText(error));
        return 0;
    }
    const Descriptor directory(openDirectory(m_directory, &m_error));
    if (directory.fd < 0)
        return 0;
    const QString file = fileKey(given);

    const Listing listing = list(directory.fd);
    const qint64 size = static_cast<qint64>(bytes.size());
    // Hashed at most once: a newest version of another size differs without it, and only a
    // new version's metadata needs it otherwise.
    QByteArray hash;
    // Only the newest version of file matters: the same bytes after other ones are new again.
    for (const int number : listing.versions) {
        StoredVersion newest;
        if (!readMetadata(directory.fd, number, newest) || newest.version.file != file)
            continue;
        if (newest.version.size == size) {
            hash = sha256(bytes);
            if (newest.sha256 == hash)
                return number;
        }
        break;
    }
    if (hash.isEmpty())
        hash = sha256(bytes);

    QJsonObject metadata;
    metadata.insert(QLatin1String("file"), file);
    metadata.insert(QLatin1String("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    metadata.insert(QLatin1String("user"), currentUser());
    metadata.insert(QLatin1String("program"), program);
    metadata.insert(QLatin1String("summary"), summary);
    metadata.insert(QLatin1String("size"), static_cast<double>(size));
    metadata.insert(QLatin1String("sha256"), QString::fromLatin1(hash));

    // Numbers only grow, past orphaned bytes too. Another process may take a number first:
    // O_EXCL tells, and the next one is tried.
    int number = listing.highest;
    for (int attempt = 0; attempt < NumberAttempts && number < MaximumNumber; ++attempt) {
        ++number;
        metadata.insert(QLatin1String("number"), number);
        QString failed;
        const int error = writeVersion(directory.fd, number, bytes, QJsonDocument(metadata).toJson(), failed);
        if (error == EEXIST)
            continue;
        if (error != 0) {
            m_error =
                Messages::tr("Can't write %1: %2.").arg(QDir(m_directory).filePath(failed), errnoText(error));
            return 0;
        }
        // Without other versions in the store, none of file can be past the bound.
        if (listing.versions.size() >= m_keep)
            prune(directory.fd, file, m_keep);
        return number;
    }
    m_error = Messages::tr("Can't find a free version number in the history directory %1.").arg(m_directory);
    return 0;
}

int ConfigHistory::recordOutsideChange(const QString &file, const std::string &bytes, const QString &program)
{
    return record(file, bytes, outsideChangeSummary(), program);
}
