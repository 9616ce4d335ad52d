#pragma once

#include <QList>

#include <memory>
#include <vector>

// Anything that can subscribe to a publisher.
class IDObject
{
public:
  virtual ~IDObject() = default;
  virtual void Notification(int aEventID, void *aData) = 0;
};

class TDObject : public IDObject
{
public:
  virtual bool ActionExecute(void *aAction);
  void Notification(int aEventID, void *aData) override;
};

// One subscriber list of a publisher; ID 0 is the list that receives every event.
class TDPublisherEvent
{
public:
  explicit TDPublisherEvent(int aID) : ID(aID) {}

  const int ID;

  void Subscribe(IDObject *aObj);
  void Unsubscribe(IDObject *aObj);
  bool Contains(IDObject *aObj) const;
  int Count() const { return static_cast<int>(fSubscribers.size()); }
  void Notify(int aEventID, void *aData);

private:
  std::vector<IDObject *> fSubscribers;
};

class TDPublisher
{
public:
  TDPublisher();
  ~TDPublisher();
  TDPublisher(const TDPublisher &) = delete;
  TDPublisher &operator=(const TDPublisher &) = delete;

  void Clear();
  TDPublisherEvent *Add(int aID);
  TDPublisherEvent *GetID(int aID) const;
  TDPublisherEvent *GetEvent(int aIndex) const;
  int EventCount() const { return static_cast<int>(fEvents.size()); }

  void Subscribe(IDObject *aObj, int aEventID);
  void Unsubscribe(IDObject *aObj, int aEventID);
  void Notify(int aEventID, void *aData);

private:
  TDPublisherEvent *fDefaultEvent = nullptr;
  std::vector<std::unique_ptr<TDPublisherEvent>> fEvents;
};
