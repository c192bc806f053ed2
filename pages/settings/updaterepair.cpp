#include "pages/settings/updaterepair.h"

UpDateRepair* UpDateRepairDialog = nullptr;

UpDateRepair::UpDateRepair(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UpDateRepair"));
    resize(300, 140);
}

UpDateRepair::~UpDateRepair() = default;

void UpDateRepair::ResetRepairView()
{
}

void UpDateRepair::StartAutoRepair(int)
{
}
