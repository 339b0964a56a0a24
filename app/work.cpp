#include "app/work.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace kelvaro::app {

namespace {
constexpr int kTickMs = 100;
} // namespace

Work::Work(QObject* parent) : QObject(parent) {
  // One thread: a cancelled job that still runs keeps the next one waiting, so two never run in
  // the core at once.
  m_pool.setMaxThreadCount(1);
  m_tick.setInterval(kTickMs);
  connect(&m_tick, &QTimer::timeout, this, [this] {
    if (m_clock.elapsed() >= kShowAfterMs)
      emit stillRunning(m_clock.elapsed());
  });
}

Work::~Work() { m_pool.waitForDone(); }

void Work::start(Job job) {
  const quint64 generation = ++m_generation;
  m_busy = true;
  m_clock.start();
  m_tick.start();
  auto* watcher = new QFutureWatcher<Finish>(this);
  connect(watcher, &QFutureWatcher<Finish>::finished, this, [this, watcher, generation] {
    watcher->deleteLater();
    // A cancelled job's result, or one that ran before the job now running, is dropped.
    if (generation != m_generation || !m_busy)
      return;
    m_busy = false;
    m_tick.stop();
    const Finish finish = watcher->result();
    if (finish)
      finish();
    emit ended(false);
  });
  watcher->setFuture(QtConcurrent::run(&m_pool, std::move(job)));
}

void Work::cancel() {
  if (!m_busy)
    return;
  ++m_generation;
  m_busy = false;
  m_tick.stop();
  emit ended(true);
}

void Work::waitForWorker() { m_pool.waitForDone(); }

} // namespace kelvaro::app
