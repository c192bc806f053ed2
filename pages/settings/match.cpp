#include "pages/settings/match.h"

Match::Match(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Match"));
    resize(300, 140);
}

Match::~Match() = default;

void Match::PreparePairing()
{
}
