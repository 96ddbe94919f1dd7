#include "sheets/ui/TForm3.h"
#include "platform/ui/WidgetNames.h"

#include <QStyle>

namespace mf {

TForm3::TForm3(OutputSizeTable &sizes, int selected, const QString &programFolder,
               const QString &titleText, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_sizes(sizes), m_selected(selected), m_programFolder(programFolder), m_titleText(titleText),
      m_prompter(prompter)
{
    setupUi(this);
    // The form holds the dialog's own part of the caption; the program's title goes before it.
    setWindowTitle(titleText + windowTitle());
    setGlyphs({{BitBtn3, QStyle::SP_DialogSaveButton},
               {BitBtn1, QStyle::SP_DialogOkButton},
               {BitBtn2, QStyle::SP_DialogCancelButton}});

    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);

    // Each length shows its millimetres at the working dpi, and every number that takes part
    // in the layout refreshes the gaps.
    const std::pair<QLineEdit *, QLabel *> withUnit[] = {
        {Edit9, Label15}, {Edit10, Label16}, {Edit7, Label10}, {Edit8, Label11}, {Edit11, Label18},
        {Edit3, Label1},  {Edit4, Label4},   {Edit1, Label2},  {Edit2, Label3}};
    for (const auto &[edit, unit] : withUnit) {
        connect(edit, &QLineEdit::textChanged, this, [this, unit](const QString &text) {
            unit->setText(unitLabel(text, m_workingDpi));
            updateGapLabels();
        });
    }
    for (QLineEdit *edit : {Edit5, Edit6})
        connect(edit, &QLineEdit::textChanged, this, &TForm3::updateGapLabels);
    // Only the operator's own edits: filling the field on opening is no change of resolution.
    connect(Edit12, &QLineEdit::textEdited, this, &TForm3::Edit12Change);

    if (!hasSelection())
        return;
    const OutputSize &size = m_sizes.sizes[m_selected];
    m_workingDpi = size.dpi;
    if (ColumnGap(size) < 0 || RowGap(size) < 0) {
        m_prompter.inform(msg::negativeGap, m_titleText);
        return;
    }
    const CustomSizeTexts t = customSizeTexts(size);
    Edit1->setText(t.leftMargin);
    Edit2->setText(t.rightMargin);
    Edit3->setText(t.topMargin);
    Edit4->setText(t.bottomMargin);
    Edit5->setText(t.columns);
    Edit6->setText(t.rows);
    Edit7->setText(t.photoWidth);
    Edit8->setText(t.photoHeight);
    Edit9->setText(t.paperWidth);
    Edit10->setText(t.paperHeight);
    Edit11->setText(t.numberFontHeight);
    Edit12->setText(t.dpi);
    Edit13->setText(t.name);
    updateGapLabels();
}

int TForm3::registeredIndex() const
{
    return m_registered;
}

bool TForm3::hasSelection() const
{
    return m_selected >= 0 && m_selected < m_sizes.count;
}

CustomSizeTexts TForm3::texts() const
{
    CustomSizeTexts t;
    t.name = Edit13->text();
    t.dpi = Edit12->text();
    t.paperWidth = Edit9->text();
    t.paperHeight = Edit10->text();
    t.photoWidth = Edit7->text();
    t.photoHeight = Edit8->text();
    t.columns = Edit5->text();
    t.rows = Edit6->text();
    t.leftMargin = Edit1->text();
    t.rightMargin = Edit2->text();
    t.topMargin = Edit3->text();
    t.bottomMargin = Edit4->text();
    t.numberFontHeight = Edit11->text();
    return t;
}

void TForm3::updateGapLabels()
{
    const GapLabels gaps = gapLabels(texts());
    Label29->setText(gaps.column);
    Label30->setText(gaps.row);
}

void TForm3::Edit12Change(const QString &text)
{
    // The millimetres already shown stay as they are until their fields change, hence the
    // advice to reopen the dialog.
    if (const std::optional<int> dpi = typedDpi(text)) {
        m_workingDpi = *dpi;
        m_prompter.inform(msg::dpiChangeAdvice, m_titleText);
    }
}

void TForm3::BitBtn1Click()
{
    if (!hasSelection())
        return;
    if (ApplySizeEdits(m_sizes.sizes[m_selected], texts(), m_prompter, m_titleText))
        accept();
}

void TForm3::BitBtn3Click()
{
    const int index =
        RegisterCustomSize(m_sizes, texts(), m_programFolder, m_prompter, m_titleText);
    if (index < 0)
        return;
    m_registered = index;
    accept();
}

} // namespace mf
