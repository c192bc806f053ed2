#ifndef SENSORLOD_H
#define SENSORLOD_H

#include <QFrame>
#include <QScopedPointer>
#include <QString>

#include <array>

namespace Ui {
class SensorLOD;
}

// The sensor page's lift-off distance list: "1mm" and "2mm", and "0.7mm" in front of them for
// the sensors that offer it. A user's choice writes the record's lod byte; the page fills the
// list from each record and gives it its caption.
class SensorLOD : public QFrame
{
    Q_OBJECT
public:
    struct LodCode
    {
        const char* text;
        quint8 lod; // the record's lod byte
    };
    // The list as it stands with three items; without "0.7mm" it starts at the second entry.
    static constexpr int LodItemCount = 3;
    static const std::array<LodCode, LodItemCount> LodCodes;

    explicit SensorLOD(QWidget* parent = nullptr);
    ~SensorLOD() override;

    // Puts "0.7mm" in front of a two-item list; a three-item list stays as it is.
    void AddLodItem();
    // Takes "0.7mm" out of a three-item list; a two-item list stays as it is.
    void RemoveLodItem();
    void SetLodEnabled(bool enabled);
    // Shows the record's lod minus 1. The list's signal is not blocked: call it while the
    // page is loading, or the choice is written.
    void SetLodIndex(int index);
    void SetLodLabelText(const QString& text);
    void SetLodToolTip(const QString& text);

private slots:
    void on_LOD_currentIndexChanged(int index);

private:
    void ApplySkin();

    const QScopedPointer<Ui::SensorLOD> m_ui;
    QString ImageFolder;
};

#endif
