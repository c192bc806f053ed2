#ifndef BACKDROP_H
#define BACKDROP_H

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <future>

class QWidget;

// A window's backdrop picture, drawn under the widget it is given and stretched over it as a
// style sheet's border-image is. It is decoded on a thread of its own from the moment it is
// made, while the rest of the window is built; the widget's first paint takes it, waiting
// only for what is left of the decode.
class Backdrop : public QObject
{
    Q_OBJECT
public:
    Backdrop(const QString& file, QWidget* widget);
    ~Backdrop() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* const Target;
    std::future<QImage> Decoding;
    QPixmap Picture;
};

#endif
