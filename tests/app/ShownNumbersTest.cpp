// What the grids draw: a text wider than its cell is never cut at the cell's edge, where a
// number would read as another number ("123456.12346" as "3456.12346").
#include "../exchange/ExchangeTestSupport.h"
#include "MainFormFixture.h"

#include "model/NumberText.h"
#include "ui/FilteredLineEdit.h"

#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>

#include <map>

namespace {

// A paint device that keeps every text drawn on it and the box it takes.
class TextRecorder final : public QPaintEngine {
public:
    struct Drawn {
        QString text;
        QRectF box;
    };
    QList<Drawn> drawn;

    TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        drawn.append({item.text(), transform_.mapRect(box)});
    }
    Type type() const override { return QPaintEngine::User; }

private:
    QTransform transform_;
};

class RecordingDevice final : public QPaintDevice {
public:
    RecordingDevice(QSize size, int dpi) : size_(size), dpi_(dpi) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable TextRecorder engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / (dpi_ * 10);
        case PdmHeightMM: return size_.height() * 254 / (dpi_ * 10);
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    QSize size_;
    int dpi_;
};

const QChar kMark(0x2026);

class ShownNumbersTest : public MainFormTest {
protected:
    void SetUp() override { start(); }

    // The texts the grid's data cells show, drawn the way the screen draws them. Every text
    // lies inside its cell and is the cell's text, or its beginning followed by the mark.
    std::map<std::pair<int, int>, QString> shownTexts(ui::StringGrid* grid)
    {
        QWidget* view = grid->viewport();
        RecordingDevice device(view->size(), view->logicalDpiX());
        {
            QPainter p(&device);
            view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
        }
        std::map<std::pair<int, int>, QList<TextRecorder::Drawn>> byCell;
        for (const TextRecorder::Drawn& d : device.engine.drawn) {
            const QModelIndex i = grid->indexAt(d.box.center().toPoint());
            if (!i.isValid()) continue;
            byCell[{i.column() + grid->fixedCols(), i.row() + grid->fixedRows()}].append(d);
        }
        std::map<std::pair<int, int>, QString> shown;
        for (auto& [cell, items] : byCell) {
            std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.box.left() < b.box.left(); });
            const QRectF rect = grid->visualRect(grid->model()->index(cell.second - grid->fixedRows(), cell.first - grid->fixedCols()));
            QString text;
            for (const TextRecorder::Drawn& d : items) {
                text += d.text;
                EXPECT_GE(d.box.left(), rect.left() - 0.5) << d.text.toStdString() << " cut at the left";
                EXPECT_LE(d.box.right(), rect.right() + 1.5) << d.text.toStdString() << " cut at the right";
            }
            const QString full = grid->cell(cell.first, cell.second);
            if (text != full) {
                EXPECT_TRUE(text.endsWith(kMark)) << text.toStdString() << " for " << full.toStdString();
                EXPECT_TRUE(full.startsWith(text.chopped(1))) << text.toStdString() << " for " << full.toStdString();
                // A number keeps its whole integer part, or shows the mark alone.
                if (text.size() > 1 && model::tryParseNumber(full)) {
                    EXPECT_GE(text.size() - 1, full.indexOf(u'.')) << text.toStdString();
                }
            }
            shown[cell] = text;
        }
        return shown;
    }
    // The text a field draws, the way the screen draws it: inside the field's contents and the
    // field's text, or its beginning followed by the mark.
    QString shownText(QLineEdit* field)
    {
        RecordingDevice device(field->size(), field->logicalDpiX());
        {
            QPainter p(&device);
            field->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
        }
        const QRect inside = field->contentsRect();
        QString text;
        for (const TextRecorder::Drawn& d : device.engine.drawn) {
            text += d.text;
            EXPECT_GE(d.box.left(), inside.left() - 0.5) << d.text.toStdString() << " cut at the left";
            EXPECT_LE(d.box.right(), inside.right() + 1.5) << d.text.toStdString() << " cut at the right";
        }
        const QString full = field->text();
        if (text != full) {
            EXPECT_TRUE(text.endsWith(kMark)) << text.toStdString() << " for " << full.toStdString();
            EXPECT_TRUE(full.startsWith(text.chopped(1))) << text.toStdString() << " for " << full.toStdString();
            if (text.size() > 1) {
                EXPECT_GE(text.size() - 1, full.indexOf(u'.')) << text.toStdString();
            }
        }
        return text;
    }
    QString tipOf(QWidget* w)
    {
        QToolTip::hideText();
        const QPoint at = w->rect().center();
        QHelpEvent e(QEvent::ToolTip, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    // The tip the cell shows when the mouse rests on it ("" when none).
    QString tipOf(ui::StringGrid* grid, int col, int row)
    {
        QToolTip::hideText();
        const QRect r = grid->visualRect(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols()));
        QHelpEvent e(QEvent::ToolTip, r.center(), grid->viewport()->mapToGlobal(r.center()));
        QApplication::sendEvent(grid->viewport(), &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    QTemporaryDir dir;
};

TEST_F(ShownNumbersTest, AWideValueIsShownWholeOrMarkedAsShortenedNeverCut)
{
    const QString csv = QStringLiteral(
        "品種名称,工程名称,装置名称,項目名称,測定単位,規格種別,小数点桁,規格上限,規格下限\r\n"
        "P,Q,R,Big,mm,公差規格,5,200000,-200000\r\n\r\nﾛｯﾄ№,N1,N2,N3\r\n"
        "K001,123456.123456,1.5,-98765.4321\r\nK002,123456.2,1.4,-98765.5\r\n");
    const QString path = QDir(dir.path()).filePath("big.csv");
    ASSERT_TRUE(exchange_test::writeAll(path, exchange_test::cp932(csv)));
    ui.fileAnswers.push_back(path);
    form->mainMenuCsvImport->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(form->gridEdit->cell(0, 1), "123456.12346");

    const std::pair<int, int> wide{0, 1}, narrow{1, 1}, negative{2, 1};
    auto shown = shownTexts(form->gridEdit);
    EXPECT_EQ(shown[narrow], "1.50000");
    EXPECT_EQ(tipOf(form->gridEdit, narrow.first, narrow.second), ""); // a text shown whole needs no tip
    for (const auto& cell : {wide, negative}) {
        if (shown[cell] != form->gridEdit->cell(cell.first, cell.second)) {
            EXPECT_EQ(tipOf(form->gridEdit, cell.first, cell.second), form->gridEdit->cell(cell.first, cell.second));
        }
    }

    // The operator narrows the columns by hand: the values are marked as shortened, a number
    // whose integer part no longer fits shows the mark alone, and the tip shows them whole.
    const int digit = form->gridEdit->fontMetrics().horizontalAdvance(u'0');
    form->gridEdit->horizontalHeader()->resizeSection(0, 4 + 9 * digit);
    form->gridEdit->horizontalHeader()->resizeSection(2, 4 + 3 * digit);
    QApplication::processEvents();
    shown = shownTexts(form->gridEdit);
    EXPECT_TRUE(shown[wide].endsWith(kMark) && shown[wide].startsWith("123456")) << shown[wide].toStdString();
    EXPECT_EQ(shown[negative], QString(kMark));
    EXPECT_EQ(tipOf(form->gridEdit, 0, 1), "123456.12346");
    EXPECT_EQ(tipOf(form->gridEdit, 2, 1), "-98765.43210");

    // The statistics of the capability grid, five decimals of the same magnitude.
    form->btnCpkCalc->click();
    QApplication::processEvents();
    form->pageInput->setCurrentIndex(1);
    QApplication::processEvents();
    ASSERT_TRUE(form->gridCalc->cell(2, 1).startsWith("123456.12346")) << form->gridCalc->cell(2, 1).toStdString();
    shown = shownTexts(form->gridCalc);
    EXPECT_FALSE(shown.empty());
}

TEST_F(ShownNumbersTest, AControlLimitIsShownWholeOrMarkedAsShortenedNeverCut)
{
    // A sheet of five decimals; the operator types a huge reading and a small one.
    form->spinKeta->setFocus();
    press(Qt::Key_A, Qt::ControlModifier);
    typeKeys("5");
    press(Qt::Key_Tab);
    ASSERT_EQ(form->spinKeta->text(), "5");
    QTest::mouseClick(form->gridEdit->viewport(), Qt::LeftButton, {},
                      form->gridEdit->visualRect(form->gridEdit->model()->index(0, 0)).center());
    typeKeys("99999999999.12345");
    press(Qt::Key_Return);
    typeKeys("1.5");
    press(Qt::Key_Return);
    ASSERT_TRUE(form->gridEdit->cell(0, 1).startsWith("99999999999.1234")) << form->gridEdit->cell(0, 1).toStdString();
    click(form->btn3Stdev);

    for (QLineEdit* field : {form->editUcl, form->editLcl, form->editRsUcl}) {
        const QString full = field->text();
        SCOPED_TRACE(full.toStdString());
        ASSERT_GT(full.size(), 15);
        const QString shown = shownText(field);
        EXPECT_NE(shown, full) << "a field this narrow cannot hold it";
        EXPECT_TRUE(tipOf(field).startsWith(full + u'\n')) << tipOf(field).toStdString();
    }
    // The lower limit is negative: shortened, it keeps its sign or shows the mark alone.
    ASSERT_TRUE(form->editLcl->text().startsWith(u'-'));
    const QString lower = shownText(form->editLcl);
    EXPECT_TRUE(lower.startsWith(u'-') || lower == QString(kMark)) << lower.toStdString();

    // While the operator edits a field it shows the text itself; readings of a usual size fit.
    choose(form->cmbLimit, QStringLiteral("指定管理値"));
    form->editUcl->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->editUcl->text(), qobject_cast<ui::FilteredLineEdit*>(form->editUcl)->shownText());
    press(Qt::Key_A, Qt::ControlModifier);
    typeKeys("12.34567");
    press(Qt::Key_Tab);
    EXPECT_EQ(shownText(form->editUcl), "12.34567");
    EXPECT_EQ(tipOf(form->editUcl), form->editUcl->toolTip()); // the hint alone
}

} // namespace
