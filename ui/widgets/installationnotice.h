#ifndef INSTALLATIONNOTICE_H
#define INSTALLATIONNOTICE_H

#include "core/installationcheck.h"

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <QVector>

namespace Ui {
class InstallationNotice;
}

// Tells, after the first window shows, what the start found broken: files of the installation
// the program cannot read, per-user folders it cannot write. A user started from the desktop
// sees neither standard error nor the log. While the language files are what is missing, it
// speaks its built-in English.
class InstallationNotice : public QDialog
{
    Q_OBJECT
public:
    explicit InstallationNotice(const QVector<InstallationProblem>& problems, QWidget* parent = nullptr);
    ~InstallationNotice() override;

public slots:
    void SlotAllLanguage(int index);

private:
    const QScopedPointer<Ui::InstallationNotice> m_ui;
    QString ImageFolder;
    QStringList m_files;   // installation entries, as shown
    QStringList m_folders; // per-user folders, in full
};

#endif
