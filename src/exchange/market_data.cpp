#include "market_data.h"

#include "base_thread.h"
#include "depth.h"
#include "market_json.h"
#include "methods.h"
#include "symbol_show_list.h"
#include "volume.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace {

std::vector<std::pair<double, double>> ParseLevels(const QJsonArray &aLevels)
{
  std::vector<std::pair<double, double>> lResult;
  lResult.reserve(static_cast<size_t>(aLevels.size()));
  for (const QJsonValue &lLevel : aLevels) {
    const QJsonArray lPair = lLevel.toArray();
    lResult.emplace_back(JsonNumber(lPair.at(0)), JsonNumber(lPair.at(1)));
  }
  return lResult;
}

} // namespace

TDepthAnswer ParseDepth(const QJsonValue &aAnswer)
{
  static const QString cAsks = QStringLiteral("asks");
  static const QString cBids = QStringLiteral("bids");
  TDepthAnswer lResult;
  const QJsonObject lObject = aAnswer.toObject();
  const QJsonValue lAsks = lObject.value(cAsks);
  const QJsonValue lBids = lObject.value(cBids);
  lResult.HasAsks = lAsks.isArray();
  lResult.HasBids = lBids.isArray();
  lResult.Asks = ParseLevels(lAsks.toArray());
  lResult.Bids = ParseLevels(lBids.toArray());
  return lResult;
}

TColor PriceMoveColor(double aOldPrice, double aNewPrice)
{
  if (aNewPrice == aOldPrice)
    return clWhite;
  return aNewPrice > aOldPrice ? clLtGreen : clLtRed;
}

void OutputTickerPrices(TSymbolShowList &aShowList, const std::vector<TPriceTick> &aTicks)
{
  TSymbolList &lList = aShowList.SymbolList();
  for (const TPriceTick &lTick : aTicks) {
    TSymbol *lSymbol = lList.FindOrAdd(lTick.Symbol, lTick.Key);
    lSymbol->SetColor(PriceMoveColor(lSymbol->LastPrice(), lTick.Price));
    lSymbol->SetLastPrice(lTick.Price);
  }
  if (aShowList.Count() == 0)
    aShowList.FillShowSymbols();
}

bool OutputSymbolPrice(TSymbolShowList &aShowList, const QString &aSymbol, double aPrice)
{
  TSymbol *lSymbol = aShowList.SymbolList().Find(aSymbol);
  if (!lSymbol)
    return false;
  lSymbol->SetColor(PriceMoveColor(lSymbol->LastPrice(), aPrice));
  lSymbol->SetLastPrice(aPrice);
  return true;
}

void OutputTicker24hr(TSymbolShowList &aShowList, const std::vector<TTicker24hr> &aTicks)
{
  if (aTicks.empty())
    return;
  TSymbolList &lList = aShowList.SymbolList();

  // The volume monitor's reference and last volume belong to the symbol, not to this answer.
  struct TVolumeState
  {
    double First;
    double Last;
  };
  QHash<QString, TVolumeState> lVolumes;
  for (int i = 0; i < lList.Count(); ++i) {
    const TSymbol *lSymbol = lList.GetItem(i);
    if (lSymbol->FirstQuoteVolume() != 0 || lSymbol->QuoteVolume() != 0)
      lVolumes.insert(TSymbolList::Key(lSymbol->Name()),
                      {lSymbol->FirstQuoteVolume(), lSymbol->QuoteVolume()});
  }

  {
    // The show list must never be read while it points at freed symbols: re-link it however
    // the rebuild ends.
    struct TRelink
    {
      TSymbolShowList &ShowList;
      ~TRelink()
      {
        ShowList.SymbolList().EndUpdate();
        ShowList.Relink();
      }
    } lRelink{aShowList};

    lList.BeginUpdate();
    lList.Clear();
    std::vector<TSymbol *> lAdded;
    lAdded.reserve(aTicks.size());
    for (const TTicker24hr &lTick : aTicks) {
      // The list was just emptied: a symbol is new unless this answer named it before.
      TSymbol *lSymbol = lTick.First >= 0 && lTick.First < static_cast<int>(lAdded.size())
                             ? lAdded[static_cast<size_t>(lTick.First)]
                             : lList.Add(lTick.Symbol, lTick.Key);
      lAdded.push_back(lSymbol);
      lSymbol->SetPriceChangePercent(lTick.PriceChangePercent);
      lSymbol->SetLastPrice(lTick.LastPrice);
      lSymbol->SetBidPrice(lTick.BidPrice);
      lSymbol->SetAskPrice(lTick.AskPrice);
      lSymbol->SetHighPrice(lTick.HighPrice);
      lSymbol->SetLowPrice(lTick.LowPrice);
      lSymbol->SetColor(clWhite);
      if (!lVolumes.isEmpty()) {
        const auto lIt = lVolumes.constFind(lTick.Key);
        if (lIt != lVolumes.constEnd()) {
          lSymbol->SetFirstQuoteVolume(lIt->First);
          lSymbol->SetQuoteVolume(lIt->Last);
        }
      }
    }
  }
  if (aShowList.Count() == 0)
    aShowList.FillShowSymbols();
}

