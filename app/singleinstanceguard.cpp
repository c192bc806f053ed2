#include "app/singleinstanceguard.h"

SingleInstanceGuard::SingleInstanceGuard(const QString& key)
    : m_memory(key)
{
}

// On Unix a segment outlives a process that died without detaching. Attaching and detaching
// once removes it when nobody else is attached; a live instance keeps it.
void SingleInstanceGuard::ClearStaleSegment()
{
    QSharedMemory stale(m_memory.key());
    if (stale.attach())
        stale.detach();
}

bool SingleInstanceGuard::AnotherInstanceRuns()
{
    // A stale segment can also be met only when creating: its key file was removed (a cleaned
    // temporary folder) and the new one maps onto the old key. Creating the segment makes the
    // key file again, so a second round can clear it.
    for (int round = 0; round < 2; ++round) {
        ClearStaleSegment();
        if (m_memory.attach(QSharedMemory::ReadWrite)) {
            m_memory.detach();
            return true;
        }
        if (m_memory.create(1, QSharedMemory::ReadWrite))
            return false;
        if (m_memory.error() != QSharedMemory::AlreadyExists)
            return false; // no guard to be had: run
    }
    // Another instance created it at the same moment.
    return true;
}
