#include "sheets/ui/TForm3.h"
#include "platform/ui/DirectInputEdit.h"
#include "platform/ui/WidgetNames.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace mf {

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 482;

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *l = named(new QLabel(text, parent), name);
    l->setGeometry(geometry);
    return l;
}

} // namespace

TForm3::TForm3(OutputSizeTable &sizes, int selected, const QString &programFolder,
               const QString &titleText, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_sizes(sizes), m_selected(selected), m_programFolder(programFolder), m_titleText(titleText),
      m_prompter(prompter)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(titleText + QStringLiteral("　[余白調整]"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    auto buddy = [](QLabel *l, QLineEdit *e) { l->setBuddy(e); };

    buddy(label(this, "Label20", QStringLiteral("カスタム名称"), {16, 16, 130, 18}),
          Edit13 = field("Edit13", 36, {150, 14, 260, 22}));

    buddy(label(this, "Label21", QStringLiteral("解像度"), {16, 46, 130, 18}),
          Edit12 = field("Edit12", 4, {150, 44, 60, 22}));
    label(this, "Label22", QStringLiteral("dpi"), {214, 46, 40, 18});

    // Two rows of width and height; the accessible names say which pair a field belongs to.
    auto pairRow = [&](int y, const char *captionName, const QString &caption,
                       const char *widthLabelName, QLineEdit *&width, const char *widthName,
                       const char *widthUnitName, const char *heightLabelName, QLineEdit *&height,
                       const char *heightName, const char *heightUnitName, int maxLength) {
        label(this, captionName, caption, {16, y + 2, 134, 18});
        auto *wl = label(this, widthLabelName, QStringLiteral("幅"), {150, y + 2, 20, 18});
        width = field(widthName, maxLength, {172, y, 60, 22});
        width->setAccessibleName(caption + QStringLiteral(" 幅"));
        wl->setBuddy(width);
        label(this, widthUnitName, QStringLiteral("pix"), {236, y + 2, 100, 18});
        auto *hl = label(this, heightLabelName, QStringLiteral("高さ"), {340, y + 2, 30, 18});
        height = field(heightName, maxLength, {372, y, 60, 22});
        height->setAccessibleName(caption + QStringLiteral(" 高さ"));
        hl->setBuddy(height);
        label(this, heightUnitName, QStringLiteral("pix"), {436, y + 2, 100, 18});
    };
    pairRow(76, "Label23", QStringLiteral("用紙サイズ"), "Label24", Edit9, "Edit9", "Label15",
            "Label25", Edit10, "Edit10", "Label16", 5);
    pairRow(106, "Label26", QStringLiteral("写真１枚あたりのサイズ"), "Label27", Edit7, "Edit7",
            "Label10", "Label28", Edit8, "Edit8", "Label11", 4);

    label(this, "Label31", QStringLiteral("列間隔"), {150, 138, 50, 18});
    Label29 = label(this, "Label29", QStringLiteral("-"), {200, 138, 130, 18});
    label(this, "Label32", QStringLiteral("行間隔"), {340, 138, 50, 18});
    Label30 = label(this, "Label30", QStringLiteral("-"), {390, 138, 130, 18});
    Label29->setAccessibleName(QStringLiteral("列間隔"));
    Label30->setAccessibleName(QStringLiteral("行間隔"));

    buddy(label(this, "Label19", QStringLiteral("フォントの高さ"), {16, 168, 130, 18}),
          Edit11 = field("Edit11", 3, {150, 166, 40, 22}));
    label(this, "Label18", QStringLiteral("pix"), {194, 168, 100, 18});

    // The margins stand around a blank picture of the sheet, the grid inside it.
    auto *group = named(new QGroupBox(QStringLiteral("余白と行列数"), this), "GroupBox1");
    group->setGeometry(8, 198, kWidth - 16, 230);
    Memo1 = named(new QPlainTextEdit(group), "Memo1");
    Memo1->setGeometry(150, 52, 244, 120);
    Memo1->setEnabled(false);
    Memo1->setAccessibleName(QStringLiteral("用紙"));
    auto margin = [&](const char *captionName, const QString &caption, const QPoint &at,
                      QLineEdit *&edit, const char *editName, const char *unitName,
                      const QPoint &unitAt) {
        auto *l = label(group, captionName, caption, {at.x(), at.y() + 2, 44, 18});
        edit = field(editName, 4, {at.x() + 46, at.y(), 50, 22}, group);
        l->setBuddy(edit);
        label(group, unitName, QStringLiteral("pix"), {unitAt, QSize(100, 18)});
    };
    margin("Label5", QStringLiteral("上余白"), {190, 24}, Edit3, "Edit3", "Label1", {290, 26});
    margin("Label6", QStringLiteral("左余白"), {8, 90}, Edit1, "Edit1", "Label2", {54, 116});
    margin("Label7", QStringLiteral("右余白"), {400, 90}, Edit2, "Edit2", "Label3", {446, 116});
    margin("Label12", QStringLiteral("下余白"), {190, 180}, Edit4, "Edit4", "Label4", {290, 182});
    auto count = [&](const char *captionName, const QString &caption, int x, QLineEdit *&edit,
                     const char *editName) {
        auto *l = label(group, captionName, caption, {x, 102, 18, 18});
        edit = field(editName, 3, {x + 20, 100, 40, 22}, group);
        l->setBuddy(edit);
    };
    count("Label8", QStringLiteral("列"), 196, Edit5, "Edit5");
    count("Label9", QStringLiteral("行"), 290, Edit6, "Edit6");

    auto button = [this](const char *name, const QString &caption, QStyle::StandardPixmap icon,
                         const QRect &geometry) {
        return glyphButton(this, name, caption, icon, geometry);
    };
    BitBtn3 = button("BitBtn3", QStringLiteral("カスタムサイズの登録"), QStyle::SP_DialogSaveButton,
                     {16, kHeight - 44, 170, 30});
    BitBtn1 = button("BitBtn1", QStringLiteral("　Ｏ　Ｋ"), QStyle::SP_DialogOkButton,
                     {kWidth - 228, kHeight - 44, 104, 30});
    BitBtn2 = button("BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton,
                     {kWidth - 116, kHeight - 44, 104, 30});
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);

    // Each length shows its millimetres at the working dpi, and every number that takes part
    // in the layout refreshes the gaps.
    const std::pair<QLineEdit *, const char *> withUnit[] = {
        {Edit9, "Label15"}, {Edit10, "Label16"}, {Edit7, "Label10"},
        {Edit8, "Label11"}, {Edit11, "Label18"}, {Edit3, "Label1"},
        {Edit4, "Label4"},  {Edit1, "Label2"},   {Edit2, "Label3"}};
    for (const auto &[edit, unitName] : withUnit) {
        QLabel *unit = findChild<QLabel *>(QString::fromLatin1(unitName));
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

QLineEdit *TForm3::field(const char *name, int maxLength, const QRect &geometry, QWidget *parent)
{
    // Every field but the name is a number read without a word.
    QWidget *owner = parent ? parent : this;
    auto *edit = named(
        qstrcmp(name, "Edit13") == 0 ? new QLineEdit(owner) : new DirectInputEdit(owner), name);
    edit->setGeometry(geometry);
    edit->setMaxLength(maxLength);
    return edit;
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
