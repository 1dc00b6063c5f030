#pragma once
#include <QDialog>

class QPushButton;
namespace ui {
class SpinEdit;
}

// The sheet-count dialog.
class TSheetsForm final : public QDialog {
    Q_OBJECT
public:
    explicit TSheetsForm(QWidget* parent = nullptr);

    ui::SpinEdit* spinTab = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
