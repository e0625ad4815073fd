#include "ui/about/frmAgreement.h"

#include "ui/common/FormTools.h"
#include "ui/common/ImageList.h"

#include <QFile>
#include <QIcon>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace pellimor {

frmAgreement::frmAgreement(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    createControls();
    Form_Load();
}

frmAgreement::~frmAgreement() = default;

QString frmAgreement::AgreementText()
{
    QFile file(QStringLiteral(":/text/agreement.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

void frmAgreement::createControls()
{
    setObjectName(QStringLiteral("frmAgreement"));
    setWindowTitle(QStringLiteral("Pellimor - Freeware Licensing Agreement"));
    setFont(form::sansSerif(8.25));
    // Resizable, but nothing follows the border: the controls keep their places.
    resize(form::rect(0, 0, 8055, 6465).size());

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(form::rect(6480, 5880, 1335, 375));
    cmdOK->setAutoDefault(false);

    txtAgreement = new QPlainTextEdit(this);
    txtAgreement->setObjectName(QStringLiteral("txtAgreement"));
    txtAgreement->setGeometry(form::rect(240, 240, 7575, 5415));
    txtAgreement->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAgreement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtAgreement->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtAgreement->setTabChangesFocus(true);
    txtAgreement->setReadOnly(true);
    // Nothing on screen labels the box; a screen reader says what it holds.
    txtAgreement->setAccessibleName(QStringLiteral("Freeware Licensing Agreement"));
    // Read-only, yet the text can be selected and copied with the mouse or the keys.
    txtAgreement->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtAgreement->setPlainText(AgreementText());

    setTabOrder(cmdOK, txtAgreement);
    cmdOK->setFocus(Qt::OtherFocusReason);

    // OK is the cancel button: Escape presses it wherever the focus is.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("escape"));
    connect(escape, &QShortcut::activated, cmdOK, &QPushButton::click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAgreement::cmdOK_Click);
}

void frmAgreement::Form_Load()
{
    setWindowIcon(QIcon(ImageList::shared().picture(QStringLiteral("Radis"))));
}

void frmAgreement::cmdOK_Click()
{
    close();
}

} // namespace pellimor
