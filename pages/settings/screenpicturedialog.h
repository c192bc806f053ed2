#ifndef SCREENPICTUREDIALOG_H
#define SCREENPICTUREDIALOG_H

#include <QDialog>

#include <array>

class QLabel;
class QToolButton;

// What the two layouts of the screen picture settings share: the exclusive picture slots,
// the skin, the texts and the close button. Neither hears the hub's language signal; the
// owner applies the language.
class ScreenPictureDialog : public QDialog
{
    Q_OBJECT
public slots:
    void SlotAllLanguage(int index);

protected:
    // The controls of a layout's form, in the order of their texts.
    struct Controls {
        QLabel* screenSwitch = nullptr;
        QLabel* preview = nullptr;
        QLabel* brightness = nullptr;
        QToolButton* input = nullptr;
        QToolButton* output = nullptr;
        QToolButton* close = nullptr;
        std::array<QToolButton*, 4> pictures{};
    };

    explicit ScreenPictureDialog(QWidget* parent);
    // Once the layout's form is set up.
    void SetUpControls(const Controls& controls);

private:
    void CloseWithButtonCheck();

    Controls m_controls;
};

#endif
