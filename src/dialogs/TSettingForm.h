#pragma once
#include "ui/FormDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace model {
struct AppSettings;
}
namespace ui {
class SpinEdit;
}

// The initial-values dialog: the counts, header defaults, capability threshold and chart
// settings every new or reset sheet starts from, and the capability study's settings. Loads them on every showing and stores
// them back only on OK.
class TSettingForm final : public ui::FormDialog {
    Q_OBJECT
public:
    // `settings` must outlive the dialog.
    explicit TSettingForm(model::AppSettings& settings, QWidget* parent = nullptr);

    ui::SpinEdit *spinTab = nullptr, *spinRow = nullptr, *spinCol = nullptr;
    QLineEdit* editUnit = nullptr;
    QComboBox* cmbSpecKind = nullptr;
    ui::SpinEdit* spinKeta = nullptr;
    QCheckBox* chkCpCpk = nullptr;
    QComboBox* cmbCpCpk = nullptr;
    QLineEdit* editCpCpk = nullptr;
    QLabel* lblCpCpk = nullptr; // the threshold field stands in the blank of its text
    QComboBox *cmbChart = nullptr, *cmbLimit = nullptr;
    QComboBox* cmbSigma = nullptr; // the capability study's within sigma
    QLineEdit* editTarget = nullptr; // the capability study's target of Cpm; blank: the middle of the tolerance
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;

    void FormShow() override;
    void btnOkClick();
    void btnCancelClick();
    void chkCpCpkClick();
    void spinColChange();
    void cmbChartChange();
    void Set_OnColor(QWidget* field);
    void Set_OffColor(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void fieldEntered(QWidget* field) override { Set_OnColor(field); }
    void fieldLeft(QWidget* field) override { Set_OffColor(field); }

private:
    void buildLayout();

    model::AppSettings& settings_;
};
