#include "singleinstanceguard.h"

SingleInstanceGuard::SingleInstanceGuard(const QString& key)
    : m_memory(key)
{
}

bool SingleInstanceGuard::AnotherInstanceRuns()
{
    // On Unix the segment outlives a process that died without detaching. Attaching and
    // detaching once removes it when nobody else is attached; a live instance keeps it.
    {
        QSharedMemory stale(m_memory.key());
        if (stale.attach())
            stale.detach();
    }
    if (m_memory.attach(QSharedMemory::ReadWrite)) {
        m_memory.detach();
        return true;
    }
    if (m_memory.create(1, QSharedMemory::ReadWrite))
        return false;
    // Another instance created it at the same moment.
    return m_memory.error() == QSharedMemory::AlreadyExists;
}
