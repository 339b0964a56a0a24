#pragma once
// Work off the window's thread: one job at a time on a thread of its own, so that the window keeps
// painting and can be moved while a conversion of megabytes, or a host lookup, runs. A job is
// computed on the worker and hands back what to do with its result, which then runs on the
// window's thread, unless the user cancelled the job meanwhile: the core cannot be stopped half
// way, so a cancelled job finishes in the background and its result is dropped.

#include <QElapsedTimer>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <functional>

namespace kelvaro::app {

class Work : public QObject {
  Q_OBJECT
public:
  /// What to do with a job's result, on the window's thread.
  using Finish = std::function<void()>;
  /// The job itself, on the worker's thread.
  using Job = std::function<Finish()>;

  /// How long a job runs before the window tells of it.
  static constexpr int kShowAfterMs = 300;

  explicit Work(QObject* parent = nullptr);
  /// Waits for a job that still runs, cancelled or not: it may use what its owner holds.
  ~Work() override;

  /// Starts a job; the caller makes sure none runs (see busy).
  void start(Job job);
  /// Whether a job runs that has not been cancelled.
  [[nodiscard]] bool busy() const { return m_busy; }
  /// Drops the running job's result; nothing when none runs.
  void cancel();
  /// Blocks until every job, cancelled ones too, has finished its work on the worker (for tests
  /// and benchmarks); the result of a job that has not been cancelled is not applied yet.
  void waitForWorker();

signals:
  /// The job has run for kShowAfterMs and goes on; then again every so often.
  void stillRunning(qint64 elapsedMs);
  /// The job ended: its result has been applied, or it was cancelled.
  void ended(bool cancelled);

private:
  QThreadPool m_pool;
  bool m_busy = false;
  quint64 m_generation = 0;
  QElapsedTimer m_clock;
  QTimer m_tick;
};

} // namespace kelvaro::app
