#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

namespace pellimor {

// The start-up window: product name, version, notices and the logo, with four
// vegetables that appear one after another and then blink. It hands over to the
// converter window after 3.5 seconds, or at once on a key or a click on the bare panel.
// The window only announces the hand-over; whoever owns the windows shows the
// converter and unloads the splash.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    static constexpr int FlashInterval = 50;
    static constexpr int ChainInterval = 350;
    static constexpr int HandOverInterval = 3500;

    // Creating the window loads it: the controls are made and Form_Load runs.
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

signals:
    // Time to show the converter window and unload this one.
    void handOver();
    // The splash is on screen with its hourglass: whatever waited for it may go ahead.
    void shown();

public slots:
    void Form_Load();
    void Form_KeyPress(int keyAscii);
    void Frame1_Click();
    void Timer1_Timer();
    void tmrRadis_Timer();
    void tmrTomate_Timer();
    void tmrCarotte_Timer();
    void tmrPoivron_Timer();
    void tmrFlash_Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    QTimer* makeTimer(const char* name, int interval, bool running);
    QLabel* makeLabel(const char* name, const QRect& geometry);
    bool onBarePanel(const QPoint& framePos) const;
    void pointBusy();

    QTimer* tmrFlash = nullptr;
    QTimer* tmrRadis = nullptr;
    QTimer* tmrPoivron = nullptr;
    QTimer* tmrCarotte = nullptr;
    QTimer* tmrTomate = nullptr;
    QTimer* Timer1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* imgPoivron = nullptr;
    QLabel* imgCarotte = nullptr;
    QLabel* imgTomate = nullptr;
    QLabel* imgRadis = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    bool m_pressOnPanel = false;   // a click counts only if it also began on the bare panel
};

} // namespace pellimor
