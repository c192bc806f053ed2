#include "ui/widgets/myconmbobox.h"

#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>

MyConmboBox::MyConmboBox(QWidget* parent)
    : QComboBox(parent)
{
}

void MyConmboBox::mousePressEvent(QMouseEvent* e)
{
    PressedIndex = currentIndex();
    QComboBox::mousePressEvent(e);
}

void MyConmboBox::paintEvent(QPaintEvent*)
{
    QStyleOptionComboBox box;
    initStyleOption(&box);
    {
        QStylePainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawComplexControl(QStyle::CC_ComboBox, box);
        if (isEditable()) {
            painter.drawControl(QStyle::CE_ComboBoxLabel, box);
            return;
        }
    }
    // The text and icon go centred into the edit field, as on a push button.
    QStyleOptionButton label;
    label.initFrom(this);
    label.rect = style()->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxEditField, this);
    label.text = currentText();
    label.icon = itemIcon(currentIndex());
    label.iconSize = iconSize();
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButtonLabel, label);
}
