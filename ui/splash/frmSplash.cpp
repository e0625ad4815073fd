#include "ui/splash/frmSplash.h"

#include "platform/Application.h"
#include "ui/common/DecorationAccessible.h"
#include "ui/common/FormTools.h"
#include "ui/common/ImageList.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace pellimor {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    createControls();
    Form_Load();
}

frmSplash::~frmSplash() = default;

QTimer* frmSplash::makeTimer(const char* name, int interval, bool running)
{
    QTimer* timer = form::newTimer(*this, name, interval);
    if (running)
        timer->start();
    return timer;
}

QLabel* frmSplash::makeLabel(const char* name, const QRect& geometry)
{
    auto* label = new QLabel(Frame1);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void frmSplash::createControls()
{
    setObjectName(QStringLiteral("frmSplash"));
    DecorationAccessible::install();
    // No title bar shows a caption, yet a screen reader should say what has appeared.
    setAccessibleName(QStringLiteral("Pellimor"));
    // A tool window without a frame: no title bar, and no entry in the task bar.
    setFixedSize(form::rect(0, 0, 7320, 4155).size());
    setFocusPolicy(Qt::StrongFocus);

    tmrFlash = makeTimer("tmrFlash", FlashInterval, false);
    tmrRadis = makeTimer("tmrRadis", ChainInterval, true);
    tmrPoivron = makeTimer("tmrPoivron", ChainInterval, false);
    tmrCarotte = makeTimer("tmrCarotte", ChainInterval, false);
    tmrTomate = makeTimer("tmrTomate", ChainInterval, false);
    Timer1 = makeTimer("Timer1", HandOverInterval, true);
    connect(tmrFlash, &QTimer::timeout, this, &frmSplash::tmrFlash_Timer);
    connect(tmrRadis, &QTimer::timeout, this, &frmSplash::tmrRadis_Timer);
    connect(tmrPoivron, &QTimer::timeout, this, &frmSplash::tmrPoivron_Timer);
    connect(tmrCarotte, &QTimer::timeout, this, &frmSplash::tmrCarotte_Timer);
    connect(tmrTomate, &QTimer::timeout, this, &frmSplash::tmrTomate_Timer);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(form::rect(120, 0, 7080, 4050));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);   // the etched panel border
    // Clicks on the labels and pictures bubble up to the panel; the filter sorts
    // them from clicks on its bare area.
    Frame1->installEventFilter(this);

    imgPoivron = makeLabel("imgPoivron", form::rect(2880, 2640, 495, 255));
    imgCarotte = makeLabel("imgCarotte", form::rect(2040, 2640, 495, 255));
    imgTomate = makeLabel("imgTomate", form::rect(1200, 2640, 495, 255));
    imgRadis = makeLabel("imgRadis", form::rect(360, 2640, 495, 255));
    for (QLabel* vegetable : {imgPoivron, imgCarotte, imgTomate, imgRadis}) {
        vegetable->setProperty(DecorationAccessible::DecorativeProperty, true);
        vegetable->hide();
    }

    lblWarning = makeLabel("lblWarning", form::rect(150, 3720, 2415, 195));
    lblWarning->setFont(form::arial(8.25));
    lblWarning->setText(QStringLiteral("This application is a freeware."));

    Label1 = makeLabel("Label1", form::rect(1680, 1080, 5295, 615));
    Label1->setFont(form::arial(27.75, true, true));
    form::setForeground(*Label1, 0x000000C0u);
    Label1->setText(QStringLiteral("Pellimor"));

    // The panel's texts say all there is to say; its pictures only decorate.
    imgLogo = makeLabel("imgLogo", form::rect(120, 240, 480, 480));
    imgLogo->setProperty(DecorationAccessible::DecorativeProperty, true);

    lblCopyright = makeLabel("lblCopyright", form::rect(4200, 3480, 2655, 495));
    lblCopyright->setFont(form::arial(8.25));
    lblCopyright->setWordWrap(true);
    lblCopyright->setText(QStringLiteral("Copyright \u00A9 2024 Brenvo.\nAll rights reserved."));

    lblVersion = makeLabel("lblVersion", form::rect(5160, 1800, 1530, 285));
    lblVersion->setFont(form::arial(12, true));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);

    lblCompanyProduct = makeLabel("lblCompanyProduct", form::rect(1680, 600, 2550, 435));
    lblCompanyProduct->setFont(form::arial(18, true));
    form::setForeground(*lblCompanyProduct, 0x00800000u);
    lblCompanyProduct->setText(QStringLiteral("Pellimor"));
    lblCompanyProduct->adjustSize();

    // Key presses go to the window itself: none of its controls takes the focus.
    setFocus(Qt::OtherFocusReason);
}

