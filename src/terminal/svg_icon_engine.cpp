#include "svg_icon_engine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

void TSvgIconEngine::paint(QPainter *aPainter, const QRect &aRect, QIcon::Mode aMode,
                           QIcon::State aState)
{
  const qreal lScale = aPainter->device() ? aPainter->device()->devicePixelRatioF() : 1.0;
  aPainter->drawPixmap(aRect, scaledPixmap(aRect.size(), aMode, aState, lScale));
}

QPixmap TSvgIconEngine::pixmap(const QSize &aSize, QIcon::Mode aMode, QIcon::State aState)
{
  return scaledPixmap(aSize, aMode, aState, 1.0);
}

QPixmap TSvgIconEngine::scaledPixmap(const QSize &aSize, QIcon::Mode aMode, QIcon::State,
                                     qreal aScale)
{
  const QSize lPixels = aSize * aScale;
  if (lPixels.isEmpty())
    return {};
  const quint64 lKey =
      (quint64(lPixels.width()) << 32) | (quint64(lPixels.height()) << 8) | quint64(aMode);
  if (const auto lCached = fCache.constFind(lKey); lCached != fCache.constEnd())
    return *lCached;

  QPixmap lPixmap;
  if (aMode == QIcon::Normal || aMode == QIcon::Active) {
    lPixmap = QPixmap(lPixels);
    lPixmap.fill(Qt::transparent);
    QSvgRenderer lRenderer(fFileName);
    QPainter lPainter(&lPixmap);
    lRenderer.render(&lPainter, QRectF(QPointF(0, 0), QSizeF(lPixels)));
  } else {
    // Disabled and selected looks come from the style, as for any other icon.
    const QPixmap lNormal = scaledPixmap(aSize, QIcon::Normal, QIcon::Off, aScale);
    QStyleOption lOption;
    lOption.palette = QApplication::palette();
    lPixmap = QApplication::style()->generatedIconPixmap(aMode, lNormal, &lOption);
  }
  lPixmap.setDevicePixelRatio(aScale);
  fCache.insert(lKey, lPixmap);
  return lPixmap;
}
