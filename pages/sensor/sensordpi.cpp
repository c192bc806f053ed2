#include "pages/sensor/sensordpi.h"

#include "core/configini.h"
#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "device/sensordefinitions.h"
#include "ui/widgets/skin.h"

#include "ui_sensordpi.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QMouseEvent>
#include <QToolButton>

const std::array<const char*, SensorDPI::LevelCount> SensorDPI::LevelButtonNames = {
    "BlueButton",  "BrightRedButton", "RedButton",       "YellowButton",
    "GreenButton", "PurpleButton",    "LightBlueButton", "LightYellowButton",
};

const std::array<QPoint, SensorDPI::LevelCount> SensorDPI::LevelMarkerSlots = {{
    {27, 154}, {118, 154}, {209, 154}, {300, 154}, {391, 154}, {483, 154}, {573, 154}, {664, 154},
}};

const std::array<const char*, SensorDPI::LevelCount> SensorDPI::DefaultLevelColors = {
    "255,0,0", "0,0,255", "0,255,0", "0,255,255", "255,0,255", "255,0,255", "159,0,0", "0,212,252",
};

const std::array<int, SensorDPI::LevelCount - 1> SensorDPI::LevelDropLimits = {69, 160, 251, 342, 433, 524, 612};

const std::array<SensorDPI::DropWindow, 14> SensorDPI::LevelDropWindows = {{
    {+1, 78, 129},
    {-1, -102, -51},
    {+2, 168, 214},
    {-2, -192, -144},
    {+3, 264, 317},
    {-3, -284, -236},
    {+4, 361, 389},
    {-4, -369, -327},
    {+5, 443, 495},
    {-5, -465, -411},
    {+6, 538, 591},
    {-6, -556, -504},
    {+7, 623, 669},
    {-7, -646, -599},
}};

namespace {

// The strip of level buttons: a marker released left or right of it goes back.
constexpr int StripLeft = 15;
constexpr int StripRight = 706;

void reportOffline()
{
    PostMsg::instance()->EmitMouseOffLineo(0);
}

QString rgbText(int red, int green, int blue)
{
    return QString::number(red) + QLatin1Char(',') + QString::number(green) + QLatin1Char(',')
        + QString::number(blue);
}

} // namespace

SensorDPI::SensorDPI(QWidget* parent)
    : QFrame(parent)
    , m_ui(new Ui::SensorDPI)
{
    // Before the form: its children are then styled once, as they are made.
    Skin::DropFrameBorder(this);
    m_ui->setupUi(this);
    levelButtons = {m_ui->BlueButton,  m_ui->BrightRedButton, m_ui->RedButton,       m_ui->YellowButton,
                    m_ui->GreenButton, m_ui->PurpleButton,    m_ui->LightBlueButton, m_ui->LightYellowButton};
    swatches = {m_ui->BlueButtonA,  m_ui->BrightRedButtonA, m_ui->RedButtonA,       m_ui->YellowButtonA,
                m_ui->GreenButtonA, m_ui->PurpleButtonA,    m_ui->LightBlueButtonA, m_ui->LightYellowButtonA};
    pictureDir = Skin::Folder(QStringLiteral("Sensor"));
    buttonColor = Skin::OptionColor(QStringLiteral("ButtonColor"));

    dragArea = QRect(0, 0, 728, 194);
    for (int i = 0; i < LevelCount; ++i)
        levelColors[i] = QLatin1String(DefaultLevelColors[i]);

    levelButtonGroup = new QButtonGroup(this);
    levelButtonGroup->setExclusive(true);
    swatchGroup = new QButtonGroup(this);
    swatchGroup->setExclusive(true);
    for (int i = 0; i < LevelCount; ++i) {
        levelButtonGroup->addButton(levelButtons[i], i);
        swatchGroup->addButton(swatches[i], i);
    }

    ApplySkin();
    for (int i = 0; i < LevelCount; ++i) {
        levelButtonRects[i] = levelButtons[i]->geometry();
        swatchRects[i] = swatches[i]->geometry();
    }
}

SensorDPI::~SensorDPI() = default;

