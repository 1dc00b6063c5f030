#pragma once
#include "GuiTestEnvironment.h"

#include "app/ProgramWindows.h"
#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TLotEditForm.h"
#include "dialogs/TOptionForm.h"
#include "dialogs/TSettingForm.h"
#include "dialogs/TSheetsForm.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QAbstractItemModelTester>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

// The keyboard: every key goes to whatever has the focus at that moment (the in-place
// editor once typing opened it).
inline void press(Qt::Key key, Qt::KeyboardModifiers m = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, m);
    QApplication::processEvents();
}

inline void typeKeys(const QString& text)
{
    for (QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QApplication::processEvents();
    }
}

// The share of a widget's pixels, as it paints itself on the screen, that `shade` accepts.
inline double paintedShare(QWidget* w, const std::function<bool(const QColor&)>& shade)
{
    const QImage image = w->grab().toImage();
    qsizetype n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += shade(QColor(image.pixel(x, y))) ? 1 : 0;
    return image.isNull() ? 0.0 : double(n) / (double(image.width()) * image.height());
}

// The focus colour yellow (255, 255, 0) and the field colour white as a field shows them. A
// list's face is a gradient the style makes of its colour, so shades close to it count.
inline bool yellowShade(const QColor& c) { return c.red() >= 245 && c.green() >= 245 && c.blue() <= 110; }
inline bool whiteShade(const QColor& c) { return c.red() >= 250 && c.green() >= 250 && c.blue() >= 250; }
inline bool paintedYellow(QWidget* w) { return paintedShare(w, yellowShade) > 0.25; }
inline bool paintedWhite(QWidget* w) { return paintedShare(w, yellowShade) == 0.0 && paintedShare(w, whiteShade) > 0.25; }
// The system's button face, the colour of a field out of use.
inline bool paintedButtonFace(QWidget* w)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    return paintedShare(w, [face](const QColor& c) {
               return std::abs(c.red() - face.red()) <= 6 && std::abs(c.green() - face.green()) <= 6 && std::abs(c.blue() - face.blue()) <= 6;
           }) > 0.3;
}

// Opens a grid's context menu with the right button over one of its cells and gives the items
// the popup shows: "text shortcut", "-" for a separator. The popup is closed again.
inline QStringList contextMenuShown(ui::StringGrid* grid, int col, int row)
{
    const QPoint at = grid->visualRect(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols())).center();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &e);
    QApplication::processEvents();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return {};
    QStringList items;
    for (QAction* a : menu->actions())
        if (a->isVisible()) items << (a->isSeparator() ? QStringLiteral("-") : a->text() + u' ' + a->shortcut().toString());
    menu->close();
    QApplication::processEvents();
    QApplication::setActiveWindow(grid->window());
    QApplication::processEvents();
    return items;
}

// A main window started the way the program starts it: created, then shown.
// Opens a list with the mouse and chooses an item with the keys of its popup.
inline void choose(QComboBox* list, const QString& text)
{
    const int target = list->findText(text);
    ASSERT_GE(target, 0) << text.toStdString();
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }, 2000));
    while (view->currentIndex().row() < target) QTest::keyClick(view, Qt::Key_Down);
    while (view->currentIndex().row() > target) QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); }, 2000));
    // The offscreen platform does not give the window back its activation after a popup.
    QApplication::setActiveWindow(list->window());
    QApplication::processEvents();
}

class MainFormTest : public GuiTest {
protected:
    void start()
    {
        ProgramWindows windows = createProgramWindows();
        form = std::move(windows.main);
        splash = windows.splash;
        sheets = windows.sheets;
        option = windows.option;
        setting = windows.setting;
        about = windows.about;
        lotEdit = windows.lotEdit;
        // Every change the window makes to its grids' models is checked against the rules of
        // Qt's item models; a broken one stops the test at once.
        modelTesters.clear();
        for (ui::StringGrid* grid : {form->gridCtrl, form->gridEdit, form->gridCalc, form->gridSpc, lotEdit->gridLotno})
            modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
                grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        form->show();
        QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
    }
    // The window started on a small tolerance sheet: 10 lots of 3 measurements, limits 9.5 to 10.5.
    void startSmallSheet()
    {
        start();
        form->spinRow->setValue(10);
        form->spinCol->setValue(3);
        form->editKupper->setText("10.500");
        form->editKlower->setText("9.500");
    }
    // Puts texts into the measurement cells of one lot row, from the first column on.
    void values(int row, std::initializer_list<const char*> texts)
    {
        int c = 0;
        for (const char* t : texts) form->gridEdit->setCell(c++, row, QString::fromUtf8(t));
    }
    void TearDown() override
    {
        if (form) form->close();
        modelTesters.clear();
        form.reset();
    }

    // Clicks a button with the mouse.
    void click(QAbstractButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }

    // Clicks a sheet tab the way the operator does.
    void clickTab(int index)
    {
        QTest::mouseClick(form->tabCtrl, Qt::LeftButton, {}, form->tabCtrl->tabRect(index).center());
        QApplication::processEvents();
    }

    // Chooses a menu item with the mouse: the menu's title in the menu bar, then the item.
    void chooseMenuItem(QAction* item)
    {
        QMenu* menu = nullptr;
        for (QObject* o : item->associatedObjects())
            if ((menu = qobject_cast<QMenu*>(o))) break;
        ASSERT_TRUE(menu);
        QMenuBar* bar = form->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QApplication::processEvents();
        // The offscreen platform does not give the window back its activation after a popup.
        if (QApplication::activeWindow() != form.get()) QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
    }

    // Types into a field and leaves it with Tab.
    void type(QWidget* w, const QString& text)
    {
        w->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(QApplication::focusWidget(), text);
    }

    std::unique_ptr<TMainForm> form;
    TSplashForm* splash = nullptr;
    TSheetsForm* sheets = nullptr;
    TOptionForm* option = nullptr;
    TSettingForm* setting = nullptr;
    TAboutForm* about = nullptr;
    TLotEditForm* lotEdit = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> modelTesters;
};
