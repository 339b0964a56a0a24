// kelvaro-window-bench: how the window feels with a big text. With 8 MiB of Chinese text in Text1
// (counted as UTF-8, like kelvaro-bench), a click on base64encode until Text2 is repainted, the
// same click when Text2's undo history is full and must first be forgotten, ctrl+Z undoing that
// click until Text2 is repainted again, and one typed character until Text1 is repainted; and
// 自动识别 on the UTF-8 percent escapes of a megabyte of text until Text2 is repainted.
//
//   kelvaro-window-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "app/form1.h"
#include "app/text_boxes.h"
#include "bench_text.h"
#include "registry/operations.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>
#include <chrono>
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

// Times what `act` does until `box` is repainted, as the iteration's time.
template <class Act> void TimeUntilPainted(benchmark::State& state, QPlainTextEdit* box, Act act) {
  const auto start = std::chrono::steady_clock::now();
  act();
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
  QTest::mouseClick(button, Qt::LeftButton);
  SettleAndPaint(shown.text2);
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
  const Operation* escape = FindOperation("utf8-encode");
  if (escape == nullptr || FindOperation("auto") == nullptr) {
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
    QTest::mouseClick(button, Qt::LeftButton);
    SettleAndPaint(shown.text2);
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

} // namespace
} // namespace kelvaro::app

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