void SensorDPI::ApplySkin()
{
    const QString& f = pictureDir;
    m_ui->label->setStyleSheet(Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor"))));
    m_ui->label_8->setStyleSheet(QStringLiteral("QLabel{border:0px;background-position:center;background-repeat:no-repeat;"
                                                "background-image: ")
                                 + Skin::Url(f, QStringLiteral("Level.png"))
                                 + QStringLiteral(";}QLabel:hover{background-image: ")
                                 + Skin::Url(f, QStringLiteral("LevelHover.png")) + QStringLiteral(";}"));

    Skin::ApplyComboSkin(m_ui->ChooseEvent, f);
    m_ui->ChooseEvent->setMaxVisibleItems(5);

    m_ui->horizontalSliderC->setStyleSheet(
        QStringLiteral("QSlider::handle:horizontal{width:6px;height:18px;margin:-7px 0px;background-position:center;"
                       "background-repeat:no-repeat;background-image: ")
        + Skin::Url(f, QStringLiteral("HuaKuai.png"))
        + QStringLiteral(";}QSlider::groove:horizontal{height:5px;border-radius:2px;background: rgb(255,255,255")
        + Skin::SliderPagesStyle(Skin::OptionColor(QStringLiteral("SliderColor"))));

    const QString spinColor = Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("LinEditColorSecond")));
    const QString spinLook = QStringLiteral("{background:transparent;") + spinColor
        + QStringLiteral("border:1px solid gray;}");
    m_ui->spinBoxA->setStyleSheet(QStringLiteral("QSpinBox") + spinLook + QStringLiteral("QSpinBox:hover") + spinLook);

    const auto imageButton = [&f](const QString& image) {
        return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                              "background-image: ")
            + Skin::Url(f, image) + QStringLiteral(";}");
    };
    m_ui->ReduceLevelA->setStyleSheet(imageButton(QStringLiteral("Reduce.png")));
    m_ui->AddLevelA->setStyleSheet(imageButton(QStringLiteral("Add.png")));

    // The swatches start red; the page's first fill gives them their levels' colours.
    const QString firstSwatch =
        QStringLiteral("QToolButton{border:0px;border-radius:3px;background-position:center;"
                       "background-repeat:no-repeat;background-color:rgb(255,0,0);background-image: ")
        + Skin::Url(f, QStringLiteral("MinB.png")) + QStringLiteral(";}");
    for (int i = 0; i < LevelCount; ++i) {
        levelButtons[i]->setStyleSheet(LevelButtonStyle(QStringLiteral("MinA.png")));
        swatches[i]->setStyleSheet(firstSwatch);
    }
}

QString SensorDPI::LevelButtonStyle(const QString& image) const
{
    return QStringLiteral("QToolButton{border:0px;border-radius:3px;") + Skin::ColorDeclaration(buttonColor)
        + QStringLiteral("background-position:center;background-repeat:no-repeat;background-image: ")
        + Skin::Url(pictureDir, image) + QStringLiteral(";}");
}

QString SensorDPI::SwatchStyle(int level, const QString& image) const
{
    return QStringLiteral("QToolButton{border:0px;border-radius:3px;background-position:center;"
                          "background-repeat:no-repeat;background-color:rgb(")
        + levelColors[level] + QStringLiteral(");background-image: ") + Skin::Url(pictureDir, image)
        + QStringLiteral(";}");
}

void SensorDPI::RestyleSwatch(int level)
{
    if (!ValidLevel(level))
        return;
    swatches[level]->setStyleSheet(
        SwatchStyle(level, swatches[level]->isChecked() ? QStringLiteral("MaxB.png") : QStringLiteral("MinB.png")));
}

// ---- Operations of the sensor page ----

void SensorDPI::SetTitleText(const QString& text)
{
    m_ui->label->setText(text);
}

void SensorDPI::ClearLevelCountItems()
{
    const bool wasBlocked = m_ui->ChooseEvent->blockSignals(true);
    m_ui->ChooseEvent->clear();
    m_ui->ChooseEvent->blockSignals(wasBlocked);
}

void SensorDPI::BlockLevelCountSignals(bool block)
{
    m_ui->ChooseEvent->blockSignals(block);
}