bool IsBtcQuoted(const QString &aSymbol)
{
  const qsizetype lPos = aSymbol.indexOf(QLatin1String("BTC"));
  return lPos >= 0 && lPos == aSymbol.size() - 3;
}

void OutputVolumes(TSymbolList &aSymbols, TVolumeList &aVolumes,
                   const std::vector<TTicker24hr> &aTicks, TDateTime aNow)
{
  for (const TTicker24hr &lTick : aTicks) {
    TSymbol *lSymbol = aSymbols.FindKey(lTick.Key);
    if (!lSymbol || !IsBtcQuoted(lSymbol->Name()))
      continue;
    if (lSymbol->FirstQuoteVolume() == 0) {
      // The first volume the monitor sees is the symbol's reference from then on.
      lSymbol->SetFirstQuoteVolume(lTick.QuoteVolume);
      lSymbol->SetQuoteVolume(lTick.QuoteVolume);
      continue;
    }
    const double lFirst = lSymbol->FirstQuoteVolume();
    const double lDif = lSymbol->QuoteVolume() - lTick.QuoteVolume;
    const TVolume *lLast = aVolumes.Find(lSymbol->Name());
    const int lLastPing = lLast ? lLast->Ping : 0;
    const double lLastSum = lLast ? lLast->SumVolume : 0;
    const double lPerc = lDif * 100 / lFirst;
    if (lPerc > 0.3) {
      TVolume &lRow = aVolumes.Insert(0);
      lRow.Symbol = lSymbol->Name();
      lRow.Ping = lLastPing + 1;
      lRow.VolumeChange = lDif;
      lRow.VolumePerc = lPerc;
      lRow.SumVolume = lLastSum + lDif;
      lRow.SumVolumePerc = lRow.SumVolume * 100 / lFirst;
      lRow.Date = aNow;
    }
    lSymbol->SetQuoteVolume(lTick.QuoteVolume);
  }
}

void OutputDepth(TDepthList &aDepth, const TDepthAnswer &aAnswer)
{
  // A book is replaced only by a whole answer; a damaged one leaves the last good book.
  if (!aAnswer.HasAsks || !aAnswer.HasBids)
    RaiseThreadError(cDepthSideMissing);
  aDepth.Clear();
  for (const auto &[lPrice, lQuantity] : aAnswer.Asks) {
    TDepth &lLevel = aDepth.Insert(0);
    lLevel.Side = QStringLiteral("ASK");
    lLevel.Price = lPrice;
    lLevel.Quantity = lQuantity;
  }
  for (const auto &[lPrice, lQuantity] : aAnswer.Bids) {
    TDepth &lLevel = aDepth.Add();
    lLevel.Side = QStringLiteral("BID");
    lLevel.Price = lPrice;
    lLevel.Quantity = lQuantity;
  }
  double lMax = 0;
  for (int i = 0; i < aDepth.Count(); ++i)
    lMax = std::max(lMax, aDepth.GetItem(i).Quantity);
  aDepth.SetMaxQuantity(lMax);
}
