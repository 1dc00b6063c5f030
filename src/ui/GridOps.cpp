#include "ui/GridOps.h"

#include "model/Cp932.h"
#include "ui/NotHeldCharacters.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

#include <algorithm>
#include <climits>

namespace ui {

void MoveToNextCell(StringGrid& grid)
{
    int col = grid.currentCol(), row = grid.currentRow();
    if (col < grid.colCount() - 1) {
        ++col;
    } else {
        col = grid.fixedCols();
        row = row < grid.rowCount() - 1 ? row + 1 : grid.fixedRows();
    }
    grid.setCurrentCell(col, row);
    grid.viewport()->update();
}

void GridDelete(StringGrid& grid)
{
    const GridRect s = grid.selection();
    for (int r = std::max(s.top, 0); r <= s.bottom && r < grid.rowCount(); ++r)
        for (int c = std::max(s.left, 0); c <= s.right && c < grid.colCount(); ++c) grid.table().setText(c, r, QString());
    grid.refresh();
}

QString gridCopyText(const model::CellTable& table, GridRect b, int cols, int rows)
{
    if (b.right < b.left || b.bottom < b.top || b.right < 0 || b.bottom < 0 || b.left >= cols || b.top >= rows)
        return QString();
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min({b.right, cols - 1, model::CellTable::kCols - 1});
    b.bottom = std::min({b.bottom, rows - 1, model::CellTable::kRows - 1});
    QString out;
    for (int r = b.top; r <= b.bottom; ++r) {
        for (int c = b.left; c <= b.right; ++c) {
            if (c > b.left) out += u'\t';
            out += table.text(c, r);
        }
        out += QStringLiteral("\r\n");
    }
    return out;
}

void GridCopy(const StringGrid& grid)
{
    QApplication::clipboard()->setText(gridCopyText(grid.table(), grid.selection(), grid.colCount(), grid.rowCount()));
}

GridRect pasteGridText(model::CellTable& table, QStringView text, int startCol, int startRow, int cols, int rows)
{
    startCol = std::max(startCol, 0);
    startRow = std::max(startRow, 0);
    cols = std::min(cols, model::CellTable::kCols);
    rows = std::min(rows, model::CellTable::kRows);
    GridRect written{INT_MAX, INT_MAX, -1, -1};
    int col = startCol, row = startRow;
    QString field;
    auto store = [&] {
        if (col < cols && row < rows) {
            table.setText(col, row, field);
            written.left = std::min(written.left, col);
            written.top = std::min(written.top, row);
            written.right = std::max(written.right, col);
            written.bottom = std::max(written.bottom, row);
        }
        field.clear();
    };
    for (QChar ch : text) {
        if (ch == u'\t') {
            store();
            ++col;
        } else if (ch == u'\r') {
            store();
            col = startCol;
            ++row;
        } else if (ch != u'\n') {
            field += ch;
        }
    }
    if (!field.isEmpty()) store();
    return written.right < 0 ? GridRect{} : written;
}

bool GridPaste(StringGrid& grid)
{
    const QString text = model::withCp932LookAlikes(QApplication::clipboard()->text());
    if (!model::representableInCp932(text)) {
        const QString ch = model::firstUnrepresentableInCp932(text);
        warnPasteNotHeld(grid.window(), ch.isEmpty() ? text.left(8) : ch);
        return false;
    }
    const GridRect s = grid.selection();
    pasteGridText(grid.table(), text, s.left, s.top, grid.colCount(), grid.rowCount());
    grid.refresh();
    return true;
}

void GridSelectAll(StringGrid& grid)
{
    const int right = grid.colCount() - 1, bottom = grid.rowCount() - 1;
    if (right < grid.fixedCols() || bottom < grid.fixedRows()) return;
    grid.setCurrentCell(right, bottom);
    grid.setSelection({grid.fixedCols(), grid.fixedRows(), right, bottom});
}

GridMenu createGridMenu(StringGrid& grid)
{
    GridMenu m;
    m.menu = new QMenu(&grid);
    auto add = [&](const QString& text, const QKeySequence& key) {
        QAction* a = m.menu->addAction(text);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        grid.addAction(a);
        return a;
    };
    m.cut = add(QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    m.menu->addSeparator();
    m.copy = add(QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    m.paste = add(QStringLiteral("貼付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    m.del = add(QStringLiteral("削除(&D)"), QKeySequence(Qt::Key_Delete));
    m.menu->addSeparator();
    m.selectAll = add(QStringLiteral("すべて選択(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A));
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&grid, &StringGrid::customContextMenuRequested, m.menu,
                     [&grid, menu = m.menu](const QPoint& pos) { menu->popup(grid.viewport()->mapToGlobal(pos)); });
    return m;
}

} // namespace ui
