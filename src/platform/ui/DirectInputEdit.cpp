#include "platform/ui/DirectInputEdit.h"

#include "platform/Numbers.h"

#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QValidator>

namespace mf {

namespace {

// Rewrites full-width digits as they arrive (typed, pasted or set), keeping the caret.
class HalfWidthDigitsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = halfWidthDigits(std::move(input));
        return Acceptable;
    }
};

} // namespace

DirectInputEdit::DirectInputEdit(QWidget *parent, FullWidthDigits digits) : QLineEdit(parent)
{
    // The attribute alone is not enough: QLineEdit answers the input method's ImEnabled query
    // itself (see inputMethodQuery below), and that answer is what the input context obeys.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
    setKeepFullWidthDigits(digits == FullWidthDigits::Keep);
}

void DirectInputEdit::setKeepFullWidthDigits(bool keep)
{
    if (keep == keepFullWidthDigits())
        return;
    if (keep) {
        setValidator(nullptr);
        delete m_halfWidthDigits;
        m_halfWidthDigits = nullptr;
    } else {
        m_halfWidthDigits = new HalfWidthDigitsValidator(this);
        setValidator(m_halfWidthDigits);
    }
}

QVariant DirectInputEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void DirectInputEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // A context menu gives the focus back to act on the text as it was chosen (paste, copy).
    if (!m_selectAllOnFocus || event->reason() == Qt::PopupFocusReason)
        return;
    if (event->reason() != Qt::MouseFocusReason) {
        selectAll();
        return;
    }
    // The click that brought the focus places the caret as it is delivered, after this event.
    QPointer<DirectInputEdit> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self && self->hasFocus())
            self->selectAll();
    });
}

} // namespace mf
