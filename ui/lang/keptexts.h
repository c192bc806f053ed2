#ifndef KEPTTEXTS_H
#define KEPTTEXTS_H

// Language texts that one window keeps whenever its language is set, for another window to
// show. GUI thread only.

#include <QString>

// The device choice page's DialogChangeTexts position 8 (key MouseIsNewTips): the question
// before a receiver update on Space.
extern QString MouseIsNewTipsText;
// The settings page's FormSettingTexts position 14 (key WiredMode): the update warning.
extern QString WiredModeText;

#endif
