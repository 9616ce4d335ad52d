#pragma once

#include <QObject>

#include <memory>

inline constexpr int cMainTimerInterval = 1000;
inline constexpr int cMainTimerIndex = 1;

// The program's one-second clock. A QTimer on the GUI thread delivers at most one pending
// tick however long the thread was busy, so missed seconds are never made up.
class TTimer : public QObject
{
  Q_OBJECT
public:
  TTimer();
  ~TTimer() override;

  void Init();
  void Deinit();
  bool Enabled() const { return fEnabled; }

  int WMTimer(int aTimerID);

protected:
  void timerEvent(QTimerEvent *aEvent) override;

private:
  int fTimerID = 0;
  bool fEnabled = false;
};

extern std::unique_ptr<TTimer> Timer;
