#include "symbol_row_delegate.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <QTimer>

#include <cmath>

namespace {

// Enough for every visible cell of a few ticks; past it the cache starts over.
constexpr qsizetype cMaxShaped = 4096;

} // namespace

const QStaticText &TCellTextPainter::Shaped(const QString &aKey, const QString &aText,
                                            const QFont &aFont)
{
  auto lIt = fShaped.find(aKey);
  if (lIt != fShaped.end())
    return *lIt;
  if (fShaped.size() >= cMaxShaped)
    fShaped.clear();
  QStaticText lStatic(aText);
  lStatic.setTextFormat(Qt::PlainText);
  lStatic.prepare(QTransform(), aFont);
  return *fShaped.insert(aKey, lStatic);
}

const QStaticText &TCellTextPainter::Fitted(const QString &aText, int aWidth, int aColumn,
                                            const QStyleOptionViewItem &aOption)
{
  if (aOption.font != fFont) {
    fShaped.clear();
    fFont = aOption.font;
  }
  const qreal lWhole = Shaped(aText, aText, aOption.font).size().width();
  if (lWhole <= aWidth)
    return Shaped(aText, aText, aOption.font);
  if (fTooNarrow)
    fTooNarrow(aColumn, int(std::ceil(lWhole)) + 2 * cCellMargin);
  // An elided text is kept under its width too, as a narrow column elides it on every tick.
  const QString lKey = aText + QChar(0x1F) + QString::number(aWidth);
  if (const auto lIt = fShaped.constFind(lKey); lIt != fShaped.constEnd())
    return *lIt;
  return Shaped(lKey, aOption.fontMetrics.elidedText(aText, Qt::ElideRight, aWidth), aOption.font);
}

void TCellTextPainter::Paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                             const QModelIndex &aIndex)
{
  const bool lSelected = aOption.state & QStyle::State_Selected;
  const QPalette::ColorGroup lGroup =
      aOption.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
  if (lSelected)
    aPainter->fillRect(aOption.rect, aOption.palette.brush(lGroup, QPalette::Highlight));
  const QString lText = aIndex.data(Qt::DisplayRole).toString();
  if (lText.isEmpty())
    return;
  const QVariant lAlignment = aIndex.data(Qt::TextAlignmentRole);
  const int lFlags =
      lAlignment.isValid() ? lAlignment.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
  const QRect lRect = aOption.rect.adjusted(cCellMargin, 0, -cCellMargin, 0);
  aPainter->setPen(
      aOption.palette.color(lGroup, lSelected ? QPalette::HighlightedText : QPalette::Text));
  aPainter->setFont(aOption.font);

  const QStaticText &lStatic = Fitted(lText, lRect.width(), aIndex.column(), aOption);
  const QSizeF lSize = lStatic.size();
  qreal lX = lRect.left();
  if (lFlags & Qt::AlignRight)
    lX = lRect.right() + 1 - lSize.width();
  else if (lFlags & Qt::AlignHCenter)
    lX = lRect.left() + (lRect.width() - lSize.width()) / 2;
  const qreal lY = lRect.top() + (lRect.height() - lSize.height()) / 2;
  aPainter->drawStaticText(QPointF(lX, lY), lStatic);
}

void TSymbolRowDelegate::paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                               const QModelIndex &aIndex) const
{
  aPainter->fillRect(aOption.rect, Qt::white);
  const QVariant lColor = aIndex.data(cRowColorRole);
  if (lColor.isValid())
    aPainter->fillRect(aOption.rect, QColorOf(lColor.value<TColor>()));
  fText.Paint(aPainter, aOption, aIndex);
}

TColumnGrowth::TColumnGrowth(QTableView *aView, TCellTextPainter &aPainter)
    : QObject(aView), fView(aView)
{
  aPainter.SetTooNarrow([this](int aColumn, int aWidth) { Request(aColumn, aWidth); });
  // A column the user sized keeps the user's width. Hiding and showing a column resize it
  // too, so only a resize with the mouse counts.
  const QHeaderView *lHeader = aView->horizontalHeader();
  connect(lHeader, &QHeaderView::sectionResized, this, [this](int aColumn) {
    if (!fResizing && (QGuiApplication::mouseButtons() & Qt::LeftButton))
      fUserSized.insert(aColumn);
  });
  connect(lHeader, &QHeaderView::sectionHandleDoubleClicked, this,
          [this](int aColumn) { fUserSized.insert(aColumn); });
}

void TColumnGrowth::Request(int aColumn, int aWidth)
{
  const QHeaderView *lHeader = fView->horizontalHeader();
  if (fUserSized.contains(aColumn) ||
      lHeader->sectionResizeMode(aColumn) != QHeaderView::Interactive ||
      lHeader->sectionSize(aColumn) >= aWidth)
    return;
  int &lPending = fPending[aColumn];
  lPending = std::max(lPending, aWidth);
  // Not while the grid paints: the new width takes effect with the next paint.
  if (!fScheduled) {
    fScheduled = true;
    QTimer::singleShot(0, this, &TColumnGrowth::Apply);
  }
}

void TColumnGrowth::Apply()
{
  fScheduled = false;
  fResizing = true;
  QHeaderView *lHeader = fView->horizontalHeader();
  for (auto lIt = fPending.cbegin(); lIt != fPending.cend(); ++lIt)
    if (!fUserSized.contains(lIt.key()) && lHeader->sectionSize(lIt.key()) < lIt.value())
      lHeader->resizeSection(lIt.key(), lIt.value());
  fResizing = false;
  fPending.clear();
}
