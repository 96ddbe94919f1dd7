#include "numbering/ui/TForm7.h"

#include "numbering/StartNumber.h"
#include "platform/ui/WidgetNames.h"

#include <QKeyEvent>
#include <QStyle>

namespace mf {

TForm7::TForm7(const QString &titleText, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    // Neither button answers Enter or Esc (the form says so); the start number field refuses
    // what is not a digit with its own message, full-width digits included.
    setupUi(this);
    setWindowTitle(titleText);
    setGlyphs({{BitBtn1, QStyle::SP_DialogApplyButton}});
    connect(BitBtn1, &QPushButton::clicked, this, &TForm7::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm7::BitBtn2Click);
}

void TForm7::SetStartNumber(int highest)
{
    Edit1->setText(startNumberProposal(highest));
}

int TForm7::GetStartNumber() const
{
    return startNumberResult(Edit1->text());
}

void TForm7::BitBtn1Click()
{
    accept();
}

void TForm7::BitBtn2Click()
{
    Edit1->setText(QStringLiteral("-2"));
    QDialog::reject();
}

void TForm7::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The proposal is replaced by what is typed, never extended: "6" and then "10" is 10.
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll();
}

void TForm7::keyPressEvent(QKeyEvent *event)
{
    // Enter and Esc do nothing special here.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm7::reject()
{
    // Any other way of closing the dialog (a window manager's close) counts as cancel:
    // numbering should never start from a window the operator dismissed.
    BitBtn2Click();
}

} // namespace mf
