#ifndef SINGLEINSTANCEGUARD_H
#define SINGLEINSTANCEGUARD_H

#include <QSharedMemory>
#include <QString>

// One running instance per user: a one-byte shared-memory segment named after the
// application folder. A segment left behind by a crashed or killed instance does not
// lock the program out.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString& key);
    // True when another live instance holds the segment. Otherwise this object now holds it.
    bool AnotherInstanceRuns();

private:
    void ClearStaleSegment();
    QSharedMemory m_memory;
};

#endif
