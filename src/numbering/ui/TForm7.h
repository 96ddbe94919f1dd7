#pragma once
// The start number dialog: proposes the first photo number and hands back the one chosen.

#include "ui_TForm7.h"

#include <QDialog>

namespace mf {

// The controls come from the form TForm7.ui.
class TForm7 : public QDialog, private Ui::TForm7 {
    Q_OBJECT
public:
    explicit TForm7(const QString &titleText, QWidget *parent = nullptr);

    void SetStartNumber(int highest);
    int GetStartNumber() const;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
};

} // namespace mf
