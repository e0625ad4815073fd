#include "ui/converter/frmGUI.h"

#include "catalogue/Categories.h"
#include "catalogue/CollectionManager.h"
#include "conversion/Conversion.h"
#include "pellimor_version.h"
#include "platform/Application.h"
#include "ui/converter/CategoryBox.h"
#include "ui/common/DecorationAccessible.h"
#include "ui/common/FormTools.h"
#include "ui/common/ImageList.h"
#include "ui/common/LinkAccessible.h"
#include "ui/converter/QuantityBox.h"
#include "ui/converter/ResultAnnouncer.h"
#include "ui/converter/UnitListBox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QUrl>


namespace pellimor {

namespace {

// Timer intervals in milliseconds.
constexpr int PointerFrameInterval = 200;
constexpr int BlinkInterval = 50;
constexpr int FlashLength = 1000;

const QString EnterValue = QStringLiteral("(Enter a value)");
const QString SelectCategory = QStringLiteral("(Select a category)");
const QString BrowserFailedMessage = QStringLiteral("The web site could not be opened.");

// The guide's vegetable of each step, by the frames the picture store holds for it.
const QStringList& framesOf(frmGUI::Step step)
{
    static const QStringList radish = ImageList::frames(QStringLiteral("Radis"));
    static const QStringList carrot = ImageList::frames(QStringLiteral("Carotte"));
    static const QStringList tomato = ImageList::frames(QStringLiteral("Tomate"));
    static const QStringList pepper = ImageList::frames(QStringLiteral("Poivron"));
    switch (step) {
    case frmGUI::Step::Category: return radish;
    case frmGUI::Step::Quantity: return carrot;
    case frmGUI::Step::FromUnit: return tomato;
    case frmGUI::Step::ToUnit: break;
    }
    return pepper;
}

template <typename T>
T* named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* frame = named(new QGroupBox(caption, parent), name);
    frame->setFont(form::sansSerif(8.25, true));
    frame->setGeometry(geometry);
    // Frames keep their own arrow: the window's pointer shows over bare window area
    // and the links only.
    frame->setCursor(Qt::ArrowCursor);
    return frame;
}

// Pictures are decorations unless they are links. Qt keeps the first accessibility
// interface it makes for a widget, so what a picture is must be settled first.
QLabel* makeImage(QWidget* parent, const char* name, int left, int top, bool decorative = true)
{
    auto* image = new QLabel(parent);
    image->setProperty(DecorationAccessible::DecorativeProperty, decorative);
    named(image, name);
    image->move(form::px(left), form::px(top));
    image->resize(0, 0);
    return image;
}

// Where the hand's fingertip is: the first opaque pixel from the top.
QPoint hotSpot(const QPixmap& picture)
{
    const QImage image = picture.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                return QPoint(x, y) / picture.devicePixelRatio();
    return QPoint(0, 0);
}

} // namespace

frmGUI::frmGUI()
    : frmGUI(Services::real())
{
}

frmGUI::frmGUI(Services services, QWidget* parent)
    : QMainWindow(parent)
    , ImageList1(ImageList::shared())
    , m_services(services)
{
    setObjectName(QStringLiteral("frmGUI"));
    setWindowTitle(QStringLiteral("Pellimor"));
    setWindowIcon(QIcon(ImageList1.picture(QStringLiteral("Radis"))));
    setFont(form::sansSerif(8.25));
    LinkAccessible::install();
    DecorationAccessible::install();
    ResultAnnouncer::install();
    createControls();
    createMenus();
    createTimers();
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    setMinimumSize(0, 0);
    resize(form::px(7710), form::px(7740) + menuBar()->sizeHint().height());
    Form_Load();
}

frmGUI::~frmGUI()
{
    // The controls outlive this part of the window while QWidget takes them down, and
    // a focus change on the way could still reach a handler here.
    const QList<QObject*> controls = findChildren<QObject*>();
    for (QObject* control : controls)
        disconnect(control, nullptr, this, nullptr);
}

