#pragma once

#include "base_thread.h"
#include "market_data.h"
#include "methods.h"

#include <QString>

#include <memory>
#include <vector>

class IMarketChartLink;

// Last prices: of every symbol (no symbol), of one symbol for the symbol list (a symbol, no
// chart), or of a chart's symbol for that chart.
class TTickerPriceThread : public TBaseThread
{
public:
  const QString &Symbol() const { return fSymbol; }
  void SetSymbol(const QString &aValue) { fSymbol = aValue; }
  // The chart whose price this is; it also becomes the thread's chart.
  void SetChart(std::shared_ptr<IMarketChartLink> aChart);

protected:
  void DoMakeRequest() override;
  void DoExtract() override;
  bool DoExtractText(QByteArrayView aText) override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cTickerPriceThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  QString fSymbol;
  std::shared_ptr<IMarketChartLink> fChart;
  std::vector<TPriceTick> fTicks;
  bool fHasPrice = false;
  double fPrice = 0;
};

// The 24-hour statistics of every symbol: rebuilds the symbol list.
class TTicker24hrThread : public TBaseThread
{
protected:
  bool DoExtractText(QByteArrayView aText) override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cTicker24hrThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  std::vector<TTicker24hr> fTicks;
};

// The 24-hour statistics read by the volume monitor.
class TTicker24hrVolumeThread : public TBaseThread
{
protected:
  bool DoExtractText(QByteArrayView aText) override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cTicker24hrVolumeThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  std::vector<TTicker24hr> fTicks;
};

// Best bid and ask of one symbol, for the order dialog.
class TTickerBookTickerThread : public TBaseThread
{
public:
  const QString &Symbol() const { return fSymbol; }
  void SetSymbol(const QString &aValue) { fSymbol = aValue; }

protected:
  void DoMakeRequest() override;
  void DoExtract() override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cTickerBookTickerThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  QString fSymbol;
  double fAsk = 0;
  double fBid = 0;
};

// The order book (five levels a side) of the selected symbol.
class TDepthThread : public TBaseThread
{
protected:
  void DoMakeRequest() override;
  void DoExtract() override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cDepthThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  TDepthAnswer fDepth;
};