void SensorDPI::SetLevelCountItem(int i, const QString& text)
{
    if (m_ui->ChooseEvent->count() >= LevelCount)
        return;
    m_ui->ChooseEvent->insertItem(i, text);
}

void SensorDPI::SetLevelCountIndex(int i)
{
    if (i < 0 || i >= m_ui->ChooseEvent->count())
        return;
    m_ui->ChooseEvent->setCurrentIndex(i);
}

void SensorDPI::ShowLevels(int last)
{
    if (!ValidLevel(last))
        return;
    for (int i = 0; i < LevelCount; ++i) {
        levelButtons[i]->setVisible(i <= last);
        swatches[i]->setVisible(i <= last);
    }
}

void SensorDPI::SetLevelText(int level, const QString& text)
{
    if (ValidLevel(level))
        levelButtons[level]->setText(text);
}

void SensorDPI::SetLevelColor(int level, const QString& text)
{
    if (!ValidLevel(level))
        return;
    const auto component = [&text](int at) {
        bool ok = false;
        const int value = text.mid(at, 2).toInt(&ok, 16);
        return ok ? value : 0;
    };
    levelColors[level] = rgbText(component(1), component(3), component(5));
}

void SensorDPI::StyleLevelButtons(int current)
{
    if (!ValidLevel(current))
        return;
    for (int i = 0; i < LevelCount; ++i) {
        if (i == current) {
            swatches[i]->setStyleSheet(SwatchStyle(i, QStringLiteral("MaxB.png")));
        } else {
            swatches[i]->setGeometry(swatchRects[i]);
            swatches[i]->setStyleSheet(SwatchStyle(i, QStringLiteral("MinB.png")));
        }
    }
}

void SensorDPI::SetCurrentLevel(int level)
{
    if (ValidLevel(level))
        currentLevel = level;
}

void SensorDPI::MoveMarkerToLevel(int n)
{
    if (n >= 1 && n <= LevelCount)
        m_ui->label_8->move(LevelMarkerSlots[n - 1]);
}

void SensorDPI::SelectLevel(int level)
{
    if (!ValidLevel(level))
        return;
    levelButtons[level]->setChecked(true);
    SwatchToggled(level, true);
}

void SensorDPI::LoadDpiDefaults()
{
    const QString group = CurrentDeviceSection();
    ConfigIni* const config = ConfigIni::instance();
    const QStringList colors = config->valueList(group, QStringLiteral("DPIColor"));
    for (int t = 0; t < LevelCount && 3 * t + 2 < colors.size(); ++t)
        levelColors[t] = colors.at(3 * t) + QLatin1Char(',') + colors.at(3 * t + 1) + QLatin1Char(',')
            + colors.at(3 * t + 2);

    const QStringList grades = config->valueList(group, QStringLiteral("DPIGrade"));
    if (grades.size() < LevelCount)
        return;
    for (int i = 0; i < LevelCount; ++i) {
        swatches[i]->setGeometry(swatchRects[i]);
        swatches[i]->setStyleSheet(SwatchStyle(i, QStringLiteral("MinB.png")));
        levelButtons[i]->setText(grades.at(i));
    }
}

void SensorDPI::BlockSliderSignals(bool block)
{
    m_ui->horizontalSliderC->blockSignals(block);
}

void SensorDPI::SetSliderEnabled(bool enabled)
{
    m_ui->horizontalSliderC->setEnabled(enabled);
}

void SensorDPI::SetSliderMinimum(int v)
{
    m_ui->horizontalSliderC->setMinimum(v);
}

void SensorDPI::SetSliderMaximum(int v)
{
    m_ui->horizontalSliderC->setMaximum(v);
}

void SensorDPI::SetSliderValue(int v)
{
    m_ui->horizontalSliderC->setValue(v);
}

void SensorDPI::SetSpinValue(int v)
{
    m_ui->spinBoxA->setValue(v);
}

// ---- Level selection ----

int SensorDPI::LevelValue(int level) const
{
    bool ok = false;
    const int value = levelButtons[level]->text().toInt(&ok);
    return ok ? value : 0;
}

