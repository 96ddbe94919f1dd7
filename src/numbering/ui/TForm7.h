#pragma once
// The start number dialog: proposes the first photo number and hands back the one chosen.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mf {

class TForm7 : public QDialog {
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

private:
    QLabel *Label1;
    QLineEdit *Edit1;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
};

} // namespace mf
