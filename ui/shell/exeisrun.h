#ifndef EXEISRUN_H
#define EXEISRUN_H

#include <QDialog>

// Second-instance notice (placeholder until the real notice is built).
class ExeIsRun : public QDialog
{
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget* parent = nullptr);
};

#endif