QUrl frmGUI::webAddress()
{
    return QUrl(QStringLiteral("https://") + QLatin1String(PELLIMOR_WEB_HOST));
}

void frmGUI::createControls()
{
    auto* client = named(new QWidget(this), "client");
    // The client area starts at its design size but sets no minimum: a smaller
    // window simply cuts off what falls outside it.
    client->resize(form::px(7710), form::px(7740));
    client->setMouseTracking(true);
    client->installEventFilter(this);
    client->setAutoFillBackground(false);
    setCentralWidget(client);

    // Category.
    auto* fraCategory = makeFrame(client, "fraCategory", QStringLiteral("Category"),
                                  form::rect(240, 240, 3135, 975));
    auto* cmbCategory = named(new CategoryBox(fraCategory), "cmbCategory");
    cmbCategory->setGeometry(form::rect(240, 360, 2055, 315));
    cmbCategory->setFont(form::sansSerif(8.25));
    for (std::string_view name : category::All)
        cmbCategory->addItem(QLatin1StringView(name.data(), qsizetype(name.size())));
    cmbCategory->setCurrentIndex(-1);
    cmbCategory->setEditText(SelectCategory);
    cmbCategory->setAccessibleName(QStringLiteral("Category"));
    // The open list takes the focus, and a screen reader names what has the focus.
    cmbCategory->view()->setAccessibleName(QStringLiteral("Category"));
    form::setBackground(*cmbCategory, form::White);
    connect(cmbCategory, &QComboBox::activated, this, &frmGUI::cmbCategory_Click);
    connect(cmbCategory, &CategoryBox::dropDown, this, &frmGUI::cmbCategory_DropDown);
    makeImage(fraCategory, "imgCategory", 2520, 240);

    // Quantity.
    auto* fraQuantity = makeFrame(client, "fraQuantity", QStringLiteral("Quantity"),
                                  form::rect(240, 1440, 3135, 975));
    auto* txtQuantity = named(new QuantityBox(fraQuantity), "txtQuantity");
    txtQuantity->setGeometry(form::rect(240, 360, 1455, 285));
    txtQuantity->setFont(form::sansSerif(8.25));
    txtQuantity->setAccessibleName(QStringLiteral("Quantity"));
    txtQuantity->setEnabled(false);
    form::setBackground(*txtQuantity, form::MenuBackground);
    connect(txtQuantity, &QuantityBox::keyPress, this, &frmGUI::txtQuantity_KeyPress);
    connect(txtQuantity, &QuantityBox::gotFocus, this, &frmGUI::txtQuantity_GotFocus);
    connect(txtQuantity, &QuantityBox::editedWithoutCharacter, this, &frmGUI::quantityEdited);
    makeImage(fraQuantity, "imgQuantity", 2520, 240)->hide();

    // From and To units.
    auto makeUnitFrame = [&](const char* frameName, const QString& caption, int left,
                             const char* labelName, const char* listName,
                             const QString& accessibleName, const char* imageName) {
        auto* frame = makeFrame(client, frameName, caption, form::rect(left, 2640, 3135, 3015));
        auto* label = named(new QLabel(QStringLiteral("Measuring Unit:"), frame), labelName);
        label->setGeometry(form::rect(360, 480, 1455, 255));
        label->setFont(form::sansSerif(8.25));
        auto* list = named(new UnitListBox(frame), listName);
        list->setGeometry(form::rect(360, 720, 2415, 2010));
        list->setFont(form::sansSerif(8.25));
        list->setAccessibleName(accessibleName);
        list->setEnabled(false);
        form::setBackground(*list, form::MenuBackground);
        label->setBuddy(list);
        makeImage(frame, imageName, 2520, 240)->hide();
        return list;
    };
    auto* lstFrom = makeUnitFrame("fraFrom", QStringLiteral("Convert  From..."), 240, "Label1",
                                  "lstFrom", QStringLiteral("Convert From..."), "imgFrom");
    auto* lstTo = makeUnitFrame("fraTo", QStringLiteral("To..."), 4320, "Label4", "lstTo",
                                QStringLiteral("To..."), "imgTo");
    lstTo->setRepeatPicks(true);   // picking the same To unit again asks for a new result
    connect(lstFrom, &UnitListBox::picked, this, &frmGUI::lstFrom_Click);
    connect(lstTo, &UnitListBox::picked, this, &frmGUI::lstTo_Click);

    // Result.
    auto* Frame4 = makeFrame(client, "Frame4", QStringLiteral(" Result "),
                             form::rect(240, 6120, 7215, 1095));
    auto* txtResult = named(new QLineEdit(Frame4), "txtResult");
    txtResult->setGeometry(form::rect(240, 360, 6735, 495));
    txtResult->setFont(form::sansSerif(13.5, true));
    txtResult->setReadOnly(true);
    txtResult->setAccessibleName(QStringLiteral("Result"));
    form::setBackground(*txtResult, form::MenuBackground);
    form::setForeground(*txtResult, 0x00C00000u);
    m_announcer = new ResultAnnouncer(*txtResult, client);

    // Brand and links.
    // A link is one before it has a text or a name, for the same reason.
    auto* imgLogo = makeImage(client, "imgLogo", 5040, 0, false);
    imgLogo->setProperty(LinkAccessible::HandlerProperty, QByteArrayLiteral("imgLogo_Click"));
    imgLogo->setMouseTracking(true);
    imgLogo->installEventFilter(this);
    imgLogo->setAccessibleName(QStringLiteral("Pellimor"));

    auto* lblLearn = named(new QLabel(client), "lblLearn");
    lblLearn->setProperty(LinkAccessible::HandlerProperty, QByteArrayLiteral("lblLearn_Click"));
    lblLearn->setText(QStringLiteral("Learn to cook online!"));
    lblLearn->setGeometry(form::rect(4680, 1560, 2415, 255));
    lblLearn->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblLearn->setFont(form::sansSerif(9.75, true));
    form::setForeground(*lblLearn, 0x000000C0u);
    lblLearn->setMouseTracking(true);
    lblLearn->installEventFilter(this);

    auto* lblURL = named(new QLabel(client), "lblURL");
    lblURL->setProperty(LinkAccessible::HandlerProperty, QByteArrayLiteral("lblURL_Click"));
    lblURL->setText(QLatin1String(PELLIMOR_WEB_HOST));
    lblURL->setGeometry(form::rect(4920, 1920, 1935, 255));
    lblURL->setFont(form::sansSerif(8.25, true, false, true));
    form::setForeground(*lblURL, 0x00FF0000u);
    lblURL->setMouseTracking(true);
    lblURL->installEventFilter(this);

    // The result flash vegetables stand around the result frame, above it.
    makeImage(client, "imgRadis", 1320, 5640)->hide();
    makeImage(client, "imgCarotte", 4440, 5640)->hide();
    makeImage(client, "imgTomate", 2760, 7200)->hide();
    makeImage(client, "imgPoivron", 6360, 7200)->hide();
    for (const char* name : {"imgRadis", "imgCarotte", "imgTomate", "imgPoivron"})
        client->findChild<QLabel*>(QLatin1String(name))->raise();

    // Focus order of the fields; disabled ones are skipped by Qt itself.
    setTabOrder(cmbCategory, txtQuantity);
    setTabOrder(txtQuantity, lstFrom);
    setTabOrder(lstFrom, lstTo);
    setTabOrder(lstTo, txtResult);

    m_cmbCategory = cmbCategory;
    m_txtQuantity = txtQuantity;
    m_lstFrom = lstFrom;
    m_lstTo = lstTo;
    m_txtResult = txtResult;
    m_imgLogo = imgLogo;
    m_lblLearn = lblLearn;
    m_lblURL = lblURL;
    m_imgCategory = fraCategory->findChild<QLabel*>(QStringLiteral("imgCategory"));
    m_imgQuantity = fraQuantity->findChild<QLabel*>(QStringLiteral("imgQuantity"));
    m_imgFrom = findChild<QLabel*>(QStringLiteral("imgFrom"));
    m_imgTo = findChild<QLabel*>(QStringLiteral("imgTo"));
    m_imgRadis = findChild<QLabel*>(QStringLiteral("imgRadis"));
    m_imgCarotte = findChild<QLabel*>(QStringLiteral("imgCarotte"));
    m_imgTomate = findChild<QLabel*>(QStringLiteral("imgTomate"));
    m_imgPoivron = findChild<QLabel*>(QStringLiteral("imgPoivron"));
}

