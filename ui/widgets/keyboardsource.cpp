#include "ui/widgets/keyboardsource.h"

#include "core/timing.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>

#include <utility>

// Where the key comes from.
//
// On X11 (and Wayland) the event carries the X keycode (evdev code + 8) as nativeScanCode and
// the keysym at the current shift level as nativeVirtualKey. Windows reports a key the same at
// every shift level, so:
//  - a keysym that is a Latin letter gives that letter, whatever the level or Caps Lock (the
//    letter keys follow the layout, as they do on Windows);
//  - any other key of the main character block is taken by its position (its keycode), so
//    Shift+1 is still "1" and the digit row of a French layout still gives the digits;
//  - every other key by its keysym (modifiers, function, editing, keypad keys: the keypad's
//    keysyms already say whether Num Lock is on), and a modifier whose keysym a layout has
//    replaced (Shift+Alt giving a group switch) by its keycode.
// Without native codes (the offscreen platform, synthesized events) the Qt key decides, with
// KeypadModifier for the keypad and unsided modifiers taken as the left ones.

namespace {

namespace Vk {
constexpr int Cancel = 0x03, Back = 0x08, Tab = 0x09, Clear = 0x0C, Return = 0x0D;
constexpr int Pause = 0x13, Capital = 0x14, Escape = 0x1B, Space = 0x20;
constexpr int Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24;
constexpr int Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
constexpr int Snapshot = 0x2C, Insert = 0x2D, Delete = 0x2E;
constexpr int LWin = 0x5B, RWin = 0x5C, Apps = 0x5D;
constexpr int Numpad0 = 0x60, Multiply = 0x6A, Add = 0x6B, Subtract = 0x6D, Decimal = 0x6E, Divide = 0x6F;
constexpr int F1 = 0x70, F10 = 0x79, NumLock = 0x90, Scroll = 0x91;
constexpr int LShift = 0xA0, RShift = 0xA1, LControl = 0xA2, RControl = 0xA3, LMenu = 0xA4, RMenu = 0xA5;
constexpr int Oem1 = 0xBA, OemPlus = 0xBB, OemComma = 0xBC, OemMinus = 0xBD, OemPeriod = 0xBE, Oem2 = 0xBF;
constexpr int Oem3 = 0xC0, Oem4 = 0xDB, Oem5 = 0xDC, Oem6 = 0xDD, Oem7 = 0xDE, Oem102 = 0xE2;
} // namespace Vk

// The character keys of the main block by X keycode (standard evdev keycodes), rows from
// the digits down. 0: not a character key.
int FromMainBlockKeycode(quint32 keycode)
{
    static const int digitRow[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', Vk::OemMinus, Vk::OemPlus};
    static const int upperRow[] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', Vk::Oem4, Vk::Oem6};
    static const int homeRow[] = {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', Vk::Oem1, Vk::Oem7, Vk::Oem3};
    static const int lowerRow[] = {'Z', 'X', 'C', 'V', 'B', 'N', 'M', Vk::OemComma, Vk::OemPeriod, Vk::Oem2};
    if (keycode >= 10 && keycode <= 21)
        return digitRow[keycode - 10];
    if (keycode >= 24 && keycode <= 35)
        return upperRow[keycode - 24];
    if (keycode >= 38 && keycode <= 49)
        return homeRow[keycode - 38];
    if (keycode == 51)
        return Vk::Oem5;
    if (keycode >= 52 && keycode <= 61)
        return lowerRow[keycode - 52];
    if (keycode == 94) // the extra key of ISO keyboards, left of Z
        return Vk::Oem102;
    return 0;
}

// Modifier keys by X keycode, for layouts that give them other keysyms.
int FromModifierKeycode(quint32 keycode)
{
    switch (keycode) {
    case 37: return Vk::LControl;
    case 50: return Vk::LShift;
    case 62: return Vk::RShift;
    case 64: return Vk::LMenu;
    case 105: return Vk::RControl;
    case 108: return Vk::RMenu;
    case 133: return Vk::LWin;
    case 134: return Vk::RWin;
    case 135: return Vk::Apps;
    default: return 0;
    }
}

// Keys other than the character keys, by keysym.
int FromKeysym(quint32 keysym)
{
    if (keysym >= 0xFFB0 && keysym <= 0xFFB9) // KP_0 .. KP_9 (Num Lock on)
        return Vk::Numpad0 + int(keysym - 0xFFB0);
    if (keysym >= 0xFFBE && keysym <= 0xFFD5) // F1 .. F24
        return Vk::F1 + int(keysym - 0xFFBE);
    switch (keysym) {
    case 0x0020: return Vk::Space;
    case 0xFF08: return Vk::Back;
    case 0xFF09: return Vk::Tab;
    case 0xFE20: return Vk::Tab; // ISO_Left_Tab: Shift+Tab
    case 0xFF0D: return Vk::Return;
    case 0xFF13: return Vk::Pause;
    case 0xFF6B: return Vk::Cancel; // Break: Ctrl+Pause
    case 0xFF14: return Vk::Scroll;
    case 0xFF15: return Vk::Snapshot; // Sys_Req: Alt+Print
    case 0xFF61: return Vk::Snapshot;
    case 0xFF1B: return Vk::Escape;
    case 0xFF50: return Vk::Home;
    case 0xFF51: return Vk::Left;
    case 0xFF52: return Vk::Up;
    case 0xFF53: return Vk::Right;
    case 0xFF54: return Vk::Down;
    case 0xFF55: return Vk::Prior;
    case 0xFF56: return Vk::Next;
    case 0xFF57: return Vk::End;
    case 0xFF58: return Vk::Clear; // Begin
    case 0xFF63: return Vk::Insert;
    case 0xFF67: return Vk::Apps; // Menu
    case 0xFF7F: return Vk::NumLock;
    case 0xFFFF: return Vk::Delete;
    // Keypad with Num Lock off: the keys it stands in for.
    case 0xFF95: return Vk::Home;
    case 0xFF96: return Vk::Left;
    case 0xFF97: return Vk::Up;
    case 0xFF98: return Vk::Right;
    case 0xFF99: return Vk::Down;
    case 0xFF9A: return Vk::Prior;
    case 0xFF9B: return Vk::Next;
    case 0xFF9C: return Vk::End;
    case 0xFF9D: return Vk::Clear;
    case 0xFF9E: return Vk::Insert;
    case 0xFF9F: return Vk::Delete;
    // Keypad keys that do not depend on Num Lock.
    case 0xFF80: return Vk::Space;
    case 0xFF89: return Vk::Tab;
    case 0xFF8D: return Vk::Return;
    case 0xFFAA: return Vk::Multiply;
    case 0xFFAB: return Vk::Add;
    case 0xFFAC: return Vk::Decimal; // KP_Separator: the decimal key of comma layouts
    case 0xFFAD: return Vk::Subtract;
    case 0xFFAE: return Vk::Decimal;
    case 0xFFAF: return Vk::Divide;
    // Modifiers. Shift+Alt gives Meta; AltGr is the right Alt.
    case 0xFFE1: return Vk::LShift;
    case 0xFFE2: return Vk::RShift;
    case 0xFFE3: return Vk::LControl;
    case 0xFFE4: return Vk::RControl;
    case 0xFFE5: return Vk::Capital;
    case 0xFFE7: return Vk::LMenu;
    case 0xFFE8: return Vk::RMenu;
    case 0xFFE9: return Vk::LMenu;
    case 0xFFEA: return Vk::RMenu;
    case 0xFE03: return Vk::RMenu;
    case 0xFFEB: return Vk::LWin;
    case 0xFFEC: return Vk::RWin;
    default: return 0;
    }
}

// Without native codes: the Qt key, shifted characters taken back to their key (US layout).
int FromQtKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // the letters' virtual keys are their upper-case characters
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? Vk::Numpad0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return Vk::F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return keypad ? Vk::Multiply : '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Minus: return keypad ? Vk::Subtract : Vk::OemMinus;
    case Qt::Key_Underscore: return Vk::OemMinus;
    case Qt::Key_Plus: return keypad ? Vk::Add : Vk::OemPlus;
    case Qt::Key_Equal: return Vk::OemPlus;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return Vk::Oem4;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return Vk::Oem6;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return Vk::Oem5;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return Vk::Oem1;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return Vk::Oem7;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return Vk::Oem3;
    case Qt::Key_Comma: return keypad ? Vk::Decimal : Vk::OemComma;
    case Qt::Key_Less: return Vk::OemComma;
    case Qt::Key_Period: return keypad ? Vk::Decimal : Vk::OemPeriod;
    case Qt::Key_Greater: return Vk::OemPeriod;
    case Qt::Key_Slash: return keypad ? Vk::Divide : Vk::Oem2;
    case Qt::Key_Question: return Vk::Oem2;
    case Qt::Key_Space: return Vk::Space;
    case Qt::Key_Return:
    case Qt::Key_Enter: return Vk::Return;
    case Qt::Key_Escape: return Vk::Escape;
    case Qt::Key_Backspace: return Vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return Vk::Tab;
    case Qt::Key_CapsLock: return Vk::Capital;
    case Qt::Key_Print:
    case Qt::Key_SysReq: return Vk::Snapshot;
    case Qt::Key_ScrollLock: return Vk::Scroll;
    case Qt::Key_Pause: return Vk::Pause;
    case Qt::Key_Cancel: return Vk::Cancel;
    case Qt::Key_Insert: return Vk::Insert;
    case Qt::Key_Delete: return Vk::Delete;
    case Qt::Key_Home: return Vk::Home;
    case Qt::Key_End: return Vk::End;
    case Qt::Key_PageUp: return Vk::Prior;
    case Qt::Key_PageDown: return Vk::Next;
    case Qt::Key_Left: return Vk::Left;
    case Qt::Key_Up: return Vk::Up;
    case Qt::Key_Right: return Vk::Right;
    case Qt::Key_Down: return Vk::Down;
    case Qt::Key_Clear: return Vk::Clear;
    case Qt::Key_NumLock: return Vk::NumLock;
    case Qt::Key_Menu: return Vk::Apps;
    case Qt::Key_Shift: return Vk::LShift;
    case Qt::Key_Control: return Vk::LControl;
    case Qt::Key_Alt: return Vk::LMenu;
    case Qt::Key_AltGr: return Vk::RMenu;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return Vk::LWin;
    case Qt::Key_Super_R: return Vk::RWin;
    default: return 0;
    }
}

} // namespace

