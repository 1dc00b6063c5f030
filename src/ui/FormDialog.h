#pragma once
#include "ui/Interaction.h"

#include <QDialog>

class QBoxLayout;
class QPushButton;

#include <initializer_list>

namespace ui {

// What the program's own dialogs share: a title bar without system buttons, the window
// centred on its screen each time it opens, input fields yellow while they have the focus
// and white once it leaves them, and guidance messages under one caption.
class FormDialog : public QDialog {
    Q_OBJECT
public:
    // Runs each time the dialog opens, after it is centred.
    virtual void FormShow() {}

protected:
    FormDialog(QWidget* parent, const QString& title);

    // These fields take the focus colours; a spin edit turns white when it reports its exit,
    // before it brings its value into range.
    void colourWhileFocused(std::initializer_list<QWidget*> fields);
    // All those fields white, as when nothing has the focus.
    void resetFieldColours();
    virtual void fieldEntered(QWidget* field);
    virtual void fieldLeft(QWidget* field);

    void showGuidance(const QString& text, MessageIcon icon);
    // A row of OK (the default button) and Cancel at the right, added to `layout`; Cancel rejects,
    // OK is the caller's to connect.
    void addOkCancelRow(QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel, const QString& okText = QStringLiteral("ＯＫ"));

    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> colouredFields_;
};

} // namespace ui