void SensorDPI::ShowLevelValue(int level)
{
    // valueChanged runs inside setValue, so only that answer finds the guard down; when the
    // value does not change (or the page blocks the slider) the user's next change is written.
    writeArmed = false;
    m_ui->horizontalSliderC->setValue(LevelValue(level));
    writeArmed = true;
}

void SensorDPI::SelectLevelQuietly(int level)
{
    quietSelection = true;
    levelButtons[level]->setChecked(true);
    quietSelection = false;
}

void SensorDPI::LevelButtonToggled(int level, bool checked)
{
    QToolButton* const button = levelButtons[level];
    const QRect& home = levelButtonRects[level];
    if (!checked) {
        button->setGeometry(home);
        button->setStyleSheet(LevelButtonStyle(QStringLiteral("MinA.png")));
        return;
    }
    button->setGeometry(home.x() - 7, home.y() - 7, 68, 70);
    button->setStyleSheet(LevelButtonStyle(QStringLiteral("MaxA.png")));
    if (!swatches[level]->isChecked())
        swatches[level]->setChecked(true);
    if (!UiSendsChanges.load() || SensorLoading.load())
        return;
    currentLevel = level;
    m_ui->label_8->move(LevelMarkerSlots[level]);
    if (!quietSelection)
        SetCurrentDpiLevel(level);
}

void SensorDPI::SwatchToggled(int level, bool checked)
{
    QToolButton* const swatch = swatches[level];
    const QRect& home = swatchRects[level];
    if (!checked) {
        swatch->setGeometry(home);
        swatch->setStyleSheet(SwatchStyle(level, QStringLiteral("MinB.png")));
        return;
    }
    swatch->setGeometry(home.x() - 8, home.y() + 6, 66, 14);
    swatch->setStyleSheet(SwatchStyle(level, QStringLiteral("MaxB.png")));
    if (!levelButtons[level]->isChecked())
        levelButtons[level]->setChecked(true);
    ShowLevelValue(level);
}

void SensorDPI::LevelButtonClicked(int level)
{
    m_ui->horizontalSliderC->setValue(LevelValue(level));
}

void SensorDPI::SwatchClicked(int /*level*/)
{
    // Built on first use: the dialog costs more to build than the rest of the page.
    if (!colorDialog) {
        colorDialog = new QColorDialog(this);
        connect(colorDialog, &QColorDialog::colorSelected, this, &SensorDPI::SetColor);
    }
    colorDialog->show();
}

void SensorDPI::SetColor(QColor color)
{
    const int level = swatchGroup->checkedId();
    if (!ValidLevel(level))
        return;
    levelColors[level] = rgbText(color.red(), color.green(), color.blue());
    if (UiSendsChanges.load() && !SensorLoading.load())
        SetDpiLevelColor(level, color.red(), color.green(), color.blue());
    RestyleSwatch(level);
}

// ---- Value of the current level ----

void SensorDPI::on_horizontalSliderC_valueChanged(int value)
{
    if (UiSendsChanges.load() && !SensorLoading.load() && !DevicePresent()) {
        m_ui->spinBoxA->setValue(value);
        reportOffline();
        return;
    }
    MySlider* const slider = m_ui->horizontalSliderC;
    int pageStep = slider->pageStep();
    const int v = SnapDpiValue(value, &pageStep);
    slider->setPageStep(pageStep);
    const int level = levelButtonGroup->checkedId();
    if (ValidLevel(level))
        levelButtons[level]->setText(QString::number(v));
    m_ui->spinBoxA->setValue(v);
    if (!writeArmed) {
        writeArmed = true;
        return;
    }
    if (SettingsBusy.load() || SensorLoading.load())
        return;
    WriteDpiLevel(level, v);
}

void SensorDPI::on_horizontalSliderC_sliderMoved(int position)
{
    // A drag only shows where the handle would land; its release is the one write.
    m_ui->spinBoxA->setValue(SnapDpiValue(position));
}

