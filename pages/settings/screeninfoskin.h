#ifndef SCREENINFOSKIN_H
#define SCREENINFOSKIN_H

#include <QString>

class QDialog;

// The skin both screen picture dialogs share: their forms name the same controls.
class ScreenInfoSkin
{
public:
    // "<installation>/Picture/ScreeInfo/"
    static QString Folder();
    // Window flags and the style sheets of every control, colours from [Option].
    static void Apply(QDialog* dialog, const QString& folder);
};

#endif
