#include "ui/widgets/backdrop.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

Backdrop::Backdrop(const QString& file, QWidget* widget)
    : QObject(widget)
    , Target(widget)
    , Decoding(std::async(std::launch::async, [file] { return QImage(file); }))
{
    widget->installEventFilter(this);
}

Backdrop::~Backdrop() = default;

bool Backdrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Target && event->type() == QEvent::Paint) {
        if (Decoding.valid())
            Picture = QPixmap::fromImage(Decoding.get());
        if (!Picture.isNull()) {
            QPainter painter(Target);
            painter.drawPixmap(Target->rect(), Picture);
        }
    }
    return false;
}
