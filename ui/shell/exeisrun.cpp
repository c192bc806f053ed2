#include "exeisrun.h"

#include <QLabel>
#include <QVBoxLayout>

ExeIsRun::ExeIsRun(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExeIsRun"));
    setFixedSize(300, 140);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
}
