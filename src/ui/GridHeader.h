#pragma once
#include <QHeaderView>

class QEvent;
class QPainter;

namespace ui {

class StringGrid;
struct CellPaint;

// Paints the fixed row and column of a string grid through the grid's painter, so that they
// stay in place while the data scroll.
class GridHeader final : public QHeaderView {
public:
    GridHeader(Qt::Orientation o, StringGrid* grid);

protected:
    void paintSection(QPainter* p, const QRect& rect, int section) const override;
    bool viewportEvent(QEvent* e) override;

private:
    StringGrid* grid_;
};

// A caption cell through the grid's painter, with the grey lines that close it at the
// right and at the bottom (headers and the corner).
void paintCaptionCell(const StringGrid& grid, QPainter& p, const CellPaint& cell);

// Answers a tool-tip event: the full text of a cell drawn shortened, or no tip when
// `fullText` is empty.
bool showCutTextTip(QEvent* e, QWidget* over, const QRect& cell, const QString& fullText);

} // namespace ui