void frmGUI::createMenus()
{
    auto addMenu = [this](const char* menuName, const QString& caption, const char* itemName,
                          const QString& itemCaption, void (frmGUI::*handler)()) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(menuName));
        QAction* item = menu->addAction(itemCaption);
        item->setObjectName(QLatin1String(itemName));
        connect(item, &QAction::triggered, this, handler);
    };
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    addMenu("mnuFile", QStringLiteral("&File"), "mnuExit", QStringLiteral("E&xit"),
            &frmGUI::mnuExit_Click);
    addMenu("mnuOptions", QStringLiteral("&Options"), "mnuGoToURL",
            QStringLiteral("&Go to Brenvo's Web Site"), &frmGUI::mnuGoToURL_Click);
    addMenu("mnuHelp", QStringLiteral("&Help"), "mnuAbout", QStringLiteral("&About..."),
            &frmGUI::mnuAbout_Click);
}

void frmGUI::createTimers()
{
    auto makeTimer = [this](const char* name, int interval, bool running,
                            void (frmGUI::*handler)()) {
        QTimer* timer = form::newTimer(*this, name, interval);
        connect(timer, &QTimer::timeout, this, handler);
        if (running)
            timer->start();
        return timer;
    };
    m_tmrStop = makeTimer("tmrStop", FlashLength, true, &frmGUI::tmrStop_Timer);
    m_tmrResult = makeTimer("tmrResult", BlinkInterval, false, &frmGUI::tmrResult_Timer);
    m_tmrTo = makeTimer("tmrTo", PointerFrameInterval, false, &frmGUI::tmrTo_Timer);
    m_tmrFrom = makeTimer("tmrFrom", PointerFrameInterval, false, &frmGUI::tmrFrom_Timer);
    m_tmrQuantity = makeTimer("tmrQuantity", PointerFrameInterval, false, &frmGUI::tmrQuantity_Timer);
    m_tmrCategory = makeTimer("tmrCategory", PointerFrameInterval, true, &frmGUI::tmrCategory_Timer);
}

