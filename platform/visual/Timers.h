// A timer component on QTimer: while enabled with an interval above 0 and an
// OnTimer handler, it raises OnTimer every Interval milliseconds from the
// event loop. Without a QApplication there is no event loop, and a timer
// never fires.
#pragma once

#include <memory>

#include "platform/visual/Controls.h"

class QTimer;

namespace sk {

class TTimer : public TComponent {
 public:
  // Enabled, interval 1,000 ms.
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return fEnabled; }
  void SetEnabled(bool e);
  Cardinal Interval() const { return fInterval; }
  void SetInterval(Cardinal ms);
  // Setting the handler (re)starts the timer when it is enabled.
  void SetOnTimer(TNotifyEvent handler);
  const TNotifyEvent& OnTimer() const { return fOnTimer; }
  // True while the timer is counting.
  bool Active() const;

 protected:
  QObject* NamedObject() const override;
  virtual void Timer();

 private:
  void UpdateTimer();

  std::unique_ptr<QTimer> fTimer;
  bool fEnabled = true;
  Cardinal fInterval = 1000;
  TNotifyEvent fOnTimer;
  std::shared_ptr<bool> fAlive;
  bool fInTimer = false;
};

}  // namespace sk
