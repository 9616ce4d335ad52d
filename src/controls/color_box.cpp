#include "color_box.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace {

struct TNamedColor
{
  const char *Name;
  QRgb Rgb;
};

constexpr std::array<TNamedColor, 18> cStandardColors = {{
    {"Black", 0x000000},
    {"Maroon", 0x800000},
    {"Green", 0x008000},
    {"Olive", 0x808000},
    {"Navy", 0x000080},
    {"Purple", 0x800080},
    {"Teal", 0x008080},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0xFF0000},
    {"Lime", 0x00FF00},
    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0x00FFFF},
    {"White", 0xFFFFFF},
    {"Light Green", 0xD8F1C0},
    {"Light Red", 0xF1C0D8},
}};

// Marks the entry that shows a colour outside the standard ones.
constexpr int cOwnColorRole = Qt::UserRole + 1;

QIcon Swatch(const QColor &aColor)
{
  QPixmap lPixmap(16, 12);
  lPixmap.fill(aColor);
  QPainter lPainter(&lPixmap);
  lPainter.setPen(Qt::black);
  lPainter.drawRect(0, 0, lPixmap.width() - 1, lPixmap.height() - 1);
  return QIcon(lPixmap);
}

} // namespace

TColorBox::TPickColor TColorBox::PickColor = [](const QColor &aStart, QWidget *aParent) {
  const QColor lColor = QColorDialog::getColor(aStart, aParent);
  return lColor.isValid() ? std::optional<QColor>(lColor) : std::nullopt;
};

TColorBox::TColorBox(QWidget *aParent) : QComboBox(aParent)
{
  setIconSize(QSize(16, 12));
  addItem(QStringLiteral("Custom..."));
  for (const TNamedColor &lColor : cStandardColors)
    addItem(Swatch(QColor(lColor.Rgb)), QLatin1String(lColor.Name), QColor(lColor.Rgb));
  SetSelected(fColor);
  connect(this, &QComboBox::activated, this, &TColorBox::ItemActivated);
}

int TColorBox::FindStandard(const QColor &aColor) const
{
  for (int i = cCustomIndex + 1; i < count(); ++i)
    if (!itemData(i, cOwnColorRole).toBool() && itemData(i).value<QColor>().rgb() == aColor.rgb())
      return i;
  return -1;
}

void TColorBox::SetSelected(const QColor &aColor)
{
  fColor = QColor(aColor.rgb());
  int lIndex = FindStandard(fColor);
  if (lIndex < 0) {
    // One entry after "Custom..." holds the colour that no standard entry has.
    lIndex = cCustomIndex + 1;
    if (!itemData(lIndex, cOwnColorRole).toBool()) {
      insertItem(lIndex, QString());
      setItemData(lIndex, true, cOwnColorRole);
    }
    setItemIcon(lIndex, Swatch(fColor));
    setItemText(lIndex, fColor.name().toUpper());
    setItemData(lIndex, fColor);
  }
  setCurrentIndex(lIndex);
}

void TColorBox::ItemActivated(int aIndex)
{
  if (aIndex == cCustomIndex) {
    const std::optional<QColor> lColor = PickColor(fColor, this);
    // Cancelled: the box shows the colour it had.
    SetSelected(lColor ? *lColor : fColor);
    if (!lColor)
      return;
  } else {
    fColor = itemData(aIndex).value<QColor>();
  }
  Q_EMIT ColorChanged(fColor);
}