void frmGUI::Form_Load()
{
    m_pointerMode = DefaultPointer;
    applyPointer();
    setWindowIcon(QIcon(ImageList1.picture(QStringLiteral("Radis"))));
    form::setPicture(*m_imgLogo, ImageList1.picture(QStringLiteral("logo")));
    form::setPicture(*m_imgTomate, ImageList1.picture(QStringLiteral("Tomate")));
    form::setPicture(*m_imgPoivron, ImageList1.picture(QStringLiteral("Poivron")));
    form::setPicture(*m_imgCarotte, ImageList1.picture(QStringLiteral("Carotte")));
    form::setPicture(*m_imgRadis, ImageList1.picture(QStringLiteral("Radis")));
}

void frmGUI::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// ---- Step guide -------------------------------------------------------------------

QLabel* frmGUI::pointerImage(Step step) const
{
    switch (step) {
    case Step::Category: return m_imgCategory;
    case Step::Quantity: return m_imgQuantity;
    case Step::FromUnit: return m_imgFrom;
    case Step::ToUnit: break;
    }
    return m_imgTo;
}

QTimer* frmGUI::stepTimer(Step step) const
{
    switch (step) {
    case Step::Category: return m_tmrCategory;
    case Step::Quantity: return m_tmrQuantity;
    case Step::FromUnit: return m_tmrFrom;
    case Step::ToUnit: break;
    }
    return m_tmrTo;
}

