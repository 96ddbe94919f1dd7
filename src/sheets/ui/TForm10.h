#pragma once
// The title settings dialog: the title line and page number of the sample sheets, kept per
// project in "<project>_title.dat". It lives as long as the program, so its settings carry
// over from one sample sheet session to the next.

#include "platform/Services.h"
#include "sheets/OutputSize.h"
#include "sheets/TitleData.h"
#include "sheets/TitleSettings.h"
#include "ui_TForm10.h"

#include <QDialog>

#include <functional>

namespace mf {

// The controls come from the form TForm10.ui.
class TForm10 : public QDialog, private Ui::TForm10 {
    Q_OBJECT
public:
    TForm10(const QString &titleText, const QString &programFolder, Prompter &prompter,
            QWidget *parent = nullptr);
    // While the sample sheet window is open it tells which size is selected; nullptr (or an
    // empty function) while it is closed: the font height labels and the automatic heights
    // then do nothing, as the dialog requires.
    void setSelectedSize(std::function<const OutputSize *()> selectedSize);
    // The current project name (the main window's project name field).
    void setProjectName(std::function<QString()> projectName);
    TitleSettings settings() const; // what the output run reads on every press and page
    const TitleFields &fields() const;

public Q_SLOTS:
    void Edit13Change(const QString &text);
    void Edit11Change();
    void Edit3Change(const QString &text);
    void Edit1Change(const QString &text);
    void Edit4Change(const QString &text);
    void BitBtn3Click();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    const OutputSize *selectedSize() const;
    void UpdateFontHeights();
    void showFields();

    const QString m_titleText;
    const QString m_programFolder;
    Prompter &m_prompter;
    std::function<const OutputSize *()> m_selectedSize;
    std::function<QString()> m_projectName;
    TitleFields m_fields;
};

} // namespace mf
