#include "TestRegistry.h"

#ifdef MARROWFOLD_TEST_WIDGETS
#include "app/Application.h"

#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TestApplication app(argc, argv);
#ifdef MARROWFOLD_TEST_WIDGETS
    // The windows take their font from the application, as in the program.
    QApplication::setFont(mf::windowFont());
#endif
    return runRegisteredTests(argc, argv);
}