void frmSplash::Form_Load()
{
    // The hourglass follows once the window is on screen (pointBusy).
    lblVersion->setText(Application::versionText());
    // Sized to its text, growing from its left edge.
    lblVersion->adjustSize();
    ImageList& images = ImageList::shared();
    form::setPicture(*imgLogo, images.picture(QStringLiteral("logo")));
    form::setPicture(*imgPoivron, images.picture(QStringLiteral("Poivron")));
    form::setPicture(*imgTomate, images.picture(QStringLiteral("Tomate")));
    form::setPicture(*imgCarotte, images.picture(QStringLiteral("Carotte")));
    form::setPicture(*imgRadis, images.picture(QStringLiteral("Radis")));
}

void frmSplash::Form_KeyPress(int /*keyAscii*/)
{
    emit handOver();
}

void frmSplash::Frame1_Click()
{
    emit handOver();
}

void frmSplash::Timer1_Timer()
{
    emit handOver();
}

// Each link of the chain shows its vegetable and switches on the next one. None stops
// its own timer: the next timer is switched on again at every tick, and only because
// that leaves a running timer's schedule alone does the chain move on at all.
void frmSplash::tmrRadis_Timer()
{
    imgRadis->setVisible(true);
    form::switchOn(*tmrTomate);
}

void frmSplash::tmrTomate_Timer()
{
    imgTomate->setVisible(true);
    form::switchOn(*tmrCarotte);
}

void frmSplash::tmrCarotte_Timer()
{
    imgCarotte->setVisible(true);
    form::switchOn(*tmrPoivron);
}

void frmSplash::tmrPoivron_Timer()
{
    imgPoivron->setVisible(true);
    form::switchOn(*tmrFlash);
}

void frmSplash::tmrFlash_Timer()
{
    // isHidden, not isVisible: the blink follows the pictures themselves, not whether
    // the window happens to be on screen.
    for (QLabel* vegetable : {imgRadis, imgTomate, imgCarotte, imgPoivron})
        vegetable->setVisible(vegetable->isHidden());
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

// The desktop's busy pointer is an animation of dozens of frames in common themes, and
// loading it was most of what the splash cost before its window could appear. So it
// goes up in the first turn of the event loop after the splash has been exposed and
// painted, a few milliseconds after the window appears, instead of holding it back.
// The focus follows with it, for the keys that hand over: taking it asks the display for
// a time stamp and waits for the answer, which would delay the first frame.
void frmSplash::pointBusy()
{
    setCursor(Qt::WaitCursor);
    raise();
    activateWindow();
    emit shown();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    // Keys that make a character: printable ones, and Enter, Escape and Backspace,
    // whose characters are control codes. Shift, arrows and the like make none.
    int code = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Escape: code = 27; break;
    case Qt::Key_Backspace: code = 8; break;
    default:
        if (!event->text().isEmpty())
            code = event->text().at(0).unicode();
        break;
    }
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    Form_KeyPress(code);
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    // Unloading ends the animation and the hand-over clock at once, not whenever the
    // window object happens to be deleted.
    for (QTimer* timer : findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
        timer->stop();
    QWidget::closeEvent(event);
}

bool frmSplash::onBarePanel(const QPoint& framePos) const
{
    return Frame1->rect().contains(framePos) && !Frame1->childAt(framePos);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        // Queued: the window paints in answer to this very event, and only then.
        QMetaObject::invokeMethod(this, &frmSplash::pointBusy, Qt::QueuedConnection);
    }
    if (watched == Frame1) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_pressOnPanel = mouse->button() == Qt::LeftButton && onBarePanel(mouse->position().toPoint());
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = m_pressOnPanel && mouse->button() == Qt::LeftButton
                               && onBarePanel(mouse->position().toPoint());
            m_pressOnPanel = false;
            if (click) {
                Frame1_Click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pellimor
