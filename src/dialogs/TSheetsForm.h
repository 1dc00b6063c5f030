#pragma once
#include "ui/FormDialog.h"

class QPushButton;
namespace ui {
class SpinEdit;
}

// The sheet-count dialog.
class TSheetsForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TSheetsForm(QWidget* parent = nullptr);

    ui::SpinEdit* spinTab = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void FormShow() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
