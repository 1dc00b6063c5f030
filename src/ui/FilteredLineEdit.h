#pragma once
#include "ui/KeyFilters.h"

#include <QLineEdit>
#include <optional>
#include <utility>

class QMenu;

namespace ui {

// A line edit whose character filter applies to everything the operator puts into it: keys,
// pasted text (shortcut, context menu, middle button), dropped text and an input method's
// committed text. Refused characters are dropped, as typing drops them. Texts the program
// sets itself (a loaded sheet, a normalised value) are kept exactly as given.
// In names and lot numbers a character the sheet files cannot hold changes the meaning when
// dropped unseen: a paste or drop holding one is refused as a whole with a warning; a typed or
// committed one is not taken and a note at the field names it.
class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FilteredLineEdit(QWidget* parent = nullptr);

    void setCharFilter(std::optional<CharFilter> filter) { filter_ = filter; }
    // The most characters the operator can put in. Texts the program sets may be longer and
    // are kept whole (a name read from a file is never cut).
    void setMaxInput(int n) { maxInput_ = n; }

    // The text the field held before the change being validated, with the operator's
    // changes filtered. Used by the validator and by spin edits that wrap the field.
    QString filtered(const QString& input, int& cursor) const;

    // Marks what happens during its lifetime as the operator's input (for events the field
    // does not receive itself, such as the context menu of a spin edit around it).
    class OperatorInput {
    public:
        // `pasting`: what comes in is pasted or dropped text, not typed.
        explicit OperatorInput(FilteredLineEdit* edit, bool pasting = false)
            : edit_(edit), pasting_(std::exchange(edit->pasting_, pasting))
        {
            if (edit_->operatorDepth_++ == 0) edit_->cursorBefore_ = edit_->cursorPosition();
        }
        ~OperatorInput()
        {
            edit_->pasting_ = pasting_;
            if (--edit_->operatorDepth_ == 0) edit_->reportNotHeld();
        }
        OperatorInput(const OperatorInput&) = delete;
        OperatorInput& operator=(const OperatorInput&) = delete;

    private:
        FilteredLineEdit* edit_;
        bool pasting_;
    };
    bool operatorInput() const { return operatorDepth_ > 0; }

    // The standard context menu, whose paste goes through the filter as well.
    QMenu* createFilteredContextMenu();

    // What the field shows: its whole text while it has the focus (the operator edits it) or
    // when the text fits; else the text shortened at its end with a mark, as the grids show it
    // (never cut at an edge, where a number reads as another number), and whole in the tip.
    QString shownText() const;

protected:
    bool event(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    // Where QLineEdit draws its line of text.
    QRect textRect() const;
    // Tells the operator of a character the last change refused.
    void reportNotHeld();

    std::optional<CharFilter> filter_;
    int maxInput_ = -1;
    QString accepted_; // the text after the last change
    int operatorDepth_ = 0;
    bool pasting_ = false;
    int cursorBefore_ = 0;
    mutable QString notHeld_;         // a character code page 932 cannot hold, refused by the change
    mutable bool pasteRefused_ = false; // the whole paste was refused for it
};

} // namespace ui
