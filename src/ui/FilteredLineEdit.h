#pragma once
#include "ui/KeyFilters.h"

#include <QLineEdit>
#include <optional>

class QMenu;

namespace ui {

// A line edit whose character filter applies to everything the operator puts into it: keys,
// pasted text (shortcut, context menu, middle button), dropped text and an input method's
// committed text. Refused characters are dropped, as typing drops them. Texts the program
// sets itself (a loaded sheet, a normalised value) are kept exactly as given.
class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FilteredLineEdit(QWidget* parent = nullptr);

    void setCharFilter(std::optional<CharFilter> filter) { filter_ = filter; }
    std::optional<CharFilter> charFilter() const { return filter_; }
    // The most characters the operator can put in. Texts the program sets may be longer and
    // are kept whole (a name read from a file is never cut).
    void setMaxInput(int n) { maxInput_ = n; }
    int maxInput() const { return maxInput_; }

    // The text the field held before the change being validated, with the operator's
    // changes filtered. Used by the validator and by spin edits that wrap the field.
    QString filtered(const QString& input, int& cursor) const;

    // Marks what happens during its lifetime as the operator's input (for events the field
    // does not receive itself, such as the context menu of a spin edit around it).
    class OperatorInput {
    public:
        explicit OperatorInput(FilteredLineEdit* edit) : edit_(edit) { ++edit_->operatorDepth_; }
        ~OperatorInput() { --edit_->operatorDepth_; }
        OperatorInput(const OperatorInput&) = delete;
        OperatorInput& operator=(const OperatorInput&) = delete;

    private:
        FilteredLineEdit* edit_;
    };
    bool operatorInput() const { return operatorDepth_ > 0; }

    // The standard context menu, whose paste goes through the filter as well.
    QMenu* createFilteredContextMenu();

protected:
    bool event(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    std::optional<CharFilter> filter_;
    int maxInput_ = -1;
    QString accepted_; // the text after the last change
    int operatorDepth_ = 0;
};

} // namespace ui
