#pragma once

#include <QColor>
#include <QComboBox>

#include <functional>
#include <optional>

// A colour chooser: the standard colours by name, a "Custom..." entry that asks for any colour,
// and the current colour shown by its hex name when it is none of the standard ones.
class TColorBox : public QComboBox
{
  Q_OBJECT
public:
  explicit TColorBox(QWidget *aParent = nullptr);

  QColor Selected() const { return fColor; }
  // Shows aColor without raising ColorChanged.
  void SetSelected(const QColor &aColor);

  // Asks the user for a colour, starting from aStart; none when cancelled. The colour dialog
  // unless replaced (tests answer without a modal run).
  using TPickColor = std::function<std::optional<QColor>(const QColor &aStart, QWidget *aParent)>;
  static TPickColor PickColor;

  static constexpr int cCustomIndex = 0;

Q_SIGNALS:
  // The user chose a colour (a standard one or a custom one).
  void ColorChanged(const QColor &aColor);

private:
  void ItemActivated(int aIndex);
  int FindStandard(const QColor &aColor) const;

  QColor fColor = Qt::black;
};
