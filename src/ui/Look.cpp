#include "ui/Look.h"

#include <QApplication>
#include <QComboBox>
#include <QPalette>

namespace ui {

namespace {

QFont withFamilies(QStringList families, int pixelSize, bool bold)
{
    // The Japanese designs' fonts come first; on other systems the fonts of the CJK packages stand in.
    families << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("IPAGothic") << QStringLiteral("IPAPGothic")
             << QStringLiteral("Noto Sans Mono CJK JP");
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

} // namespace

QFont gothicFont(int pixelSize, bool bold)
{
    return withFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")}, pixelSize, bold);
}

QFont proportionalGothicFont(int pixelSize)
{
    return withFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}, pixelSize, false);
}

QColor buttonFaceColor() { return QApplication::palette().color(QPalette::Button); }

void setFieldColour(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, c);
    if (qobject_cast<QComboBox*>(w)) pal.setColor(QPalette::Button, c);
    w->setPalette(pal);
}

} // namespace ui