void SensorDPI::StepDpiUp()
{
    if (UiSendsChanges.load() && !DevicePresent()) {
        reportOffline();
        return;
    }
    int v = m_ui->spinBoxA->value();
    const QVector<DpiRange>& ranges = DpiRanges.ranges;
    const int n = ranges.size();
    for (int k = 0; k < n; ++k) {
        const DpiRange& r = ranges.at(k);
        if (k < n - 1) {
            if (r.minimum <= v && v < r.maximum) {
                v += r.step;
                break;
            }
            // The top of a range steps into the next one.
            if (r.maximum <= v && v < ranges.at(k + 1).minimum) {
                v = ranges.at(k + 1).minimum;
                break;
            }
        } else if (r.minimum <= v && v <= r.maximum) {
            v += r.step;
            break;
        }
    }
    m_ui->horizontalSliderC->setValue(v);
}

void SensorDPI::StepDpiDown()
{
    if (UiSendsChanges.load() && !DevicePresent()) {
        reportOffline();
        return;
    }
    int v = m_ui->spinBoxA->value();
    const QVector<DpiRange>& ranges = DpiRanges.ranges;
    const int n = ranges.size();
    for (int k = 0; k < n; ++k) {
        const DpiRange& r = ranges.at(k);
        if (r.minimum <= v && v <= r.maximum) {
            v -= r.step;
            break;
        }
        // A value in a gap moves up to the next range's minimum.
        if (k < n - 1 && r.maximum < v && v < ranges.at(k + 1).minimum) {
            v = ranges.at(k + 1).minimum;
            break;
        }
    }
    m_ui->horizontalSliderC->setValue(v);
}

void SensorDPI::on_AddLevelA_clicked()
{
    StepDpiUp();
}

void SensorDPI::on_ReduceLevelA_clicked()
{
    StepDpiDown();
}

// ---- Level count ----

void SensorDPI::on_ChooseEvent_currentIndexChanged(int index)
{
    if (!ValidLevel(index))
        return;
    const bool sends = UiSendsChanges.load() && !SensorLoading.load();
    bool exchanged = false;
    if (!SensorLoading.load()) {
        const int prev = currentLevel;
        // The current level would fall outside the active ones: it trades places with the
        // new last level, value and colour, and stays current there.
        if (index < prev) {
            const QString prevColor = levelColors[prev];
            const int prevValue = LevelValue(prev);
            const QString indexColor = levelColors[index];
            const int indexValue = LevelValue(index);

            levelColors[prev] = indexColor;
            RestyleSwatch(prev);
            levelButtons[prev]->setText(QString::number(indexValue));

            levelColors[index] = prevColor;
            RestyleSwatch(index);
            m_ui->label_8->move(LevelMarkerSlots[index]);
            levelButtons[index]->setText(QString::number(prevValue));
            SelectLevelQuietly(index);
            currentLevel = index;

            if (UiSendsChanges.load()) {
                const FlashDataMap record = DeviceConfig.get();
                const DpiLevel a = record.dpiLevels[index];
                const DpiLevel b = record.dpiLevels[prev];
                // Also stores the count and the current level: the one write of this change.
                SwapDpiLevels(&a, &b, index, prev, index);
                exchanged = true;
            }
        }
        ShowLevels(index);
    }
    if (sends && !exchanged)
        SetDpiLevelCount(index + 1);
}

// ---- Marker ----

void SensorDPI::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton && m_ui->label_8->geometry().contains(event->pos())) {
        dragging = true;
        dragOffset = event->pos() - m_ui->label_8->pos();
    }
}

void SensorDPI::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton || !dragging)
        return;
    if (dragArea.contains(event->pos()))
        m_ui->label_8->move(event->pos() - dragOffset);
    else
        ReleaseMarkerAt(event->pos());
}

void SensorDPI::mouseReleaseEvent(QMouseEvent* event)
{
    ReleaseMarkerAt(event->pos());
}

void SensorDPI::ReturnMarker()
{
    m_ui->label_8->move(LevelMarkerSlots[currentLevel]);
}