KeyboardSource::KeyboardSource() = default;

KeyboardSource* KeyboardSource::Instance()
{
    // Never deleted: a hook may be destroyed (and so unregister) after everything else.
    static KeyboardSource* const source = new KeyboardSource;
    return source;
}

void KeyboardSource::Register(KeySink* hook)
{
    if (!hook || m_hooks.contains(hook))
        return;
    m_hooks.append(hook);
    QCoreApplication* const app = QCoreApplication::instance();
    if (app && m_filtered != app) {
        if (m_filtered)
            m_filtered->removeEventFilter(this);
        app->installEventFilter(this);
        m_filtered = app;
    }
}

void KeyboardSource::Unregister(KeySink* hook)
{
    m_hooks.removeAll(hook);
    if (m_heldRelease)
        m_heldRelease->hooks.removeAll(hook);
    if (m_hooks.isEmpty() && m_filtered) {
        m_filtered->removeEventFilter(this);
        m_filtered = nullptr;
    }
}

bool KeyboardSource::IsRegistered(const KeySink* hook) const
{
    return m_hooks.contains(const_cast<KeySink*>(hook));
}

bool KeyboardSource::IsFiltering() const
{
    return !m_filtered.isNull();
}

void KeyboardSource::SetActivePredicate(std::function<bool()> isActive)
{
    m_isActive = std::move(isActive);
}

