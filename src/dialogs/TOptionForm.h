#pragma once
#include "model/RuleTable.h"

#include "ui/FormDialog.h"

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

// The rule-settings dialog: the eight run rules switched on or off and their counts chosen
// from fixed lists. Loads them on every showing and stores them back only on OK, which
// refuses a window smaller than its count.
class TOptionForm final : public ui::FormDialog {
    Q_OBJECT
public:
    // `rules` must outlive the dialog.
    explicit TOptionForm(model::RuleOptions& rules, QWidget* parent = nullptr);

    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
              *CheckBox5 = nullptr, *CheckBox6 = nullptr, *CheckBox7 = nullptr, *CheckBox8 = nullptr;
    QComboBox *cmbOption2 = nullptr, *cmbOption3 = nullptr, *cmbOption4 = nullptr, *cmbOption5_1 = nullptr,
              *cmbOption5_2 = nullptr, *cmbOption6_1 = nullptr, *cmbOption6_2 = nullptr, *cmbOption7 = nullptr,
              *cmbOption8 = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr, *btnDefault = nullptr;

    // Rule 1 to 8 in order.
    std::array<QCheckBox*, model::kRuleCount> checkBoxes() const;

    void FormShow() override;
    void btnOkClick();
    void btnCancelClick();
    void btnDefaultClick();
    void cmbOption2Enter(QComboBox* list);
    void cmbOption2Exit(QComboBox* list);

protected:
    void fieldEntered(QWidget* field) override;
    void fieldLeft(QWidget* field) override;

private:
    // A rule's count list and the setting it edits.
    struct Parameter {
        QComboBox* list;
        int model::RuleOptions::*field;
    };
    std::vector<Parameter> parameters() const;
    // Whether a window is at least its count; otherwise the operator is told and the window's list focused.
    bool windowHoldsCount(QComboBox* window, QComboBox* count);

    model::RuleOptions& rules_;
};
