// kelvaro-window-bench: how the window feels with a big text. With 8 MiB of Chinese text in Text1
// (counted as UTF-8, like kelvaro-bench), a click on base64encode until Text2 is repainted, the
// same click when Text2's undo history is full and must first be forgotten, ctrl+Z undoing that
// click until Text2 is repainted again, and one typed character until Text1 is repainted; and
// 自动识别 on the UTF-8 percent escapes of a megabyte of text until Text2 is repainted.
//
// Window20MB/...: each action a user takes on 20 MiB of the same text (counted as UTF-8), posted
// to the event loop as a user's input would come, and timed until its result is painted and no
// run goes on off the window's thread. Besides the time, `block_ms` is the longest the event loop
// went without turning (how long the window froze), `peak_MiB` the process's peak resident size
// during the action, and for a click `cli_s` the time kelvaro-cli takes for the same conversion
// of the same text, measured in the same run. The benchmark keeps no copy of the text of its own
// while it measures: what the process holds is the window's.
//
//   kelvaro-window-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   kelvaro-window-bench --benchmark_filter=Window20MB --benchmark_repetitions=3

#include "app/controls.h"
#include "app/form1.h"
#include "app/memory.h"
#include "app/text_boxes.h"
#include "bench_text.h"
#include "registry/operations.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <string>

namespace kelvaro::app {
namespace {

constexpr std::size_t kBigText = 8u << 20;

const std::u16string& BigText() {
  static const std::u16string text = GenerateBenchText(kBigText);
  return text;
}

void SettleAndPaint(QPlainTextEdit* box) {
  QCoreApplication::processEvents();
  box->viewport()->repaint();
}

// A shown window and its two boxes; `ready` is false (and the benchmark skipped) when the platform
// did not show it.
struct ShownWindow {
  Form1 window;
  QPlainTextEdit* text1 = nullptr;
  MultiLineBox* text2 = nullptr;
  bool ready = false;

