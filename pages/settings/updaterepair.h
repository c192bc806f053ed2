#ifndef UPDATEREPAIR_H
#define UPDATEREPAIR_H

#include <QDialog>

// The firmware repair and upgrade dialog. Stand-in until the settings page is built: it
// shows nothing, flashes nothing and never reports a success.
class UpDateRepair : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateRepair(QWidget* parent = nullptr);
    ~UpDateRepair() override;

    // Back to the first view; the stand-in has only one.
    void ResetRepairView();
    // Would start an upgrade of the images found; the stand-in starts nothing.
    void StartAutoRepair(int mode);
};

// The settings page's repair dialog (null while no settings page exists).
extern UpDateRepair* UpDateRepairDialog;

#endif
