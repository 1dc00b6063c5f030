#pragma once
#include "ui/FormDialog.h"

class QAction;
class QKeyEvent;
class QMenu;
class QPainter;
class QPushButton;

namespace ui {
class EntryGrid;
class StringGrid;
struct CellPaint;
} // namespace ui

// The lot-number editor: the shown sheet's lot numbers in one column, typed or pasted.
// OK refuses an empty lot number; Cancel changes nothing.
class TLotEditForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TLotEditForm(QWidget* parent = nullptr);

    ui::StringGrid* gridLotno = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QMenu* popMenu = nullptr;
    QAction *popMenuCut = nullptr, *popMenuCopy = nullptr, *popMenuPaste = nullptr, *popMenuDelete = nullptr,
            *popMenuAllSelect = nullptr;

    void FormShow() override;
    void btnOkClick();
    void btnCancelClick();
    void gridLotnoEnter();
    void gridLotnoClick();
    bool gridLotnoKeyDown(QKeyEvent& key);
    bool gridLotnoKeyPress(QKeyEvent& key);
    void popMenuCutClick();
    void popMenuCopyClick();
    void popMenuPasteClick();
    void popMenuDeleteClick();
    void popMenuAllSelectClick();
    void gridLotnoDrawCell(QPainter& p, const ui::CellPaint& cell) const;

private:
    // Entering, Enter and the context menu, as in the measurement grid.
    ui::EntryGrid* gridLotnoEntry_ = nullptr;
};
