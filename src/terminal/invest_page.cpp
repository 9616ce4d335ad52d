#include "invest_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
constexpr int cPictureWidth = 300;
constexpr int cPictureHeight = 150;
constexpr int cGap = 4;
} // namespace

TInvestPage::TInvestPage(QWidget *aParent) : QScrollArea(aParent)
{
  setObjectName(QStringLiteral("sbInvest"));
  setFrameShape(QFrame::NoFrame);
  auto *lBox = new QWidget(this);
  auto *lGrid = new QGridLayout(lBox);
  lGrid->setContentsMargins(cGap, cGap, cGap, cGap);
  lGrid->setSpacing(cGap);
  for (int i = 0; i < cPictureCount; ++i) {
    auto *lPicture = new QLabel(lBox);
    lPicture->setObjectName(QStringLiteral("imgInvest%1").arg(i + 1));
    lPicture->setFixedSize(cPictureWidth, cPictureHeight);
    lGrid->addWidget(lPicture, i / 4, i % 4);
  }
  lGrid->setColumnStretch(4, 1);
  lGrid->setRowStretch(2, 1);
  setWidget(lBox);
  setWidgetResizable(true);
}

void TInvestPage::showEvent(QShowEvent *aEvent)
{
  Draw();
  QScrollArea::showEvent(aEvent);
}

void TInvestPage::Draw()
{
  if (fDrawn)
    return;
  fDrawn = true;
  const qreal lRatio = devicePixelRatioF();
  for (int i = 0; i < cPictureCount; ++i) {
    auto *lPicture = widget()->findChild<QLabel *>(QStringLiteral("imgInvest%1").arg(i + 1));
    QSvgRenderer lRenderer(QStringLiteral(":/invest/invest%1.svg").arg(i + 1));
    QPixmap lPixmap(QSize(cPictureWidth, cPictureHeight) * lRatio);
    lPixmap.setDevicePixelRatio(lRatio);
    lPixmap.fill(Qt::transparent);
    QPainter lPainter(&lPixmap);
    lRenderer.render(&lPainter, QRectF(0, 0, cPictureWidth, cPictureHeight));
    lPainter.end();
    lPicture->setPixmap(lPixmap);
  }
}
