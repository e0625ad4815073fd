#pragma once

#include "platform/Services.h"

#include <QCursor>
#include <QMainWindow>
#include <QPixmap>
#include <QString>

#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;
class QUrl;

namespace pellimor {

class ICollectionManager;
class CategoryBox;
class ImageList;
class QuantityBox;
class ResultAnnouncer;
class UnitListBox;

// The converter window: the user picks a category, a From unit, types a quantity and
// picks a To unit; the window asks the catalogue for the units and the conversion for
// the result line or the message to show. Small vegetables beside the
// four fields point at the step to do next, and four larger ones blink around a new
// result. The controls hold the whole state: there is no model behind them.
class frmGUI : public QMainWindow {
    Q_OBJECT

public:
    // The steps the guide vegetables point at.
    enum class Step { Category, Quantity, FromUnit, ToUnit };

    frmGUI();   // with the application's real services
    explicit frmGUI(Services services, QWidget* parent = nullptr);
    ~frmGUI() override;

    // The application's picture store (kept apart from this window, see ImageList).
    ImageList& ImageList1;

    // The web site all links open.
    static QUrl webAddress();

    // Step guide.
    void StartStepPointer(Step step);
    void RestStepPointer(Step step);
    void HideStepPointer(Step step);
    bool IsStepPending(Step step) const;
    void StopVeggieFlash();
    void DisplayVeggies();

    // Selection flow.
    void PopulateConversionBoxes();
    QString CurrentCategory;
    std::shared_ptr<ICollectionManager> catalogue() const { return m_catalogue; }
    std::shared_ptr<std::vector<std::string>> UnitList;

    // Window pointer modes.
    enum PointerMode { DefaultPointer = 0, CustomPointer = 99 };
    int mousePointer() const { return m_pointerMode; }
    const QPixmap& mouseIcon() const { return m_mouseIcon; }

signals:
    // Help, About: the application shows its one About window.
    void aboutRequested();

public slots:
    void Form_Load();

    void cmbCategory_Click();
    void cmbCategory_DropDown();
    void lstFrom_Click();
    void txtQuantity_GotFocus();
    void txtQuantity_KeyPress(int keyAscii);
    void lstTo_Click();

    void tmrCategory_Timer();
    void tmrQuantity_Timer();
    void tmrFrom_Timer();
    void tmrTo_Timer();
    void tmrResult_Timer();
    void tmrStop_Timer();

    void mnuExit_Click();
    void mnuGoToURL_Click();
    void mnuAbout_Click();
    void lblURL_Click();
    void imgLogo_Click();
    void lblLearn_Click();
    void lblURL_MouseMove();
    void lblLearn_MouseMove();
    void imgLogo_MouseMove();
    void Form_MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createTimers();
    QLabel* pointerImage(Step step) const;
    QTimer* stepTimer(Step step) const;
    void advanceFrame(Step step);
    void setUsable(QWidget& field, bool usable);
    void focusQuantity(const std::optional<QString>& text = std::nullopt);
    void showRefusal(const QString& text);
    void quantityEdited();
    void setResultLine(const QString& line);
    void openWebSite();
    void applyPointer();

    Services m_services;
    std::shared_ptr<ICollectionManager> m_catalogue;
    int m_pointerMode = DefaultPointer;
    QPixmap m_mouseIcon;
    QCursor m_handCursor;
    bool m_placed = false;

    CategoryBox* m_cmbCategory = nullptr;
    QuantityBox* m_txtQuantity = nullptr;
    UnitListBox* m_lstFrom = nullptr;
    UnitListBox* m_lstTo = nullptr;
    QLineEdit* m_txtResult = nullptr;
    ResultAnnouncer* m_announcer = nullptr;
    QLabel* m_imgCategory = nullptr;
    QLabel* m_imgQuantity = nullptr;
    QLabel* m_imgFrom = nullptr;
    QLabel* m_imgTo = nullptr;
    QLabel* m_imgLogo = nullptr;
    QLabel* m_lblLearn = nullptr;
    QLabel* m_lblURL = nullptr;
    QLabel* m_imgRadis = nullptr;
    QLabel* m_imgCarotte = nullptr;
    QLabel* m_imgTomate = nullptr;
    QLabel* m_imgPoivron = nullptr;
    QTimer* m_tmrCategory = nullptr;
    QTimer* m_tmrQuantity = nullptr;
    QTimer* m_tmrFrom = nullptr;
    QTimer* m_tmrTo = nullptr;
    QTimer* m_tmrResult = nullptr;
    QTimer* m_tmrStop = nullptr;
};

} // namespace pellimor