void SensorDPI::ReleaseMarkerAt(const QPoint& pos)
{
    dragging = false;
    if (!m_ui->label_8->geometry().contains(pos) || pos.x() < StripLeft || pos.x() > StripRight) {
        ReturnMarker();
        return;
    }
    const bool sends = UiSendsChanges.load() && !SensorLoading.load();
    const int countIndex = m_ui->ChooseEvent->currentIndex();
    if (countIndex >= 0 && countIndex < int(LevelDropLimits.size()) && pos.x() > LevelDropLimits[countIndex]) {
        // Beyond the last active level: the device is told its level again.
        ReturnMarker();
        if (sends)
            SetCurrentDpiLevel(currentLevel);
        return;
    }
    const QPoint slot = LevelMarkerSlots[currentLevel];
    const int d = pos.x() - slot.x();
    int change = 0;
    for (const DropWindow& w : LevelDropWindows) {
        if (w.from <= d && d <= w.to) {
            change = w.change;
            break;
        }
    }
    if (change == 0 || !ValidLevel(currentLevel + change)) {
        ReturnMarker();
        return;
    }
    m_ui->label_8->move(slot.x() + LevelPitch * change, slot.y());
    currentLevel += change;
    if (sends && !DevicePresent())
        reportOffline();
    else
        SelectLevelQuietly(currentLevel);
    if (sends)
        SetCurrentDpiLevel(currentLevel);
}

// ---- Slots by name ----

void SensorDPI::on_BlueButton_toggled(bool checked) { LevelButtonToggled(0, checked); }
void SensorDPI::on_BrightRedButton_toggled(bool checked) { LevelButtonToggled(1, checked); }
void SensorDPI::on_RedButton_toggled(bool checked) { LevelButtonToggled(2, checked); }
void SensorDPI::on_YellowButton_toggled(bool checked) { LevelButtonToggled(3, checked); }
void SensorDPI::on_GreenButton_toggled(bool checked) { LevelButtonToggled(4, checked); }
void SensorDPI::on_PurpleButton_toggled(bool checked) { LevelButtonToggled(5, checked); }
void SensorDPI::on_LightBlueButton_toggled(bool checked) { LevelButtonToggled(6, checked); }
void SensorDPI::on_LightYellowButton_toggled(bool checked) { LevelButtonToggled(7, checked); }

void SensorDPI::on_BlueButtonA_toggled(bool checked) { SwatchToggled(0, checked); }
void SensorDPI::on_BrightRedButtonA_toggled(bool checked) { SwatchToggled(1, checked); }
void SensorDPI::on_RedButtonA_toggled(bool checked) { SwatchToggled(2, checked); }
void SensorDPI::on_YellowButtonA_toggled(bool checked) { SwatchToggled(3, checked); }
void SensorDPI::on_GreenButtonA_toggled(bool checked) { SwatchToggled(4, checked); }
void SensorDPI::on_PurpleButtonA_toggled(bool checked) { SwatchToggled(5, checked); }
void SensorDPI::on_LightBlueButtonA_toggled(bool checked) { SwatchToggled(6, checked); }
void SensorDPI::on_LightYellowButtonA_toggled(bool checked) { SwatchToggled(7, checked); }

void SensorDPI::on_BlueButton_clicked() { LevelButtonClicked(0); }
void SensorDPI::on_BrightRedButton_clicked() { LevelButtonClicked(1); }
void SensorDPI::on_RedButton_clicked() { LevelButtonClicked(2); }
void SensorDPI::on_YellowButton_clicked() { LevelButtonClicked(3); }
void SensorDPI::on_GreenButton_clicked() { LevelButtonClicked(4); }
void SensorDPI::on_PurpleButton_clicked() { LevelButtonClicked(5); }
void SensorDPI::on_LightBlueButton_clicked() { LevelButtonClicked(6); }
void SensorDPI::on_LightYellowButton_clicked() { LevelButtonClicked(7); }

void SensorDPI::on_BlueButtonA_clicked() { SwatchClicked(0); }
void SensorDPI::on_BrightRedButtonA_clicked() { SwatchClicked(1); }
void SensorDPI::on_RedButtonA_clicked() { SwatchClicked(2); }
void SensorDPI::on_YellowButtonA_clicked() { SwatchClicked(3); }
void SensorDPI::on_GreenButtonA_clicked() { SwatchClicked(4); }
void SensorDPI::on_PurpleButtonA_clicked() { SwatchClicked(5); }
void SensorDPI::on_LightBlueButtonA_clicked() { SwatchClicked(6); }
void SensorDPI::on_LightYellowButtonA_clicked() { SwatchClicked(7); }
