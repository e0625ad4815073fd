#include "ui/about/frmAgreement.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace pellimor;

class TestFrmAgreement : public QObject {
    Q_OBJECT

private slots:
    void textAsStored();
    void keys_data();
    void keys();
};

void TestFrmAgreement::textAsStored()
{
    const QString text = frmAgreement::AgreementText();
    // ASCII, CR LF only, one blank line between paragraphs, and one line end after the last.
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(?<!\r)\n|\r(?!\n)|(\r\n){3}|[^\\x00-\\x7f]"))), 0);
    QVERIFY(text.endsWith(QStringLiteral("\r\n")) && !text.endsWith(QStringLiteral("\r\n\r\n")));
    QCOMPARE(text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 15);   // paragraphs and headings
}

void TestFrmAgreement::keys_data()
{
    // Keys pressed in the text box.
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("closes");
    QTest::newRow("letters change nothing") << QKeySequence(QStringLiteral("a, b")) << false;
    QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << true;
}

void TestFrmAgreement::keys()
{
    QFETCH(QKeySequence, keys);
    frmAgreement agreement;
    agreement.show();
    QVERIFY(QTest::qWaitForWindowActive(&agreement));
    QCOMPARE(agreement.windowTitle(), QStringLiteral("Pellimor - Freeware Licensing Agreement"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    text->setFocus();
    QTest::keySequence(text, keys);
    QTEST(!agreement.isVisible(), "closes");
    QCOMPARE(text->toPlainText(), frmAgreement::AgreementText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

int runFrmAgreementTests(int argc, char** argv)
{
    TestFrmAgreement tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_frmagreement.moc"
