#pragma once
// The long-lived windows of a run, made in their order and bound to each other: the main
// window, order entry, per-order export, start number, project management and title settings.
// The program and the test of a whole studio day build them through this one place, so the
// test binds the windows exactly as the program does.

#include "platform/Services.h"

#include <QString>

#include <functional>
#include <memory>

namespace mf {

class OrderFileChooser;
class TForm1;
class TForm4;
class TForm5;
class TForm7;
class TForm8;
class TForm10;

class ProgramWindows {
public:
    // mainWindowBuilt runs once the main window exists, before the other windows are made
    // (boxes shown from then on can belong to it).
    ProgramWindows(const QString &programFolder, Services &services, FolderChooser &chooser,
                   OrderFileChooser &orderChooser,
                   const std::function<void(TForm1 &)> &mainWindowBuilt = {});
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

    TForm1 &mainWindow() { return *m_main; }
    TForm4 &orderWindow() { return *m_orders; }
    TForm5 &exportWindow() { return *m_export; }
    TForm7 &startNumberDialog() { return *m_startNumber; }
    TForm8 &managementWindow() { return *m_management; }
    TForm10 &titleDialog() { return *m_title; }

private:
    // Declared in the order of making: the later windows are the main window's children and
    // its hooks call them, so they go first.
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm4> m_orders;
    std::unique_ptr<TForm5> m_export;
    std::unique_ptr<TForm7> m_startNumber;
    std::unique_ptr<TForm8> m_management;
    std::unique_ptr<TForm10> m_title;
};

} // namespace mf
