// The order panels hosted by the main window against vexa-exchange: an order placed from the
// Buy panel shows in "Торговля" and is cancelled there, and a refused order's reason stays in
// the status line until the next order goes through.

#include "account_grid.h"
#include "fm_main.h"
#include "main_actions.h"
#include "order_panel.h"
#include "order_test_support.h"
#include "terminal_panel.h"
#include "test_orders_env.h"

#include <QLabel>

namespace {

class OrderEntryInTheWindow : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(false);
    SetPrice("BTCUSDT", "60000");
    User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
    User->Input()->SetAuth(uaAuth);
    fForm = std::make_unique<TfmMain>();
    fForm->show();
    fForm->InitUserInterface();
    fForm->SetOnlineMode(true);
  }
  void TearDown() override
  {
    fForm.reset();
    OrdersExchangeTest::TearDown();
  }

  std::unique_ptr<TfmMain> fForm;
};

} // namespace

TEST_F(OrderEntryInTheWindow, PanelOrderShowsInTheGridAndARefusalStaysInTheStatusLine)
{
  // Multi-trading cannot be switched on without a further account.
  fForm->Actions().acMulti->trigger();
  EXPECT_FALSE(User->Input()->Multi());
  EXPECT_FALSE(fForm->Actions().acMulti->isChecked());

  TOrderPanel &lBuy = *fForm->BuyPanel();
  TAccountGrid *lOrders = fForm->pcTerminal()->vstOrders();
  PlaceLimit(lBuy, "59000", "0.01");
  ASSERT_TRUE(PumpUntil([&] { return lOrders->model()->rowCount() == 1; }));
  EXPECT_EQ(lOrders->model()->index(0, 4).data().toString(), "BTCUSDT");

  // "Удалить ордер" on the selected row, confirmed.
  lOrders->selectRow(0);
  fBoxes.Presenter().SetAnswer(mrYes);
  fForm->Actions().acOrderDelete->trigger();
  ASSERT_TRUE(PumpUntil([&] { return lOrders->model()->rowCount() == 0; }));

  PlaceLimit(lBuy, "59000", "0.0000001");
  ASSERT_TRUE(PumpUntil([&] { return fForm->StatusText()->text() != "Подключено"; }));
  const QString lRefused = fForm->StatusText()->text();
  EXPECT_TRUE(lRefused.startsWith("Ордер отклонен: ")) << lRefused.toStdString();
  EXPECT_TRUE(lRefused.contains("LOT_SIZE")) << lRefused.toStdString();
  // It stays while nothing new is ordered.
  PumpFor(1200);
  EXPECT_EQ(fForm->StatusText()->text(), lRefused);

  PlaceLimit(lBuy, "59000", "0.01");
  EXPECT_TRUE(PumpUntil([&] { return fForm->StatusText()->text() == "Подключено"; }));
  EXPECT_TRUE(PumpUntil([&] { return lOrders->model()->rowCount() == 1; }));
}
