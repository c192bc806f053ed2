#include "ui/widgets/keyboardhook.h"

#include "ui/widgets/keyboardsource.h"

#include <utility>

KeyboardHook::KeyboardHook(bool tracksSystemKeys)
    : m_tracksSystemKeys(tracksSystemKeys)
{
}

KeyboardHook::~KeyboardHook()
{
    // The source must never call a destroyed hook.
    Uninstall();
}

void KeyboardHook::Install()
{
    if (m_installed)
        return;
    m_installed = true;
    KeyboardSource::Instance()->Register(this);
}

void KeyboardHook::Uninstall()
{
    if (!m_installed)
        return;
    m_installed = false;
    KeyboardSource::Instance()->Unregister(this);
}

bool KeyboardHook::IsInstalled() const
{
    return m_installed;
}

void KeyboardHook::SetCallback(KeyboardHookCallback callback)
{
    m_callback = std::move(callback);
}

void KeyboardHook::Deliver(int virtualKey, int message, quint32 timeMs)
{
    if (virtualKey == m_lastKey) {
        m_repeat = true;
    } else {
        m_repeat = false;
        m_lastKey = virtualKey;
    }
    switch (message) {
    case KeyDown:
        m_down = true;
        break;
    case KeyUp:
        m_down = false;
        m_lastKey = 0;
        m_repeat = false;
        break;
    case SysKeyDown:
        if (m_tracksSystemKeys)
            m_down = true;
        break;
    case SysKeyUp:
        // Last key and repeat stay as set above: releasing Alt after pressing it alone reports
        // a repeat.
        if (m_tracksSystemKeys)
            m_down = false;
        break;
    default:
        break;
    }
    m_eventTime = timeMs;
    if (!m_callback)
        return;
    // A copy: the owner may replace its callback, uninstall or even destroy this hook while
    // it runs.
    const KeyboardHookCallback callback = m_callback;
    callback(virtualKey, m_down, m_repeat);
}

quint32 KeyboardHook::EventTime() const
{
    return m_eventTime;
}

bool KeyboardHook::TracksSystemKeys() const
{
    return m_tracksSystemKeys;
}