  explicit ShownWindow(benchmark::State& state) {
    window.show();
    ready = QTest::qWaitForWindowExposed(&window);
    if (!ready) {
      state.SkipWithError("the window was not shown");
      return;
    }
    text1 = window.findChild<QPlainTextEdit*>("Text1");
    text2 = window.findChild<MultiLineBox*>("Text2");
  }
  [[nodiscard]] QPushButton* button(const char* name) const {
    return window.findChild<QPushButton*>(name);
  }
};

// Turns the event loop until no run goes on off the window's thread; the loop wakes as soon as
// the run's result arrives (QTest::qWaitFor would sleep 10 ms at a time).
void WaitUntilIdle(Form1& window) {
  while (window.isWorking())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Clicks and waits, untimed, until the click's result is painted.
void ClickAndWait(Form1& window, QPushButton* button, QPlainTextEdit* box) {
  QTest::mouseClick(button, Qt::LeftButton);
  WaitUntilIdle(window);
  SettleAndPaint(box);
}

// Times what `act` does until `box` is repainted, as the iteration's time.
template <class Act> void TimeUntilPainted(benchmark::State& state, QPlainTextEdit* box, Act act) {
  const auto start = std::chrono::steady_clock::now();
  act();
  // A click on a long text runs off the window's thread: it ends with its result in the box.
  if (auto* window = qobject_cast<Form1*>(box->window()))
    WaitUntilIdle(*window);
  SettleAndPaint(box);
  state.SetIterationTime(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void ClickBase64Encode(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QPushButton* button = shown.button("CMDBASE64");
  WriteBox(shown.text1, BigText());
  SettleAndPaint(shown.text1);
  for (auto _ : state) {
    WriteBox(shown.text2, u"");
    SettleAndPaint(shown.text2);
    TimeUntilPainted(state, shown.text2, [&] { QTest::mouseClick(button, Qt::LeftButton); });
  }
  state.counters["Text2 units"] = static_cast<double>(shown.text2->document()->characterCount());
}
BENCHMARK(ClickBase64Encode)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The same click when Text2's history has reached its limit: the box forgets the older steps,
// rebuilding its content once, before the result goes in. With 8 MiB in the box this is the most
// a click pays for the bound on the history.
void ClickBase64EncodeWithAFullHistory(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QPushButton* button = shown.button("CMDBASE64");
  WriteBox(shown.text1, BigText());
  ClickAndWait(shown.window, button, shown.text2);
  // From now on every write finds the history full.
  shown.text2->setHistoryLimit(1);
  for (auto _ : state)
    TimeUntilPainted(state, shown.text2, [&] { QTest::mouseClick(button, Qt::LeftButton); });
  state.counters["Text2 units"] = static_cast<double>(shown.text2->document()->characterCount());
}
BENCHMARK(ClickBase64EncodeWithAFullHistory)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void ClickRecognise(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  const auto escape = FindOperation("utf8-encode");
  if (!escape || !FindOperation("auto")) {
    state.SkipWithError("the registry has no utf8-encode or auto row");
    return;
  }
  const Outcome escaped = RunOperation(*escape, GenerateBenchText(1u << 20));
  QPushButton* button = shown.button("CMDAUTO");
  WriteBox(shown.text1, escaped.text.value_or(u""));
  SettleAndPaint(shown.text1);
  for (auto _ : state) {
    WriteBox(shown.text2, u"");
    SettleAndPaint(shown.text2);
    // The caption part of the button: the arrow is at its right edge.
    TimeUntilPainted(state, shown.text2, [&] { QTest::mouseClick(button, Qt::LeftButton); });
  }
  state.counters["Text1 units"] = static_cast<double>(shown.text1->document()->characterCount());
  state.counters["Text2 units"] = static_cast<double>(shown.text2->document()->characterCount());
}
BENCHMARK(ClickRecognise)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Undoing a button's change must cost no more than the change: the box's history holds the
// replaced text instead of the box reloading it.
void UndoBase64Encode(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QPushButton* button = shown.button("CMDBASE64");
  WriteBox(shown.text1, BigText());
  SettleAndPaint(shown.text1);
  for (auto _ : state) {
    WriteBox(shown.text2, u"");
    ClickAndWait(shown.window, button, shown.text2);
    TimeUntilPainted(state, shown.text2,
                     [&] { QTest::keyClick(shown.text2, Qt::Key_Z, Qt::ControlModifier); });
    if (!shown.text2->document()->isEmpty()) {
      state.SkipWithError("ctrl+Z did not bring the empty box back");
      return;
    }
  }
}
BENCHMARK(UndoBase64Encode)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void TypeOneCharacter(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QPlainTextEdit* text1 = shown.text1;
  WriteBox(text1, BigText());
  // range(0): where the caret stands, in per cent of the text.
  QTextCursor cursor = text1->textCursor();
  cursor.setPosition(static_cast<int>(text1->document()->characterCount() - 1) *
                     static_cast<int>(state.range(0)) / 100);
  text1->setTextCursor(cursor);
  text1->setFocus();
  SettleAndPaint(text1);
  for (auto _ : state)
    TimeUntilPainted(state, text1, [&] { QTest::keyClick(text1, Qt::Key_A); });
}
BENCHMARK(TypeOneCharacter)
    ->Arg(0)
    ->Arg(50)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// ---- Window20MB ------------------------------------------------------------------------------

constexpr std::size_t kTwentyMiB = 20u << 20;

// Made anew for each benchmark and dropped before it measures.
std::u16string TwentyMiB() { return GenerateBenchText(kTwentyMiB); }

double MiB(std::size_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

// The process's peak resident size since the last ResetPeak, from Linux's VmHWM.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}
double PeakMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

struct Measured {
  double seconds = 0;
  double blockMs = 0;
};

// Posts `act` to the event loop, as a click or a key would come, and turns the loop until `done`
// holds and `box` is painted. A timer ticking every millisecond measures the longest gap between
// two turns of the loop.
template <class Act, class Done>
Measured RunPosted(QPlainTextEdit* box, Act act, Done done) {
  QElapsedTimer clock;
  qint64 lastTurn = 0;
  qint64 longest = 0;
  QTimer heartbeat;
  heartbeat.setTimerType(Qt::PreciseTimer);
  heartbeat.setInterval(1);
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - lastTurn);
    lastTurn = now;
  });
  bool acted = false;
  clock.start();
  heartbeat.start();
  QTimer::singleShot(0, [&] {
    act();
    acted = true;
  });
  while (!acted || !done())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
  box->viewport()->repaint();
  const qint64 end = clock.nsecsElapsed();
  longest = std::max(longest, end - lastTurn);
  return {static_cast<double>(end) / 1e9, static_cast<double>(longest) / 1e6};
}

// Times the action and records its counters; `prepare` runs before each, untimed.
template <class Prepare, class Act>
void MeasureAction(benchmark::State& state, ShownWindow& shown, QPlainTextEdit* painted,
                   Prepare prepare, Act act) {
  double block = 0;
  double peak = 0;
  for (auto _ : state) {
    prepare();
    QCoreApplication::processEvents();
    ResetPeak();
    std::fprintf(stderr, "start peak %.1f\n", PeakMiB());
    const Measured measured =
        RunPosted(painted, act, [&] { return !shown.window.isWorking(); });
    state.SetIterationTime(measured.seconds);
    block = std::max(block, measured.blockMs);
    peak = std::max(peak, PeakMiB());
  }
  state.counters["block_ms"] = block;
  state.counters["peak_MiB"] = peak;
}

// The time kelvaro-cli takes for `operation` on the UTF-8 text in `input`, read from standard
// input; nothing when the program is not found beside this one.
std::optional<double> CliSeconds(std::string_view operation, const QString& input,
                                 std::string_view charset = {}) {
  const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/kelvaro-cli");
  if (!QFile::exists(cli))
    return std::nullopt;
  QProcess process;
  process.setStandardInputFile(input);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  QStringList arguments{QString::fromUtf8(operation.data(), static_cast<qsizetype>(operation.size()))};
  if (!charset.empty())
    arguments << QStringLiteral("--charset")
              << QString::fromUtf8(charset.data(), static_cast<qsizetype>(charset.size()));
  const auto start = std::chrono::steady_clock::now();
  process.start(cli, arguments);
  if (!process.waitForFinished(600'000) || process.exitCode() != 0)
    return std::nullopt;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Paste20MB(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QApplication::clipboard()->setText(ToQString(TwentyMiB()));
  MeasureAction(
      state, shown, shown.text1,
      [&] {
        WriteBox(shown.text1, u"");
        shown.text1->setFocus();
      },
      [&] { shown.text1->paste(); });
  state.counters["input_MiB"] = MiB(kTwentyMiB);
}
BENCHMARK(Paste20MB)->Name("Window20MB/paste")->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void Swap20MB(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  {
    const std::u16string text = TwentyMiB();
    WriteBox(shown.text1, text);
    WriteBox(shown.text2, std::u16string_view(text).substr(0, text.size() / 2));
  }
  SettleAndPaint(shown.text2);
  QPushButton* swap = shown.button("Command1");
  MeasureAction(state, shown, shown.text1, [] {}, [&] { swap->click(); });
  state.counters["input_MiB"] = MiB(kTwentyMiB + kTwentyMiB / 2);
}
BENCHMARK(Swap20MB)->Name("Window20MB/swap")->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void SelectAll20MB(benchmark::State& state) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  WriteBox(shown.text1, TwentyMiB());
  SettleAndPaint(shown.text1);
  shown.text1->setFocus();
  MeasureAction(
      state, shown, shown.text1, [&] { shown.text1->moveCursor(QTextCursor::Start); },
      [&] { QTest::keyClick(shown.text1, Qt::Key_A, Qt::ControlModifier); });
  state.counters["input_MiB"] = MiB(kTwentyMiB);
}
BENCHMARK(SelectAll20MB)
    ->Name("Window20MB/select-all")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// Undo and redo of UTF8_encode's result in Text2.
void UndoRedo20MB(benchmark::State& state, bool redo) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  WriteBox(shown.text1, TwentyMiB());
  QPushButton* button = shown.button("UTF8EN");
  MeasureAction(
      state, shown, shown.text2,
      [&] {
        WriteBox(shown.text2, u"");
        button->click();
        WaitUntilIdle(shown.window);
        if (redo)
          QTest::keyClick(shown.text2, Qt::Key_Z, Qt::ControlModifier);
        SettleAndPaint(shown.text2);
      },
      [&] {
        QTest::keyClick(shown.text2, redo ? Qt::Key_Y : Qt::Key_Z, Qt::ControlModifier);
      });
  if (shown.text2->document()->isEmpty() == redo)
    state.SkipWithError("ctrl+Z or ctrl+Y did not bring the expected box back");
  state.counters["output_MiB"] = MiB(static_cast<std::size_t>(
      shown.text2->toPlainText().toUtf8().size()));
}
BENCHMARK_CAPTURE(UndoRedo20MB, undo, false)
    ->Name("Window20MB/undo")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(UndoRedo20MB, redo, true)
    ->Name("Window20MB/redo")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// A click on a conversion button with 20 MiB in Text1; 自动识别 gets the Base64 of its UTF-8
// bytes (27 MiB), as a user pastes an encoded file.
void Click20MB(benchmark::State& state, const char* name) {
  ShownWindow shown(state);
  if (!shown.ready)
    return;
  QPushButton* button = shown.button(name);
  std::string_view operation;
  for (const ControlSpec& entry : Controls()) {
    if (entry.name == name)
      operation = entry.operation;
  }
  if (button == nullptr || !FindOperation(operation)) {
    state.SkipWithError("no such button");
    return;
  }
  std::u16string input = TwentyMiB();
  if (operation == "auto") {
    input = RunOperation(*FindOperation("base64-encode"), input,
                         OperationOptions{.charset = Charset::Utf8})
                .text.value_or(u"");
  }
  WriteBox(shown.text1, input);
  QTemporaryFile cliInput;
  if (!cliInput.open()) {
    state.SkipWithError("no temporary file for kelvaro-cli's input");
    return;
  }
  std::size_t inputBytes = 0;
  {
    const QByteArray inputUtf8 = ToQString(input).toUtf8();
    cliInput.write(inputUtf8);
    cliInput.flush();
    inputBytes = static_cast<std::size_t>(inputUtf8.size());
  }
  std::u16string().swap(input);
  SettleAndPaint(shown.text1);
  MeasureAction(
      state, shown, shown.text2,
      [&] {
        WriteBox(shown.text2, u"");
        SettleAndPaint(shown.text2);
      },
      [&] { button->click(); });
  const std::size_t outputBytes =
      static_cast<std::size_t>(shown.text2->toPlainText().toUtf8().size());
  state.counters["input_MiB"] = MiB(inputBytes);
  state.counters["output_MiB"] = MiB(outputBytes);
  state.counters["peak_budget_MiB"] = 3 * (MiB(inputBytes) + MiB(outputBytes)) + 150;
  if (const std::optional<double> cli = CliSeconds(operation, cliInput.fileName()))
    state.counters["cli_s"] = *cli;
}
BENCHMARK_CAPTURE(Click20MB, UTF8EN, "UTF8EN")
    ->Name("Window20MB/click:UTF8EN")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Click20MB, CMDBASE64, "CMDBASE64")
    ->Name("Window20MB/click:CMDBASE64")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Click20MB, CMDASCII, "CMDASCII")
    ->Name("Window20MB/click:CMDASCII")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(Click20MB, CMDAUTO, "CMDAUTO")
    ->Name("Window20MB/click:CMDAUTO")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace
} // namespace kelvaro::app

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  kelvaro::app::ReturnLargeBuffersToTheSystem();
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
