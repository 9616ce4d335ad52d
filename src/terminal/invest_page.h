#pragma once

#include <QScrollArea>

// The "Инвестиции" page: eight pictures of 300 × 150 in two rows of four, 4 pixels apart. They
// are drawn when the page is first shown, so start-up does not pay for them.
class TInvestPage : public QScrollArea
{
  Q_OBJECT
public:
  static constexpr int cPictureCount = 8;

  explicit TInvestPage(QWidget *aParent = nullptr);

  bool Drawn() const { return fDrawn; }

protected:
  void showEvent(QShowEvent *aEvent) override;

private:
  void Draw();

  bool fDrawn = false;
};
