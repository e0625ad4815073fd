#pragma once

#include "platform/Services.h"

#include <QHash>
#include <QObject>

#include <array>
#include <cstddef>

class QWidget;

namespace pellimor {

class frmAbout;
class frmAgreement;
class frmGUI;
class frmSplash;

// The program's windows, one instance per window class at a time. Each accessor bears
// its window's name and loads the window on first use (creating it runs its
// Form_Load); unloading closes and destroys it, and the next use loads it afresh.
// The windows only announce what they want shown; this is where the announcements
// are turned into windows: the splash's hand-over, Help About, the agreement button.
//
// The run: start() loads and shows the splash; once the splash is on screen the
// converter window is loaded hidden behind it; the splash hands over to it; the
// program is over once no window is loaded any more, which may be well after the
// converter window has gone.
class Forms : public QObject {
    Q_OBJECT

public:
    enum class Window { frmGUI, frmSplash, frmAbout, frmAgreement };

    explicit Forms(Services services, QObject* parent = nullptr);
    ~Forms() override;

    pellimor::frmGUI& frmGUI();
    pellimor::frmSplash& frmSplash();
    pellimor::frmAbout& frmAbout();
    pellimor::frmAgreement& frmAgreement();

    bool isLoaded(Window window) const;
    void unload(Window window);

    // Loads and shows the splash, centred; everything after follows from events.
    void start();

signals:
    // The last loaded window has gone: the program has nothing left to do.
    void lastWindowUnloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr std::size_t windowCount = 4;
    static std::size_t slot(Window window) { return static_cast<std::size_t>(window); }
    template <class W> W& load(Window which);
    void forget(QObject* window);
    void windowDestroyed(QObject* window);
    void handOver();
    void buildConverterBehindSplash();
    static void centre(QWidget& window);
    static void bringForward(QWidget& window);

    Services m_services;
    // The loaded instance of each window class, or null.
    std::array<QObject*, windowCount> m_loaded{};
    // Every window object not yet destroyed, closed ones on their way out included.
    QHash<QObject*, Window> m_alive;
    bool m_handedOver = false;
    // The splash is up (or on its way) and the converter window still to be built.
    bool m_converterDue = false;
};

} // namespace pellimor
