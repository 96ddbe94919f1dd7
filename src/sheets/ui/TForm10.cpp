#include "sheets/ui/TForm10.h"

#include "platform/Codec.h"
#include "platform/Numbers.h"
#include "platform/ui/WidgetNames.h"

#include <QStyle>
#include <QValidator>

#include <algorithm>

namespace mf {

namespace {

// Characters that may be typed into the page offset; a loaded offset may be longer.
constexpr int kOffsetTypedLength = 5;

// The title, page label and page suffix are limited in Shift-JIS bytes, as the file stores
// them: the title takes 250 full-width characters or 500 half-width ones. Whatever goes beyond
// is cut, as a length limit cuts a paste. Text Shift-JIS cannot hold is left for the save to
// refuse with its message.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString &input, int &pos) const override
    {
        const QString stored = toCp932Spelling(input);
        if (cp932Length(stored) > m_maxBytes) {
            input.truncate(leftCp932(stored, m_maxBytes).size());
            pos = std::min(pos, int(input.size()));
        }
        return Acceptable;
    }

private:
    int m_maxBytes;
};

} // namespace

TForm10::TForm10(const QString &titleText, const QString &programFolder, Prompter &prompter,
                 QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_titleText(titleText), m_programFolder(programFolder), m_prompter(prompter)
{
    setupUi(this);
    setGlyphs({{BitBtn1, QStyle::SP_DialogOkButton}, {BitBtn2, QStyle::SP_DialogCancelButton}});
    // The texts are limited in the bytes their file keeps, by the same numbers as the file.
    const std::pair<QLineEdit *, int> byteLimited[] = {
        {Edit13, kTitleMaxBytes}, {Edit3, kPageTextMaxBytes}, {Edit4, kPageTextMaxBytes}};
    for (const auto &[edit, maxBytes] : byteLimited) {
        edit->setMaxLength(maxBytes);
        edit->setValidator(new ByteLimitValidator(maxBytes, edit));
    }

    showFields();

    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { m_fields.showTitle = on; });
    connect(CheckBox2, &QCheckBox::toggled, this,
            [this](bool on) { m_fields.showPageNumber = on; });
    const std::pair<QRadioButton *, TitleAlign> aligns[] = {{RadioButton1, TitleAlign::Left},
                                                            {RadioButton2, TitleAlign::Centre},
                                                            {RadioButton3, TitleAlign::Right}};
    for (const auto &[radio, align] : aligns) {
        connect(radio, &QRadioButton::toggled, this, [this, align](bool on) {
            if (on)
                m_fields.align = align;
        });
    }
    connect(Edit13, &QLineEdit::textChanged, this, &TForm10::Edit13Change);
    connect(Edit11, &QLineEdit::textChanged, this, &TForm10::Edit11Change);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm10::Edit11Change);
    connect(Edit3, &QLineEdit::textChanged, this, &TForm10::Edit3Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm10::Edit1Change);
    connect(Edit4, &QLineEdit::textChanged, this, &TForm10::Edit4Change);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm10::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm10::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm10::BitBtn2Click);
}

void TForm10::setSelectedSize(std::function<const OutputSize *()> selectedSize)
{
    m_selectedSize = std::move(selectedSize);
}

void TForm10::setProjectName(std::function<QString()> projectName)
{
    m_projectName = std::move(projectName);
}

TitleSettings TForm10::settings() const
{
    return titleSettingsFromFields(m_fields);
}

const TitleFields &TForm10::fields() const
{
    return m_fields;
}

const OutputSize *TForm10::selectedSize() const
{
    return m_selectedSize ? m_selectedSize() : nullptr;
}

void TForm10::Edit13Change(const QString &text)
{
    m_fields.title = text;
}

void TForm10::Edit11Change()
{
    m_fields.titleHeight = Edit11->text();
    m_fields.pageHeight = Edit2->text();
    UpdateFontHeights();
}

void TForm10::Edit3Change(const QString &text)
{
    m_fields.pageLabel = text;
}

void TForm10::Edit1Change(const QString &text)
{
    m_fields.pageOffset = text;
}

void TForm10::Edit4Change(const QString &text)
{
    m_fields.pageSuffix = text;
}

void TForm10::UpdateFontHeights()
{
    // The millimetres depend on the resolution of the size the sample sheet window has
    // selected; without that window there is nothing to measure against.
    const OutputSize *size = selectedSize();
    if (!size)
        return;
    Label18->setText(fontHeightLabel(parseTypedNumber(Edit11->text()), size->dpi));
    Label3->setText(fontHeightLabel(parseTypedNumber(Edit2->text()), size->dpi));
}

void TForm10::BitBtn3Click()
{
    const OutputSize *size = selectedSize();
    if (!size)
        return;
    const TitleHeights heights = AutoHeights(size->topMargin);
    Edit11->setText(QString::number(heights.title));
    Edit2->setText(QString::number(heights.page));
}

void TForm10::BitBtn1Click()
{
    const QString project = m_projectName ? m_projectName() : QString();
    if (SaveTitleData(m_programFolder, project, m_fields, m_prompter, m_titleText) == TitleDataOk)
        accept();
}

void TForm10::BitBtn2Click()
{
    const QString project = m_projectName ? m_projectName() : QString();
    LoadTitleData(m_programFolder, project, m_fields, m_prompter);
    showFields();
    UpdateFontHeights();
    QDialog::reject();
}

void TForm10::reject()
{
    // Esc and the close box cancel like the button: the edits give way to the saved file.
    BitBtn2Click();
}

void TForm10::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Another size (another resolution) may have been selected since the dialog was last open.
    UpdateFontHeights();
}

void TForm10::showFields()
{
    // Each control writes its text back into the record as it changes; work from a copy so
    // that a control set early cannot overwrite a value meant for one set later.
    const TitleFields f = m_fields;
    CheckBox1->setChecked(f.showTitle);
    Edit13->setText(f.title);
    Edit11->setText(f.titleHeight);
    switch (f.align) {
    case TitleAlign::Left: RadioButton1->setChecked(true); break;
    case TitleAlign::Centre: RadioButton2->setChecked(true); break;
    case TitleAlign::Right: RadioButton3->setChecked(true); break;
    }
    CheckBox2->setChecked(f.showPageNumber);
    Edit3->setText(f.pageLabel);
    // The stored offset is the offset, however many digits it has: the field shows it whole
    // and keeps to the typing limit only as far as that allows.
    Edit1->setMaxLength(32767);
    Edit1->setText(f.pageOffset);
    Edit1->setMaxLength(std::max(kOffsetTypedLength, int(Edit1->text().size())));
    Edit4->setText(f.pageSuffix);
    Edit2->setText(f.pageHeight);
}

} // namespace mf
