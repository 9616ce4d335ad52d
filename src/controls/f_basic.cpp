#include "f_basic.h"

#include <algorithm>

void TBasicSubscriber::Notification(int aEventID, void *aData)
{
  if (Form)
    Form->OnNotify(aEventID, aData);
}

TfrmBasic::TfrmBasic(const QString &) {}

TfrmBasic::~TfrmBasic()
{
  UnsubscribeAll();
}

QString TfrmBasic::GetParams() const
{
  return {};
}

void TfrmBasic::Subscribe(TDPublisher *aPublisher, int aEventID)
{
  if (!aPublisher)
    return;
  if (!fSubscriber)
    fSubscriber = std::make_unique<TBasicSubscriber>(this);
  aPublisher->Subscribe(fSubscriber.get(), aEventID);
  const auto lEntry = std::make_pair(aPublisher, aEventID);
  if (std::find(fSubscriptions.begin(), fSubscriptions.end(), lEntry) == fSubscriptions.end())
    fSubscriptions.push_back(lEntry);
}

void TfrmBasic::Unsubscribe(TDPublisher *aPublisher, int aEventID)
{
  if (!aPublisher || !fSubscriber)
    return;
  aPublisher->Unsubscribe(fSubscriber.get(), aEventID);
  std::erase(fSubscriptions, std::make_pair(aPublisher, aEventID));
}

void TfrmBasic::OnNotify(int, void *) {}

void TfrmBasic::UnsubscribeAll()
{
  if (!fSubscriber)
    return;
  for (const auto &[lPublisher, lEventID] : fSubscriptions)
    lPublisher->Unsubscribe(fSubscriber.get(), lEventID);
  fSubscriptions.clear();
}
