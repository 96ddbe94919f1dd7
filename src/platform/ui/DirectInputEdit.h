#pragma once
// A text field that takes direct input only: the input method stays off while it has the
// focus, so digits typed with a Japanese input method switched on arrive as the plain digits
// 0 to 9 and Enter acts at once instead of committing a composition first.

#include <QLineEdit>

namespace mf {

class DirectInputEdit : public QLineEdit {
    Q_OBJECT
    // Set in the forms, where a field's digits and focus behaviour are part of its layout.
    Q_PROPERTY(bool keepFullWidthDigits READ keepFullWidthDigits WRITE setKeepFullWidthDigits)
    Q_PROPERTY(bool selectAllOnFocus READ selectAllOnFocus WRITE setSelectAllOnFocus)
public:
    enum class FullWidthDigits {
        Keep,       // the field refuses what is not a digit, with its own message
        AsHalfWidth // the field's text is read without a word: ０–９ become 0–9 as they arrive
    };

    explicit DirectInputEdit(QWidget *parent = nullptr,
                             FullWidthDigits digits = FullWidthDigits::AsHalfWidth);

    bool keepFullWidthDigits() const { return m_halfWidthDigits == nullptr; }
    void setKeepFullWidthDigits(bool keep);

    // Select the whole text whenever the focus comes in, however it came (a key, a click, the
    // return from a message box), so that typing replaces the value as in a number field.
    bool selectAllOnFocus() const { return m_selectAllOnFocus; }
    void setSelectAllOnFocus(bool on) { m_selectAllOnFocus = on; }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    QValidator *m_halfWidthDigits = nullptr;
    bool m_selectAllOnFocus = false;
};

} // namespace mf
