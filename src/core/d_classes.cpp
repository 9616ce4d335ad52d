#include "d_classes.h"

#include <algorithm>

bool TDObject::ActionExecute(void *)
{
  return false;
}

void TDObject::Notification(int, void *) {}

void TDPublisherEvent::Subscribe(IDObject *aObj)
{
  if (!Contains(aObj))
    fSubscribers.push_back(aObj);
}

void TDPublisherEvent::Unsubscribe(IDObject *aObj)
{
  std::erase(fSubscribers, aObj);
}

bool TDPublisherEvent::Contains(IDObject *aObj) const
{
  return std::find(fSubscribers.begin(), fSubscribers.end(), aObj) != fSubscribers.end();
}

void TDPublisherEvent::Notify(int aEventID, void *aData)
{
  // A handler may unsubscribe itself or another object while we deliver; walk a snapshot
  // and skip whoever left in the meantime, so no call reaches an object that asked to stop.
  const std::vector<IDObject *> lSnapshot = fSubscribers;
  for (IDObject *lObj : lSnapshot)
    if (Contains(lObj))
      lObj->Notification(aEventID, aData);
}

TDPublisher::TDPublisher()
{
  fEvents.push_back(std::make_unique<TDPublisherEvent>(0));
  fDefaultEvent = fEvents.front().get();
}

TDPublisher::~TDPublisher()
{
  Clear();
}

void TDPublisher::Clear()
{
  while (!fEvents.empty())
    fEvents.pop_back();
  fDefaultEvent = nullptr;
}

TDPublisherEvent *TDPublisher::Add(int aID)
{
  fEvents.push_back(std::make_unique<TDPublisherEvent>(aID));
  return fEvents.back().get();
}

TDPublisherEvent *TDPublisher::GetID(int aID) const
{
  for (const auto &lEvent : fEvents)
    if (lEvent->ID == aID)
      return lEvent.get();
  return nullptr;
}

TDPublisherEvent *TDPublisher::GetEvent(int aIndex) const
{
  if (aIndex < 0 || aIndex >= EventCount())
    return nullptr;
  return fEvents[static_cast<size_t>(aIndex)].get();
}

void TDPublisher::Subscribe(IDObject *aObj, int aEventID)
{
  if (!aObj)
    return;
  TDPublisherEvent *lEvent = aEventID == 0 ? fDefaultEvent : GetID(aEventID);
  if (!lEvent && aEventID != 0)
    lEvent = Add(aEventID);
  if (lEvent)
    lEvent->Subscribe(aObj);
}

void TDPublisher::Unsubscribe(IDObject *aObj, int aEventID)
{
  if (!aObj)
    return;
  TDPublisherEvent *lEvent = aEventID == 0 ? fDefaultEvent : GetID(aEventID);
  if (lEvent)
    lEvent->Unsubscribe(aObj);
}

void TDPublisher::Notify(int aEventID, void *aData)
{
  if (aEventID <= 0)
    return;
  if (TDPublisherEvent *lEvent = GetID(aEventID))
    lEvent->Notify(aEventID, aData);
  if (fDefaultEvent)
    fDefaultEvent->Notify(aEventID, aData);
}
