#pragma once

#include "d_classes.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

class TfrmBasic;

// Forwards a publisher's events to its window.
class TBasicSubscriber : public TDObject
{
public:
  explicit TBasicSubscriber(TfrmBasic *aForm) : Form(aForm) {}
  void Notification(int aEventID, void *aData) override;

  TfrmBasic *const Form;
};

// The base of every window, mixed into the window's Qt class (QMainWindow, QDialog, ...).
// It leaves every publisher it joined before the window dies, since a publisher keeps plain
// references.
class TfrmBasic
{
public:
  TfrmBasic() = default;
  explicit TfrmBasic(const QString &aParams);
  virtual ~TfrmBasic();
  TfrmBasic(const TfrmBasic &) = delete;
  TfrmBasic &operator=(const TfrmBasic &) = delete;

  virtual QString GetParams() const;

  void Subscribe(TDPublisher *aPublisher, int aEventID = 0);
  void Unsubscribe(TDPublisher *aPublisher, int aEventID = 0);
  virtual void OnNotify(int aEventID, void *aData);

  TBasicSubscriber *Subscriber() const { return fSubscriber.get(); }

protected:
  void UnsubscribeAll();

private:
  std::unique_ptr<TBasicSubscriber> fSubscriber;
  std::vector<std::pair<TDPublisher *, int>> fSubscriptions;
};
