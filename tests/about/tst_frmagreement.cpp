#include "ui/about/frmAgreement.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace pellimor;

class TestFrmAgreement : public QObject {
    Q_OBJECT

private slots:
    void textIsExactlyAsStored();
    void textHoldsItsPiecesInOrder();
    void windowShowsTheText();
    void typingChangesNothing_data();
    void typingChangesNothing();
    void escapeCloses_data();
    void escapeCloses();
    void resizingMovesNothing();
};

void TestFrmAgreement::textIsExactlyAsStored()
{
    const QString text = frmAgreement::AgreementText();
    QCOMPARE(text.size(), 2681);
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    QVERIFY(!text.endsWith(QStringLiteral("\r\n\r\n")));
    // Every line end is CR LF: no LF alone, no CR alone.
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(?<!\r)\n"))), 0);
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("\r(?!\n)"))), 0);
    for (QChar c : text)
        QVERIFY2(c.unicode() < 128, "plain ASCII only");
}

void TestFrmAgreement::textHoldsItsPiecesInOrder()
{
    const QStringList lines = frmAgreement::AgreementText().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.first(), QStringLiteral("Freeware Licensing Agreement"));
    // Paragraphs are single lines with one blank line between them: the title, five
    // paragraphs, a heading and one paragraph, a heading and four, then the closing two
    // lines together.
    QStringList blocks;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            blocks << line;
    }
    QCOMPARE(blocks.size(), 1 + 5 + 2 + 5 + 2);
    QCOMPARE(blocks[6], QStringLiteral("COPYRIGHT NOTICE"));
    QCOMPARE(blocks[8], QStringLiteral("DISCLAIMER"));
    QVERIFY(blocks[2].contains(QStringLiteral("Pellimor")));
    QVERIFY(blocks[13].startsWith(QStringLiteral("Copyright")));
    QVERIFY(blocks[14].contains(QStringLiteral("@")));
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        if (lines[i].isEmpty())
            QVERIFY2(!lines[i - 1].isEmpty() && !lines[i + 1].isEmpty(), "one blank line between paragraphs");
    }
}

void TestFrmAgreement::windowShowsTheText()
{
    frmAgreement agreement;
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), frmAgreement::AgreementText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(!agreement.windowIcon().isNull());
}

void TestFrmAgreement::typingChangesNothing_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("letters") << QKeySequence(QStringLiteral("a, b, c"));
    QTest::newRow("Enter") << QKeySequence(Qt::Key_Return);
    QTest::newRow("Backspace") << QKeySequence(Qt::Key_Backspace);
    QTest::newRow("Delete") << QKeySequence(Qt::Key_Delete);
    QTest::newRow("paste") << QKeySequence(QKeySequence::Paste);
    QTest::newRow("cut") << QKeySequence(QKeySequence::Cut);
}

void TestFrmAgreement::typingChangesNothing()
{
    QFETCH(QKeySequence, keys);
    frmAgreement agreement;
    agreement.show();
    QVERIFY(QTest::qWaitForWindowActive(&agreement));
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    QVERIFY(text);
    const QString before = text->toPlainText();
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    text->setFocus();
    text->selectAll();
    QTest::keySequence(text, keys);
    QCOMPARE(text->toPlainText(), before);
    QVERIFY(agreement.isVisible());
}

void TestFrmAgreement::escapeCloses_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("on OK") << "cmdOK";
    QTest::newRow("in the text") << "txtAgreement";
}

void TestFrmAgreement::escapeCloses()
{
    QFETCH(QString, focus);
    frmAgreement agreement;
    agreement.show();
    QVERIFY(QTest::qWaitForWindowActive(&agreement));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    auto* target = agreement.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(!agreement.isVisible());
}

void TestFrmAgreement::resizingMovesNothing()
{
    frmAgreement agreement;
    agreement.show();
    QVERIFY(QTest::qWaitForWindowExposed(&agreement));
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    auto* ok = agreement.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    QVERIFY(text && ok);
    const QRect textPlace = text->geometry();
    const QRect okPlace = ok->geometry();
    agreement.resize(900, 700);
    QTRY_COMPARE(agreement.size(), QSize(900, 700));
    QCOMPARE(text->geometry(), textPlace);
    QCOMPARE(ok->geometry(), okPlace);
    QCOMPARE(textPlace, QRect(16, 16, 505, 361));
}

int runFrmAgreementTests(int argc, char** argv)
{
    TestFrmAgreement tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_frmagreement.moc"
