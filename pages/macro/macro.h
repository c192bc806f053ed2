#ifndef MACRO_H
#define MACRO_H

#include <QWidget>

// Macro editor page (placeholder until the page is built).
class Macro : public QWidget
{
    Q_OBJECT
public:
    explicit Macro(QWidget* parent = nullptr);

public slots:
    void SlotSetMacroPage();
};

#endif
