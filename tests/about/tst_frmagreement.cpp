#include "ui/about/frmAgreement.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
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
    void escapeCloses();
};

void TestFrmAgreement::textIsExactlyAsStored()
{
    const QString text = frmAgreement::AgreementText();
    QCOMPARE(text.size(), 2681);
    QVERIFY(text.endsWith(QStringLiteral("\r\n")) && !text.endsWith(QStringLiteral("\r\n\r\n")));
    // No LF alone, no CR alone.
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(?<!\r)\n|\r(?!\n)"))), 0);
    QVERIFY(std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 128; }));
}

void TestFrmAgreement::textHoldsItsPiecesInOrder()
{
    // One blank line between single-line paragraphs: the title, five paragraphs, a heading
    // and one paragraph, a heading and four, then the closing two lines together.
    QVERIFY(!frmAgreement::AgreementText().contains(QStringLiteral("\r\n\r\n\r\n")));
    QStringList blocks = frmAgreement::AgreementText().split(QStringLiteral("\r\n"));
    blocks.removeAll(QString());
    QCOMPARE(blocks.size(), 15);
    QCOMPARE(blocks[0], QStringLiteral("Freeware Licensing Agreement"));
    QCOMPARE(blocks[6], QStringLiteral("COPYRIGHT NOTICE"));
    QCOMPARE(blocks[8], QStringLiteral("DISCLAIMER"));
    QVERIFY(blocks[2].contains(QStringLiteral("Pellimor")));
    QVERIFY(blocks[13].startsWith(QStringLiteral("Copyright")));
    QVERIFY(blocks[14].contains(QLatin1Char('@')));
}

void TestFrmAgreement::windowShowsTheText()
{
    frmAgreement agreement;
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), frmAgreement::AgreementText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TestFrmAgreement::typingChangesNothing_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("letters") << QKeySequence(QStringLiteral("a, b, c"));
    QTest::newRow("Delete") << QKeySequence(Qt::Key_Delete);
    QTest::newRow("paste") << QKeySequence(QKeySequence::Paste);
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
}

void TestFrmAgreement::escapeCloses()
{
    for (const char* focus : {"cmdOK", "txtAgreement"}) {
        frmAgreement agreement;
        agreement.show();
        QVERIFY(QTest::qWaitForWindowActive(&agreement));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
        auto* target = agreement.findChild<QWidget*>(QLatin1String(focus));
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY2(!agreement.isVisible(), focus);
    }
}

int runFrmAgreementTests(int argc, char** argv)
{
    TestFrmAgreement tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_frmagreement.moc"
