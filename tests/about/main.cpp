#include <QApplication>

int runFrmAboutTests(int argc, char** argv);
int runFrmAgreementTests(int argc, char** argv);

// Both windows of the area in one executable; each test class runs in turn.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runFrmAboutTests(argc, argv);
    failed += runFrmAgreementTests(argc, argv);
    return failed;
}
