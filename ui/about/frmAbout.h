#pragma once

#include "platform/Services.h"

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;

namespace pellimor {

// The About window: name, version, a copyright line and three buttons. OK closes it,
// "Agreement..." asks for the agreement window, and "System Info..." starts the
// system's information tool, found through two registry values. The registry and the
// program starter are borrowed services, so the look-up can run against fakes.
class frmAbout : public QWidget {
    Q_OBJECT

public:
    // Where the system-information tool is registered: the tool's full path first,
    // else the folder it lives in.
    static constexpr const char* ToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    static constexpr const char* ToolPathValue = "PATH";
    static constexpr const char* ToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
    static constexpr const char* ToolFolderValue = "MSINFO";
    static constexpr const char* ToolFileName = "\\MSINFO32.EXE";
    static constexpr int ValueBufferSize = 1024;

    frmAbout();   // with the application's real services
    // Creating the window loads it: the controls are made and Form_Load runs.
    explicit frmAbout(Services services, QWidget* parent = nullptr);
    ~frmAbout() override;

    // Reads one registry value as text into KeyVal. False when the key could not be
    // opened or the value not read (KeyVal is then emptied). Values of other types
    // than string and number count as read and leave KeyVal as it was. An empty value
    // raises a RuntimeError. The key is closed on every path.
    bool GetKeyValue(IRegistry::Key KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);

signals:
    // "Agreement..." was pressed: the application shows its one agreement window.
    void agreementRequested();

public slots:
    void Form_Load();
    void cmdOK_Click();
    void cmdAgreement_Click();
    void cmdSysInfo_Click();
    // Starts the system-information tool, or says it is unavailable. Traps every error.
    void StartSysInfo();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    QLabel* makeLabel(const char* name, const QRect& geometry, const QString& text);
    QWidget* makeLine(const char* name, const QRect& geometry, std::uint32_t colour);
    QPushButton* makeButton(const char* name, const QRect& geometry, const QString& caption);
    void reportUnavailable();

    Services m_services;
    QPushButton* cmdAgreement = nullptr;
    QLabel* picIcon = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
};

} // namespace pellimor
