#ifndef MATCH_H
#define MATCH_H

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QScopedPointer>

#include <atomic>
#include <cstdint>

class QTimer;

namespace Ui {
class Match;
}

// Pairing state shared with the library's callback thread; it outlives each dialog.
// PairResult: 0 ready, 1 pairing, 2 succeeded, 3 failed.
extern std::atomic<int> PairResult;
// A pairing request runs (set by a request, cleared by its end).
extern std::atomic<bool> PairingActive;
// The running request took MainPageActive from the device pages; its end gives it back.
extern std::atomic<bool> PairingFromMainPage;

// The modal dialog that pairs a mouse with the receiver. Callers build it without a parent,
// call PreparePairing once, run it modally and destroy it. Pairing leaves the library's
// device service bound to PairingCallback: the caller binds its own callback again.
class Match : public QDialog
{
    Q_OBJECT
public:
    enum Result { Ready = 0, Pairing = 1, Succeeded = 2, Failed = 3 };

    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Picks the device to pair through and arms the button.
    void PreparePairing();
    // Binds the device service to PairingCallback (unless a request already runs) and asks
    // the receiver to accept a mouse of the product's CID.
    void StartPairing();
    // The data callback while pairing; runs on the library's thread.
    static void PairingCallback(const uint8_t* head, int headLength, const uint8_t* data, int dataLength);

public slots:
    void WindowClosedSet();

private slots:
    void on_MatchButton_clicked();
    void onPairTimeupDestroy();
    void onUSBTimeupDestroy();
    void onTextTimeupDestroy();
    void SlotStopTimer();
    void SlotButtonenable(int index);
    void SlotAllLanguage(int index);

protected:
    void changeEvent(QEvent* event) override;
    // Escape and the window's close take the close button's road.
    void reject() override;

private:
    enum class ButtonImage { Pair, Success, Fail };
    void SetButtonStyle(ButtonImage image);
    void SetButtonSheet(const QString& sheet);
    // Ends a running request without a library result (receiver gone, time-out).
    void EndWithoutResult();
    // Registers the hot-plug notice of the page the dialog was opened on, stops the timers.
    void FinishDialog();

    const QScopedPointer<Ui::Match> m_ui;
    bool ButtonEnabled = false;
    QByteArray PathAtStart;
    quint8 PairCid = 0;
    QString PairSection;
    QByteArray PairPath;
    QString PairVidText;
    QString PairPidText;
    // The entry's Wired flag: set, the mouse is on its cable and cannot pair.
    bool PairWireless = true;
    bool PreparedOnMainPage = false;
    bool Finished = false;
    int PairDotCount = 0;
    QString MatchButtonText;
    QString MatchingText;
    QString MatchFailText;
    QString MatchSuccessText;
    QString MatchButtonColor;
    QString MatchSkinFolder;
    QTimer* MatchUsbTimer;
    QTimer* MatchPairTimer;
    QTimer* MatchTextTimer;
    QTimer* MatchTimeoutTimer;
};

#endif