void frmGUI::StartStepPointer(Step step)
{
    form::switchOn(*stepTimer(step));
    pointerImage(step)->show();
}

void frmGUI::RestStepPointer(Step step)
{
    stepTimer(step)->stop();
    form::setPicture(*pointerImage(step), ImageList1.picture(framesOf(step).front()));
}

void frmGUI::HideStepPointer(Step step)
{
    stepTimer(step)->stop();
    pointerImage(step)->hide();
}

bool frmGUI::IsStepPending(Step step) const
{
    return stepTimer(step)->isActive();
}

void frmGUI::StopVeggieFlash()
{
    m_tmrResult->stop();
    m_imgPoivron->hide();
    m_imgTomate->hide();
    m_imgCarotte->hide();
    m_imgRadis->hide();
}

void frmGUI::DisplayVeggies()
{
    // Every result after the first finds the pepper there already; setting it again
    // would repaint the picture and the frame beneath it for nothing.
    const QPixmap pepper = ImageList1.picture(QStringLiteral("Poivron1"));
    if (m_imgTo->pixmap().cacheKey() != pepper.cacheKey())
        form::setPicture(*m_imgTo, pepper);
    form::switchOn(*m_tmrResult);
    form::switchOn(*m_tmrStop);
}

void frmGUI::advanceFrame(Step step)
{
    // The pointer's position in its cycle is the picture it shows, recognised by
    // identity: the store hands out one picture object per key.
    QLabel& image = *pointerImage(step);
    const qint64 shown = image.pixmap().cacheKey();
    const QStringList& frames = framesOf(step);
    for (qsizetype k = 0; k + 1 < frames.size(); ++k) {
        if (shown == ImageList1.picture(frames[k]).cacheKey()) {
            form::setPicture(image, ImageList1.picture(frames[k + 1]));
            return;
        }
    }
    form::setPicture(image, ImageList1.picture(frames.front()));
}

void frmGUI::tmrCategory_Timer() { advanceFrame(Step::Category); }
void frmGUI::tmrQuantity_Timer() { advanceFrame(Step::Quantity); }
void frmGUI::tmrFrom_Timer() { advanceFrame(Step::FromUnit); }
void frmGUI::tmrTo_Timer() { advanceFrame(Step::ToUnit); }

void frmGUI::tmrResult_Timer()
{
    // isHidden, not isVisible: the blink must not depend on whether the window
    // itself is on screen.
    for (QLabel* image : {m_imgRadis, m_imgTomate, m_imgCarotte, m_imgPoivron})
        image->setVisible(image->isHidden());
}

void frmGUI::tmrStop_Timer()
{
    m_tmrResult->stop();
    m_imgPoivron->hide();
    m_imgTomate->hide();
    m_imgCarotte->hide();
    m_imgRadis->hide();
    m_tmrStop->stop();
}

// ---- Selection flow ---------------------------------------------------------------

void frmGUI::setUsable(QWidget& field, bool usable)
{
    field.setEnabled(usable);
    form::setBackground(field, usable ? form::WindowBackground : form::MenuBackground);
}

void frmGUI::cmbCategory_Click()
{
    form::setBackground(*m_cmbCategory, form::White);
    RestStepPointer(Step::Category);
    CurrentCategory = m_cmbCategory->currentText();
    setUsable(*m_txtQuantity, true);
    focusQuantity(EnterValue);
    StartStepPointer(Step::Quantity);
    StartStepPointer(Step::FromUnit);
    HideStepPointer(Step::ToUnit);
    setUsable(*m_lstTo, false);
    StopVeggieFlash();
    m_txtResult->clear();
    PopulateConversionBoxes();
}

