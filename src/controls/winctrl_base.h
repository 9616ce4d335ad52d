#pragma once

#include <QMargins>
#include <QRect>
#include <QString>
#include <QWidget>

// A custom-drawn child control: it owns its caption text and paints itself.
class TwinctrlBaseControl : public QWidget
{
  Q_OBJECT
public:
  explicit TwinctrlBaseControl(QWidget *aParent = nullptr);

  const QString &Caption() const { return fCaption; }
  void SetCaption(const QString &aValue);

protected:
  virtual void CaptionChanged() { update(); }

private:
  QString fCaption;
};

class TwinctrlCustomControl : public TwinctrlBaseControl
{
  Q_OBJECT
public:
  using TwinctrlBaseControl::TwinctrlBaseControl;
};

// A container whose children fill its client area less an inset (TwinctrlControlIndent).
// Subclasses shrink the client area further (frame, caption band) through ClientArea().
class TwinctrlCustomPanel : public TwinctrlCustomControl
{
  Q_OBJECT
public:
  explicit TwinctrlCustomPanel(QWidget *aParent = nullptr);

  QMargins ControlIndent() const { return fControlIndent; }
  void SetControlIndent(const QMargins &aValue);
  // Where the children go.
  QRect ContentRect() const { return ClientArea().marginsRemoved(fControlIndent); }

protected:
  virtual QRect ClientArea() const { return rect(); }
  // Lays every child that takes part (see TakesPart) over the content rectangle.
  void RealignChildren();
  virtual bool TakesPart(QWidget *aChild) const;
  void resizeEvent(QResizeEvent *aEvent) override;
  void childEvent(QChildEvent *aEvent) override;

private:
  QMargins fControlIndent;
};
