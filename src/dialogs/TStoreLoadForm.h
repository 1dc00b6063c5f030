#pragma once
#include "store/Store.h"
#include "ui/FormDialog.h"

#include <optional>
#include <vector>

class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace ui {
class SpinEdit;
}

// The choice of what to load from the history store: a characteristic from the list (its four
// names, unit, lots stored and last publication; typing in the filter field keeps the rows that
// hold the text) and a range: the last N lots (at most 100) or the lots first published between
// two times, optionally of one station only.
class TStoreLoadForm final : public ui::FormDialog {
    Q_OBJECT
public:
    TStoreLoadForm(QWidget* parent, const std::vector<store::CharacteristicSummary>& characteristics);

    std::optional<store::Characteristic> chosen() const;
    store::LoadRange range() const;

    QLineEdit* editFilter = nullptr;
    QTreeWidget* listCharacteristics = nullptr;
    QRadioButton *rbLast = nullptr, *rbPeriod = nullptr;
    ui::SpinEdit* spinLast = nullptr;
    QDateTimeEdit *editFrom = nullptr, *editTo = nullptr;
    QLineEdit* editStation = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;

    void FormShow() override;

private:
    void filter();
    void update();

    std::vector<store::Characteristic> characteristics_; // by row
};
