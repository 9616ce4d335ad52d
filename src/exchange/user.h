#pragma once

#include "d_classes.h"
#include "lot_size.h"
#include "user_input_data.h"

#include <QString>

#include <memory>

class TSymbolShowList;
class TDepthList;
class TVolumeList;
class TThreadList;
class TConnectionItem;
class TUserOrder;
struct TOrder;

// What the terminal knows about the market during a run, and the operations that start
// exchange requests. Model objects are read and written on the GUI thread only.
class TUser
{
public:
  TUser();
  ~TUser();

  void DeInit();

  TUserInputData *Input() const { return fInputData.get(); }
  TSymbolShowList *SymbolShowList() const { return fSymbolShowList.get(); }
  TDepthList *DepthList() const { return fDepthList.get(); }
  TVolumeList *VolumeList() const { return fVolumeList.get(); }
  TDPublisher *Publisher() const { return fPublisher.get(); }
  TThreadList &ThreadList() const { return *fThreadList; }

  double Bid() const { return fBid; }
  double Ask() const { return fAsk; }
  void SetBid(double aValue) { fBid = aValue; }
  void SetAsk(double aValue) { fAsk = aValue; }

  // Market data (user.cpp). Each does nothing unless the workflow is working.
  void Ping(bool &aOk);
  void Time();
  void TickerPrice(const QString &aSymbol);
  void Ticker24hrEx();
  void TickerBookTicker(const QString &aSymbol);
  void DepthEx();
  void Ticker24hrVolume();
  // The symbols' lot rules; at most one request is outstanding.
  void ExchangeInfo();
  TLotSizeList &LotSizes() { return fLotSizes; }

  // Account and orders (user_orders.cpp). A null account means the main profile.
  void OpenOrdersEx(TConnectionItem *aAccount = nullptr);
  void AllOrdersEx(TConnectionItem *aAccount = nullptr);
  void OrderPost(const TOrder &aOrder, TConnectionItem *aAccount, bool aMulti);
  void OrderDelete(const TUserOrder &aUserOrder, TConnectionItem *aAccount, bool aMulti);

  void WaitForThreads();

private:
  std::unique_ptr<TThreadList> fThreadList;
  std::unique_ptr<TUserInputData> fInputData;
  std::unique_ptr<TSymbolShowList> fSymbolShowList;
  std::unique_ptr<TDepthList> fDepthList;
  std::unique_ptr<TVolumeList> fVolumeList;
  std::unique_ptr<TDPublisher> fPublisher;
  double fBid = 0;
  double fAsk = 0;
  TLotSizeList fLotSizes;
  std::weak_ptr<void> fExchangeInfoRunning;
};

extern std::unique_ptr<TUser> User;