// Sends the focus to the quantity box, with `text` put in if given, and selects its whole
// text, as when a quantity is to be given anew.
void frmGUI::focusQuantity(const std::optional<QString>& text)
{
    // The focus goes first, and alone: a screen reader names the field the focus arrives
    // in, unless the box's caret or selection moved first. A moved caret makes it take the
    // box for the focus without a word of its name, and a selection is spoken at once,
    // focus or not. So the box's own select-on-focus is held back here.
    {
        const QSignalBlocker quiet(m_txtQuantity);
        m_txtQuantity->setFocus();
    }
    if (text)
        m_txtQuantity->setText(*text);
    if (m_txtQuantity->hasFocus()) {
        m_txtQuantity->setSelection(0, int(m_txtQuantity->text().size()));
        return;
    }
    // The window is not the active one: right after a message box, or when a category was
    // picked with the wheel while another program has the keyboard. The box is then only
    // marked as the window's focus; it gets the focus when the user or the window manager
    // activates the window, and then selects its text itself, once the focus has been
    // announced. The window does not activate itself for it: that would take the keyboard
    // from whatever program the user is typing into.
}

void frmGUI::cmbCategory_DropDown()
{
    form::setBackground(*m_cmbCategory, form::White);
}

void frmGUI::PopulateConversionBoxes()
{
    setUsable(*m_lstFrom, true);
    m_catalogue = std::make_shared<CollectionManager>();
    UnitList = m_catalogue->GetCollection(CurrentCategory.toStdString());
    m_lstFrom->clear();
    m_lstTo->clear();
    for (std::size_t i = 0; i < UnitList->size(); ++i) {
        const QString unit = QString::fromStdString((*UnitList)[i]);
        m_lstFrom->addItem(unit);
        m_lstTo->addItem(unit);
    }
}

void frmGUI::lstFrom_Click()
{
    StopVeggieFlash();
    RestStepPointer(Step::FromUnit);
    m_txtResult->clear();
    if (IsStepPending(Step::Quantity)) {
        setUsable(*m_lstTo, false);
    } else {
        StartStepPointer(Step::ToUnit);
        setUsable(*m_lstTo, true);
    }
}

void frmGUI::txtQuantity_KeyPress(int /*keyAscii*/)
{
    StopVeggieFlash();
    RestStepPointer(Step::Quantity);
    if (IsStepPending(Step::FromUnit)) {
        setUsable(*m_lstTo, false);
    } else {
        StartStepPointer(Step::ToUnit);
        setUsable(*m_lstTo, true);
    }
    m_txtResult->clear();
}

void frmGUI::quantityEdited()
{
    // Delete and its kind change the quantity without giving it, so the steps stay as
    // they are; but a line for a quantity the box no longer holds would be untrue.
    StopVeggieFlash();
    m_txtResult->clear();
}

void frmGUI::txtQuantity_GotFocus()
{
    m_txtQuantity->setSelection(0, int(m_txtQuantity->text().size()));
}

// ---- Conversion request -----------------------------------------------------------

// The refusal's box takes the keyboard while it is up. A window manager hands it back to
// this window when the box closes; without one nothing would, so the window takes it back
// itself, but only if it had it when the box came up: it takes it from no other program.
void frmGUI::showRefusal(const QString& text)
{
    const bool hadKeyboard = isActiveWindow();
    m_services.messages.show(text, Critical, refusalTitle());
    if (hadKeyboard && !isActiveWindow())
        activateWindow();
}

