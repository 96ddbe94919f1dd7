#include "sheets/ui/TForm10.h"
#include "platform/ui/DirectInputEdit.h"
#include "platform/ui/WidgetNames.h"

#include "platform/Codec.h"
#include "platform/Numbers.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QValidator>

#include <algorithm>

namespace mf {

namespace {

constexpr int kWidth = 706;
constexpr int kHeight = 210;
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
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("タイトル文字列設定"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    auto label = [this](const char *name, const QString &text, const QRect &geometry) {
        auto *l = named(new QLabel(text, this), name);
        l->setGeometry(geometry);
        return l;
    };
    auto edit = [this](const char *name, int maxLength, const QRect &geometry) {
        auto *e = named(new QLineEdit(this), name);
        e->setGeometry(geometry);
        e->setMaxLength(maxLength);
        return e;
    };
    auto byteLimitedEdit = [&](const char *name, int maxBytes, const QRect &geometry) {
        QLineEdit *e = edit(name, maxBytes, geometry);
        e->setValidator(new ByteLimitValidator(maxBytes, e));
        return e;
    };
    auto numberEdit = [&](const char *name, int maxLength, const QRect &geometry) {
        auto *e = named(new DirectInputEdit(this), name);
        e->setGeometry(geometry);
        e->setMaxLength(maxLength);
        return e;
    };

    CheckBox1 = named(new QCheckBox(QStringLiteral("タイトルを表示する"), this), "CheckBox1");
    CheckBox1->setGeometry(12, 8, 200, 20);

    label("Label26", QStringLiteral("タイトル文字列"), {12, 36, 96, 18})
        ->setBuddy(Edit13 = byteLimitedEdit("Edit13", kTitleMaxBytes, {110, 33, kWidth - 122, 22}));
    QFont fixed(QStringLiteral("ＭＳ ゴシック"));
    fixed.setPixelSize(12);
    Edit13->setFont(fixed);
    setHint(Edit13, QStringLiteral("タイトルは全角250文字以内で入力して下さい"));

    label("Label17", QStringLiteral("フォントの高さ"), {12, 68, 96, 18})
        ->setBuddy(Edit11 = numberEdit("Edit11", 8, {110, 65, 60, 22}));
    Label18 = label("Label18", QStringLiteral("pix"), {174, 68, 90, 18});

    BitBtn3 = named(new QPushButton(QStringLiteral("高さ自動調整"), this), "BitBtn3");
    BitBtn3->setGeometry(268, 62, 110, 28);

    GroupBox1 = named(new QGroupBox(QStringLiteral("タイトル位置"), this), "GroupBox1");
    GroupBox1->setGeometry(400, 58, 294, 44);
    RadioButton1 = named(new QRadioButton(QStringLiteral("左"), GroupBox1), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("中央"), GroupBox1), "RadioButton2");
    RadioButton3 = named(new QRadioButton(QStringLiteral("右"), GroupBox1), "RadioButton3");
    RadioButton1->setGeometry(16, 18, 80, 20);
    RadioButton2->setGeometry(110, 18, 80, 20);
    RadioButton3->setGeometry(204, 18, 80, 20);

    CheckBox2 = named(new QCheckBox(QStringLiteral("ページ番号を表示する"), this), "CheckBox2");
    CheckBox2->setGeometry(12, 110, 200, 20);

    label("Label4", QStringLiteral("ページ文字"), {12, 140, 96, 18})
        ->setBuddy(Edit3 = byteLimitedEdit("Edit3", kPageTextMaxBytes, {110, 137, 120, 22}));
    label("Label1", QStringLiteral("ページ番号開始オフセット"), {244, 140, 140, 18})
        ->setBuddy(Edit1 = numberEdit("Edit1", kOffsetTypedLength, {386, 137, 60, 22}));
    label("Label5", QStringLiteral("ページ番号以降追加文字"), {460, 140, 130, 18})
        ->setBuddy(Edit4 = byteLimitedEdit("Edit4", kPageTextMaxBytes, {594, 137, 100, 22}));

    label("Label2", QStringLiteral("フォントの高さ"), {12, 176, 96, 18})
        ->setBuddy(Edit2 = numberEdit("Edit2", 8, {110, 173, 60, 22}));
    Label3 = label("Label3", QStringLiteral("pix"), {174, 176, 90, 18});

    auto button = [this](const char *name, const QString &caption, QStyle::StandardPixmap icon,
                         const QRect &geometry) {
        return glyphButton(this, name, caption, icon, geometry);
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("　Ｏ　Ｋ"), QStyle::SP_DialogOkButton,
                     {kWidth - 228, kHeight - 40, 104, 30});
    BitBtn2 = button("BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton,
                     {kWidth - 116, kHeight - 40, 104, 30});
    BitBtn3->setAutoDefault(false);

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
