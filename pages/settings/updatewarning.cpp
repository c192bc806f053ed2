#include "pages/settings/updatewarning.h"

#include <QLabel>

UpDateWarning::UpDateWarning(QWidget* parent)
    : QDialog(parent)
    , Message(new QLabel(this))
{
    setObjectName(QStringLiteral("UpDateWarning"));
    resize(300, 140);
    Message->setObjectName(QStringLiteral("label"));
    Message->setGeometry(0, 30, 300, 71);
    Message->setAlignment(Qt::AlignCenter);
    Message->setWordWrap(true);
}

UpDateWarning::~UpDateWarning() = default;

void UpDateWarning::SetMessage(const QString& text)
{
    Message->setText(text);
}