void frmGUI::lstTo_Click()
{
    // Nothing may escape an event handler: every failure ends here, in a message or
    // in silence, and the window stays as the user left it.
    try {
        StopVeggieFlash();
        m_tmrTo->stop();

        const ConversionOutcome outcome =
            convert({m_cmbCategory->currentText(), m_lstFrom->selectedText(),
                     m_txtQuantity->text(), m_lstTo->selectedText(), QLocale()});
        using Kind = ConversionOutcome::Kind;
        switch (outcome.kind) {
        case Kind::Line:
            setResultLine(outcome.text);
            DisplayVeggies();
            break;
        case Kind::InvalidCategory:
            showRefusal(outcome.text);
            m_cmbCategory->setFocus();
            break;
        case Kind::InvalidQuantity:
            showRefusal(outcome.text);
            StartStepPointer(Step::Quantity);
            focusQuantity();
            break;
        case Kind::GasMarkRange:
        case Kind::TooLarge:
            showRefusal(outcome.text);
            focusQuantity();
            break;
        case Kind::Nothing:
            break;
        }
    } catch (...) {
        // Any other failure ends the request silently, as the program always has.
    }
}

// ---- Result text ------------------------------------------------------------------

void frmGUI::setResultLine(const QString& line)
{
    m_txtResult->setText(line);
    // Screen readers hear the new line without having to go and look for it.
    m_announcer->announce(line);
}

// ---- Menus, links and the pointer -------------------------------------------------

void frmGUI::mnuExit_Click()
{
    close();
}

void frmGUI::mnuGoToURL_Click()
{
    lblURL_Click();
}

void frmGUI::mnuAbout_Click()
{
    emit aboutRequested();
}

void frmGUI::lblURL_Click()
{
    form::setForeground(*m_lblURL, 0x00800080u);
    openWebSite();
}

void frmGUI::imgLogo_Click()
{
    lblURL_Click();
}

void frmGUI::lblLearn_Click()
{
    openWebSite();
}

void frmGUI::openWebSite()
{
    // Each link opens the site in a browser window of its own; nothing is kept.
    if (!m_services.browser.open(webAddress()))
        m_services.messages.show(BrowserFailedMessage, Exclamation, Application::title());
}

void frmGUI::lblURL_MouseMove()
{
    m_pointerMode = CustomPointer;
    m_mouseIcon = ImageList1.picture(QStringLiteral("Hand"));
    applyPointer();
}

void frmGUI::lblLearn_MouseMove()
{
    lblURL_MouseMove();
}

void frmGUI::imgLogo_MouseMove()
{
    m_pointerMode = CustomPointer;
    applyPointer();
}

void frmGUI::Form_MouseMove()
{
    m_pointerMode = DefaultPointer;
    applyPointer();
}

void frmGUI::applyPointer()
{
    QWidget* client = centralWidget();
    if (!client)
        return;
    // Custom mode without a picture yet shows the ordinary arrow.
    if (m_pointerMode == CustomPointer && !m_mouseIcon.isNull()) {
        if (m_handCursor.pixmap().cacheKey() != m_mouseIcon.cacheKey())
            m_handCursor = QCursor(m_mouseIcon, hotSpot(m_mouseIcon).x(), hotSpot(m_mouseIcon).y());
        client->setCursor(m_handCursor);
    } else {
        client->setCursor(Qt::ArrowCursor);
    }
}

bool frmGUI::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_lblURL)
            lblURL_MouseMove();
        else if (watched == m_lblLearn)
            lblLearn_MouseMove();
        else if (watched == m_imgLogo)
            imgLogo_MouseMove();
        else if (watched == centralWidget()
                 && !centralWidget()->childAt(mouse->position().toPoint()))
            Form_MouseMove();
    } else if (type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool inside = widget && widget->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && inside) {
            if (watched == m_lblURL)
                lblURL_Click();
            else if (watched == m_lblLearn)
                lblLearn_Click();
            else if (watched == m_imgLogo)
                imgLogo_Click();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace pellimor