bool KeyboardSource::IsActive() const
{
    if (m_isActive)
        return m_isActive();
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

int KeyboardSource::VirtualKey(const QKeyEvent& event)
{
    const quint32 keysym = event.nativeVirtualKey();
    if (keysym != 0) {
        if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= 'a' && keysym <= 'z'))
            return int(keysym & ~0x20u);
        if (const int vk = FromMainBlockKeycode(event.nativeScanCode()))
            return vk;
        if (const int vk = FromKeysym(keysym))
            return vk;
        if (const int vk = FromModifierKeycode(event.nativeScanCode()))
            return vk;
    }
    return FromQtKey(event.key(), event.modifiers());
}

int KeyboardSource::Message(const QKeyEvent& event, int virtualKey)
{
    const bool press = event.type() == QEvent::KeyPress;
    const bool isAlt = virtualKey == Vk::LMenu || virtualKey == Vk::RMenu;
    const bool isCtrl = virtualKey == Vk::LControl || virtualKey == Vk::RControl;
    // Whether the modifiers include the key itself differs between platforms: only the
    // other keys count.
    const bool ctrlHeld = (event.modifiers() & Qt::ControlModifier) && !isCtrl;
    const bool altHeld = (event.modifiers() & Qt::AltModifier) && !isAlt;
    const bool system = virtualKey == Vk::F10 || ((isAlt || altHeld) && !ctrlHeld);
    if (system)
        return press ? KeySink::SysKeyDown : KeySink::SysKeyUp;
    return press ? KeySink::KeyDown : KeySink::KeyUp;
}

