#include "platform/visual/Timers.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <algorithm>

#include "platform/visual/QtConvert.h"

namespace sk {

TTimer::TTimer(TComponent* owner) : TComponent(owner), fAlive(std::make_shared<bool>(true)) {
  if (QCoreApplication::instance() != nullptr) {
    fTimer = std::make_unique<QTimer>();
    std::weak_ptr<bool> alive = fAlive;
    QObject::connect(fTimer.get(), &QTimer::timeout, fTimer.get(), [this, alive] {
      if (alive.expired()) return;
      fInTimer = true;
      Timer();
      if (!alive.expired()) fInTimer = false;
    });
  }
}

TTimer::~TTimer() {
  Destroying();
  fAlive.reset();
  if (!fTimer) return;
  fTimer->stop();
  // Freed from inside its own OnTimer: the Qt timer is still sending its
  // signal, so it goes once that is over.
  if (fInTimer) fTimer.release()->deleteLater();
}

QObject* TTimer::NamedObject() const { return fTimer.get(); }

void TTimer::SetEnabled(bool e) {
  if (e == fEnabled) return;
  fEnabled = e;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal ms) {
  if (ms == fInterval) return;
  fInterval = ms;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  fOnTimer = std::move(handler);
  UpdateTimer();
}

bool TTimer::Active() const { return fTimer && fTimer->isActive(); }

void TTimer::UpdateTimer() {
  if (!fTimer) return;
  fTimer->stop();
  if (fEnabled && fInterval > 0 && fOnTimer) fTimer->start(static_cast<int>(std::min<Cardinal>(fInterval, 0x7FFFFFFF)));
}

void TTimer::Timer() {
  if (fOnTimer) fOnTimer(this);
}

}  // namespace sk
