#pragma once

#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <QString>

// An icon drawn from an SVG file the first time a size of it is shown. Qt's own SVG icon engine
// parses every file when the icon is made; the window makes some sixty icons at start, most of
// them for menus that may never open.
class TSvgIconEngine : public QIconEngine
{
public:
  explicit TSvgIconEngine(const QString &aFileName) : fFileName(aFileName) {}

  void paint(QPainter *aPainter, const QRect &aRect, QIcon::Mode aMode,
             QIcon::State aState) override;
  QPixmap pixmap(const QSize &aSize, QIcon::Mode aMode, QIcon::State aState) override;
  QPixmap scaledPixmap(const QSize &aSize, QIcon::Mode aMode, QIcon::State aState,
                       qreal aScale) override;
  QSize actualSize(const QSize &aSize, QIcon::Mode, QIcon::State) override { return aSize; }
  QIconEngine *clone() const override { return new TSvgIconEngine(fFileName); }
  QString key() const override { return QStringLiteral("TSvgIconEngine"); }
  bool isNull() override { return fFileName.isEmpty(); }

private:
  QString fFileName;
  QHash<quint64, QPixmap> fCache; // by pixel size and mode
};
