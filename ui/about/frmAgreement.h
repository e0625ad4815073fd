#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace pellimor {

// The freeware licensing agreement as read-only text that can be scrolled, selected
// and copied, with an OK button that closes the window. The text is compiled in, so
// the package can install the very same words as its copyright file.
class frmAgreement : public QWidget {
    Q_OBJECT

public:
    // Creating the window loads it: the controls are made and Form_Load runs.
    explicit frmAgreement(QWidget* parent = nullptr);
    ~frmAgreement() override;

    // The agreement exactly as stored: CR LF line ends, a blank line between paragraphs.
    static QString AgreementText();

public slots:
    void Form_Load();
    void cmdOK_Click();

private:
    void createControls();

    QPushButton* cmdOK = nullptr;
    QPlainTextEdit* txtAgreement = nullptr;
};

} // namespace pellimor
