#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Who is connected to the running smbd and what they hold open, as smbstatus reports it:
// the records the Connections tab, its models and shareward-cli status share.
struct ServerSession
{
    QString id; // smbstatus's session id
    QString pid; // the smbd process serving it
    QString user;
    QString group;
    QString machine; // the client's name or address as smbd knows it
    QString address; // the client's address
    QString protocol; // "SMB3_11" ...
    QString encryption; // "-" or the cipher
    QString signing; // "-" or the algorithm
    QDateTime connectedSince; // of its first share connection; invalid when unknown
    // The cluster node of that process (CTDB's vnn); NonClusterVnn outside a cluster.
    QString vnn;
    static constexpr const char *NonClusterVnn = "4294967295";
    // The process runs on a node of a cluster, where a process number alone names no process.
    bool onClusterNode() const { return !vnn.isEmpty() && vnn != QLatin1String(NonClusterVnn); }
};

struct ServerConnection // a share in use (a tree connect)
{
    QString share;
    QString pid;
    QString sessionId;
    QString user; // of its session
    QString machine;
    QDateTime connectedAt;
};

struct OpenFile
{
    QStringList shares; // every share whose path holds the file (two shares may share a directory)
    QString path; // the full path on the server
    QString pid;
    QString user; // the name of the open's uid, or the number when it has none
    QString access; // "read", "write", "delete", joined by "/"
    QString lease; // oplock or lease, as smbstatus words it; empty for none
};

struct ServerStatus
{
    // False when smbd is not running (nothing to report) or smbstatus failed; error says which.
    bool running = false;
    QString error;
    QList<ServerSession> sessions;
    QList<ServerConnection> connections;
    QList<OpenFile> openFiles;
};
