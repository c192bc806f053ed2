#ifndef SENSORDPI_H
#define SENSORDPI_H

#include <QColor>
#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QScopedPointer>
#include <QString>

#include <array>

class QButtonGroup;
class QColorDialog;
class QMouseEvent;
class QToolButton;

namespace Ui {
class SensorDPI;
}

// The DPI level editor of the sensor page: eight level buttons with colour swatches, a
// draggable marker under the current level, the value slider with its number box, Add and
// Reduce, and the level count. The page fills it from each record; each user action here is
// one record write. Levels are 0 to 7: anything that names another level is ignored.
class SensorDPI : public QFrame
{
    Q_OBJECT
public:
    static constexpr int LevelCount = 8;
    // Level buttons stand this far apart; the marker slots and drop windows follow it.
    static constexpr int LevelPitch = 91;

    // Object names of the level buttons; each swatch is its button's name + "A".
    static const std::array<const char*, LevelCount> LevelButtonNames;
    // The marker's place under each level (level 5 sits at 483, one pixel off the pitch).
    static const std::array<QPoint, LevelCount> LevelMarkerSlots;
    // "r,g,b" of each level until the page loads colours.
    static const std::array<const char*, LevelCount> DefaultLevelColors;
    // Highest release x a marker drop accepts, by count control index 0 to 6 (1 to 7 levels);
    // eight levels have no limit. Seven levels stop at 612, not at the button edge 615.
    static const std::array<int, LevelCount - 1> LevelDropLimits;
    // d = release x - x of the current level's slot, bounds included, tested in this order.
    struct DropWindow
    {
        int change;
        int from;
        int to;
    };
    static const std::array<DropWindow, 14> LevelDropWindows;

    explicit SensorDPI(QWidget* parent = nullptr);
    ~SensorDPI() override;

    // What the sensor page calls while it fills the editor.
    void SetTitleText(const QString& text);
    void ClearLevelCountItems();
    void BlockLevelCountSignals(bool block);
    // Inserts an item; the control never holds more than eight.
    void SetLevelCountItem(int i, const QString& text);
    // Runs the level count change when the index changes and signals are not blocked; an
    // index the control does not hold is ignored.
    void SetLevelCountIndex(int i);
    // Levels 0 to last visible, the others hidden.
    void ShowLevels(int last);
    void SetLevelText(int level, const QString& text);
    // text "#RRGGBB"; stored for the level's swatch, not restyled yet.
    void SetLevelColor(int level, const QString& text);
    // Every swatch but the current level's back to its own place and unselected look.
    void StyleLevelButtons(int current);
    void SetCurrentLevel(int level);
    // n from 1 to 8.
    void MoveMarkerToLevel(int n);
    // Selects the level's button and runs its swatch selection, even when selected already.
    void SelectLevel(int level);
    // Default colours and DPI texts of the chosen device from Config.ini.
    void LoadDpiDefaults();
    void BlockSliderSignals(bool block);
    void SetSliderEnabled(bool enabled);
    void SetSliderMinimum(int v);
    void SetSliderMaximum(int v);
    void SetSliderValue(int v);
    void SetSpinValue(int v);

    // Add and Reduce: one step of the current range from the shown value.
    void StepDpiUp();
    void StepDpiDown();

public slots:
    // The colour dialog's accepted colour, for the level whose swatch is selected.
    void SetColor(QColor color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderC_sliderMoved(int position);
    void on_AddLevelA_clicked();
    void on_ReduceLevelA_clicked();

    void on_BlueButton_toggled(bool checked);
    void on_BrightRedButton_toggled(bool checked);
    void on_RedButton_toggled(bool checked);
    void on_YellowButton_toggled(bool checked);
    void on_GreenButton_toggled(bool checked);
    void on_PurpleButton_toggled(bool checked);
    void on_LightBlueButton_toggled(bool checked);
    void on_LightYellowButton_toggled(bool checked);

    void on_BlueButtonA_toggled(bool checked);
    void on_BrightRedButtonA_toggled(bool checked);
    void on_RedButtonA_toggled(bool checked);
    void on_YellowButtonA_toggled(bool checked);
    void on_GreenButtonA_toggled(bool checked);
    void on_PurpleButtonA_toggled(bool checked);
    void on_LightBlueButtonA_toggled(bool checked);
    void on_LightYellowButtonA_toggled(bool checked);

    void on_BlueButton_clicked();
    void on_BrightRedButton_clicked();
    void on_RedButton_clicked();
    void on_YellowButton_clicked();
    void on_GreenButton_clicked();
    void on_PurpleButton_clicked();
    void on_LightBlueButton_clicked();
    void on_LightYellowButton_clicked();

    void on_BlueButtonA_clicked();
    void on_BrightRedButtonA_clicked();
    void on_RedButtonA_clicked();
    void on_YellowButtonA_clicked();
    void on_GreenButtonA_clicked();
    void on_PurpleButtonA_clicked();
    void on_LightBlueButtonA_clicked();
    void on_LightYellowButtonA_clicked();

private:
    static bool ValidLevel(int level) { return level >= 0 && level < LevelCount; }

    void ApplySkin();
    QString LevelButtonStyle(const QString& image) const;
    QString SwatchStyle(int level, const QString& image) const;
    void RestyleSwatch(int level);

    void LevelButtonToggled(int level, bool checked);
    void SwatchToggled(int level, bool checked);
    void LevelButtonClicked(int level);
    void SwatchClicked(int level);
    // Selects a level button for a change that writes the level itself afterwards.
    void SelectLevelQuietly(int level);
    // Moves the slider to a level's value; the change this causes is not the user's.
    void ShowLevelValue(int level);
    int LevelValue(int level) const;

    void ReleaseMarkerAt(const QPoint& pos);
    void ReturnMarker();

    const QScopedPointer<Ui::SensorDPI> m_ui;
    std::array<QToolButton*, LevelCount> levelButtons{};
    std::array<QToolButton*, LevelCount> swatches{};

    QString pictureDir;
    QButtonGroup* levelButtonGroup = nullptr;
    QButtonGroup* swatchGroup = nullptr;
    QColorDialog* colorDialog = nullptr;
    QString buttonColor;

    std::array<QRect, LevelCount> levelButtonRects{};
    std::array<QRect, LevelCount> swatchRects{};
    QRect dragArea;
    bool dragging = false;
    QPoint dragOffset;
    int currentLevel = 1;
    std::array<QString, LevelCount> levelColors{};
    // Down only while the slider answers a level selection, so that answer is not written.
    bool writeArmed = true;
    // Set while a level is selected for a count change or a marker drop, which write the
    // level themselves.
    bool quietSelection = false;
};

#endif
