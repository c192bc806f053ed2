#ifndef MATCH_H
#define MATCH_H

#include <QDialog>

// The receiver pairing dialog. Stand-in until the settings page is built: an empty dialog
// that pairs nothing; its callers build it, prepare it and run it modally.
class Match : public QDialog
{
    Q_OBJECT
public:
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Picks the device to pair; nothing to pick in the stand-in.
    void PreparePairing();
};

#endif
