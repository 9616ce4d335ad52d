#include "winctrl_base.h"

#include <QChildEvent>

TwinctrlBaseControl::TwinctrlBaseControl(QWidget *aParent) : QWidget(aParent) {}

void TwinctrlBaseControl::SetCaption(const QString &aValue)
{
  if (fCaption == aValue)
    return;
  fCaption = aValue;
  CaptionChanged();
}

TwinctrlCustomPanel::TwinctrlCustomPanel(QWidget *aParent) : TwinctrlCustomControl(aParent) {}

void TwinctrlCustomPanel::SetControlIndent(const QMargins &aValue)
{
  if (fControlIndent == aValue)
    return;
  fControlIndent = aValue;
  RealignChildren();
}

bool TwinctrlCustomPanel::TakesPart(QWidget *aChild) const
{
  return !aChild->isWindow();
}

void TwinctrlCustomPanel::RealignChildren()
{
  const QRect lContent = ContentRect();
  for (QObject *lObject : children()) {
    auto *lChild = qobject_cast<QWidget *>(lObject);
    if (lChild && TakesPart(lChild))
      lChild->setGeometry(lContent.isValid() ? lContent : QRect(lContent.topLeft(), QSize(0, 0)));
  }
}

void TwinctrlCustomPanel::resizeEvent(QResizeEvent *aEvent)
{
  TwinctrlCustomControl::resizeEvent(aEvent);
  RealignChildren();
}

void TwinctrlCustomPanel::childEvent(QChildEvent *aEvent)
{
  TwinctrlCustomControl::childEvent(aEvent);
  if (aEvent->added() && aEvent->child()->isWidgetType()) {
    auto *lChild = static_cast<QWidget *>(aEvent->child());
    if (TakesPart(lChild))
      lChild->setGeometry(ContentRect());
  }
}
