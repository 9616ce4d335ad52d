#include "d_classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TRecorder : public TDObject
{
public:
  TRecorder(std::string aName, std::vector<std::string> &aLog) : fName(std::move(aName)), fLog(aLog)
  {
  }
  void Notification(int aEventID, void *) override
  {
    fLog.push_back(fName + ":" + std::to_string(aEventID));
  }

private:
  std::string fName;
  std::vector<std::string> &fLog;
};

} // namespace

TEST(Publisher, NonPositiveIdsDeliverNothing)
{
  std::vector<std::string> lLog;
  TRecorder lA("a", lLog);
  TDPublisher lPublisher;
  lPublisher.Subscribe(&lA, 0);
  lPublisher.Notify(0, nullptr);
  lPublisher.Notify(-5, nullptr);
  EXPECT_TRUE(lLog.empty());
}

TEST(Publisher, SpecificListFirstThenDefaultInSubscriptionOrder)
{
  std::vector<std::string> lLog;
  TRecorder lA("a", lLog), lB("b", lLog), lC("c", lLog);
  TDPublisher lPublisher;
  lPublisher.Subscribe(&lB, 0);
  lPublisher.Subscribe(&lA, 0);
  lPublisher.Subscribe(&lC, 110);
  lPublisher.Subscribe(&lA, 110);
  lPublisher.Notify(110, nullptr);
  EXPECT_EQ(lLog, (std::vector<std::string>{"c:110", "a:110", "b:110", "a:110"}));
  lLog.clear();
  lPublisher.Notify(150, nullptr); // no list of its own: only the default one
  EXPECT_EQ(lLog, (std::vector<std::string>{"b:150", "a:150"}));
}

TEST(Publisher, DuplicatesAndUnknownUnsubscribesChangeNothing)
{
  std::vector<std::string> lLog;
  TRecorder lA("a", lLog), lB("b", lLog);
  TDPublisher lPublisher;
  lPublisher.Subscribe(&lA, 0);
  lPublisher.Subscribe(&lA, 0);
  lPublisher.Subscribe(nullptr, 0);
  lPublisher.Unsubscribe(&lB, 0);
  lPublisher.Unsubscribe(&lB, 777);
  lPublisher.Notify(1, nullptr);
  EXPECT_EQ(lLog.size(), 1u);
  EXPECT_EQ(lPublisher.GetEvent(0)->Count(), 1);
  EXPECT_EQ(lPublisher.GetID(777), nullptr);
}

TEST(Publisher, AddGetAndClear)
{
  TDPublisher lPublisher;
  TDPublisherEvent *lEvent = lPublisher.Add(42);
  EXPECT_EQ(lPublisher.GetID(42), lEvent);
  EXPECT_EQ(lPublisher.GetEvent(1), lEvent);
  EXPECT_EQ(lPublisher.GetEvent(0)->ID, 0);
  lPublisher.Clear();
  EXPECT_EQ(lPublisher.EventCount(), 0);
  std::vector<std::string> lLog;
  TRecorder lA("a", lLog);
  lPublisher.Subscribe(&lA, 0); // no default list any more: ignored, not a crash
  lPublisher.Notify(1, nullptr);
  EXPECT_TRUE(lLog.empty());
}

TEST(Publisher, SubscriberLeavingDuringDeliveryIsNotCalledAfterwards)
{
  std::vector<std::string> lLog;
  TDPublisher lPublisher;
  TRecorder lB("b", lLog);
  class TLeaver : public TDObject
  {
  public:
    TLeaver(TDPublisher &aPublisher, IDObject *aOther) : fPublisher(aPublisher), fOther(aOther) {}
    void Notification(int, void *) override { fPublisher.Unsubscribe(fOther, 0); }

  private:
    TDPublisher &fPublisher;
    IDObject *fOther;
  } lLeaver(lPublisher, &lB);
  lPublisher.Subscribe(&lLeaver, 0);
  lPublisher.Subscribe(&lB, 0);
  lPublisher.Notify(5, nullptr);
  EXPECT_TRUE(lLog.empty());
}

TEST(Publisher, SubscriberExceptionReachesTheCaller)
{
  class TThrower : public TDObject
  {
  public:
    void Notification(int, void *) override { throw std::runtime_error("view failed"); }
  } lThrower;
  TDPublisher lPublisher;
  lPublisher.Subscribe(&lThrower, 0);
  EXPECT_THROW(lPublisher.Notify(1, nullptr), std::runtime_error);
}
