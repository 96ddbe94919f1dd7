#pragma once
// The custom size and margins dialog: edits the selected output size in pixels, shows each
// length in millimetres and the gaps between the photo cells, and registers the edited
// numbers as a new custom size.

#include "platform/Services.h"
#include "sheets/CustomSizeForm.h"
#include "sheets/OutputSize.h"
#include "ui_TForm3.h"

#include <QDialog>

namespace mf {

// The controls come from the form TForm3.ui.
class TForm3 : public QDialog, private Ui::TForm3 {
    Q_OBJECT
public:
    // Edits sizes.sizes[selected]; OK writes the edited values there (memory only);
    // registration appends a new size to the table and to CustomSize.def.
    TForm3(OutputSizeTable &sizes, int selected, const QString &programFolder,
           const QString &titleText, Prompter &prompter, QWidget *parent = nullptr);
    // After exec(): the table index of a newly registered size, to be added to the size list
    // and selected; -1 when nothing was registered.
    int registeredIndex() const;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn3Click();
    void Edit12Change(const QString &text);

private:
    bool hasSelection() const;
    CustomSizeTexts texts() const;
    void updateGapLabels();

    OutputSizeTable &m_sizes;
    const int m_selected;
    const QString m_programFolder;
    const QString m_titleText;
    Prompter &m_prompter;
    // The dpi of the millimetre displays: the size's own until the operator types another.
    int m_workingDpi = 400;
    int m_registered = -1;
};

} // namespace mf
