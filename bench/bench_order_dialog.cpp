// Main-thread time of opening the order dialog with every exchange symbol in its list (what
// the trader waits for after "Новый ордер"), and of one keystroke in a panel's amount field,
// which recomputes the total.
#include "core_test_env.h"
#include "dlg_order.h"
#include "order_panel.h"
#include "symbol_show_list.h"
#include "user.h"
#include "workflow.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest/QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int cSymbols = 3000;

class TOrderEnv
{
public:
  TOrderEnv()
  {
    Workflow = std::make_unique<TWorkflow>();
    User = std::make_unique<TUser>();
    for (int i = 0; i < cSymbols; ++i)
      User->SymbolShowList()->SymbolList().Add(
          QStringLiteral("C%1USDT").arg(i, 4, 10, QLatin1Char('0')));
    User->SymbolShowList()->FillShowSymbols();
  }
  ~TOrderEnv()
  {
    User.reset();
    Workflow.reset();
  }

private:
  TCoreTestEnv fCore;
};

void BM_OrderDialogOpen(benchmark::State &aState)
{
  TOrderEnv lEnv;
  for (auto _ : aState) {
    TdlgOrder lDialog;
    lDialog.SetSymbol(QStringLiteral("C2999USDT"));
    lDialog.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(lDialog.Symbol());
  }
}
BENCHMARK(BM_OrderDialogOpen)->Unit(benchmark::kMillisecond);

void BM_PanelAmountKeystroke(benchmark::State &aState)
{
  TOrderEnv lEnv;
  TOrderPanel lPanel(TOrderSide::Buy);
  lPanel.show();
  auto *lPrice = lPanel.findChild<QLineEdit *>(QStringLiteral("edBuyLimitPrice"));
  auto *lAmount = lPanel.findChild<QLineEdit *>(QStringLiteral("edBuyLimitAmount"));
  lPrice->setText(QStringLiteral("42000"));
  for (auto _ : aState) {
    QTest::keyClick(lAmount, Qt::Key_5);
    if (lAmount->text().size() > 6)
      lAmount->clear();
  }
}
BENCHMARK(BM_PanelAmountKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