quint32 KeyboardSource::EventTimeMs(const QKeyEvent& event)
{
    // The window system's clock wraps at 32 bits; owners take differences in unsigned 32-bit
    // arithmetic.
    if (event.timestamp() != 0)
        return quint32(event.timestamp());
    return quint32(Timing::MonotonicMs());
}

bool KeyboardSource::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!watched->isWindowType())
        return false;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
        Take(*static_cast<QKeyEvent*>(event));
    else if (type == QEvent::MouseButtonPress && m_heldRelease)
        DeliverHeldRelease(); // a click that stops the owner comes after the key
    return false; // never consumed
}

void KeyboardSource::Take(const QKeyEvent& event)
{
    if (m_heldRelease) {
        const bool repeat = event.type() == QEvent::KeyPress && event.nativeScanCode() == m_heldRelease->keycode
                            && quint32(event.timestamp()) == m_heldRelease->time;
        if (repeat)
            m_heldRelease.reset(); // the press goes on as a repeat
        else
            DeliverHeldRelease(); // keys keep their order
    }
    Dispatch(event);
}

void KeyboardSource::Dispatch(const QKeyEvent& event)
{
    if (m_hooks.isEmpty() || !IsActive())
        return;
    // X11 repeats a held key as release and press pairs: only the presses are reported.
    if (event.isAutoRepeat() && event.type() == QEvent::KeyRelease)
        return;
    const bool press = event.type() == QEvent::KeyPress;
    const quint32 keycode = event.nativeScanCode();
    const int vk = (!press && m_heldKeys.contains(keycode)) ? m_heldKeys.take(keycode) : VirtualKey(event);
    if (vk == 0)
        return;
    if (press && keycode != 0)
        m_heldKeys.insert(keycode, vk);
    const int message = Message(event, vk);
    const quint32 time = EventTimeMs(event);
    // Only a window system's release (keycode and time) can be half of an auto-repeat.
    if (!press && keycode != 0 && event.timestamp() != 0) {
        m_heldRelease = HeldRelease{keycode, time, vk, message, m_hooks, ++m_heldSerial};
        const quint64 serial = m_heldSerial;
        // The matching press is queued or comes a few milliseconds behind, not always by the
        // next turn of the event loop; a real release goes out when the wait ends, or earlier
        // with the next key or click.
        QTimer::singleShot(Timing::Scaled(Timing::KeyRepeatPairWait), this, [this, serial] {
            if (m_heldRelease && m_heldRelease->serial == serial)
                DeliverHeldRelease();
        });
        return;
    }
    Deliver(m_hooks, vk, message, time);
}

void KeyboardSource::DeliverHeldRelease()
{
    // Taken out first: a hook's callback may bring the next key.
    const HeldRelease held = *m_heldRelease;
    m_heldRelease.reset();
    Deliver(held.hooks, held.virtualKey, held.message, held.time);
}

void KeyboardSource::Deliver(const QVector<KeySink*>& hooks, int virtualKey, int message, quint32 time)
{
    // A callback may install, uninstall or destroy hooks, or run a modal loop that dispatches
    // further keys: walk a copy and skip the hooks that left meanwhile.
    const QVector<KeySink*> copy = hooks;
    for (KeySink* hook : copy) {
        if (m_hooks.contains(hook))
            hook->Deliver(virtualKey, message, time);
    }
}
