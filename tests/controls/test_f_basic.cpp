#include "d_classes.h"
#include "f_basic.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class TTestForm : public TfrmBasic
{
public:
  void OnNotify(int aEventID, void *) override { Events.push_back(aEventID); }
  std::vector<int> Events;
};

} // namespace

TEST(FormBasic, SubscribesThroughOneSubscriberAndReceivesEvents)
{
  TDPublisher lPublisher;
  TTestForm lForm;
  EXPECT_EQ(lForm.Subscriber(), nullptr);
  lForm.Subscribe(&lPublisher);
  lForm.Subscribe(&lPublisher);
  ASSERT_NE(lForm.Subscriber(), nullptr);
  EXPECT_EQ(lForm.Subscriber()->Form, &lForm);
  lPublisher.Notify(110, nullptr);
  EXPECT_EQ(lForm.Events, (std::vector<int>{110}));
}

TEST(FormBasic, UnsubscribeWithoutSubscribingIsHarmless)
{
  TDPublisher lPublisher;
  TTestForm lForm;
  lForm.Unsubscribe(&lPublisher);
  lForm.Unsubscribe(nullptr);
  lForm.Subscribe(nullptr);
  EXPECT_EQ(lForm.Subscriber(), nullptr);
  lPublisher.Notify(1, nullptr);
  EXPECT_TRUE(lForm.Events.empty());
}

TEST(FormBasic, DestroyedFormLeavesEveryPublisher)
{
  TDPublisher lA, lB;
  auto lForm = std::make_unique<TTestForm>();
  lForm->Subscribe(&lA);
  lForm->Subscribe(&lB, 150);
  lForm.reset();
  EXPECT_EQ(lA.GetEvent(0)->Count(), 0);
  EXPECT_EQ(lB.GetID(150)->Count(), 0);
  lA.Notify(1, nullptr); // would reach freed memory if the form had stayed subscribed
  lB.Notify(150, nullptr);
}

TEST(FormBasic, DefaultsDoNothing)
{
  TfrmBasic lForm(QStringLiteral("params"));
  EXPECT_TRUE(lForm.GetParams().isEmpty());
  lForm.OnNotify(100, nullptr);
}
