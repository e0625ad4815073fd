#include "ui/about/frmAbout.h"

#include "engine/RuntimeError.h"
#include "platform/Application.h"
#include "ui/common/FormTools.h"
#include "ui/common/ImageList.h"

#include <QByteArray>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <vector>

namespace pellimor {

namespace {

constexpr std::uint32_t Black = 0x00000000u;
constexpr std::uint32_t Grey = 0x00808080u;

// Both registry look-ups hand in and get back text in the system's 8-bit encoding.
std::string registryText(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// The registry reports how many bytes it wrote. A string comes with its terminating
// NUL, which goes; anything else is kept whole. An empty value has no last byte to
// look at, and that is an error, as it always was.
QByteArray keptBytes(const std::vector<char>& buffer, std::uint32_t size)
{
    if (size == 0)
        throw RuntimeError(5, "Invalid procedure call or argument");
    const qsizetype length = std::min<qsizetype>(size, qsizetype(buffer.size()));
    const bool nulAtEnd = qsizetype(size) <= qsizetype(buffer.size()) && buffer[size - 1] == '\0';
    return QByteArray(buffer.data(), nulAtEnd ? length - 1 : length);
}

// Closes the key however the look-up ends, a raised error included. Closing a key
// that failed to open is harmless and done all the same.
class KeyCloser {
public:
    KeyCloser(IRegistry& registry, const IRegistry::Key& key) : m_registry(registry), m_key(key) {}
    ~KeyCloser() { m_registry.close(m_key); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    IRegistry& m_registry;
    const IRegistry::Key& m_key;
};

} // namespace

frmAbout::frmAbout()
    : frmAbout(Services::real())
{
}

frmAbout::frmAbout(Services services, QWidget* parent)
    // A dialog window stays out of the task bar and has neither minimise nor maximise.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_services(services)
{
    createControls();
    Form_Load();
}

frmAbout::~frmAbout() = default;

QLabel* frmAbout::makeLabel(const char* name, const QRect& geometry, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget* frmAbout::makeLine(const char* name, const QRect& geometry, std::uint32_t colour)
{
    auto* line = new QWidget(this);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, form::color(colour));
    line->setPalette(palette);
    return line;
}

QPushButton* frmAbout::makeButton(const char* name, const QRect& geometry, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void frmAbout::createControls()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Pellimor"));
    setFont(form::sansSerif(8.25));
    setFixedSize(form::rect(0, 0, 5730, 3555).size());

    cmdAgreement = makeButton("cmdAgreement", form::rect(4320, 2640, 1245, 345),
                              QStringLiteral("&Agreement..."));

    picIcon = makeLabel("picIcon", form::rect(240, 240, 540, 540), QString());
    picIcon->setFocusPolicy(Qt::TabFocus);
    // A Tab stop without words: a screen reader needs to be told what the focus is on.
    picIcon->setAccessibleName(QStringLiteral("Pellimor"));

    cmdOK = makeButton("cmdOK", form::rect(4320, 3120, 1260, 345), QStringLiteral("OK"));
    cmdOK->setDefault(true);

    cmdSysInfo = makeButton("cmdSysInfo", form::rect(4320, 1920, 1245, 345),
                            QStringLiteral("&System Info..."));

    Label1 = makeLabel("Label1", form::rect(1320, 1440, 2925, 210),
                       QStringLiteral("This application is a freeware. "));
    form::setForeground(*Label1, Black);

    // The etched separator: a grey line with a white one just below it.
    makeLine("Line1_1", QRect(QPoint(form::px(90), form::px(2445)),
                              QPoint(form::px(5654), form::px(2445))), Grey);

    lblDescription = makeLabel("lblDescription", form::rect(1320, 840, 3285, 450),
                               QStringLiteral("Copyright \u00A9 2024 Brenvo.\nAll rights reserved."));
    lblDescription->setWordWrap(true);
    form::setForeground(*lblDescription, Black);

    lblTitle = makeLabel("lblTitle", form::rect(1320, 240, 3285, 240), QStringLiteral("Pellimor"));
    lblTitle->setFont(form::sansSerif(8.25, true));
    form::setForeground(*lblTitle, Black);

    makeLine("Line1_0", QRect(QPoint(form::px(105), form::px(2460)),
                              QPoint(form::px(5654), form::px(2460) + 1)), form::White);

    lblVersion = makeLabel("lblVersion", form::rect(1320, 480, 2925, 225), QString());

    setTabOrder(cmdOK, picIcon);
    setTabOrder(picIcon, cmdSysInfo);
    setTabOrder(cmdSysInfo, cmdAgreement);
    cmdOK->setFocus(Qt::OtherFocusReason);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdAgreement, &QPushButton::clicked, this, &frmAbout::cmdAgreement_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    const QPixmap& radish = ImageList::shared().picture(QStringLiteral("Radis"));
    setWindowIcon(QIcon(radish));
    lblVersion->setText(Application::versionText());
    form::setPicture(*picIcon, radish);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdAgreement_Click()
{
    emit agreementRequested();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    try {
        QString ToolPath;
        // The registered path is trusted as it is; only a folder is checked for the tool.
        if (!GetKeyValue(IRegistry::LocalMachine, QLatin1String(ToolPathKey),
                         QLatin1String(ToolPathValue), ToolPath)) {
            if (!GetKeyValue(IRegistry::LocalMachine, QLatin1String(ToolFolderKey),
                             QLatin1String(ToolFolderValue), ToolPath)) {
                reportUnavailable();
                return;
            }
            const QString toolFile = ToolPath + QLatin1String(ToolFileName);
            if (!m_services.launcher.normalFileExists(toolFile)) {
                reportUnavailable();
                return;
            }
            ToolPath = toolFile;
        }
        if (!m_services.launcher.start(ToolPath, NormalFocus))
            reportUnavailable();
    } catch (...) {
        reportUnavailable();
    }
}

void frmAbout::reportUnavailable()
{
    m_services.messages.show(QStringLiteral("System Information Is Unavailable At This Time"),
                             OkOnly, Application::title());
}

bool frmAbout::GetKeyValue(IRegistry::Key KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal)
{
    IRegistry& registry = m_services.registry;
    IRegistry::Key hKey = 0;
    const KeyCloser closer(registry, hKey);

    // Read access is all the look-up needs, and all an ordinary user is granted.
    if (registry.open(KeyRoot, registryText(KeyName), 0, IRegistry::ReadAccess, hKey)
        != IRegistry::Success) {
        KeyVal.clear();
        return false;
    }

    std::vector<char> buffer(ValueBufferSize, '\0');
    std::uint32_t size = ValueBufferSize;
    std::uint32_t type = 0;
    if (registry.query(hKey, registryText(SubKeyRef), type, buffer, size) != IRegistry::Success) {
        KeyVal.clear();
        return false;
    }

    const QByteArray value = keptBytes(buffer, size);
    switch (type) {
    case IRegistry::StringType:
        KeyVal = QString::fromLocal8Bit(value);
        break;
    case IRegistry::NumberType: {
        // Byte by byte from the last, each in hexadecimal without leading zeros, added
        // to what KeyVal held. Neither of the program's own values is a number.
        QString digits = KeyVal;
        for (qsizetype i = value.size() - 1; i >= 0; --i)
            digits += QString::number(static_cast<unsigned char>(value.at(i)), 16).toUpper();
        KeyVal = QStringLiteral("&h") + digits;
        break;
    }
    default:
        break;
    }
    return true;
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A button with the focus takes Enter itself; anywhere else it is OK's.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button != cmdOK)
            button->click();
        else
            cmdOK->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        cmdOK->click();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace pellimor
