#pragma once

#include <QString>

// Names one exchange operation: its HTTP verb, its resource and whether it is signed.
// Each descendant's Init sets its own row and nothing else; the transport frees the descriptor.
// A constructor runs only its own class's Init (C++ does not dispatch virtually from a
// constructor), so every descendant's constructor calls its own.
class TDBaseMethod
{
public:
  TDBaseMethod() { TDBaseMethod::Init(); }
  virtual ~TDBaseMethod() = default;

  const QString &Method() const { return fMethod; }
  bool Auth() const { return fAuth; }
  const QString &Resource() const { return fResource; }

protected:
  virtual void Init();

  QString fMethod;
  bool fAuth = false;
  QString fResource;
};

class TDMethodPing : public TDBaseMethod
{
public:
  TDMethodPing() { TDMethodPing::Init(); }

protected:
  void Init() override;
};

class TDMethodTime : public TDBaseMethod
{
public:
  TDMethodTime() { TDMethodTime::Init(); }

protected:
  void Init() override;
};

class TDMethodKlines : public TDBaseMethod
{
public:
  TDMethodKlines() { TDMethodKlines::Init(); }

protected:
  void Init() override;
};

class TDMethodTickerPrice : public TDBaseMethod
{
public:
  TDMethodTickerPrice() { TDMethodTickerPrice::Init(); }

protected:
  void Init() override;
};

class TDMethodAccount : public TDBaseMethod
{
public:
  TDMethodAccount() { TDMethodAccount::Init(); }

protected:
  void Init() override;
};

class TDMethodOrderPost : public TDBaseMethod
{
public:
  TDMethodOrderPost() { TDMethodOrderPost::Init(); }

protected:
  void Init() override;
};

class TDMethodOrderDelete : public TDBaseMethod
{
public:
  TDMethodOrderDelete() { TDMethodOrderDelete::Init(); }

protected:
  void Init() override;
};

class TDMethodOpenOrders : public TDBaseMethod
{
public:
  TDMethodOpenOrders() { TDMethodOpenOrders::Init(); }

protected:
  void Init() override;
};

class TDMethodAllOrders : public TDBaseMethod
{
public:
  TDMethodAllOrders() { TDMethodAllOrders::Init(); }

protected:
  void Init() override;
};

class TDMethodDepth : public TDBaseMethod
{
public:
  TDMethodDepth() { TDMethodDepth::Init(); }

protected:
  void Init() override;
};

class TDMethodTicker24hr : public TDBaseMethod
{
public:
  TDMethodTicker24hr() { TDMethodTicker24hr::Init(); }

protected:
  void Init() override;
};

class TDMethodTickerBookTicker : public TDBaseMethod
{
public:
  TDMethodTickerBookTicker() { TDMethodTickerBookTicker::Init(); }

protected:
  void Init() override;
};

// The symbols' trading rules (the lot step and minimum quantity of the copies of an order).
class TDMethodExchangeInfo : public TDBaseMethod
{
public:
  TDMethodExchangeInfo() { TDMethodExchangeInfo::Init(); }

protected:
  void Init() override;
};
