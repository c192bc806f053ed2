#ifndef BUTTONTEXT_H
#define BUTTONTEXT_H

class QAbstractButton;
class QString;

// A new caption replaces a button's shortcut by the caption's mnemonic (none, for these
// texts). Buttons that answer a key (Return, Space) change their caption through this, so the
// key keeps working after a language change or a new state.
void SetTextKeepingShortcut(QAbstractButton* button, const QString& text);

#endif
