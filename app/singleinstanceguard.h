#ifndef SINGLEINSTANCEGUARD_H
#define SINGLEINSTANCEGUARD_H

#include <QString>

// One running instance per user and HOME: an exclusive flock() on a file in the runtime
// folder, named from the key, the user id and a hash of HOME. The kernel drops the lock when
// the process ends, however it ends, so a killed instance never locks the next start out.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString& key);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when another live instance holds the lock. Otherwise this object now holds it
    // until it is destroyed (or the process ends).
    bool AnotherInstanceRuns();

    // The lock file for key under the current user, HOME and runtime folder.
    static QString LockFilePath(const QString& key);

private:
    QString m_path;
    int m_fd = -1;
};

#endif
