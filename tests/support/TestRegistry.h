#pragma once
// Lets every test class of a folder run from one executable.

#include <QObject>

#include <functional>

int registerTestClass(const char *name, std::function<QObject *()> factory);
int runRegisteredTests(int argc, char **argv);

#define MF_REGISTER_TEST(Class)                                                                    \
    static const int registered_##Class = registerTestClass(#Class, [] { return new Class; });
