#include "numbering/ui/TForm7.h"

#include "numbering/StartNumber.h"
#include "platform/ui/DirectInputEdit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace mf {

TForm7::TForm7(const QString &titleText, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(titleText);
    setModal(true);
    setFixedSize(240, 110);

    Label1 = new QLabel(QStringLiteral("連番開始番号"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 20, 90, 22);

    // Refuses what is not a digit with its own message, full-width digits included.
    Edit1 = new DirectInputEdit(this, DirectInputEdit::FullWidthDigits::Keep);
    Edit1->setText(QStringLiteral("1"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(110, 18, 110, 24);
    Edit1->setMaxLength(4);
    Label1->setBuddy(Edit1);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                              QStringLiteral("作成"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(16, 62, 100, 30);
    BitBtn2 = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(124, 62, 100, 30);
    // Neither button answers Enter or Esc.
    for (QPushButton *b : {BitBtn1, BitBtn2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
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
